#include "SimulatedRadarDevice.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "ROVA_DataProcess.h"
#include "RadarProtocol.h"
#include "RadarRegisters.h"
#include "SimulationControl.h"

namespace {
int64_t Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// ROVA_SIM_SPEEDUP=N (1 to 1000) delivers the simulated sensor's frames N times faster than its
// frame period while their stream times and the scene keep the period: a soak run goes through
// days of frames in hours. Unset: real pace.
int PaceDivisor() {
    char text[16] = {};
    if (!GetEnvironmentVariableA("ROVA_SIM_SPEEDUP", text, sizeof text)) return 1;
    return std::clamp(atoi(text), 1, 1000);
}
}  // namespace

CSimulatedRadarDevice::CSimulatedRadarDevice(const tagRADARPARAMETER& record) {
    scene_.targetCount = record.simTargetCount;
    scene_.noiseMeters = record.simNoiseMeters;
    scene_.gateSizeMeters = record.gateSizeMeters > 0 ? record.gateSizeMeters : 0.25;
    scene_.gateCount = record.gateCount > 0 ? record.gateCount : 32;
    scene_.halfFieldDegrees = record.fieldOfViewDegrees > 0 ? record.fieldOfViewDegrees : 60;
    scene_.seed = record.simSeed ? record.simSeed : static_cast<uint32_t>(GetTickCount() | 1);
    trackOnModule_ = record.algorithmOnMcu == 10;
    maxTargets_ = static_cast<int>(std::clamp<uint32_t>(record.registerValues[kRegMaxTargets], 1, 32));
    trackLimit_ = maxTargets_;
    periodMs_ = static_cast<int>(std::clamp<uint32_t>(record.registerValues[kRegFramePeriod], 50, 100));
    paceDivisor_ = PaceDivisor();
    MttSettings mtt;
    mtt.gateSizeMeters = scene_.gateSizeMeters;
    mtt.maxTargets = maxTargets_;
    tracker_.Configure(mtt);
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart;
}

bool CSimulatedRadarDevice::StartStream(std::string& error) {
    CSimulationControl& sim = CSimulationControl::Instance();
    sim.streamStarts += 1;
    if (const int stall = sim.startStallMs(); stall > 0) Sleep(static_cast<DWORD>(stall));
    std::lock_guard lock(mutex_);
    if (!sim.present()) {
        error = "The simulated sensor is not connected.";
        return false;
    }
    if (std::string refusal = sim.StartRefusal(); !refusal.empty()) {
        error = std::move(refusal);
        return false;
    }
    const int interval = CSimulationControl::Instance().frameIntervalMs();
    if (interval > 0) periodMs_ = interval;
    generator_ = std::make_unique<CSceneGenerator>(scene_);
    tracker_.Reset();
    sequence_ = 0;
    startTicks_ = Now();
    streaming_ = true;
    return true;
}

void CSimulatedRadarDevice::StopStream() {
    CSimulationControl::Instance().streamStops += 1;
    std::lock_guard lock(mutex_);
    streaming_ = false;
}

RadarReadResult CSimulatedRadarDevice::ReadFrame(RadarFrame& frame, uint32_t timeoutMs) {
    int64_t due;
    {
        std::lock_guard lock(mutex_);
        if (!streaming_ || commandMode_) {
            due = -1;
        } else {
            due = startTicks_ + static_cast<int64_t>(sequence_) * periodMs_ * frequency_ / (1000 * paceDivisor_);
            const int64_t late = Now() - due;
            // After a long stall start a fresh schedule instead of bursting out the backlog.
            if (late > frequency_) {
                startTicks_ = Now() - static_cast<int64_t>(sequence_) * periodMs_ * frequency_ / (1000 * paceDivisor_);
                due = Now();
            }
        }
    }
    if (due < 0) {
        Sleep(std::min<uint32_t>(timeoutMs, 20));
        return RadarReadResult::Timeout;
    }
    const int64_t waitMs = (due - Now()) * 1000 / frequency_;
    if (waitMs > static_cast<int64_t>(timeoutMs)) {
        Sleep(timeoutMs);
        return RadarReadResult::Timeout;
    }
    if (waitMs > 0) Sleep(static_cast<DWORD>(waitMs));

    std::lock_guard lock(mutex_);
    if (!streaming_ || commandMode_) return RadarReadResult::Timeout;
    const std::vector<RadarFrame> script = CSimulationControl::Instance().Script();
    frame.sequence = sequence_;
    frame.timestampUs = static_cast<uint64_t>(sequence_) * periodMs_ * 1000;
    if (!script.empty()) {
        const RadarFrame& s = script[sequence_ % script.size()];
        frame.kind = s.kind;
        frame.points = s.points;
    } else {
        std::vector<RadarPoint> points = generator_->Step(periodMs_ / 1000.0);
        if (trackOnModule_) {
            frame.kind = RadarFrameKind::Tracks;
            frame.points = tracker_.Process(points, periodMs_ / 1000.0, trackLimit_);
        } else {
            frame.kind = RadarFrameKind::Detections;
            frame.points = std::move(points);
        }
    }
    ++sequence_;
    frame.ticks = Now();
    return RadarReadResult::Frame;
}

bool CSimulatedRadarDevice::EnterCommandMode(int, int) {
    std::lock_guard lock(mutex_);
    commandMode_ = true;
    return true;
}

std::vector<uint8_t> CSimulatedRadarDevice::Transact(int command, const uint8_t*, size_t, int) {
    std::lock_guard lock(mutex_);
    CSimulationControl::Instance().RecordCommand(command);
    if (!commandMode_) return CRadarProtocol::BuildAck(static_cast<uint8_t>(command), kRadarAckBusy);
    if (command == kCommandTrackOne) {
        trackLimit_ = 1;
    } else if (command == kCommandTrackMany) {
        trackLimit_ = maxTargets_;
    } else {
        return CRadarProtocol::BuildAck(static_cast<uint8_t>(command), kRadarAckRejected);
    }
    return CRadarProtocol::BuildAck(static_cast<uint8_t>(command), kRadarAckAccepted);
}

bool CSimulatedRadarDevice::LeaveCommandMode() {
    std::lock_guard lock(mutex_);
    const bool was = commandMode_;
    commandMode_ = false;
    return was;
}
