#include "RawDataRecorder.h"

#include "ROVA_DataProcess.h"
#include "RawFrameCodec.h"

tagRADARRECORDINGHEALTH RecordingHealth::Read() const {
    tagRADARRECORDINGHEALTH h{};
    h.structSize = sizeof h;
    h.state = state.load();
    h.lastError = lastError.load();
    h.failures = failures.load();
    h.resumes = resumes.load();
    h.framesRecorded = framesRecorded.load();
    h.framesLost = framesLost.load();
    return h;
}

CRawDataRecorder::CRawDataRecorder() : CRawDataRecorder(Hooks{}) {}

CRawDataRecorder::CRawDataRecorder(Hooks hooks) : hooks_(std::move(hooks)) {
    if (!hooks_.write) {
        hooks_.write = [](HANDLE file, const void* data, DWORD size, DWORD* error) {
            DWORD written = 0;
            if (WriteFile(file, data, size, &written, nullptr) && written == size && FlushFileBuffers(file)) return true;
            *error = GetLastError();
            if (*error == ERROR_SUCCESS) *error = ERROR_DISK_FULL;  // a short write: no room for the rest
            return false;
        };
    }
    if (!hooks_.clock) hooks_.clock = [] { return GetTickCount64(); };
}

CRawDataRecorder::~CRawDataRecorder() {
    Stop();
}

bool CRawDataRecorder::Start(const std::string& folder, const tagRADARPARAMETER& record) {
    Stop();
    health_ = std::make_shared<RecordingHealth>();
    folder_ = folder;
    ROVA_Interface_RadarParameter_Copy(&record_, &record);
    gateCount_ = static_cast<uint32_t>(record.gateCount);
    prepared_ = false;
    active_ = true;
    holding_ = false;
    failing_ = false;
    lastAttempt_ = hooks_.clock();
    if (paused_) {
        // The folder and its configuration take a few kilobytes; the frames wait for the resume.
        const bool prepared = Prepare();
        holding_ = true;
        health_->state = RADAR_RECORDING_PAUSED;
        return prepared;
    }
    if (Prepare() && OpenNextFile()) {
        health_->state = RADAR_RECORDING_WRITING;
        return true;
    }
    return false;
}

bool CRawDataRecorder::Prepare() {
    if (prepared_) return true;
    if (folder_.empty() || !RecursiveCreateDirectoryA(folder_.c_str())) {
        Fail(GetLastError());
        return false;
    }
    char config[MAX_PATH];
    if (!CombinePathNameA(config, folder_.c_str(), "FILE_Radar_Config.ini") ||
        !ROVA_Interface_RadarParameter_SaveToFile(config, &record_)) {
        Fail(GetLastError());
        return false;
    }
    prepared_ = true;
    return true;
}

void CRawDataRecorder::Fail(DWORD error) {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    health_->lastError = error ? error : ERROR_WRITE_FAULT;
    health_->state = RADAR_RECORDING_FAILING;
    if (!failing_) {
        failing_ = true;
        health_->failures += 1;
        DbgOutputA(2, "raw recording cannot write: error %lu; trying again\r\n", static_cast<unsigned long>(error));
    }
}

bool CRawDataRecorder::WriteBytes(const void* data, DWORD size, DWORD* error) {
    LARGE_INTEGER start{};
    const LARGE_INTEGER zero{};
    SetFilePointerEx(file_, zero, &start, FILE_CURRENT);
    if (hooks_.write(file_, data, size, error)) return true;
    // Whole frames only: what a refused write left of this one goes again.
    SetFilePointerEx(file_, start, nullptr, FILE_BEGIN);
    SetEndOfFile(file_);
    return false;
}

bool CRawDataRecorder::OpenNextFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    char name[MAX_PATH], path[MAX_PATH];
    if (!GetFileNameByDateA(name, ".rvraw", "ROVA_Raw_", "", 0, 1, 0) || !CombinePathNameA(path, folder_.c_str(), name)) {
        Fail(ERROR_BUFFER_OVERFLOW);
        return false;
    }
    file_ = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        Fail(GetLastError());
        return false;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t start = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::vector<uint8_t> header = CRawFrameCodec::EncodeFileHeader(gateCount_, start);
    DWORD error = 0;
    if (!WriteBytes(header.data(), static_cast<DWORD>(header.size()), &error)) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        DeleteFileA(path);
        Fail(error);
        return false;
    }
    fileBytes_ = header.size();
    return true;
}

bool CRawDataRecorder::HoldWhilePaused() {
    if (paused_) {
        if (!holding_) {
            if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
            file_ = INVALID_HANDLE_VALUE;
            holding_ = true;
        }
        health_->state = RADAR_RECORDING_PAUSED;
        return true;
    }
    if (holding_) {
        // Resumed: a new file at once, not after a retry interval.
        holding_ = false;
        lastAttempt_ = hooks_.clock() - kRetryMs;
    }
    return false;
}

bool CRawDataRecorder::Write(const RadarFrame& frame) {
    if (!active_ || HoldWhilePaused()) return false;
    if (file_ == INVALID_HANDLE_VALUE) {
        // Failing: a new file every kRetryMs, the frames in between are lost.
        const uint64_t now = hooks_.clock();
        if (now - lastAttempt_ < kRetryMs) {
            health_->framesLost += 1;
            return false;
        }
        lastAttempt_ = now;
        if (!Prepare() || !OpenNextFile()) {
            health_->framesLost += 1;
            return false;
        }
        if (failing_) {
            failing_ = false;
            health_->resumes += 1;
            DbgOutputA(2, "raw recording writes again\r\n");
        }
        health_->state = RADAR_RECORDING_WRITING;
    }
    const std::vector<uint8_t> bytes = CRawFrameCodec::EncodeFrame(frame);
    if (fileBytes_ + bytes.size() > kMaxFileBytes && !OpenNextFile()) {
        lastAttempt_ = hooks_.clock();
        health_->framesLost += 1;
        return false;
    }
    DWORD error = 0;
    if (!WriteBytes(bytes.data(), static_cast<DWORD>(bytes.size()), &error)) {
        // Full disk or a vanished medium: what was flushed stays readable; a new file later.
        Fail(error);
        lastAttempt_ = hooks_.clock();
        health_->framesLost += 1;
        return false;
    }
    fileBytes_ += bytes.size();
    health_->framesRecorded += 1;
    return true;
}

void CRawDataRecorder::Stop() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    active_ = false;
}
