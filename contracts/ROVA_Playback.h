// ROVA_DataProcess.dll, beside its contract: a playback the operator can review. While recorded
// files are played back (gRadarParameter.isFileSource = 1, opened and started as usual) the
// console can read where the playback stands, jump to a time, change its speed and go through
// it frame by frame. Every function may be called from any thread, also while the library's
// reading thread runs; none throws.
//
// Times are the playback's stream time in milliseconds: the time stamps of the recording (those
// of DetectedObject::streamMs). Where a folder holds several recordings one after the other and
// the time stamps start over, the later recording continues the time 100 ms after the end of the
// one before, so that the time of a playback only grows.
//
// When a playback starts, the library indexes its frames on a thread of its own; the first frame
// does not wait for that. Until the index is complete, lastMs grows as it goes, and a seek beyond
// what is indexed reads its way forward from the last frame known.
#pragma once

#include <cstdint>

#include "RadarParameter.h"

struct tagRADARPLAYBACKSTATE {
    uint32_t structSize;    // set by the caller to sizeof(tagRADARPLAYBACKSTATE)
    int32_t started;        // nonzero while the playback runs (between Start and Stop)
    int32_t indexComplete;  // nonzero once every frame of the files is indexed
    int32_t paused;         // ROVA_Interface_RadarCtrl_Pause holds the playback
    int32_t loop;           // the playback starts over after the last file
    int32_t atEnd;          // the last frame was read and the playback does not loop; a seek goes on
    double speed;           // factor of the recorded pace; 0: as fast as the listeners take the frames
    uint32_t generation;    // changes at every seek (see ROVA_Interface_RadarPlayback_Seek)
    uint32_t pass;          // pass over the files of the last frame delivered: 1, then 2, ... when looping
    uint32_t frameGeneration;  // generation of the last frame delivered (inside a callback: of this one)
    uint32_t reserved;
    uint64_t firstMs;       // stream time of the first frame
    uint64_t currentMs;     // of the last frame delivered to the listeners; after a seek its target
                            // (within firstMs .. lastMs) until the first frame after it is delivered
    uint64_t lastMs;        // of the last frame indexed so far (the last frame once indexComplete)
    uint64_t framesIndexed; // frames the index has gone through so far
};

extern "C" {
// Copies the state of the playback. Inside a listener's callback it describes the frame being
// delivered (currentMs, pass, generation). Returns 1, or 0 (all zero) when no playback is open or
// the argument is null or of another size.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarPlayback_GetState(tagRADARPLAYBACKSTATE* state);

// Jumps to streamMs: the next frame delivered is the first frame at or after streamMs (the first
// frame for a time before it, the last frame for a time past it). generation (may be null)
// receives the new generation. When this returns, no frame from before the jump is delivered any
// more (a delivery in progress is waited for, unless the call comes from a listener's callback;
// frames read ahead are discarded: the link health counts them as framesPaused, discarded on
// purpose), and the tracks of the library's own tracker start over: the console clears its tracks
// and zone state at this point. A paused playback stays paused at the new place; a step shows the
// frame there. A playback that reached its end goes on from the new place. The file events go on
// too: OnFileRadarReadFileEnd for the file being read, OnFileRadarReadFileStart for the file of the
// target (its skipFrames is ignored), and OnFileRadarReadEnd again at the next end.
// Returns 1, or 0 when no playback runs.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarPlayback_Seek(uint64_t streamMs, uint32_t* generation);

// Speed as a factor of the recorded pace, 0.25 to 16, or 0 for as fast as the listeners take the
// frames. Takes effect at once and holds for later playbacks too; the pace goes on from the
// position reached (no catching up, no wait for the old pace). Returns 1, or 0 (nothing changed)
// for a factor outside that range.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarPlayback_SetSpeed(double factor);

// While the playback is paused (ROVA_Interface_RadarCtrl_Pause): exactly one more frame is read and
// delivered, at once. Steps add up. Frames read before the pause and still queued are delivered
// first (ROVA_Interface_RadarCtrl_HasIncompleteData). Returns 1, or 0 when no playback runs, it is
// not paused or it is at its end.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarPlayback_Step();
}

// Looping: ROVA_Interface_RadarDevice_File_SetLoopReadFile takes effect at once on a running
// playback as well (at the end of the current pass); a playback already at its end stays there.
