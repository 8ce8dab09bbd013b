// The run controller behind the contract functions: opens the device named by gRadarParameter,
// runs acquisition (device -> queue, raw recording) and processing (queue -> filters ->
// listeners) on two threads of its own, and offers command mode on the opened device.
//
// Every run has its own context (stop flag, queue, recorder, device reference) shared with its
// threads, so a run stopped from inside one of its own callbacks can finish that callback
// without touching the next run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DetectBound.h"
#include "IRadarDevice.h"
#include "LinkHealth.h"
#include "ListenerList.h"
#include "ModFilter.h"
#include "MttTracker.h"
#include "ROVA_DataProcess.h"
#include "ROVA_Playback.h"
#include "RawDataRecorder.h"

class CFilePlaybackDevice;

class CRadarController {
public:
    enum Stream { kStreamMod, kStreamAlgorithmMtt, kStreamResultMtt };
    enum Filter { kFilterMod, kFilterMtt, kFilterMpt };
    static constexpr size_t kQueueLimit = 64;

    static CRadarController& Instance();

    int LoadConfig(const char* path);
    int IsConfigLoaded() const { return configLoaded_.load(); }

    int OpenDevice(CBaseStringA* error);
    int Start();
    // The operator text of the last OpenDevice or Start that failed; empty after a success.
    std::string LastError();
    int Stop();
    int CloseDevice();
    int Pause();
    int Resume();
    int IsStarted() const { return started_.load(); }
    int IsPaused() const { return paused_.load(); }
    int HasIncompleteData();
    // The raw recording of this run and of later ones pauses until resumed (see the export).
    int SetRecordingPaused(bool paused);
    void EnableObjectDetect(bool enable) { objectDetect_ = enable; }

    RADAR_DEVICE_HANDLE DefaultDevice();
    int StartCommandMode(RADAR_DEVICE_HANDLE device, int param, int timeBaseMs);
    int SendCommand(RADAR_DEVICE_HANDLE device, int command, const void* payload, int64_t length,
                    RadarCmdAckChecker checker, int64_t checkerUser, int timeoutMs);
    int StopCommandMode(RADAR_DEVICE_HANDLE device);

    int SetDetectBound(Filter filter, const int32_t* pairs, int count);
    int GetDetectBound(Filter filter, int32_t* pairs, int maxPairs);

    CListenerList& Listeners(Stream stream);
    void SetFileSource(IFileRadarDataSource* source, uint64_t user);
    // For the playback that is open, at once, and for the later ones.
    void SetLoop(bool loop);
    // The health of the current run, or of the last one; false when no run was ever started.
    bool LinkHealth(tagRADARLINKHEALTH& health);
    // The raw recording's health of the current run, or of the last one; false when none started.
    bool RecordingHealthOf(tagRADARRECORDINGHEALTH& health);

    // The reviewable playback (ROVA_Playback.h): false / 0 when no playback is open or runs.
    bool PlaybackState(tagRADARPLAYBACKSTATE& state);
    int PlaybackSeek(uint64_t streamMs, uint32_t* generation);
    int PlaybackSetSpeed(double factor);
    int PlaybackStep();

private:
    struct RunContext {
        std::shared_ptr<IRadarDevice> device;
        std::atomic<bool> stop{false};
        std::mutex queueMutex;
        std::condition_variable queueChanged;
        std::deque<RadarFrame> queue;
        bool busy = false;
        CRawDataRecorder recorder;
        int pcAlgorithm = 3;
        std::shared_ptr<CLinkHealth> health;
        std::shared_ptr<CFilePlaybackDevice> playback;  // the device when it plays files back
        uint32_t busyGeneration = 0;  // seek generation of the frame being processed (busy)
        std::atomic<unsigned long> processingThread{0};
    };

    CRadarController() = default;
    void AcquisitionLoop(std::shared_ptr<RunContext> context);
    void ProcessingLoop(std::shared_ptr<RunContext> context);
    // jumped: a playback seek or a new pass lies between this frame and the one before.
    void ProcessFrame(RunContext& context, const RadarFrame& frame, uint64_t& lastStampUs, bool jumped);
    std::shared_ptr<CFilePlaybackDevice> Playback();
    void Deliver(CListenerList& listeners, const std::vector<RadarPoint>& objects, const RadarFrame& frame);

    std::mutex controlMutex_;
    std::shared_ptr<IRadarDevice> device_;
    std::shared_ptr<RunContext> run_;
    std::string lastError_;
    std::thread acquisition_;
    std::thread processing_;
    std::atomic<bool> configLoaded_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> objectDetect_{true};
    std::atomic<bool> loop_{false};
    bool recordingPaused_ = false;  // under controlMutex_

    std::mutex filterMutex_;
    CModFilter mod_;
    CMttTracker mtt_;
    CDetectBound mpt_;

    CListenerList modListeners_;
    CListenerList mttListeners_;
    CListenerList resultListeners_;

    std::mutex healthMutex_;
    std::shared_ptr<CLinkHealth> health_;  // of the current or last run
    std::shared_ptr<RecordingHealth> recordingHealth_;
    uint32_t runCount_ = 0;

    // The playback that is open and its run; a leaf lock, so that the playback controls work from
    // inside file-source events, which may run while controlMutex_ is held.
    std::mutex playbackMutex_;
    std::shared_ptr<CFilePlaybackDevice> playback_;
    std::shared_ptr<RunContext> playbackRun_;

    std::mutex sourceMutex_;
    IFileRadarDataSource* fileSource_ = nullptr;
    uint64_t fileSourceUser_ = 0;
};
