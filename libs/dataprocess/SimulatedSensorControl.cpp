// The control API of the simulated sensor and the device discovery used by the dialog library.
#include "SimulatedSensorControl.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "RadarController.h"
#include "RadarDeviceDiscovery.h"
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
int ROVA_SimSensor_GetLastCommand(int* command) {
    return CSimulationControl::Instance().LastCommand(command);
}
int ROVA_SimSensor_GetDetectBound(int filter, int32_t* pairs, int maxPairs) {
    if (filter < 0 || filter > 2) return 0;
    return CRadarController::Instance().GetDetectBound(static_cast<CRadarController::Filter>(filter), pairs, maxPairs);
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
}

int ROVA_RadarDiscovery_ListCandidates(RadarDiscoveryCandidate* candidates, int maxCount) {
    int count = 0;
    if (gRadarParameter.simulatedSensor) {
        if (candidates && count < maxCount) {
            RadarDiscoveryCandidate& c = candidates[count];
            memset(&c, 0, sizeof c);
            c.type = RADAR_SOURCE_COM;
            c.value = kSimulatedSensorDeviceValue;
            snprintf(c.port, sizeof c.port, "COM%d", kSimulatedSensorDeviceValue);
        }
        ++count;
    }
    return count;
}

int ROVA_RadarDiscovery_Probe(RadarDiscoveryCandidate* candidate, int timeoutMs) {
    if (!candidate) return 0;
    if (candidate->type == RADAR_SOURCE_COM && candidate->value == kSimulatedSensorDeviceValue) {
        // A real probe waits for the identify reply; the simulated one answers after a short moment.
        Sleep(static_cast<DWORD>(std::clamp(timeoutMs, 0, 200)));
        if (!CSimulationControl::Instance().present()) return 0;
        snprintf(candidate->description, sizeof candidate->description, "ROVA simulated mm-wave radar sensor");
        return 1;
    }
    return 0;
}

}  // extern "C"
