#pragma once
// Writes a recording folder as the radar library does (FILE_Radar_Config.ini with the library's
// defaults and one .rvraw file), so tests and benchmarks replay targets whose every position is
// known.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RawFrameCodec.h"
#include "contracts/ROVA_DataProcess.h"

namespace recording {

// A frame of targets tracked by the module (the library's ResultMTT stream) at a time stamp.
inline RadarFrame TrackFrame(uint32_t sequence, uint64_t timestampUs, const std::vector<RadarPoint>& points) {
    RadarFrame f;
    f.kind = RadarFrameKind::Tracks;
    f.sequence = sequence;
    f.timestampUs = timestampUs;
    f.points = points;
    return f;
}

// A point at a range in gates and a raw angle in degrees (gates of 0.25 m).
inline RadarPoint Point(int64_t id, double gate, double angle) {
    RadarPoint p;
    p.id = id;
    p.gate = gate;
    p.distance = gate * 0.25;
    p.angle = angle;
    p.snr = 20;
    return p;
}

// One more data file in a recording folder, its header saying that it started at `start` (UTC FILETIME).
inline bool AddFile(const std::string& folder, const std::string& name, int64_t start, const std::vector<RadarFrame>& frames) {
    tagRADARPARAMETER record{};
    ROVA_Interface_RadarParameter_Init(&record);
    FILE* out = fopen((folder + "\\" + name).c_str(), "wb");
    if (!out) return false;
    const std::vector<uint8_t> header = CRawFrameCodec::EncodeFileHeader(record.gateCount, start);
    bool ok = fwrite(header.data(), 1, header.size(), out) == header.size();
    for (const RadarFrame& f : frames) {
        const std::vector<uint8_t> bytes = CRawFrameCodec::EncodeFrame(f);
        ok = ok && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    }
    return fclose(out) == 0 && ok;
}

// 2026-01-01 12:00:00 UTC, the start of the recording Write writes.
constexpr int64_t kRecordingStart = 134117424000000000LL;

inline bool Write(const std::string& folder, const std::vector<RadarFrame>& frames) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
    tagRADARPARAMETER record{};
    ROVA_Interface_RadarParameter_Init(&record);
    if (!ROVA_Interface_RadarParameter_SaveToFile((folder + "\\FILE_Radar_Config.ini").c_str(), &record)) return false;
    return AddFile(folder, "ROVA_Raw_20260101_120000_000.rvraw", kRecordingStart, frames);
}

}  // namespace recording
