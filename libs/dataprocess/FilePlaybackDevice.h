// Plays back the raw data files of a folder as a device: files in name order, frames at their
// recorded pace (scaled by the playback speed), damaged frames skipped, the IFileRadarDataSource
// events in the documented order, optionally in a loop. While it plays, a thread of its own
// indexes the frames (CPlaybackIndex), so that the console can jump to a time (Seek); it can also
// change the speed and the loop, hold the playback and step through it frame by frame.
//
// Threads: ReadFrame runs on the acquisition thread only; the controls (Seek, SetSpeed, SetLoop,
// SetHeld, Step, State) come from any thread and are picked up by the next ReadFrame, which a
// control wakes from its waits. Delivered comes from the processing thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "IRadarDevice.h"
#include "PlaybackIndex.h"
#include "PlaybackPacer.h"
#include "PlaybackTimeline.h"
#include "RawDataReader.h"
#include "SimulationControl.h"

class IFileRadarDataSource;

class CFilePlaybackDevice : public IRadarDevice {
public:
    // gateCount: the gate count of the folder's configuration; a file recorded with another one is
    // refused and counted as damaged (0: any).
    CFilePlaybackDevice(std::string folder, IFileRadarDataSource* source, uint64_t user, bool loop,
                        uint32_t gateCount = 0);
    ~CFilePlaybackDevice() override;
    CFilePlaybackDevice(const CFilePlaybackDevice&) = delete;
    CFilePlaybackDevice& operator=(const CFilePlaybackDevice&) = delete;

    // The *.rvraw files of folder in name order; empty when there are none.
    static std::vector<std::string> ListFiles(const std::string& folder);

    bool IsFileSource() const override { return true; }
    void Interrupt() override;
    bool StartStream(std::string& error) override;
    void StopStream() override;
    RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) override;
    bool EnterCommandMode(int, int) override { return false; }
    std::vector<uint8_t> Transact(int, const uint8_t*, size_t, int) override { return {}; }
    bool LeaveCommandMode() override { return false; }

    // ---- controls (any thread) ----
    // The next frame returned is the first at or after timeUs (clamped to the last frame).
    // Returns the new generation: frames returned from now on carry it.
    uint32_t Seek(uint64_t timeUs);
    void SetSpeed(double speed);
    void SetLoop(bool loop);
    // Held: no frame is returned but for steps. Releasing it sets the pace anew.
    void SetHeld(bool held);
    // While held: one more frame is returned. False at the end of the playback.
    bool Step();
    uint32_t Generation() const { return generation_.load(); }
    // The processing thread delivers frame to the listeners now.
    void Delivered(const RadarFrame& frame);

    struct State {
        bool indexComplete = false;
        uint64_t framesIndexed = 0;
        uint64_t firstUs = 0, currentUs = 0, lastUs = 0;
        uint32_t generation = 0, pass = 0, frameGeneration = 0;
        double speed = 1.0;
        bool loop = false, held = false, atEnd = false;
    };
    State Read() const;

private:
    enum class Next { Frame, End, Busy };
    // Advances files and raises the file events; Busy when this call's share of work is used up,
    // so that ReadFrame returns in time for a Stop whatever the files hold. mayLoop: the end of a
    // pass starts the next one when looping (not while a seek looks for its frame).
    Next NextFrame(RadarFrame& frame, bool mayLoop);
    void BeginPass();
    void CloseFile();
    void ReportProgress(bool force);
    // Takes the controls that came since the last call (seek, speed, hold).
    void ApplyControls();
    void StartSeek(uint64_t timeUs);
    int64_t Now() const;
    // Waits up to us microseconds; a control or Interrupt ends the wait early (real clock).
    void WaitPaced(uint64_t us);
    void WaitIdle(uint32_t ms);
    // The indexing thread starts reading once the first frame is out (or a seek wants the index),
    // so that it never competes with the first frame; it ends at once when told to stop.
    struct IndexerControl {
        std::mutex mutex;
        std::condition_variable changed;
        bool go = false;
        std::atomic<bool> released{false};  // Go was called (so later calls cost nothing)
        std::atomic<bool> stop{false};
        void Go();
    };
    void StopIndexer();
    static void BuildIndex(std::vector<std::string> files, uint32_t gateCount, std::shared_ptr<CPlaybackIndex> index,
                           std::shared_ptr<IndexerControl> control);

    std::string folder_;
    IFileRadarDataSource* source_;
    uint64_t user_;
    uint32_t gateCount_;
    void* wake_ = nullptr;  // HANDLE of an auto-reset event: a control came
    int64_t frequency_ = 1;
    CSimulationControl::PlaybackClock clock_;

    // Controls: written by any thread under controlMutex_, taken by ReadFrame.
    mutable std::mutex controlMutex_;
    std::atomic<uint32_t> generation_{0};
    bool seekRequested_ = false;
    uint64_t seekRequestUs_ = 0;
    double requestedSpeed_ = 1.0;
    bool speedChanged_ = false;
    bool held_ = false;
    bool heldChanged_ = false;
    uint64_t steps_ = 0;
    uint64_t currentUs_ = 0;  // of the last frame delivered, or a seek's target
    uint32_t deliveredPass_ = 0;
    uint32_t deliveredGeneration_ = 0;
    std::shared_ptr<CPlaybackIndex> index_;
    std::atomic<bool> loop_;
    std::atomic<bool> ended_{false};

    std::shared_ptr<IndexerControl> indexerControl_;
    std::thread indexer_;

    // The reading thread's own.
    std::vector<std::string> storage_;  // the file names; the list handed out points into it
    std::vector<std::string> files_;    // what the source left in the list, in its order
    std::vector<uint64_t> sizes_;
    uint64_t totalBytes_ = 0;
    uint64_t doneBytes_ = 0;
    size_t fileIndex_ = 0;
    bool passStarted_ = false;
    uint32_t pass_ = 0;
    bool fileOpen_ = false;
    uint64_t passFrames_ = 0;  // frames read in the current pass over the files
    int skipFrames_ = 0;       // frames still to skip at the start of the open file
    uint64_t openAtOffset_ = 0;  // a seek opens the next file at this frame record (0: its start)
    CRawDataReader reader_;
    CPlaybackTimeline timeline_;
    int64_t lastProgressTicks_ = 0;
    uint32_t appliedGeneration_ = 0;  // of the last seek ReadFrame acted on
    bool heldTaken_ = false;          // as ReadFrame last took it
    bool seeking_ = false;            // frames before seekTargetUs_ are passed over
    uint64_t seekTargetUs_ = 0;
    bool haveLastSeen_ = false;       // the last frame passed over, delivered for a seek past the end
    RadarFrame lastSeen_;

    bool pending_ = false;
    RadarFrame pendingFrame_;
    CPlaybackPacer pacer_{1};
};
