// The built-in simulated sensor: a device like any other (detected as a COM device with value
// kSimulatedSensorDeviceValue), producing 10 to 20 frames per second of the walking scene, or
// the scripted frames of the control API. With tracking on the module (algorithmOnMcu = 10) it
// tracks the targets itself and reports them as a Tracks stream; command 0x80 makes it report one
// target, 0x90 several (up to the MaxTargets register).
#pragma once

#include <memory>
#include <mutex>

#include "IRadarDevice.h"
#include "MttTracker.h"
#include "SceneGenerator.h"

struct tagRADARPARAMETER;

class CSimulatedRadarDevice : public IRadarDevice {
public:
    // Takes what it needs from record (scene, registers, algorithm placement).
    explicit CSimulatedRadarDevice(const tagRADARPARAMETER& record);

    bool StartStream(std::string& error) override;
    void StopStream() override;
    RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) override;
    bool EnterCommandMode(int param, int timeBaseMs) override;
    std::vector<uint8_t> Transact(int command, const uint8_t* payload, size_t length, int timeoutMs) override;
    bool LeaveCommandMode() override;

    static constexpr int kCommandTrackOne = 0x80;
    static constexpr int kCommandTrackMany = 0x90;

private:
    std::mutex mutex_;
    SceneSettings scene_;
    std::unique_ptr<CSceneGenerator> generator_;
    CMttTracker tracker_;
    bool trackOnModule_;
    int maxTargets_;
    int trackLimit_;
    int periodMs_;
    int paceDivisor_ = 1;  // frames come this many times faster than periodMs_ (soak runs)
    bool streaming_ = false;
    bool commandMode_ = false;
    uint32_t sequence_ = 0;
    int64_t startTicks_ = 0;
    int64_t frequency_ = 1;
};
