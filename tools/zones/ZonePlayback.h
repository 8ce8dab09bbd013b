#pragma once
// Plays a recording through the radar library as the console's playback does, without pacing,
// and hands every delivery of the three detection streams to a zone replay.
// gRadarParameter must hold the recording's configuration (FILE_Radar_Config.ini) already.
#include <cstdint>
#include <string>

#include "tools/zones/ZoneReplay.h"

struct ZonePlaybackResult {
    bool played = false;
    std::string error;         // the library's text when the recording could not be opened
    uint64_t framesRead = 0;     // frames the library read from the files
    uint64_t damagedFrames = 0;
    double seconds = 0;        // wall time from start to the last delivery
};

// The deliveries of each data file are dated by that file's header (ZoneReplay::BeginFile).
// Throws std::bad_alloc when the replay ran out of memory.
ZonePlaybackResult PlayRecording(const char* folder, ZoneReplay& replay);
