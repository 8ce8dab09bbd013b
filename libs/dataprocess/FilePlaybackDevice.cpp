#include "FilePlaybackDevice.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "LinkHealth.h"
#include "ROVA_Common.h"
#include "ROVA_DataProcess.h"
#include "SimulationControl.h"

namespace {
int64_t Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}
// A jump in time stamps larger than this (or backwards) is the seam between two recordings.
constexpr uint64_t kMaxGapUs = 5'000'000;
// Work of one ReadFrame call before it hands control back (and a Stop is seen).
constexpr size_t kWorkPerCall = 4u << 20;
constexpr int kOpensPerCall = 16;
}  // namespace

CFilePlaybackDevice::CFilePlaybackDevice(std::string folder, IFileRadarDataSource* source, uint64_t user, bool loop,
                                         uint32_t gateCount)
    : folder_(std::move(folder)), source_(source), user_(user), loop_(loop), gateCount_(gateCount) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    frequency_ = f.QuadPart;
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

bool CFilePlaybackDevice::StartStream(std::string& error) {
    if (!IsDirA(folder_.c_str())) {
        error = "The playback folder \"" + folder_ + "\" does not exist.";
        return false;
    }
    speed_ = CSimulationControl::Instance().playbackSpeed();
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
    fileOpen_ = false;
    ended_ = false;
    skipFrames_ = 0;
    reader_.Close();
    pending_ = false;
    clockSet_ = false;
    return true;
}

void CFilePlaybackDevice::ReportProgress(bool force) {
    if (!source_ || !fileOpen_) return;
    const int64_t now = Now();
    if (!force && now - lastProgressTicks_ < frequency_ / 10) return;
    lastProgressTicks_ = now;
    const double filePercent = reader_.Size() ? 100.0 * reader_.Position() / reader_.Size() : 100.0;
    const double totalPercent = totalBytes_ ? 100.0 * (doneBytes_ + reader_.Position()) / totalBytes_ : 100.0;
    source_->OnFileRadarReadProcess(filePercent, std::min(100.0, totalPercent));
}

CFilePlaybackDevice::Next CFilePlaybackDevice::NextFrame(RadarFrame& frame) {
    // Bytes examined and files opened per call: a few milliseconds of work at most.
    size_t work = kWorkPerCall;
    int opens = kOpensPerCall;
    for (;;) {
        if (!passStarted_) {
            if (source_) source_->OnFileRadarReadLoopStart(user_);
            passStarted_ = true;
            fileIndex_ = 0;
            doneBytes_ = 0;
            passFrames_ = 0;
        }
        if (!fileOpen_) {
            if (fileIndex_ >= files_.size()) {
                // A loop over files without one intact frame would spin for ever: it ends instead.
                if (loop_ && passFrames_ > 0) {
                    passStarted_ = false;
                    clockSet_ = false;
                    continue;
                }
                return Next::End;
            }
            if (opens-- <= 0) return Next::Busy;
            std::string& path = files_[fileIndex_];
            int skip = 0;
            const int read = source_ ? source_->OnFileRadarReadFileStart(path.data(), &skip, user_) : 1;
            if (!read || !reader_.Open(path, gateCount_)) {
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
            skipFrames_ = skip;
            lastProgressTicks_ = Now();
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
            if (skipFrames_ > 0) {
                --skipFrames_;
                if (work == 0) return Next::Busy;
                continue;
            }
            ++passFrames_;
            ReportProgress(false);
            return Next::Frame;
        }
        ReportProgress(true);
        if (source_) source_->OnFileRadarReadFileEnd(files_[fileIndex_].data(), user_);
        reader_.Close();
        fileOpen_ = false;
        doneBytes_ += sizes_[fileIndex_];
        ++fileIndex_;
        if (work == 0) return Next::Busy;
    }
}

RadarReadResult CFilePlaybackDevice::ReadFrame(RadarFrame& frame, uint32_t timeoutMs) {
    if (ended_) {
        Sleep(std::min<uint32_t>(timeoutMs, 20));
        return RadarReadResult::End;
    }
    if (!pending_) {
        const Next next = NextFrame(pendingFrame_);
        if (next == Next::Busy) return RadarReadResult::Timeout;
        if (next == Next::End) {
            ended_ = true;
            if (source_) source_->OnFileRadarReadEnd(user_);
            return RadarReadResult::End;
        }
        pending_ = true;
    }
    const int64_t now = Now();
    const uint64_t stamp = pendingFrame_.timestampUs;
    if (!clockSet_ || stamp < lastStampUs_ || stamp - lastStampUs_ > kMaxGapUs) {
        clockSet_ = true;
        baseTicks_ = now;
        baseStampUs_ = stamp;
    }
    if (speed_ > 0) {
        const double dueSeconds = static_cast<double>(stamp - baseStampUs_) / 1e6 / speed_;
        const int64_t due = baseTicks_ + static_cast<int64_t>(dueSeconds * frequency_);
        if (now - due > frequency_ / 5) {
            // Held up (a pause, a slow listener): go on from here at the recorded pace.
            baseTicks_ = now;
            baseStampUs_ = stamp;
        } else if (due > now) {
            const int64_t waitMs = (due - now) * 1000 / frequency_;
            if (waitMs > static_cast<int64_t>(timeoutMs)) {
                Sleep(timeoutMs);
                return RadarReadResult::Timeout;
            }
            if (waitMs > 0) Sleep(static_cast<DWORD>(waitMs));
        }
    }
    lastStampUs_ = stamp;
    frame = std::move(pendingFrame_);
    pending_ = false;
    frame.ticks = Now();
    return RadarReadResult::Frame;
}
