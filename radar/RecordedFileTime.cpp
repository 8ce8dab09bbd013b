#include "radar/RecordedFileTime.h"

#include <cstdio>
#include <cstring>

namespace {
uint64_t Little(const unsigned char* bytes, int count) {
    uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
    return v;
}
}  // namespace

RecordedFileTime ReadFileTime(const char* path) {
    RecordedFileTime time;
    FILE* in = path ? fopen(path, "rb") : nullptr;
    if (!in) return time;
    // The file header (32 bytes) and the head of the first frame record (28 bytes).
    unsigned char bytes[60] = {};
    const size_t got = fread(bytes, 1, sizeof bytes, in);
    fclose(in);
    if (got < 32 || memcmp(bytes, "RVRAWDAT", 8) != 0) return time;
    const uint64_t start = Little(bytes + 16, 8);
    time.start = FILETIME{static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)};
    if (got == sizeof bytes && Little(bytes + 32, 4) == 0x4D465652u) {
        time.stampKnown = true;
        time.firstStampMs = static_cast<uint32_t>(Little(bytes + 48, 8) / 1000);
    }
    return time;
}
