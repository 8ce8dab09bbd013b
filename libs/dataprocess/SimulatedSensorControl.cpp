// The control API of the simulated sensor and the device discovery used by the dialog library.
#include "SimulatedSensorControl.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "RadarController.h"
#include "RadarDeviceDiscovery.h"
#include "SerialPortList.h"
#include "SerialRadarDevice.h"
#include "SimulationControl.h"

extern "C" {

void ROVA_SimSensor_Reset() {
    CSimulationControl::Instance().Reset();
}
void ROVA_SimSensor_SetPresent(int present) {
    CSimulationControl::Instance().SetPresent(present != 0);
}
void ROVA_SimSensor_SetOpenFailure(const char* text) {
    CSimulationControl::Instance().SetOpenFailure(text);
}
void ROVA_SimSensor_ClearScript() {
    CSimulationControl::Instance().ClearScript();
}
int ROVA_SimSensor_AddScriptedFrame(int tracked, const DetectedObject* objects, int count) {
    if (count < 0 || (count > 0 && !objects)) return 0;
    RadarFrame frame;
    frame.kind = tracked ? RadarFrameKind::Tracks : RadarFrameKind::Detections;
    for (int i = 0; i < count; ++i) {
        const DetectedObject& o = objects[i];
        frame.points.push_back({o.objectId, o.gate, o.distance, o.velocity, o.rawAngle, o.snr});
    }
    CSimulationControl::Instance().AddScriptFrame(std::move(frame));
    return 1;
}
void ROVA_SimSensor_SetFrameInterval(int milliseconds) {
    CSimulationControl::Instance().SetFrameIntervalMs(milliseconds);
}
void ROVA_SimSensor_SetPlaybackSpeed(double factor) {
    CSimulationControl::Instance().SetPlaybackSpeed(factor);
}
void ROVA_SimSensor_SetPlaybackClock(RadarPlaybackClockNow now, RadarPlaybackClockWait wait, void* user) {
    CSimulationControl::PlaybackClock clock;
    clock.now = now;
    clock.wait = wait;
    clock.user = user;
    CSimulationControl::Instance().SetPlaybackClock(clock);
}
int ROVA_SimSensor_GetLastCommand(int* command) {
    return CSimulationControl::Instance().LastCommand(command);
}
int ROVA_SimSensor_GetDetectBound(int filter, int32_t* pairs, int maxPairs) {
    if (filter < 0 || filter > 2) return 0;
    return CRadarController::Instance().GetDetectBound(static_cast<CRadarController::Filter>(filter), pairs, maxPairs);
}
void ROVA_SimSensor_SetStartRefusal(const char* text) {
    CSimulationControl::Instance().SetStartRefusal(text);
}
void ROVA_SimSensor_SetStartStall(int milliseconds) {
    CSimulationControl::Instance().SetStartStallMs(milliseconds);
}
void ROVA_SimSensor_GetStreamRequests(int* starts, int* stops) {
    CSimulationControl& s = CSimulationControl::Instance();
    if (starts) *starts = s.streamStarts;
    if (stops) *stops = s.streamStops;
}
void ROVA_SimSensor_GetCounters(RadarSimCounters* counters) {
    if (!counters) return;
    CSimulationControl& s = CSimulationControl::Instance();
    counters->framesAcquired = s.framesAcquired;
    counters->framesProcessed = s.framesProcessed;
    counters->framesDropped = s.framesDropped;
    counters->framesRecorded = s.framesRecorded;
    counters->recordingFailures = s.recordingFailures;
    counters->damagedFrames = s.damagedFrames;
    counters->liveDataEnds = s.liveDataEnds;
    counters->serialFramesReceived = s.serialFramesReceived;
    counters->serialLostFrames = s.serialLostFrames;
    counters->serialCrcErrors = s.serialCrcErrors;
    counters->serialSkippedBytes = s.serialSkippedBytes;
    counters->nonFinitePoints = s.nonFinitePoints;
}

int ROVA_RadarDiscovery_ListCandidates(RadarDiscoveryCandidate* candidates, int maxCount) {
    int count = 0;
    auto add = [&](int32_t value) {
        if (candidates && count < maxCount) {
            RadarDiscoveryCandidate& c = candidates[count];
            memset(&c, 0, sizeof c);
            c.type = RADAR_SOURCE_COM;
            c.value = value;
            snprintf(c.port, sizeof c.port, "COM%d", value);
        }
        ++count;
    };
    // Real ports first: a sensor on a wire wins over the simulation. The signal light's port is
    // known not to be a sensor.
    for (int port : CSerialPortList::Enumerate()) {
        if (port != gRadarParameter.lightPort) add(port);
    }
    if (gRadarParameter.simulatedSensor) add(kSimulatedSensorDeviceValue);
    return count;
}

int ROVA_RadarDiscovery_Probe(RadarDiscoveryCandidate* candidate, int timeoutMs) {
    if (!candidate || candidate->type != RADAR_SOURCE_COM) return 0;
    if (candidate->value == kSimulatedSensorDeviceValue) {
        // A real probe waits for the identify reply; the simulated one answers after a short moment.
        Sleep(static_cast<DWORD>(std::clamp(timeoutMs, 0, 200)));
        if (!CSimulationControl::Instance().present()) return 0;
        snprintf(candidate->description, sizeof candidate->description, "ROVA simulated mm-wave radar sensor");
        return 1;
    }
    const int32_t baud = gRadarParameter.deviceBaudRate > 0 ? gRadarParameter.deviceBaudRate : 921600;
    std::string model;
    if (!CSerialRadarDevice::Probe(candidate->value, static_cast<unsigned long>(baud), timeoutMs, &model)) return 0;
    snprintf(candidate->description, sizeof candidate->description, "%s", model.c_str());
    return 1;
}

}  // extern "C"
