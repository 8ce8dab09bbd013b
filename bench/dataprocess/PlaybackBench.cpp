// Measures a reviewable playback of a one-hour recording (72,000 frames of the simulated scene,
// 20 frames/s, written with the library's codec): how long the index takes, how long the first
// frame takes from Start (the index is built meanwhile), the speed achieved against the speed
// asked for (1x to 16x and as fast as possible, over a window of kWindowSeconds each) and how long
// a seek takes until the frame there is delivered. Prints the figures; nothing is judged here.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "ROVA_DataProcess.h"
#include "ROVA_Playback.h"
#include "RawFrameCodec.h"
#include "SceneGenerator.h"
#include "SimulatedSensorControl.h"

namespace {

constexpr int kFrames = 72'000;  // one hour at 20 frames/s
constexpr uint64_t kSpacingUs = 50'000;
constexpr double kWindowSeconds = 3.0;

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Seconds(int64_t ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) / frequency;
}

class FirstFrame : public IRadarObjectDetectListener {
public:
    std::atomic<int64_t> firstTicks{0};
    std::atomic<uint64_t> deliveries{0};
    void OnRadarObjectDetect(uint16_t, CPtrCtrl*) override {
        int64_t none = 0;
        firstTicks.compare_exchange_strong(none, Ticks());
        deliveries += 1;
    }
};

tagRADARPLAYBACKSTATE State() {
    tagRADARPLAYBACKSTATE s{};
    s.structSize = sizeof s;
    ROVA_Interface_RadarPlayback_GetState(&s);
    return s;
}

// Writes the hour into files of at most 64 MiB, as the recorder would; returns the bytes written.
uint64_t WriteHour(const std::string& folder, uint32_t gateCount) {
    SceneSettings scene;
    scene.gateCount = static_cast<int>(gateCount);
    scene.targetCount = 4;
    scene.seed = 11;
    CSceneGenerator generator(scene);
    uint64_t total = 0;
    int fileNumber = 0;
    std::vector<uint8_t> bytes;
    auto flush = [&] {
        if (bytes.empty()) return;
        const std::string path = folder + "\\ROVA_Raw_" + std::to_string(100 + fileNumber++) + ".rvraw";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        total += bytes.size();
        bytes.clear();
    };
    for (int i = 0; i < kFrames; ++i) {
        if (bytes.empty()) bytes = CRawFrameCodec::EncodeFileHeader(gateCount, 0);
        RadarFrame frame;
        frame.sequence = static_cast<uint32_t>(i);
        frame.timestampUs = kSpacingUs * static_cast<uint64_t>(i);
        frame.points = generator.Step(kSpacingUs / 1e6);
        if (frame.points.size() > static_cast<size_t>(CRawFrameCodec::kMaxPoints)) frame.points.resize(CRawFrameCodec::kMaxPoints);
        const std::vector<uint8_t> record = CRawFrameCodec::EncodeFrame(frame);
        bytes.insert(bytes.end(), record.begin(), record.end());
        if (bytes.size() > (64u << 20) - 64 * 1024) flush();
    }
    flush();
    return total;
}

// Stream time the playback went through over the window, per second of wall time.
double Achieved(double windowSeconds) {
    const uint64_t startMs = State().currentMs;
    const int64_t start = Ticks();
    Sleep(static_cast<DWORD>(windowSeconds * 1000));
    const uint64_t endMs = State().currentMs;
    const double wall = Seconds(Ticks() - start);
    return (static_cast<double>(endMs) - static_cast<double>(startMs)) / 1000.0 / wall;
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "rova_playback_bench_" + std::to_string(GetCurrentProcessId());
    RemoveFolder(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    const uint32_t gates = static_cast<uint32_t>(gRadarParameter.gateCount);
    const int64_t writeStart = Ticks();
    const uint64_t bytes = WriteHour(folder, gates);
    printf("recording: %d frames, %.1f MiB, one hour of stream time, written in %.2f s\n", kFrames, bytes / 1048576.0,
           Seconds(Ticks() - writeStart));

    gRadarParameter.isFileSource = 1;
    strcpy(gRadarParameter.dataPath, folder.c_str());
    FirstFrame sink;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&sink, 0);
    ROVA_Interface_RadarPlayback_SetSpeed(1);

    const int64_t start = Ticks();
    ROVA_Interface_RadarCtrl_OpenDevice(nullptr);
    ROVA_Interface_RadarCtrl_Start();
    while (sink.firstTicks == 0) Sleep(0);
    const double firstFrameMs = Seconds(sink.firstTicks - start) * 1000;
    tagRADARPLAYBACKSTATE s = State();
    while (!s.indexComplete) {
        Sleep(1);
        s = State();
    }
    const double indexSeconds = Seconds(Ticks() - start);
    printf("time to the first frame from Start: %.2f ms (the index is being built meanwhile)\n", firstFrameMs);
    printf("index: %llu frames, %.3f s from Start (%.0f frames/s, %.0f x real time), stream time %llu .. %llu ms\n",
           static_cast<unsigned long long>(s.framesIndexed), indexSeconds, s.framesIndexed / indexSeconds,
           kFrames * (kSpacingUs / 1e6) / indexSeconds, static_cast<unsigned long long>(s.firstMs),
           static_cast<unsigned long long>(s.lastMs));

    printf("speed over %.0f s of wall time each (after 0.3 s to settle):\n", kWindowSeconds);
    for (double factor : {1.0, 2.0, 4.0, 8.0, 16.0}) {
        ROVA_Interface_RadarPlayback_SetSpeed(factor);
        Sleep(300);
        const double achieved = Achieved(kWindowSeconds);
        printf("  requested %5.2fx: achieved %7.3fx (ratio %.4f)\n", factor, achieved, achieved / factor);
    }
    // As fast as possible from the middle of the hour, so the window does not reach the end.
    ROVA_Interface_RadarPlayback_Seek(60'000, nullptr);
    ROVA_Interface_RadarPlayback_SetSpeed(0);
    Sleep(300);
    const double fastest = Achieved(kWindowSeconds);
    printf("  fastest: %.0fx real time (%.0f frames/s)\n", fastest, fastest * 1e6 / kSpacingUs);

    // Seeks to random places of the hour, paused: from the call to the frame's delivery.
    ROVA_Interface_RadarCtrl_Pause();
    Sleep(100);
    while (ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(1);
    std::mt19937 random(3);
    std::vector<double> seekMs;
    for (int i = 0; i < 40; ++i) {
        const uint64_t target = random() % 3'600'000;
        const uint64_t before = sink.deliveries;
        const int64_t t0 = Ticks();
        ROVA_Interface_RadarPlayback_Seek(target, nullptr);
        ROVA_Interface_RadarPlayback_Step();
        while (sink.deliveries == before) Sleep(0);
        seekMs.push_back(Seconds(Ticks() - t0) * 1000);
    }
    std::sort(seekMs.begin(), seekMs.end());
    printf("seek and step to a random place, paused, until the frame is delivered (40 seeks): median %.2f ms, max %.2f ms\n",
           seekMs[seekMs.size() / 2], seekMs.back());

    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&sink);
    RemoveFolder(folder);
    return 0;
}
