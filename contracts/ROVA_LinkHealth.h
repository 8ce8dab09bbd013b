// ROVA_DataProcess.dll, beside its contract: the health of the current (or last) run's link to
// its source, for a console that watches an area without an operator. One call returns a copy of
// every counter; the counters belong to one run and start at zero with every Start.
#pragma once

#include <cstdint>

#include "RadarParameter.h"

enum eRADAR_LINK_STATE : int32_t {
    RADAR_LINK_IDLE = 0,          // no run
    RADAR_LINK_STREAMING = 1,     // frames arrive
    RADAR_LINK_SILENT = 2,        // no frame for more than a second; the port is still open
    RADAR_LINK_LOST = 3,          // the port failed or stayed silent: closed, waiting to try again
    RADAR_LINK_RECONNECTING = 4,  // an attempt to bring the sensor back is under way
};

enum eRADAR_LINK_SOURCE : int32_t {
    RADAR_LINK_SOURCE_NONE = 0,
    RADAR_LINK_SOURCE_SERIAL = 1,     // a sensor on COM<port>
    RADAR_LINK_SOURCE_SIMULATED = 2,  // the built-in simulated sensor
    RADAR_LINK_SOURCE_FILE = 3,       // recorded files played back (folder in gRadarParameter.dataPath)
};

// Why the last reconnect attempt failed.
enum eRADAR_RECONNECT_FAILURE : int32_t {
    RADAR_RECONNECT_OK = 0,
    RADAR_RECONNECT_PORT_MISSING = 1,     // the port cannot be opened
    RADAR_RECONNECT_NO_ANSWER = 2,        // the port opened but no sensor answered the identify request
    RADAR_RECONNECT_START_REFUSED = 3,    // the sensor did not accept the start request
    RADAR_RECONNECT_COMMAND_REFUSED = 4,  // the sensor did not accept the tracking command of the mode
};

// Every frame that arrived whole is delivered, discarded during a pause or dropped:
// framesReceived = framesDelivered + framesPaused + framesDropped (+ the few still queued).
struct tagRADARLINKHEALTH {
    uint32_t structSize;        // set by the caller to sizeof(tagRADARLINKHEALTH)
    int32_t state;              // eRADAR_LINK_STATE
    int32_t source;             // eRADAR_LINK_SOURCE
    int32_t port;               // COM number of a serial sensor, else 0
    uint32_t runNumber;         // 1 for the first run since the library was loaded
    int32_t anyFrame;           // nonzero once a frame arrived in this run
    uint64_t framesReceived;    // frames that arrived whole (valid checksum, readable contents)
    double framesPerSecond;     // over the last two seconds
    uint64_t bytesDiscarded;    // bytes that belonged to no valid frame (noise, damaged frames)
    uint64_t badChecksumFrames; // frames that failed their checksum or were cut short
    uint64_t framesLost;        // frames the sensor numbered that never arrived, damaged ones not included
    uint64_t framesDropped;     // arrived but not delivered for another reason (queue full, unreadable
                                // contents, came while the sensor was not streaming)
    uint64_t framesPaused;      // arrived during a pause and discarded on purpose
    uint64_t framesDelivered;   // went through the filters to the listeners
    uint64_t msSinceLastFrame;  // since the last frame, or since the start when none came yet
    uint32_t linkLosses;        // times the link was lost (port failure or silence)
    uint32_t reconnectAttempts; // attempts started
    uint32_t reconnectFailures; // attempts that failed
    uint32_t reconnects;        // attempts that brought the sensor back
    int32_t lastReconnectFailure;  // eRADAR_RECONNECT_FAILURE of the last failed attempt
};

extern "C" {
// Copies the health of the current run, or of the last one once it stopped (state IDLE).
// Returns 1, or 0 (all zero, state IDLE) when no run was ever started or health is null or
// structSize is not sizeof(tagRADARLINKHEALTH).
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_GetLinkHealth(tagRADARLINKHEALTH* health);
}

// The raw recording of the current (or last) live run. A recording that cannot write (a full
// disk, a folder that went read-only, a medium that vanished) goes on trying every couple of
// seconds, each time in a new file; the frames in between are lost and counted.
enum eRADAR_RECORDING_STATE : int32_t {
    RADAR_RECORDING_OFF = 0,       // no recording wanted in this run
    RADAR_RECORDING_WRITING = 1,   // frames reach the files
    RADAR_RECORDING_FAILING = 2,   // the last write or open failed; trying again
    RADAR_RECORDING_PAUSED = 3,    // paused by the console (ROVA_Interface_RadarCtrl_SetRecordingPaused)
};

struct tagRADARRECORDINGHEALTH {
    uint32_t structSize;       // set by the caller to sizeof(tagRADARRECORDINGHEALTH)
    int32_t state;             // eRADAR_RECORDING_STATE
    uint32_t lastError;        // Win32 error code of the last failure (ERROR_DISK_FULL, ...), 0 if none
    uint32_t failures;         // times writing stopped working in this run
    uint32_t resumes;          // times it worked again
    uint32_t reserved;
    uint64_t framesRecorded;   // frames written in this run
    uint64_t framesLost;       // frames that could not be written
};

extern "C" {
// Copies the recording health of the current run, or of the last one once it stopped. Returns 1,
// or 0 (all zero) when no run was started or the argument is null or of another size.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_GetRecordingHealth(tagRADARRECORDINGHEALTH* health);

// Pauses (nonzero) or resumes (0) the raw recording of the current run and of every later one,
// until called again: the console keeps the last of its disk for the results when the save
// folder's disk runs short. While paused no frame is written and none is counted as lost; the
// file in use is closed, and writing goes on in a new file of the same folder on resume. A run
// started while paused still makes its folder and FILE_Radar_Config.ini. Acquisition and delivery
// are not affected. Returns 1.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_SetRecordingPaused(BOOL paused);
}
