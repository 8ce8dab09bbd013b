#include "areas/ZoneEventLog.h"

#include <fcntl.h>
#include <io.h>

#include <cmath>

#include "areas/MeasureText.h"
#include "contracts/ROVA_Common.h"
#include "framework/FreshName.h"

namespace {

void AppendValue(std::string& line, double v) {
    line += MeasureText(v);
    line += ',';
}

}  // namespace

std::string ZoneEventLog::FormatEvent(const ZoneEvent& e, const SYSTEMTIME* clock) {
    char head[96];
    snprintf(head, sizeof head, "%s,%d,%lld,%llu,", e.kind == ZoneEvent::Entry ? "entry" : "exit", e.area,
             static_cast<long long>(e.id), static_cast<unsigned long long>(e.timeMs));
    std::string line = head;
    if (clock) {
        char when[48];
        snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d.%03d", clock->wYear, clock->wMonth, clock->wDay,
                 clock->wHour, clock->wMinute, clock->wSecond, clock->wMilliseconds);
        line += when;
    }
    line += ',';
    AppendValue(line, e.distance);
    AppendValue(line, e.angle);
    if (e.kind == ZoneEvent::Exit) line += std::to_string(e.dwellMs);
    return line;
}

bool ZoneEventLog::Adopt(FILE* file, const wchar_t* path) {
    if (!file) return false;
    fputs(kHeader, file);
    fputs("\r\n", file);
    fflush(file);
    std::lock_guard<std::mutex> guard(m_lock);
    m_file = file;
    m_path = path;
    m_lastFlush = ::GetTickCount64();
    m_dirty = false;
    return true;
}

bool ZoneEventLog::OpenInFolder(const wchar_t* folder) {
    Close();
    if (!folder) return false;
    RecursiveCreateDirectoryW(folder);
    std::wstring path;
    const HANDLE file = CreateFreshFileW(folder, DatedStemW(L"ROVA_MTT_Zones_"), L".csv", FILE_SHARE_READ, &path);
    if (file == INVALID_HANDLE_VALUE) return false;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        ::CloseHandle(file);
        return false;
    }
    FILE* stream = _fdopen(fd, "wb");
    if (!stream) {
        _close(fd);
        return false;
    }
    return Adopt(stream, path.c_str());
}

bool ZoneEventLog::OpenFile(const wchar_t* path) {
    Close();
    return path && Adopt(_wfopen(path, L"wb"), path);
}

void ZoneEventLog::SetStreamStart(const FILETIME& utc) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_start.LowPart = utc.dwLowDateTime;
    m_start.HighPart = utc.dwHighDateTime;
    m_hasStart = m_start.QuadPart != 0;
}

void ZoneEventLog::Write(const std::vector<ZoneEvent>& events) {
    if (events.empty()) return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file) return;
    for (const ZoneEvent& e : events) {
        SYSTEMTIME local{};
        bool haveClock = false;
        if (m_hasStart) {
            ULARGE_INTEGER at = m_start;
            at.QuadPart += e.timeMs * 10000;
            FILETIME utc{at.LowPart, at.HighPart}, localTime;
            haveClock = ::FileTimeToLocalFileTime(&utc, &localTime) && ::FileTimeToSystemTime(&localTime, &local);
        }
        std::string line = FormatEvent(e, haveClock ? &local : nullptr);
        line += "\r\n";
        // A failed write loses the line, never the file.
        fwrite(line.data(), 1, line.size(), m_file);
    }
    m_dirty = true;
    const uint64_t now = ::GetTickCount64();
    if (now - m_lastFlush >= kFlushIntervalMs) {
        fflush(m_file);
        m_lastFlush = now;
        m_dirty = false;
    }
}

void ZoneEventLog::Flush() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file || !m_dirty) return;
    fflush(m_file);
    m_lastFlush = ::GetTickCount64();
    m_dirty = false;
}

void ZoneEventLog::Close() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file) return;
    fclose(m_file);
    m_file = nullptr;
}

void ZoneEventLog::Discard() {
    std::wstring path;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_file) return;
        fclose(m_file);
        m_file = nullptr;
        path = m_path;
    }
    ::DeleteFileW(path.c_str());
}

bool ZoneEventLog::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file != nullptr;
}

std::wstring ZoneEventLog::Path() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}
