#include "RawDataReader.h"

#include <windows.h>

#include <algorithm>

#include "RawFrameCodec.h"

bool CRawDataReader::Open(const std::string& path) {
    data_.clear();
    position_ = 0;
    damaged_ = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= (1LL << 30);
    if (ok) {
        data_.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < data_.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(data_.size() - done, 1 << 24));
            ok = ReadFile(file, data_.data() + done, want, &got, nullptr) && got > 0;
            done += got;
        }
    }
    CloseHandle(file);
    if (!ok || !CRawFrameCodec::DecodeFileHeader(data_.data(), data_.size(), nullptr)) {
        data_.clear();
        return false;
    }
    position_ = CRawFrameCodec::kFileHeaderSize;
    return true;
}

bool CRawDataReader::Next(RadarFrame& frame) {
    bool inDamage = false;
    while (position_ < data_.size()) {
        size_t consumed = 0;
        const auto result =
            CRawFrameCodec::DecodeFrame(data_.data() + position_, data_.size() - position_, frame, &consumed);
        if (result == CRawFrameCodec::DecodeResult::Ok) {
            position_ += consumed;
            return true;
        }
        // Bad or cut short: search for the next record that checks out.
        if (!inDamage) {
            inDamage = true;
            ++damaged_;
        }
        ++position_;
    }
    return false;
}
