// Callback classes and shared records of the radar library (ROVA_DataProcess.dll).
#pragma once

#include <cstdint>

#include "RadarParameter.h"  // export macro, ROVA_Common.h

// Kind of sensor source found by device detection (tagRADARPARAMETER::sourceType).
enum eRADAR_SOURCE_TYPE : int32_t {
    RADAR_SOURCE_NONE = 0,
    RADAR_SOURCE_COM = 1,          // serial (COM) device; the simulated sensor reports itself as one
    RADAR_SOURCE_LIBUSB = 2,
    RADAR_SOURCE_ORBEL2 = 3,
    RADAR_SOURCE_ORBEL4 = 4,
    RADAR_SOURCE_USB_ADAPTER = 5,
};

// Version of the sensor's command protocol, given to the acknowledgement checker.
enum eRADAR_PROTOCOL_VERSION : int32_t {
    RADAR_PROTOCOL_V1 = 1,
};

// One object of a delivery. The console reads the first 40 bytes; the rest is the library's.
struct DetectedObject {
    int64_t objectId;       // 0: identifier (a track id for tracked streams)
    double gate;            // 8: range in range-gate units
    double distance;        // 16: metres, > 0 for a real target
    double velocity;        // 24: radial velocity in m/s (negative = approaching)
    double rawAngle;        // 32: degrees before calibration, positive to the right
    double snr;             // 40: signal-to-noise ratio in dB (0 when unknown)
    uint32_t frameSequence; // 48: sequence number of the frame the object came from
    uint32_t streamMs;      // 52: time stamp of the frame in ms since the start of its stream (the
                            //     recorded time stamp during playback), wrapping at 2^32
    int64_t frameTicks;     // 56: QueryPerformanceCounter when the frame was produced or read
};
static_assert(sizeof(DetectedObject) == 64);

// Receives detection results. Deliveries run on the library's processing thread; the objects
// (DetectedObject*) in the list belong to the library and are valid during the call only.
// Once ROVA_Interface_*_Del_..._Listener or ROVA_Interface_RadarCtrl_Stop has returned, no call
// of this listener runs any more. A listener may remove itself from inside the callback.
class ROVA_DATAPROCESS_API IRadarObjectDetectListener {
public:
    IRadarObjectDetectListener();
    virtual ~IRadarObjectDetectListener();
    // word: reserved (0). objects: DetectedObject pointers.
    virtual void OnRadarObjectDetect(uint16_t word, CPtrCtrl* objects) = 0;
};

// Events of file playback, in this order (user is the value given with the source):
//   OnFileRadarReadStart
//   OnFileRadarGetFileList           the files to read, in order (may be edited, see below)
//   for every pass (one pass, or until stopped when looping):
//     OnFileRadarReadLoopStart
//     for every file:
//       OnFileRadarReadFileStart     return 0 to skip the file
//       OnFileRadarReadProcess       about every 100 ms and once at the end of the file
//       OnFileRadarReadFileEnd
//   OnFileRadarReadEnd               all data read (not called when the run is stopped earlier)
// They run on the library's reading thread, ahead of the deliveries of the frames read (frames
// may still be queued: see ROVA_Interface_RadarCtrl_HasIncompleteData). After
// ROVA_Interface_RadarCtrl_Stop returns, none of them runs any more.
class ROVA_DATAPROCESS_API IFileRadarDataSource {
public:
    IFileRadarDataSource();
    virtual ~IFileRadarDataSource();
    virtual void OnFileRadarReadStart(uint64_t user);
    virtual void OnFileRadarReadLoopStart(uint64_t user);
    // The library has read every file (the playback is complete once the queued frames are out).
    virtual void OnFileRadarReadEnd(uint64_t user) = 0;
    // files: full ANSI paths (char*) owned by the library, in reading order. An override may
    // remove or reorder entries; it must not free them or add others.
    virtual void OnFileRadarGetFileList(CPtrCtrl* files);
    // filePath: the file about to be read. *skipFrames (0 on entry) may be set to a number of
    // frames to skip at the beginning of the file. Return nonzero to read the file, 0 to skip it.
    virtual int OnFileRadarReadFileStart(char* const filePath, int* skipFrames, uint64_t user);
    virtual void OnFileRadarReadFileEnd(char* filePath, uint64_t user);
    // Progress in percent (0 to 100): of the current file, and of all files of the pass.
    virtual void OnFileRadarReadProcess(double filePercent, double totalPercent);
};
