#include "RadarController.h"

#include <windows.h>

#include <algorithm>

#include "FilePlaybackDevice.h"
#include "RadarConfigFile.h"
#include "RadarRegisters.h"
#include "SerialRadarDevice.h"
#include "SimulatedRadarDevice.h"
#include "SimulatedSensorControl.h"
#include "SimulationControl.h"

CRadarController& CRadarController::Instance() {
    // Never destroyed: at process exit the run threads are gone without having been joined.
    static CRadarController* instance = new CRadarController;
    return *instance;
}

int CRadarController::LoadConfig(const char* path) {
    auto scratch = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Init(scratch.get());
    if (!CRadarConfigFile::Load(path, *scratch)) return 0;
    ROVA_Interface_RadarParameter_Copy(&gRadarParameter, scratch.get());
    configLoaded_ = true;
    return 1;
}

int CRadarController::OpenDevice(CBaseStringA* error) {
    std::lock_guard lock(controlMutex_);
    if (device_) return 1;
    lastError_.clear();
    std::string text;
    const tagRADARPARAMETER& record = gRadarParameter;
    if (record.isFileSource) {
        const std::string folder(record.dataPath, strnlen(record.dataPath, sizeof record.dataPath));
        if (folder.empty() || !IsDirA(folder.c_str())) {
            text = "The playback folder \"" + folder + "\" cannot be found.";
        } else {
            std::lock_guard sourceLock(sourceMutex_);
            const uint32_t gates = record.gateCount > 0 ? static_cast<uint32_t>(record.gateCount) : 0;
            auto playback = std::make_shared<CFilePlaybackDevice>(folder, fileSource_, fileSourceUser_, loop_.load(), gates);
            device_ = playback;
            std::lock_guard playbackLock(playbackMutex_);
            playback_ = std::move(playback);
        }
    } else if (record.sourceType == RADAR_SOURCE_NONE) {
        text = "No radar sensor has been detected. Use Detect Device first.";
    } else if (record.sourceType == RADAR_SOURCE_COM && record.detectedDeviceValue == kSimulatedSensorDeviceValue) {
        CSimulationControl& sim = CSimulationControl::Instance();
        if (!sim.present()) {
            text = "The simulated sensor (COM9999) is not connected.";
        } else if (!sim.OpenFailure().empty()) {
            text = sim.OpenFailure();
        } else {
            device_ = std::make_shared<CSimulatedRadarDevice>(record);
        }
    } else if (record.sourceType == RADAR_SOURCE_COM) {
        const unsigned long baud = record.deviceBaudRate > 0 ? static_cast<unsigned long>(record.deviceBaudRate) : 921600;
        auto serial = std::make_shared<CSerialRadarDevice>(record.detectedDeviceValue, baud);
        if (serial->Open(text)) device_ = std::move(serial);
    } else {
        static const char* const kNames[] = {"", "COM", "LibUSB", "Orbel2", "Orbel4", "USB adapter"};
        const int type = record.sourceType;
        text = std::string("The ") + (type > 0 && type <= 5 ? kNames[type] : "unknown") +
               " device cannot be opened: no driver for this kind of device is installed.";
    }
    if (device_) return 1;
    lastError_ = text;
    if (error) *error = text.c_str();
    DbgOutputA(2, "radar open failed: %s\r\n", text.c_str());
    return 0;
}

int CRadarController::Start() {
    std::lock_guard lock(controlMutex_);
    if (!device_) {
        lastError_ = "No radar sensor is open.";
        return 0;
    }
    if (run_) return 1;
    lastError_.clear();
    if (acquisition_.joinable()) acquisition_.join();
    if (processing_.joinable()) processing_.join();

    const tagRADARPARAMETER& record = gRadarParameter;
    const uint32_t* reg = record.registerValues;
    const double gateSize = record.gateSizeMeters > 0 ? record.gateSizeMeters : 0.25;
    {
        std::lock_guard filters(filterMutex_);
        const int maxTargets = static_cast<int>(std::clamp<uint32_t>(reg[kRegMaxTargets], 1, 32));
        mod_.Configure(reg[kRegMinMovingSpeed] / 100.0, gateSize, maxTargets);
        MttSettings mtt;
        mtt.gateSizeMeters = gateSize;
        mtt.associationGateMeters = std::clamp<uint32_t>(reg[kRegAssociationGate], 10, 500) / 100.0;
        mtt.smoothing = std::min<uint32_t>(reg[kRegSmoothing], 95) / 100.0;
        mtt.confirmFrames = static_cast<int>(std::clamp<uint32_t>(reg[kRegTrackConfirmFrames], 1, 20));
        mtt.holdFrames = static_cast<int>(std::clamp<uint32_t>(reg[kRegTrackHoldFrames], 1, 100));
        mtt.maxTargets = maxTargets;
        mtt.removeStatic = reg[kRegClutterRemoval] != 0;
        mtt_.Configure(mtt);
        mtt_.Reset();
    }
    auto run = std::make_shared<RunContext>();
    run->device = device_;
    if (device_->IsFileSource()) {
        std::lock_guard playbackLock(playbackMutex_);
        run->playback = playback_;
    }
    run->pcAlgorithm = record.pcAlgorithm;
    {
        eRADAR_LINK_SOURCE source = RADAR_LINK_SOURCE_SERIAL;
        int32_t port = record.detectedDeviceValue;
        if (device_->IsFileSource()) {
            source = RADAR_LINK_SOURCE_FILE;
            port = 0;
        } else if (record.detectedDeviceValue == kSimulatedSensorDeviceValue) {
            source = RADAR_LINK_SOURCE_SIMULATED;
        }
        run->health = std::make_shared<CLinkHealth>(source, port, ++runCount_, GetTickCount64());
        device_->AttachHealth(run->health);
    }
    std::string error;
    if (!device_->StartStream(error)) {
        DbgOutputA(2, "radar start failed: %s\r\n", error.c_str());
        lastError_ = error.empty() ? "The radar sensor did not start." : error;
        return 0;
    }
    if (record.saveRawData && !record.isFileSource) {
        const std::string folder(record.dataPath, strnlen(record.dataPath, sizeof record.dataPath));
        run->recorder.SetPaused(recordingPaused_);
        if (!run->recorder.Start(folder, record)) {
            DbgOutputA(2, "raw recording into \"%s\" could not start\r\n", folder.c_str());
            CSimulationControl::Instance().recordingFailures += 1;
        }
    }
    run_ = run;
    if (run->playback) {
        run->playback->SetHeld(paused_);
        std::lock_guard playbackLock(playbackMutex_);
        playbackRun_ = run;
    }
    {
        std::lock_guard healthLock(healthMutex_);
        health_ = run->health;
        recordingHealth_ = run->recorder.IsActive() ? run->recorder.Health() : std::make_shared<RecordingHealth>();
    }
    started_ = true;
    acquisition_ = std::thread(&CRadarController::AcquisitionLoop, this, run);
    processing_ = std::thread(&CRadarController::ProcessingLoop, this, run);
    return 1;
}

std::string CRadarController::LastError() {
    std::lock_guard lock(controlMutex_);
    return lastError_;
}

int CRadarController::Stop() {
    std::shared_ptr<RunContext> run;
    std::thread acquisition, processing;
    {
        std::lock_guard lock(controlMutex_);
        paused_ = false;
        if (!run_) return 1;
        run = std::move(run_);
        run_.reset();
        started_ = false;
        {
            std::lock_guard playbackLock(playbackMutex_);
            playbackRun_.reset();
        }
        {
            std::lock_guard queueLock(run->queueMutex);
            run->stop = true;
        }
        run->queueChanged.notify_all();
        // A reconnect attempt or a wait for the sensor ends now, so Stop answers at once.
        run->device->Interrupt();
        acquisition = std::move(acquisition_);
        processing = std::move(processing_);
    }
    // Stopped from one of the run's own callbacks: that thread ends by itself once the callback
    // returns; it holds its own reference to the run.
    for (std::thread* t : {&acquisition, &processing}) {
        if (!t->joinable()) continue;
        if (t->get_id() == std::this_thread::get_id()) {
            t->detach();
        } else {
            t->join();
        }
    }
    // Frames read but not processed any more are dropped, and counted so.
    {
        std::lock_guard queueLock(run->queueMutex);
        run->health->AddDropped(run->queue.size());
        run->queue.clear();
    }
    run->device->StopStream();
    if (run->playback) run->playback->SetHeld(false);
    run->health->Stopped();
    return 1;
}

bool CRadarController::LinkHealth(tagRADARLINKHEALTH& health) {
    std::shared_ptr<CLinkHealth> current;
    {
        std::lock_guard lock(healthMutex_);
        current = health_;
    }
    if (!current) return false;
    health = current->Read(GetTickCount64());
    return true;
}

bool CRadarController::RecordingHealthOf(tagRADARRECORDINGHEALTH& health) {
    std::shared_ptr<RecordingHealth> current;
    {
        std::lock_guard lock(healthMutex_);
        current = recordingHealth_;
    }
    if (!current) return false;
    health = current->Read();
    return true;
}

int CRadarController::CloseDevice() {
    Stop();
    std::lock_guard lock(controlMutex_);
    device_.reset();
    std::lock_guard playbackLock(playbackMutex_);
    playback_.reset();
    return 1;
}

int CRadarController::SetRecordingPaused(bool paused) {
    std::lock_guard lock(controlMutex_);
    recordingPaused_ = paused;
    if (run_) run_->recorder.SetPaused(paused);
    return 1;
}

int CRadarController::Pause() {
    paused_ = true;
    if (auto playback = Playback()) playback->SetHeld(true);
    return 1;
}

int CRadarController::Resume() {
    paused_ = false;
    if (auto playback = Playback()) playback->SetHeld(false);
    return 1;
}

std::shared_ptr<CFilePlaybackDevice> CRadarController::Playback() {
    std::lock_guard lock(playbackMutex_);
    return playback_;
}

void CRadarController::SetLoop(bool loop) {
    loop_ = loop;
    if (auto playback = Playback()) playback->SetLoop(loop);
}

bool CRadarController::PlaybackState(tagRADARPLAYBACKSTATE& state) {
    std::shared_ptr<CFilePlaybackDevice> playback;
    bool started = false;
    {
        std::lock_guard lock(playbackMutex_);
        playback = playback_;
        started = playbackRun_ != nullptr;
    }
    if (!playback) return false;
    const CFilePlaybackDevice::State s = playback->Read();
    state.started = started ? 1 : 0;
    state.indexComplete = s.indexComplete ? 1 : 0;
    state.paused = started && paused_ ? 1 : 0;
    state.loop = s.loop ? 1 : 0;
    state.atEnd = s.atEnd ? 1 : 0;
    state.speed = s.speed;
    state.generation = s.generation;
    state.pass = s.pass;
    state.frameGeneration = s.frameGeneration;
    state.firstMs = s.firstUs / 1000;
    state.currentMs = s.currentUs / 1000;
    state.lastMs = s.lastUs / 1000;
    state.framesIndexed = s.framesIndexed;
    return true;
}

int CRadarController::PlaybackSeek(uint64_t streamMs, uint32_t* generation) {
    std::shared_ptr<CFilePlaybackDevice> playback;
    std::shared_ptr<RunContext> run;
    {
        std::lock_guard lock(playbackMutex_);
        playback = playback_;
        run = playbackRun_;
    }
    if (!playback || !run) return 0;
    const uint64_t us = streamMs > UINT64_MAX / 1000 ? UINT64_MAX : streamMs * 1000;
    const uint32_t next = playback->Seek(us);
    if (generation) *generation = next;
    // A frame from before the seek may be going through the listeners right now: once this
    // returns, none is. From the processing thread itself (a listener seeking) there is nothing
    // to wait for.
    if (run->processingThread.load() != GetCurrentThreadId()) {
        std::unique_lock queueLock(run->queueMutex);
        run->queueChanged.wait(queueLock, [&] { return run->stop || !run->busy || static_cast<int32_t>(run->busyGeneration - next) >= 0; });
    }
    return 1;
}

int CRadarController::PlaybackSetSpeed(double factor) {
    if (!(factor == 0 || (factor >= 0.25 && factor <= 16))) return 0;
    CSimulationControl::Instance().SetPlaybackSpeed(factor);
    if (auto playback = Playback()) playback->SetSpeed(factor);
    return 1;
}

int CRadarController::PlaybackStep() {
    std::shared_ptr<CFilePlaybackDevice> playback;
    {
        std::lock_guard lock(playbackMutex_);
        if (!playbackRun_) return 0;
        playback = playback_;
    }
    if (!playback || !paused_) return 0;
    return playback->Step() ? 1 : 0;
}

int CRadarController::HasIncompleteData() {
    std::shared_ptr<RunContext> run;
    {
        std::lock_guard lock(controlMutex_);
        run = run_;
    }
    if (!run) return 0;
    std::lock_guard queueLock(run->queueMutex);
    return (!run->queue.empty() || run->busy) ? 1 : 0;
}

RADAR_DEVICE_HANDLE CRadarController::DefaultDevice() {
    std::lock_guard lock(controlMutex_);
    return device_.get();
}

int CRadarController::StartCommandMode(RADAR_DEVICE_HANDLE device, int param, int timeBaseMs) {
    std::lock_guard lock(controlMutex_);
    if (!device || device != device_.get()) return 0;
    return device_->EnterCommandMode(param, timeBaseMs) ? 1 : 0;
}

int CRadarController::SendCommand(RADAR_DEVICE_HANDLE device, int command, const void* payload, int64_t length,
                                  RadarCmdAckChecker checker, int64_t checkerUser, int timeoutMs) {
    std::shared_ptr<IRadarDevice> target;
    {
        std::lock_guard lock(controlMutex_);
        if (!device || device != device_.get()) return 0;
        target = device_;
    }
    if (length < 0 || length > 0xFFFF || (length > 0 && !payload)) return 0;
    const std::vector<uint8_t> ack = target->Transact(command, static_cast<const uint8_t*>(payload),
                                                      static_cast<size_t>(length), timeoutMs);
    if (ack.empty()) return 0;
    const eRADAR_PROTOCOL_VERSION version = RADAR_PROTOCOL_V1;
    const uint16_t code = checker ? checker(version, ack.data(), static_cast<int>(ack.size()), static_cast<uint64_t>(checkerUser))
                                  : CheckCmdAckData_RetCode(version, ack.data(), static_cast<int>(ack.size()), 0);
    return code == kRadarAckAccepted ? 1 : 0;
}

int CRadarController::StopCommandMode(RADAR_DEVICE_HANDLE device) {
    std::lock_guard lock(controlMutex_);
    if (!device || device != device_.get()) return 0;
    return device_->LeaveCommandMode() ? 1 : 0;
}

int CRadarController::SetDetectBound(Filter filter, const int32_t* pairs, int count) {
    if (count < 0 || (count > 0 && !pairs)) return 0;
    std::lock_guard lock(filterMutex_);
    CDetectBound& bound = filter == kFilterMod ? mod_.Bound() : filter == kFilterMtt ? mtt_.Bound() : mpt_;
    bound.Set(pairs, count);
    return 1;
}

int CRadarController::GetDetectBound(Filter filter, int32_t* pairs, int maxPairs) {
    std::lock_guard lock(filterMutex_);
    CDetectBound& bound = filter == kFilterMod ? mod_.Bound() : filter == kFilterMtt ? mtt_.Bound() : mpt_;
    const std::vector<int32_t>& held = bound.Pairs();
    const int count = static_cast<int>(held.size() / 2);
    if (pairs) std::copy_n(held.begin(), 2 * std::min(count, std::max(0, maxPairs)), pairs);
    return count;
}

CListenerList& CRadarController::Listeners(Stream stream) {
    return stream == kStreamMod ? modListeners_ : stream == kStreamAlgorithmMtt ? mttListeners_ : resultListeners_;
}

void CRadarController::SetFileSource(IFileRadarDataSource* source, uint64_t user) {
    std::lock_guard lock(sourceMutex_);
    fileSource_ = source;
    fileSourceUser_ = user;
}

void CRadarController::AcquisitionLoop(std::shared_ptr<RunContext> run) {
    CSimulationControl& counters = CSimulationControl::Instance();
    IRadarDevice& device = *run->device;
    CLinkHealth& health = *run->health;
    const bool fileSource = device.IsFileSource();
    const bool countArrivals = !device.CountsArrivingFrames();
    while (!run->stop) {
        // A paused playback holds its position in the device (which lets steps through).
        RadarFrame frame;
        const RadarReadResult result = device.ReadFrame(frame, 50);
        if (result == RadarReadResult::Timeout) continue;
        if (result == RadarReadResult::End) {
            // At its end a playback waits for a seek; the device says End until one comes.
            if (fileSource) continue;
            // A live sensor that went away ends the run's data; the run stays until stopped.
            counters.liveDataEnds += 1;
            break;
        }
        counters.framesAcquired += 1;
        if (countArrivals) health.FrameReceived(GetTickCount64());
        if (paused_ && !fileSource) {
            counters.framesDropped += 1;
            health.AddPaused(1);
            continue;
        }
        {
            std::unique_lock lock(run->queueMutex);
            if (fileSource) {
                // Recorded data is never dropped: reading waits for processing.
                run->queueChanged.wait(lock, [&] { return run->stop || run->queue.size() < kQueueLimit; });
                if (run->stop) {
                    health.AddDropped(1);
                    break;
                }
            } else if (run->queue.size() >= kQueueLimit) {
                run->queue.pop_front();
                counters.framesDropped += 1;
                health.AddDropped(1);
            }
            run->queue.push_back(frame);
        }
        run->queueChanged.notify_all();
        if (run->recorder.IsActive()) {
            const bool wasFailing = run->recorder.Failed();
            if (run->recorder.Write(frame)) {
                counters.framesRecorded += 1;
            } else if (!wasFailing && run->recorder.Failed()) {
                counters.recordingFailures += 1;
            }
        }
    }
}

void CRadarController::ProcessingLoop(std::shared_ptr<RunContext> run) {
    CSimulationControl& counters = CSimulationControl::Instance();
    uint64_t lastStampUs = 0;
    run->processingThread = GetCurrentThreadId();
    CFilePlaybackDevice* playback = run->playback.get();
    bool any = false;
    uint32_t lastGeneration = 0, lastPass = 0;
    for (;;) {
        RadarFrame frame;
        bool stale = false;
        {
            std::unique_lock lock(run->queueMutex);
            run->queueChanged.wait(lock, [&] { return run->stop || !run->queue.empty(); });
            if (run->stop) break;
            frame = std::move(run->queue.front());
            run->queue.pop_front();
            // Read ahead of a seek: its place in the playback is gone. The generation is read
            // under the lock the seek waits with, so no frame of an older one starts after it.
            stale = playback && frame.generation != playback->Generation();
            if (!stale) {
                run->busy = true;
                run->busyGeneration = frame.generation;
            }
        }
        run->queueChanged.notify_all();
        if (stale) {
            run->health->AddPaused(1);  // discarded on purpose, as during a pause
            continue;
        }
        bool jumped = false;
        if (playback) {
            jumped = any && (frame.generation != lastGeneration || frame.pass != lastPass);
            any = true;
            lastGeneration = frame.generation;
            lastPass = frame.pass;
            // Before the listeners: inside their callbacks the state describes this frame.
            playback->Delivered(frame);
        }
        ProcessFrame(*run, frame, lastStampUs, jumped);
        counters.framesProcessed += 1;
        run->health->AddDelivered(1);
        {
            std::lock_guard lock(run->queueMutex);
            run->busy = false;
        }
        run->queueChanged.notify_all();
    }
}

void CRadarController::ProcessFrame(RunContext& run, const RadarFrame& frame, uint64_t& lastStampUs, bool jumped) {
    std::vector<RadarPoint> objects;
    CListenerList* listeners = nullptr;
    {
        std::lock_guard lock(filterMutex_);
        if (jumped) {
            // Tracks do not carry over a jump in the recording.
            mtt_.Reset();
            lastStampUs = 0;
        }
        uint64_t rejected = 0;
        if (frame.kind == RadarFrameKind::Tracks) {
            listeners = &resultListeners_;
            for (const RadarPoint& p : frame.points) {
                if (!IsFinitePoint(p)) {
                    ++rejected;
                } else if (mpt_.Contains(p)) {
                    objects.push_back(p);
                }
            }
        } else if (objectDetect_) {
            if (run.pcAlgorithm == 1) {
                listeners = &modListeners_;
                const uint64_t before = mod_.RejectedPoints();
                objects = mod_.Process(frame.points);
                rejected = mod_.RejectedPoints() - before;
            } else {
                listeners = &mttListeners_;
                double dt = (frame.timestampUs - lastStampUs) / 1e6;
                if (lastStampUs == 0 || frame.timestampUs <= lastStampUs || dt > 1.0) dt = 0.066;
                const uint64_t before = mtt_.RejectedPoints();
                objects = mtt_.Process(frame.points, dt);
                rejected = mtt_.RejectedPoints() - before;
            }
        }
        CSimulationControl::Instance().nonFinitePoints += rejected;
    }
    lastStampUs = frame.timestampUs;
    if (listeners) Deliver(*listeners, objects, frame);
}

void CRadarController::Deliver(CListenerList& listeners, const std::vector<RadarPoint>& objects,
                               const RadarFrame& frame) {
    if (listeners.IsEmpty()) return;
    std::vector<DetectedObject> records(objects.size());
    CPtrArrayCtrl list;
    // Live and played back alike, so that what a replay says of a frame holds for the live run.
    const uint32_t streamMs = static_cast<uint32_t>(frame.timestampUs / 1000);
    for (size_t i = 0; i < objects.size(); ++i) {
        const RadarPoint& p = objects[i];
        records[i] = DetectedObject{p.id, p.gate, p.distance, p.velocity, p.angle, p.snr, frame.sequence, streamMs, frame.ticks};
        list.AddData(&records[i], -1);
    }
    listeners.Deliver(&list);
}
