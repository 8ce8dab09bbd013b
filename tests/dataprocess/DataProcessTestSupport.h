// Shared helpers of the radar library tests: a scratch folder per test, a collecting listener,
// and a fixture that leaves the library idle and the simulated sensor at its defaults.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "ROVA_DataProcess.h"
#include "SimulatedSensorControl.h"

std::string MakeScratchFolder(const char* name);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
// The raw data files (*.rvraw) of folder, full paths in name order.
std::vector<std::string> RawFiles(const std::string& folder);

struct Delivery {
    std::vector<DetectedObject> objects;
};

class CollectingListener : public IRadarObjectDetectListener {
public:
    void OnRadarObjectDetect(uint16_t word, CPtrCtrl* objects) override;
    // Waits until at least count deliveries arrived (false after a generous deadline).
    bool WaitFor(size_t count, int deadlineMs = 20000);
    std::vector<Delivery> Take();
    size_t Count();

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Delivery> deliveries_;
};

class RadarLibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // gRadarParameter with defaults, the simulated sensor detected, frames every intervalMs.
    void SelectSimulatedSensor(int intervalMs = 10);
    std::string folder_;
};
