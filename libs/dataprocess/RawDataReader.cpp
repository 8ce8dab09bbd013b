#include "RawDataReader.h"

#include <windows.h>

#include <algorithm>

#include "RawFrameCodec.h"

namespace {
constexpr size_t kChunk = 1u << 20;
}

CRawDataReader::~CRawDataReader() {
    Close();
}

void CRawDataReader::Close() {
    if (file_) CloseHandle(static_cast<HANDLE>(file_));
    file_ = nullptr;
}

bool CRawDataReader::Open(const std::string& path, uint32_t gateCount, uint64_t startOffset) {
    Close();
    data_.clear();
    base_ = 0;
    gateRefused_ = false;
    fileSize_ = 0;
    complete_ = false;
    scanner_.Reset(CRawFrameCodec::kFileHeaderSize);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = file;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) {
        Close();
        return false;
    }
    fileSize_ = static_cast<uint64_t>(size.QuadPart);
    // Only the frames present when the file was opened are read: a file still being written ends there.
    uint32_t recordedGates = 0;
    if (!ReadMore(CRawFrameCodec::kFileHeaderSize) ||
        !CRawFrameCodec::DecodeFileHeader(data_.data(), data_.size(), &recordedGates)) {
        Close();
        data_.clear();
        return false;
    }
    if (gateCount != 0 && recordedGates != gateCount) {
        Close();
        data_.clear();
        gateRefused_ = true;
        return false;
    }
    if (startOffset > CRawFrameCodec::kFileHeaderSize) {
        // Nothing before startOffset is looked at: the window of bytes starts there.
        const uint64_t start = std::min(startOffset, fileSize_);
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(start);
        if (!complete_ && !SetFilePointerEx(static_cast<HANDLE>(file_), to, nullptr, FILE_BEGIN)) {
            Close();
            data_.clear();
            return false;
        }
        data_.clear();
        base_ = static_cast<size_t>(start);
        scanner_.Reset(base_);
        if (start >= fileSize_) {
            complete_ = true;
            Close();
        }
    }
    return true;
}

bool CRawDataReader::ReadMore(size_t chunk) {
    if (complete_) return true;
    // What lies behind the scanner's position is never looked at again: drop it before reading on.
    const size_t position = scanner_.Position();
    if (position > base_) {
        const size_t drop = std::min(position - base_, data_.size());
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(drop));
        base_ += drop;
    }
    const uint64_t held = base_ + data_.size();
    const size_t want = static_cast<size_t>(std::min<uint64_t>(chunk, fileSize_ - held));
    const size_t before = data_.size();
    data_.resize(before + want);
    DWORD got = 0;
    const bool ok = file_ && (want == 0 || ReadFile(static_cast<HANDLE>(file_), data_.data() + before,
                                                     static_cast<DWORD>(want), &got, nullptr));
    data_.resize(before + got);
    // A file cut shorter since it was opened ends where it ends now.
    if (!ok || got < want || base_ + data_.size() >= fileSize_) {
        complete_ = true;
        Close();
    }
    return ok;
}

CRawDataReader::Result CRawDataReader::Step(RadarFrame& frame, size_t work) {
    size_t allowance = std::max<size_t>(work, 1);
    for (;;) {
        switch (scanner_.Next(data_.data(), base_, base_ + data_.size(), complete_, frame, &allowance)) {
        case CRawFrameScanner::Step::Frame: return Result::Frame;
        case CRawFrameScanner::Step::End: return Result::End;
        case CRawFrameScanner::Step::Busy: return Result::Busy;
        case CRawFrameScanner::Step::NeedMore:
            ReadMore(kChunk);
            allowance -= std::min(allowance, kChunk / 16);  // reading costs too, far less than scanning
            if (allowance == 0) return Result::Busy;
            break;
        }
    }
}

bool CRawDataReader::Next(RadarFrame& frame) {
    for (;;) {
        const Result r = Step(frame, 1u << 22);
        if (r != Result::Busy) return r == Result::Frame;
    }
}
