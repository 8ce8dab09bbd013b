// Replays a recording at full speed through the radar library and the zone logic, as ROVA_Zones
// does, and prints how many times faster than real time that is: 30 minutes at 15 frames a second
// with 10 targets walking through 31 monitor areas.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "tools/zones/ZonePlayback.h"
#include "tools/zones/ZoneReplay.h"
#include "zones/RecordingWriter.h"

namespace {

constexpr int kFramesPerSecond = 15;
constexpr int kSeconds = 30 * 60;
constexpr int kTargets = 10;
constexpr int kAreas = 31;
constexpr int kFanWidth = 1200, kFanHeight = 600;

// Each target circles at its own distance and pace, crossing many areas.
std::vector<RadarFrame> Frames() {
    std::vector<RadarFrame> frames;
    const int count = kFramesPerSecond * kSeconds;
    frames.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kFramesPerSecond;
        std::vector<RadarPoint> points;
        for (int k = 0; k < kTargets; ++k) {
            const double gate = 6 + 2.2 * k + 3 * std::sin(t / (7 + k));
            const double angle = 55 * std::sin(t / (11 + 3 * k) + k);
            points.push_back(recording::Point(100 + k, gate, angle));
        }
        frames.push_back(recording::TrackFrame(static_cast<uint32_t>(i), static_cast<uint64_t>(i) * 1000000 / kFramesPerSecond, points));
    }
    return frames;
}

// 31 areas of 12 vertices on a grid over the fan.
std::string Config() {
    std::string xml = "<?xml version=\"1.0\"?>\n<AppConfig>";
    for (int a = 0; a < kAreas; ++a) {
        const int cx = 100 + (a % 8) * 140, cy = 60 + (a / 8) * 140;
        std::string points;
        for (int v = 0; v < 12; ++v) {
            const double phi = 2 * 3.141592653589793 * v / 12;
            char pair[32];
            snprintf(pair, sizeof pair, "%d,%d; ", static_cast<int>(cy + 60 * std::sin(phi)), static_cast<int>(cx + 60 * std::cos(phi)));
            points += pair;
        }
        char bound[32];
        snprintf(bound, sizeof bound, "%d,%d", kFanWidth, kFanHeight);
        xml += std::string("<MonitorArea BoundSize=\"") + bound + "\" Points=\"" + points + "\"/>";
    }
    return xml + "</AppConfig>\n";
}

}  // namespace

int main() {
    // As ROVA_Zones: no trace line per object.
    DbgSetLevel(1);
    TempFolder folder;
    const std::string rec = folder.fileA("rec");
    if (!recording::Write(rec, Frames())) {
        fprintf(stderr, "zones_bench: cannot write the recording\n");
        return 1;
    }
    if (!ROVA_Interface_RadarCtrl_LoadConfigFromFile((rec + "\\FILE_Radar_Config.ini").c_str())) return 1;
    const std::string config = Config();
    XMLParser document;
    document.LoadFromMemory(config.data(), config.size());
    ZoneReplay replay;
    replay.Configure(document, gRadarParameter, kFanWidth, kFanHeight);
    uint64_t events = 0;
    replay.SetEventSink([&](const std::vector<ZoneEvent>& e) { events += e.size(); });
    const ZonePlaybackResult played = PlayRecording(rec.c_str(), replay);
    if (!played.played) {
        fprintf(stderr, "zones_bench: %s\n", played.error.c_str());
        return 1;
    }
    printf("zones_bench: %d s at %d frames/s, %d targets, %d monitor areas (%d laid out), %llu deliveries, %llu reports, %llu events\n",
           kSeconds, kFramesPerSecond, kTargets, kAreas, replay.MonitorAreaCount(),
           static_cast<unsigned long long>(replay.Deliveries()), static_cast<unsigned long long>(replay.Reports()),
           static_cast<unsigned long long>(events));
    printf("replay %.3f s   ratio to real time %.0f   (at least 1000)   %s\n", played.seconds, kSeconds / played.seconds,
           kSeconds / played.seconds >= 1000 ? "ok" : "TOO SLOW");

    // The same frames straight into a second replay, without the library: the zone logic's share.
    ZoneReplay logic;
    logic.Configure(document, gRadarParameter, kFanWidth, kFanHeight);
    const std::vector<RadarFrame> frames = Frames();
    std::vector<std::vector<DetectedObject>> objects;
    for (const RadarFrame& f : frames) {
        std::vector<DetectedObject> list;
        for (const RadarPoint& p : f.points)
            list.push_back(DetectedObject{p.id, p.gate, p.distance, p.velocity, p.angle, p.snr, f.sequence,
                                          static_cast<uint32_t>(f.timestampUs / 1000), 0});
        objects.push_back(std::move(list));
    }
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (std::vector<DetectedObject>& list : objects) {
        CPtrArrayCtrl delivery;
        for (DetectedObject& o : list) delivery.AddData(&o, -1);
        logic.Delivery(&delivery);
    }
    logic.Finish();
    ::QueryPerformanceCounter(&end);
    const double logicSeconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    printf("  of which zone logic %.3f s (%.1f us a frame), the library's playback the rest\n", logicSeconds,
           logicSeconds * 1e6 / frames.size());
    return 0;
}
