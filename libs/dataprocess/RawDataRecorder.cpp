#include "RawDataRecorder.h"

#include "ROVA_DataProcess.h"
#include "RawFrameCodec.h"

CRawDataRecorder::~CRawDataRecorder() {
    Stop();
}

bool CRawDataRecorder::Start(const std::string& folder, const tagRADARPARAMETER& record) {
    Stop();
    failed_ = false;
    folder_ = folder;
    gateCount_ = static_cast<uint32_t>(record.gateCount);
    if (folder.empty() || !RecursiveCreateDirectoryA(folder.c_str())) {
        failed_ = true;
        return false;
    }
    char config[MAX_PATH];
    if (!CombinePathNameA(config, folder.c_str(), "FILE_Radar_Config.ini") ||
        !ROVA_Interface_RadarParameter_SaveToFile(config, &record)) {
        failed_ = true;
        return false;
    }
    return OpenNextFile();
}

bool CRawDataRecorder::OpenNextFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    char name[MAX_PATH], path[MAX_PATH];
    if (!GetFileNameByDateA(name, ".rvraw", "ROVA_Raw_", "", 0, 1, 0) || !CombinePathNameA(path, folder_.c_str(), name)) {
        failed_ = true;
        return false;
    }
    file_ = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        failed_ = true;
        return false;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const int64_t start = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const std::vector<uint8_t> header = CRawFrameCodec::EncodeFileHeader(gateCount_, start);
    DWORD written = 0;
    if (!WriteFile(file_, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
        written != header.size() || !FlushFileBuffers(file_)) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        DeleteFileA(path);
        failed_ = true;
        return false;
    }
    fileBytes_ = header.size();
    return true;
}

bool CRawDataRecorder::Write(const RadarFrame& frame) {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const std::vector<uint8_t> bytes = CRawFrameCodec::EncodeFrame(frame);
    if (fileBytes_ + bytes.size() > kMaxFileBytes && !OpenNextFile()) return false;
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file_)) {
        // Full disk or a vanished medium: what was flushed stays readable; stop here.
        DbgOutputA(2, "raw recording stopped: write error %lu\r\n", GetLastError());
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        failed_ = true;
        return false;
    }
    fileBytes_ += bytes.size();
    return true;
}

void CRawDataRecorder::Stop() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}
