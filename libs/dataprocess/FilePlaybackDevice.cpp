#include "FilePlaybackDevice.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "LinkHealth.h"
#include "ROVA_Common.h"
#include "ROVA_DataProcess.h"
#include "RawFrameCodec.h"

namespace {
int64_t RealNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}
// Work of one ReadFrame call before it hands control back (and a Stop is seen).
constexpr size_t kWorkPerCall = 4u << 20;
constexpr int kOpensPerCall = 16;
// Frames a seek passes over in one ReadFrame call on its way to its target.
constexpr int kSkipsPerCall = 512;
}  // namespace

CFilePlaybackDevice::CFilePlaybackDevice(std::string folder, IFileRadarDataSource* source, uint64_t user, bool loop,
                                         uint32_t gateCount)
    : folder_(std::move(folder)), source_(source), user_(user), gateCount_(gateCount), loop_(loop) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart;
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    pacer_ = CPlaybackPacer(frequency_);
}

CFilePlaybackDevice::~CFilePlaybackDevice() {
    StopIndexer();
    if (wake_) CloseHandle(static_cast<HANDLE>(wake_));
}

std::vector<std::string> CFilePlaybackDevice::ListFiles(const std::string& folder) {
    std::vector<std::string> files;
    char pattern[MAX_PATH];
    if (!CombinePathNameA(pattern, folder.c_str(), "*.rvraw")) return files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        char path[MAX_PATH];
        if (CombinePathNameA(path, folder.c_str(), data.cFileName)) files.emplace_back(path);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

int64_t CFilePlaybackDevice::Now() const {
    return clock_.now ? clock_.now(clock_.user) : RealNow();
}

void CFilePlaybackDevice::WaitPaced(uint64_t us) {
    if (clock_.wait) {
        clock_.wait(clock_.user, static_cast<uint32_t>(std::min<uint64_t>(us, 0xFFFFFFFFu)));
        return;
    }
    WaitIdle(static_cast<uint32_t>((us + 999) / 1000));
}

void CFilePlaybackDevice::WaitIdle(uint32_t ms) {
    if (wake_) {
        WaitForSingleObject(static_cast<HANDLE>(wake_), ms);
    } else {
        Sleep(ms);
    }
}

void CFilePlaybackDevice::Interrupt() {
    if (wake_) SetEvent(static_cast<HANDLE>(wake_));
}

void CFilePlaybackDevice::IndexerControl::Go() {
    if (released.exchange(true)) return;
    {
        std::lock_guard lock(mutex);
        go = true;
    }
    changed.notify_all();
}

void CFilePlaybackDevice::StopIndexer() {
    if (indexerControl_) {
        indexerControl_->stop = true;
        indexerControl_->Go();
    }
    if (indexer_.joinable()) indexer_.join();
    indexerControl_.reset();
}

void CFilePlaybackDevice::StopStream() {
    StopIndexer();
}

bool CFilePlaybackDevice::StartStream(std::string& error) {
    if (!IsDirA(folder_.c_str())) {
        error = "The playback folder \"" + folder_ + "\" does not exist.";
        return false;
    }
    StopIndexer();
    CSimulationControl& control = CSimulationControl::Instance();
    clock_ = control.playbackClock();
    pacer_ = CPlaybackPacer(frequency_, control.playbackSpeed());
    storage_ = ListFiles(folder_);
    if (source_) source_->OnFileRadarReadStart(user_);
    CPtrListCtrl list;
    for (std::string& f : storage_) list.AddData(f.data(), -1);
    if (source_) source_->OnFileRadarGetFileList(&list);
    files_.clear();
    // Only names the library handed out are read: the list may be reordered or shortened. An index
    // sorted by buffer address finds each one at once, however many files the folder holds.
    std::vector<std::pair<const char*, size_t>> handedOut;
    handedOut.reserve(storage_.size());
    for (size_t i = 0; i < storage_.size(); ++i) handedOut.emplace_back(storage_[i].data(), i);
    std::sort(handedOut.begin(), handedOut.end(), [](const auto& a, const auto& b) { return std::less<>()(a.first, b.first); });
    for (int i = 0; i < list.GetCount(); ++i) {
        const char* p = static_cast<const char*>(list.GetAt(i));
        const auto at = std::lower_bound(handedOut.begin(), handedOut.end(), p,
                                         [](const auto& entry, const char* key) { return std::less<>()(entry.first, key); });
        if (at != handedOut.end() && at->first == p) files_.push_back(storage_[at->second]);
    }
    totalBytes_ = 0;
    sizes_.clear();
    for (const std::string& f : files_) {
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        uint64_t size = 0;
        if (GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &attributes))
            size = (static_cast<uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
        sizes_.push_back(size);
        totalBytes_ += size;
    }
    fileIndex_ = 0;
    passStarted_ = false;
    pass_ = 0;
    fileOpen_ = false;
    ended_ = false;
    skipFrames_ = 0;
    openAtOffset_ = 0;
    reader_.Close();
    timeline_.Reset();
    pending_ = false;
    seeking_ = false;
    haveLastSeen_ = false;
    auto index = std::make_shared<CPlaybackIndex>();
    {
        std::lock_guard lock(controlMutex_);
        seekRequested_ = false;
        speedChanged_ = false;
        requestedSpeed_ = pacer_.speed();
        heldChanged_ = false;
        steps_ = 0;
        currentUs_ = 0;
        deliveredPass_ = 0;
        deliveredGeneration_ = generation_.load();
        heldTaken_ = held_;
        index_ = index;
    }
    appliedGeneration_ = generation_.load();
    // The index reads the files on a thread of its own, at a lower priority, from the first frame
    // on: that frame is read by ReadFrame as soon as it is asked for, never after the index.
    indexerControl_ = std::make_shared<IndexerControl>();
    indexer_ = std::thread(&CFilePlaybackDevice::BuildIndex, files_, gateCount_, index, indexerControl_);
    return true;
}

void CFilePlaybackDevice::BuildIndex(std::vector<std::string> files, uint32_t gateCount,
                                     std::shared_ptr<CPlaybackIndex> index, std::shared_ptr<IndexerControl> control) {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    {
        std::unique_lock lock(control->mutex);
        control->changed.wait(lock, [&] { return control->go; });
    }
    const std::atomic<bool>* stop = &control->stop;
    CRawDataReader reader;
    CPlaybackTimeline timeline;
    RadarFrame frame;
    for (size_t i = 0; i < files.size() && !*stop; ++i) {
        if (!reader.Open(files[i], gateCount)) continue;
        for (;;) {
            if (*stop) return;
            const CRawDataReader::Result result = reader.Step(frame, 1u << 20);
            if (result == CRawDataReader::Result::End) break;
            if (result == CRawDataReader::Result::Busy) continue;
            const size_t record = CRawFrameCodec::kFrameHeaderSize + frame.points.size() * CRawFrameCodec::kPointSize;
            const uint64_t offset = reader.Position() - record;
            index->Add(timeline.Next(frame.timestampUs), static_cast<uint32_t>(i), static_cast<uint32_t>(offset));
        }
        reader.Close();
    }
    if (!*stop) index->Complete();
}

void CFilePlaybackDevice::ReportProgress(bool force) {
    if (!source_ || !fileOpen_) return;
    const int64_t now = RealNow();
    if (!force && now - lastProgressTicks_ < frequency_ / 10) return;
    lastProgressTicks_ = now;
    const double filePercent = reader_.Size() ? 100.0 * reader_.Position() / reader_.Size() : 100.0;
    const double totalPercent = totalBytes_ ? 100.0 * (doneBytes_ + reader_.Position()) / totalBytes_ : 100.0;
    source_->OnFileRadarReadProcess(filePercent, std::min(100.0, totalPercent));
}

void CFilePlaybackDevice::BeginPass() {
    if (source_) source_->OnFileRadarReadLoopStart(user_);
    passStarted_ = true;
    ++pass_;
    fileIndex_ = 0;
    doneBytes_ = 0;
    passFrames_ = 0;
    timeline_.Reset();
}

void CFilePlaybackDevice::CloseFile() {
    if (!fileOpen_) return;
    ReportProgress(true);
    if (source_) source_->OnFileRadarReadFileEnd(files_[fileIndex_].data(), user_);
    reader_.Close();
    fileOpen_ = false;
}

CFilePlaybackDevice::Next CFilePlaybackDevice::NextFrame(RadarFrame& frame, bool mayLoop) {
    // Bytes examined and files opened per call: a few milliseconds of work at most.
    size_t work = kWorkPerCall;
    int opens = kOpensPerCall;
    for (;;) {
        if (!passStarted_) BeginPass();
        if (!fileOpen_) {
            if (fileIndex_ >= files_.size()) {
                // A loop over files without one intact frame would spin for ever: it ends instead.
                if (mayLoop && loop_ && passFrames_ > 0) {
                    passStarted_ = false;
                    pacer_.Restart();
                    continue;
                }
                return Next::End;
            }
            if (opens-- <= 0) return Next::Busy;
            std::string& path = files_[fileIndex_];
            int skip = 0;
            const uint64_t at = openAtOffset_;
            openAtOffset_ = 0;
            const int read = source_ ? source_->OnFileRadarReadFileStart(path.data(), &skip, user_) : 1;
            if (!read || !reader_.Open(path, gateCount_, at)) {
                if (read && reader_.GateCountRefused()) {
                    CSimulationControl::Instance().damagedFrames += 1;
                    if (health_) health_->AddBadChecksums(1);
                    DbgOutputA(2, "playback: \"%s\" was recorded with another gate count, skipped\r\n", path.c_str());
                }
                if (source_ && read) source_->OnFileRadarReadFileEnd(path.data(), user_);
                doneBytes_ += sizes_[fileIndex_];
                ++fileIndex_;
                continue;
            }
            fileOpen_ = true;
            // A seek lands in the middle of the file: the frames to skip at its start are behind it.
            skipFrames_ = at ? 0 : skip;
            lastProgressTicks_ = RealNow();
        }
        const int damagedBefore = reader_.DamagedFrames();
        const size_t positionBefore = reader_.Position();
        const CRawDataReader::Result result = reader_.Step(frame, work);
        const uint64_t damaged = static_cast<uint64_t>(reader_.DamagedFrames() - damagedBefore);
        CSimulationControl::Instance().damagedFrames += damaged;
        if (health_ && damaged) health_->AddBadChecksums(damaged);
        const size_t used = reader_.Position() - positionBefore;
        work -= std::min(work, std::max<size_t>(used, 1));
        if (result == CRawDataReader::Result::Busy) return Next::Busy;
        if (result == CRawDataReader::Result::Frame) {
            // Every frame read takes its time, skipped or not, as the index's reading does.
            frame.playbackUs = timeline_.Next(frame.timestampUs);
            if (skipFrames_ > 0) {
                --skipFrames_;
                if (work == 0) return Next::Busy;
                continue;
            }
            ++passFrames_;
            ReportProgress(false);
            return Next::Frame;
        }
        CloseFile();
        doneBytes_ += sizes_[fileIndex_];
        ++fileIndex_;
        if (work == 0) return Next::Busy;
    }
}

void CFilePlaybackDevice::StartSeek(uint64_t timeUs) {
    pending_ = false;
    haveLastSeen_ = false;
    ended_ = false;
    CloseFile();
    if (!passStarted_) BeginPass();
    std::shared_ptr<CPlaybackIndex> index;
    {
        std::lock_guard lock(controlMutex_);
        index = index_;
    }
    CPlaybackIndex::Entry entry{};
    if (index && index->Before(timeUs, &entry) && entry.file < files_.size()) {
        fileIndex_ = entry.file;
        openAtOffset_ = entry.offset;
        timeline_.AnchorAt(entry.timeUs);
    } else {
        // Before the first frame, or nothing indexed yet: from the start of the pass.
        fileIndex_ = 0;
        openAtOffset_ = 0;
        timeline_.Reset();
    }
    doneBytes_ = 0;
    for (size_t i = 0; i < fileIndex_; ++i) doneBytes_ += sizes_[i];
    seeking_ = true;
    seekTargetUs_ = timeUs;
    pacer_.Restart();
}

void CFilePlaybackDevice::ApplyControls() {
    bool seek = false, speedChanged = false, heldChanged = false;
    uint64_t seekUs = 0;
    double speed = 0;
    {
        std::lock_guard lock(controlMutex_);
        if (seekRequested_) {
            seek = true;
            seekUs = seekRequestUs_;
            seekRequested_ = false;
            appliedGeneration_ = generation_.load();
        }
        if (speedChanged_) {
            speedChanged = true;
            speed = requestedSpeed_;
            speedChanged_ = false;
        }
        if (heldChanged_) {
            heldChanged = true;
            heldTaken_ = held_;
            heldChanged_ = false;
        }
    }
    // Outside the lock: a seek raises file events, whose receiver may call the controls.
    if (seek) {
        if (indexerControl_) indexerControl_->Go();
        StartSeek(seekUs);
    }
    if (speedChanged) pacer_.SetSpeed(speed, Now());
    if (heldChanged && !heldTaken_) pacer_.Restart();
}

RadarReadResult CFilePlaybackDevice::ReadFrame(RadarFrame& frame, uint32_t timeoutMs) {
    ApplyControls();
    if (ended_) {
        WaitIdle(std::min<uint32_t>(timeoutMs, 20));
        return RadarReadResult::End;
    }
    for (int passedOver = 0; !pending_; ++passedOver) {
        if (passedOver == kSkipsPerCall) return RadarReadResult::Timeout;
        const Next next = NextFrame(pendingFrame_, !seeking_);
        if (next == Next::Busy) return RadarReadResult::Timeout;
        if (next == Next::End) {
            if (seeking_ && haveLastSeen_) {
                // A seek past the last frame shows the last frame.
                pendingFrame_ = std::move(lastSeen_);
                haveLastSeen_ = false;
                seeking_ = false;
                pending_ = true;
                break;
            }
            if (seeking_) {
                // Nothing read since the seek: the end of the pass is handled as ever (a loop goes on).
                seeking_ = false;
                continue;
            }
            ended_ = true;
            if (indexerControl_) indexerControl_->Go();
            if (source_) source_->OnFileRadarReadEnd(user_);
            return RadarReadResult::End;
        }
        if (seeking_) {
            if (pendingFrame_.playbackUs < seekTargetUs_) {
                lastSeen_ = std::move(pendingFrame_);
                haveLastSeen_ = true;
                continue;
            }
            seeking_ = false;
            haveLastSeen_ = false;
        }
        pending_ = true;
    }
    // The first frame is read: the index may read too.
    if (indexerControl_) indexerControl_->Go();
    bool stepping = false;
    if (heldTaken_) {
        {
            std::lock_guard lock(controlMutex_);
            if (steps_ > 0) {
                --steps_;
                stepping = true;
            }
        }
        if (!stepping) {
            WaitIdle(timeoutMs);
            return RadarReadResult::Timeout;
        }
        // A step goes out at once; the pace starts anew with the resume.
        pacer_.Restart();
    } else {
        const int64_t wait = pacer_.Wait(pendingFrame_.playbackUs, Now());
        if (wait > 0) {
            const uint64_t waitUs = static_cast<uint64_t>((static_cast<double>(wait) * 1e6 + static_cast<double>(frequency_) - 1) /
                                                          static_cast<double>(frequency_));
            // Whatever ends the wait, the next call looks at the controls and the pace again.
            WaitPaced(std::min<uint64_t>(waitUs, static_cast<uint64_t>(timeoutMs) * 1000));
            return RadarReadResult::Timeout;
        }
    }
    pacer_.Delivered(pendingFrame_.playbackUs);
    frame = std::move(pendingFrame_);
    pending_ = false;
    frame.generation = appliedGeneration_;
    frame.pass = pass_;
    frame.ticks = Now();
    return RadarReadResult::Frame;
}

uint32_t CFilePlaybackDevice::Seek(uint64_t timeUs) {
    uint32_t generation;
    {
        std::lock_guard lock(controlMutex_);
        generation = generation_.fetch_add(1) + 1;
        seekRequested_ = true;
        seekRequestUs_ = timeUs;
        // Until the frame there is delivered, the position is the target, within the frames known.
        uint64_t current = timeUs;
        if (index_) {
            const CPlaybackIndex::Summary s = index_->Read();
            if (s.frames > 0) {
                current = std::max(current, s.firstUs);
                if (s.complete) current = std::min(current, s.lastUs);
            }
        }
        currentUs_ = current;
    }
    if (wake_) SetEvent(static_cast<HANDLE>(wake_));
    return generation;
}

void CFilePlaybackDevice::SetSpeed(double speed) {
    {
        std::lock_guard lock(controlMutex_);
        requestedSpeed_ = speed > 0 ? speed : 0;
        speedChanged_ = true;
    }
    if (wake_) SetEvent(static_cast<HANDLE>(wake_));
}

void CFilePlaybackDevice::SetLoop(bool loop) {
    loop_ = loop;
}

void CFilePlaybackDevice::SetHeld(bool held) {
    {
        std::lock_guard lock(controlMutex_);
        if (held_ == held) return;
        held_ = held;
        heldChanged_ = true;
        if (!held) steps_ = 0;
    }
    if (wake_) SetEvent(static_cast<HANDLE>(wake_));
}

bool CFilePlaybackDevice::Step() {
    {
        std::lock_guard lock(controlMutex_);
        if (!held_ || (ended_ && !seekRequested_)) return false;
        ++steps_;
    }
    if (wake_) SetEvent(static_cast<HANDLE>(wake_));
    return true;
}

void CFilePlaybackDevice::Delivered(const RadarFrame& frame) {
    std::lock_guard lock(controlMutex_);
    deliveredGeneration_ = frame.generation;
    deliveredPass_ = frame.pass;
    // A seek that came meanwhile keeps its target as the position.
    if (frame.generation == generation_.load()) currentUs_ = frame.playbackUs;
}

CFilePlaybackDevice::State CFilePlaybackDevice::Read() const {
    State s;
    std::lock_guard lock(controlMutex_);
    if (index_) {
        const CPlaybackIndex::Summary summary = index_->Read();
        s.indexComplete = summary.complete;
        s.framesIndexed = summary.frames;
        s.firstUs = summary.firstUs;
        s.lastUs = summary.lastUs;
    }
    s.currentUs = std::max(currentUs_, s.firstUs);
    s.generation = generation_.load();
    s.pass = deliveredPass_;
    s.frameGeneration = deliveredGeneration_;
    s.speed = requestedSpeed_;
    s.loop = loop_;
    s.held = held_;
    s.atEnd = ended_ && !seekRequested_;  // a seek on its way goes on from the end
    return s;
}
