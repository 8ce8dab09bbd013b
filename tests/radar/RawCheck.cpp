// rova_rawcheck.exe <folder>: reads every raw data file of a recording with the library's own reader
// and prints, per file, what a playback would get, for the kill test to judge:
//   <name> frames=<n> gaps=<sequence numbers missing between frames> damaged=<stretches skipped>
//   tail=<bytes after the last intact frame> last_ms=<wall time of the last frame, Unix ms>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "RawDataReader.h"

namespace {
// The recording's start from the file header (FILETIME, UTC) in Unix milliseconds.
long long StartUnixMs(const std::string& path) {
    unsigned char header[32] = {};
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return 0;
    const size_t n = fread(header, 1, sizeof header, f);
    fclose(f);
    if (n != sizeof header) return 0;
    long long filetime = 0;
    std::memcpy(&filetime, header + 16, sizeof filetime);
    return filetime / 10000 - 11644473600000LL;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rova_rawcheck <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*.rvraw").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        std::printf("no raw data files\n");
        return 1;
    }
    int files = 0;
    do {
        const std::string path = folder + "\\" + data.cFileName;
        CRawDataReader reader;
        if (!reader.Open(path)) {
            std::printf("%s unreadable\n", data.cFileName);
            continue;
        }
        ++files;
        RadarFrame frame;
        long long frames = 0, gaps = 0;
        size_t end = 32;  // header
        uint32_t lastSequence = 0;
        uint64_t lastUs = 0;
        while (reader.Next(frame)) {
            if (frames > 0 && frame.sequence != lastSequence + 1) gaps += frame.sequence - lastSequence - 1;
            lastSequence = frame.sequence;
            lastUs = frame.timestampUs;
            end += 28 + 48 * frame.points.size();
            ++frames;
        }
        std::printf("%s frames=%lld gaps=%lld damaged=%d tail=%zu last_ms=%lld\n", data.cFileName, frames, gaps,
                    reader.DamagedFrames(), reader.Size() - end,
                    StartUnixMs(path) + static_cast<long long>(lastUs / 1000));
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return files > 0 ? 0 : 1;
}
