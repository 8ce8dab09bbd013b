#include "DataProcessTestSupport.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

std::string MakeScratchFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "rova_dp_" + name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(GetTickCount64());
    RecursiveCreateDirectoryA(folder.c_str());
    return folder;
}

std::vector<std::string> RawFiles(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.rvraw").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do files.push_back(folder + "\\" + data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void CollectingListener::OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) {
    Delivery d;
    for (int i = 0; i < objects->GetCount(); ++i) {
        if (auto* o = static_cast<DetectedObject*>(objects->GetAt(i))) d.objects.push_back(*o);
    }
    {
        std::lock_guard lock(mutex_);
        deliveries_.push_back(std::move(d));
    }
    arrived_.notify_all();
}

bool CollectingListener::WaitFor(size_t count, int deadlineMs) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return deliveries_.size() >= count; });
}

std::vector<Delivery> CollectingListener::Take() {
    std::lock_guard lock(mutex_);
    return std::move(deliveries_);
}

size_t CollectingListener::Count() {
    std::lock_guard lock(mutex_);
    return deliveries_.size();
}

void RadarLibraryTest::SetUp() {
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_SimSensor_Reset();
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(1);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    for (auto* set : {ROVA_Interface_RadarProcessFilter_MOD_SetDetectBound, ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound,
                      ROVA_Interface_RadarProcessFilter_MPT_SetDetectBound})
        set(nullptr, 0);
    folder_ = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
}

void RadarLibraryTest::TearDown() {
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_SimSensor_Reset();
}

void RadarLibraryTest::SelectSimulatedSensor(int intervalMs) {
    gRadarParameter.sourceType = RADAR_SOURCE_COM;
    gRadarParameter.detectedDeviceValue = kSimulatedSensorDeviceValue;
    gRadarParameter.simSeed = 7;
    ROVA_SimSensor_SetFrameInterval(intervalMs);
}
