// Measures (1) how long Stop takes while a playback reads hostile recordings (limit 500 ms),
// (2) the MTT tracker's time per frame with 1024 detection points in every frame (limit a tenth
// of the frame period at 20 frames/s, 5 ms) and (3) how the start of a playback grows with the
// number of files in the folder (it runs on the interface thread: per file, a folder eight times
// larger should cost about the same, ratio near 1). Prints the figures and their ratios.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MttTracker.h"
#include "BenchFolder.h"
#include "ROVA_DataProcess.h"
#include "RawFrameCodec.h"
#include "SimulatedSensorControl.h"

namespace {

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

RadarFrame Frame(uint32_t sequence, int points) {
    RadarFrame f;
    f.sequence = sequence;
    f.timestampUs = 50000ull * sequence;
    for (int i = 0; i < points; ++i) {
        RadarPoint p;
        p.distance = 2 + 0.01 * i;
        p.angle = -30 + 0.05 * i;
        p.velocity = 0.7;
        p.gate = p.distance / 0.25;
        f.points.push_back(p);
    }
    return f;
}

struct Hostile {
    const char* name;
    bool loop;
    std::vector<std::vector<uint8_t>> files;
};

std::vector<Hostile> HostileRecordings() {
    const std::vector<uint8_t> fileHeader = CRawFrameCodec::EncodeFileHeader(64, 0);
    std::vector<Hostile> cases;

    // A frame header that checks out but for its CRC, back to back, claiming 1024 points.
    std::vector<uint8_t> forged = fileHeader;
    std::vector<uint8_t> header = CRawFrameCodec::EncodeFrame(Frame(1, CRawFrameCodec::kMaxPoints));
    header.resize(CRawFrameCodec::kFrameHeaderSize);
    header[24] ^= 0xFF;
    while (forged.size() < (48u << 20)) forged.insert(forged.end(), header.begin(), header.end());
    cases.push_back({"forged headers, 48 MiB", false, {forged}});

    // Noise with the frame magic sprinkled in.
    std::vector<uint8_t> noise = fileHeader;
    uint32_t state = 12345;
    while (noise.size() < (64u << 20)) {
        state = state * 1664525u + 1013904223u;
        noise.push_back(static_cast<uint8_t>(state >> 24));
        if ((state & 0xFFF) == 7) {
            const uint8_t magic[4] = {'R', 'V', 'F', 'M'};
            noise.insert(noise.end(), magic, magic + 4);
        }
    }
    cases.push_back({"noise, 64 MiB", false, {noise}});

    // A loop over files without one intact frame.
    std::vector<std::vector<uint8_t>> broken;
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t> f = fileHeader;
        f.insert(f.end(), header.begin(), header.end());
        broken.push_back(f);
    }
    cases.push_back({"loop over 200 files without a frame", true, broken});

    // A loop over one full frame file: plenty of real work per frame.
    std::vector<uint8_t> full = fileHeader;
    for (uint32_t s = 0; s < 400; ++s) {
        const std::vector<uint8_t> f = CRawFrameCodec::EncodeFrame(Frame(s, CRawFrameCodec::kMaxPoints));
        full.insert(full.end(), f.begin(), f.end());
    }
    cases.push_back({"loop over 400 frames of 1024 points", true, {full}});
    return cases;
}

class EndWatcher : public IFileRadarDataSource {
public:
    volatile bool ended = false;
    void OnFileRadarReadEnd(uint64_t) override { ended = true; }
};

double StopLatencyMs(const Hostile& c, const std::string& folder) {
    RemoveFolder(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    for (size_t i = 0; i < c.files.size(); ++i) {
        char name[64];
        snprintf(name, sizeof name, "\\ROVA_Raw_%05zu.rvraw", i);
        WriteBytes(folder + name, c.files[i]);
    }
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.isFileSource = 1;
    gRadarParameter.pcAlgorithm = 3;
    strcpy(gRadarParameter.dataPath, folder.c_str());
    ROVA_SimSensor_SetPlaybackSpeed(0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(c.loop ? 1 : 0);
    EndWatcher watcher;
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&watcher, 0);
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    double worst = 0;
    // Stop at a few moments into the reading.
    for (int delayMs : {30, 150, 400}) {
        Sleep(delayMs);
        const double start = Seconds();
        ROVA_Interface_RadarCtrl_Stop();
        worst = std::max(worst, (Seconds() - start) * 1000);
        ROVA_Interface_RadarCtrl_Start();
    }
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    RemoveFolder(folder);
    return worst;
}

// Start of a playback of a folder of `count` header-only files, in seconds.
double PlaybackStartSeconds(const std::string& folder, int count) {
    RemoveFolder(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::vector<uint8_t> header = CRawFrameCodec::EncodeFileHeader(64, 0);
    for (int i = 0; i < count; ++i) {
        char name[64];
        snprintf(name, sizeof name, "\\ROVA_Raw_%07d.rvraw", i);
        WriteBytes(folder + name, header);
    }
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.isFileSource = 1;
    strcpy(gRadarParameter.dataPath, folder.c_str());
    ROVA_SimSensor_SetPlaybackSpeed(0);
    const double start = Seconds();
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    const double took = Seconds() - start;
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    RemoveFolder(folder);
    return took;
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "rova_safety_bench_" + std::to_string(GetCurrentProcessId());
    double worst = 0;
    for (const Hostile& c : HostileRecordings()) {
        const double ms = StopLatencyMs(c, folder);
        printf("Stop during playback of %-38s %8.1f ms\n", c.name, ms);
        worst = std::max(worst, ms);
    }
    printf("worst Stop latency over hostile recordings: %.1f ms, %.3f of the 500 ms limit\n", worst, worst / 500);

    // The tracker with 1024 well spread points per frame, moving a little every frame.
    CMttTracker tracker;
    tracker.Configure(MttSettings{});
    const int frames = 200;
    double total = 0, slowest = 0;
    for (int f = 0; f < frames; ++f) {
        std::vector<RadarPoint> points;
        for (int i = 0; i < 1024; ++i) {
            RadarPoint p;
            const double x = -40 + 2.5 * (i % 32) + 0.05 * f, y = 2 + 2.5 * (i / 32) + 0.03 * f;
            p.distance = std::hypot(x, y);
            p.gate = p.distance / 0.25;
            p.angle = std::atan2(x, y) * 180 / 3.14159265358979323846;
            p.velocity = 0.8;
            p.snr = 20;
            points.push_back(p);
        }
        const double start = Seconds();
        tracker.Process(points, 0.05);
        const double ms = (Seconds() - start) * 1000;
        total += ms;
        slowest = std::max(slowest, ms);
    }
    const double limit = 1000.0 / 20 / 10;
    printf("tracker at 1024 points per frame: mean %.3f ms, slowest %.3f ms per frame; mean %.3f, slowest %.3f "
           "of the %.1f ms limit\n",
           total / frames, slowest, total / frames / limit, slowest / limit, limit);
    // The same folder size step, eight times the files: linear work keeps the time per file.
    const int few = 2500, many = 20000;
    const double fewSeconds = PlaybackStartSeconds(folder, few), manySeconds = PlaybackStartSeconds(folder, many);
    printf("playback start: %d files %.1f ms, %d files %.1f ms; time per file grows %.2f times (1 is linear)\n", few,
           fewSeconds * 1000, many, manySeconds * 1000, (manySeconds / many) / (fewSeconds / few));
    return 0;
}
