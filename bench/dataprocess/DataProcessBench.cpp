// Measures (1) the latency from the moment the simulated sensor produced a frame to the call of a
// listener that returns at once, and (2) how much faster than real time a recording plays back
// at full speed. Prints the figures; the targets are p99 < 5 ms and a ratio >= 100.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "ROVA_DataProcess.h"
#include "SimulatedSensorControl.h"

namespace {

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

class LatencyListener : public IRadarObjectDetectListener {
public:
    std::mutex mutex;
    std::vector<double> latenciesMs;
    std::atomic<int> deliveries{0};
    void OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) override {
        const int64_t now = Ticks();
        deliveries += 1;
        if (objects->GetCount() == 0) return;
        const auto* o = static_cast<const DetectedObject*>(objects->GetAt(0));
        std::lock_guard lock(mutex);
        latenciesMs.push_back((now - o->frameTicks) * 1000.0 / Frequency());
    }
};

class EndWatcher : public IFileRadarDataSource {
public:
    std::atomic<bool> ended{false};
    void OnFileRadarReadEnd(uint64_t) override { ended = true; }
};

void SelectSimulated(int intervalMs) {
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.sourceType = RADAR_SOURCE_COM;
    gRadarParameter.detectedDeviceValue = kSimulatedSensorDeviceValue;
    gRadarParameter.algorithmOnMcu = 10;  // frames of tracked targets: every frame carries objects
    gRadarParameter.simSeed = 3;
    ROVA_SimSensor_SetFrameInterval(intervalMs);
}

}  // namespace

int main() {
    // (1) Latency: 2000 frames, 2 ms apart.
    SelectSimulated(2);
    DetectedObject script[3] = {};
    for (int i = 0; i < 3; ++i) {
        script[i].objectId = i + 1;
        script[i].distance = 2.0 + i;
        script[i].gate = script[i].distance / 0.25;
    }
    ROVA_SimSensor_AddScriptedFrame(1, script, 3);
    LatencyListener latency;
    ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&latency, 0);
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    while (latency.deliveries < 2000) Sleep(10);
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&latency);
    std::vector<double> l = latency.latenciesMs;
    std::sort(l.begin(), l.end());
    printf("delivery latency over %zu frames: median %.3f ms, p99 %.3f ms, max %.3f ms\n", l.size(), l[l.size() / 2],
           l[l.size() * 99 / 100], l.back());

    // (2) Playback: record 3000 frames of 66 ms recorded pace (about 200 s of data), then replay.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "rova_bench_" + std::to_string(GetCurrentProcessId());
    RemoveFolder(folder);  // a leftover of an interrupted run would be played back too
    SelectSimulated(1);
    gRadarParameter.saveRawData = 1;
    strcpy(gRadarParameter.dataPath, folder.c_str());
    RadarSimCounters c0{}, c1{};
    ROVA_SimSensor_GetCounters(&c0);
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    do {
        Sleep(20);
        ROVA_SimSensor_GetCounters(&c1);
    } while (c1.framesRecorded - c0.framesRecorded < 3000);
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_SimSensor_GetCounters(&c1);
    const uint64_t recorded = c1.framesRecorded - c0.framesRecorded;
    // Recorded time stamps follow the 1 ms interval; stated real time is the data's own span.
    const double recordedSeconds = recorded * 0.001;

    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.isFileSource = 1;
    gRadarParameter.algorithmOnMcu = 10;
    strcpy(gRadarParameter.dataPath, folder.c_str());
    ROVA_SimSensor_SetPlaybackSpeed(0);
    EndWatcher end;
    LatencyListener sink;
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&end, 0);
    ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&sink, 0);
    const int64_t start = Ticks();
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    while (!end.ended || ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(0);
    const double seconds = (Ticks() - start) / Frequency();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&sink);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    printf("playback of %d frames (%.1f s of data at 1 ms per frame): %.3f s, %.0f frames/s, %.1f x real time\n",
           sink.deliveries.load(), recordedSeconds, seconds, sink.deliveries / seconds, recordedSeconds / seconds);
    printf("at the sensor's usual 15 frames/s the same frames span %.1f s: %.0f x real time\n", recorded / 15.0,
           recorded / 15.0 / seconds);

    RemoveFolder(folder);
    return 0;
}
