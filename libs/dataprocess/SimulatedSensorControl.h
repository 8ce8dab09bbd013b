// Control API of the simulated sensor and of playback pacing, for tests and demonstrations.
// The console never calls it. All functions are thread-safe and take effect at the next open or
// start unless noted.
//
//   ROVA_SimSensor_Reset                  every setting below back to its default
//   ROVA_SimSensor_SetPresent(0/1)        absent: detection does not find it, opening fails
//   ROVA_SimSensor_SetOpenFailure(text)   opening fails with this operator text (null/"" clears)
//   ROVA_SimSensor_ClearScript / ROVA_SimSensor_AddScriptedFrame
//                                         replace the walking scene with these frames, produced in
//                                         order and repeated; tracked = 1 makes a frame of targets
//                                         tracked by the module (ResultMTT stream), 0 raw points
//   ROVA_SimSensor_SetFrameInterval(ms)   frame period (0: the FramePeriodMs register, 50-100 ms)
//   ROVA_SimSensor_SetPlaybackSpeed(x)    playback pace: 1 recorded pace, 10 ten times faster,
//                                         0 as fast as the listeners take the frames (immediate)
//   ROVA_SimSensor_GetLastCommand         last command the device received and how many in all
//   ROVA_SimSensor_GetDetectBound         the polygon a filter holds (0 MOD, 1 MTT, 2 MPT)
//   ROVA_SimSensor_GetCounters            frame counters of the library (cumulative)
//   ROVA_SimSensor_SetStartRefusal(text)  starts are refused with this operator text (null/""
//                                         clears), as by a sensor that does not acknowledge them
//   ROVA_SimSensor_SetStartStall(ms)      a start request is answered only after this long
//   ROVA_SimSensor_GetStreamRequests      start and stop requests the sensor received
//   ROVA_SimSensor_SetPlaybackClock(now, wait, user)
//                                         the clock playback paces its frames by (null: the real
//                                         one): now returns ticks of QueryPerformanceFrequency
//                                         (DetectedObject::frameTicks take them), wait stands for
//                                         a wait of that many microseconds
#pragma once

#include <cstdint>

#include "ROVA_DataProcess.h"

// detectedDeviceValue by which the simulated sensor identifies itself (as a COM device).
constexpr int32_t kSimulatedSensorDeviceValue = 9999;

struct RadarSimCounters {
    uint64_t framesAcquired;     // frames read from devices (live or files)
    uint64_t framesProcessed;    // frames that went through the filters and listeners
    uint64_t framesDropped;      // live frames dropped (pause, or a listener too slow)
    uint64_t framesRecorded;     // frames written to raw files
    uint64_t recordingFailures;  // recordings stopped by a write error (full disk)
    uint64_t damagedFrames;      // damaged frames skipped during playback
    uint64_t liveDataEnds;       // live runs whose device ended the data (sensor unplugged or silent)
    uint64_t serialFramesReceived;  // valid detection frames from serial sensors
    uint64_t serialLostFrames;   // gaps in the serial sensors' frame sequence numbers
    uint64_t serialCrcErrors;    // damaged frames on serial lines
    uint64_t serialSkippedBytes; // serial bytes that belonged to no valid frame (line noise)
    uint64_t nonFinitePoints;    // points dropped before the filters for a NaN or infinite number
};

extern "C" {
ROVA_DATAPROCESS_API void ROVA_SimSensor_Reset();
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetPresent(int present);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetOpenFailure(const char* text);
ROVA_DATAPROCESS_API void ROVA_SimSensor_ClearScript();
ROVA_DATAPROCESS_API int ROVA_SimSensor_AddScriptedFrame(int tracked, const DetectedObject* objects, int count);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetFrameInterval(int milliseconds);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetPlaybackSpeed(double factor);
// Returns the number of commands received since the library was loaded (or reset); *command
// receives the last one (-1 when none).
ROVA_DATAPROCESS_API int ROVA_SimSensor_GetLastCommand(int* command);
// Copies up to maxPairs (a, b) pairs into pairs (may be null); returns the vertex count held.
ROVA_DATAPROCESS_API int ROVA_SimSensor_GetDetectBound(int filter, int32_t* pairs, int maxPairs);
ROVA_DATAPROCESS_API void ROVA_SimSensor_GetCounters(RadarSimCounters* counters);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetStartRefusal(const char* text);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetStartStall(int milliseconds);
// Stream start and stop requests received since the library was loaded (or reset); either
// pointer may be null.
ROVA_DATAPROCESS_API void ROVA_SimSensor_GetStreamRequests(int* starts, int* stops);
typedef int64_t (*RadarPlaybackClockNow)(void* user);
typedef void (*RadarPlaybackClockWait)(void* user, uint32_t microseconds);
ROVA_DATAPROCESS_API void ROVA_SimSensor_SetPlaybackClock(RadarPlaybackClockNow now, RadarPlaybackClockWait wait, void* user);
}
