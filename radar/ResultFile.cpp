#include "radar/ResultFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "areas/MeasureText.h"
#include "contracts/ROVA_Common.h"
#include "framework/FreshName.h"

CResultFile::CResultFile() : CResultFile(Hooks{}) {}

CResultFile::CResultFile(Hooks hooks) : m_hooks(std::move(hooks)) {
    if (!m_hooks.clock) m_hooks.clock = [] { return MS_GetTime(); };
    if (!m_hooks.commit) m_hooks.commit = [](HANDLE file) { ::FlushFileBuffers(file); };
    if (!m_hooks.stem) m_hooks.stem = [] { return DatedStemW(L"ROVA_MTT_Result_"); };
    if (!m_hooks.write) {
        m_hooks.write = [](HANDLE file, const char* data, DWORD size, DWORD* error) {
            DWORD done = 0;
            while (done < size) {
                DWORD written = 0;
                if (!::WriteFile(file, data + done, size - done, &written, nullptr) || written == 0) {
                    *error = ::GetLastError();
                    if (*error == ERROR_SUCCESS) *error = ERROR_DISK_FULL;
                    break;
                }
                done += written;
            }
            return done;
        };
    }
}

namespace {

void AppendValue(std::string& line, double v) {
    line += ", ";
    line += MeasureText(v);
}

}  // namespace

int CResultFile::FormatLine(char* out, size_t size, const SYSTEMTIME& t, int64_t objectId, double distance,
                            double angle, double velocity) {
    char head[48];
    snprintf(head, sizeof head, "[%02d:%02d:%02d.%03d], %lld", t.wHour % 100, t.wMinute % 100, t.wSecond % 100,
             t.wMilliseconds % 1000, static_cast<long long>(objectId));
    std::string line = head;
    AppendValue(line, distance);
    AppendValue(line, angle);
    AppendValue(line, velocity);
    line += "\r\n";
    // Whole lines or none: a cut line would run into the next one.
    if (!out || line.size() >= size) return 0;
    memcpy(out, line.c_str(), line.size() + 1);
    return static_cast<int>(line.size());
}

bool CResultFile::Open(const wchar_t* folder) {
    Close();
    if (!folder) return false;
    RecursiveCreateDirectoryW(folder);
    std::wstring path;
    // Readable while it is written: the operator may watch the results of a run.
    const HANDLE file = CreateFreshFileW(folder, m_hooks.stem(), L".txt", FILE_SHARE_READ | FILE_SHARE_WRITE, &path);
    const DWORD openError = file == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    {
        // A file that cannot be made now (a full disk, a folder not writable) is tried again as
        // lines come: the run's results are kept meanwhile.
        std::lock_guard<std::mutex> guard(m_lock);
        m_file = file;
        m_open = true;
        m_path = path;
        m_folder = folder;
        m_buffered.clear();
        m_uncommitted = false;
        m_anyLine = false;
        m_fileBytes = 0;
        m_health = WriteHealth{};
        m_lastCommit = m_hooks.clock();
        if (file == INVALID_HANDLE_VALUE) {
            m_health.failing = true;
            m_health.error = openError;
            m_lastAttempt = m_lastCommit;
        }
    }
    if (m_hooks.timerMs != 0 &&
        !::CreateTimerQueueTimer(&m_timer, nullptr, OnTimer, this, m_hooks.timerMs, m_hooks.timerMs, WT_EXECUTEDEFAULT)) {
        m_timer = nullptr;  // lines then go over as later lines come and at the close
    }
    return file != INVALID_HANDLE_VALUE;
}

void CALLBACK CResultFile::OnTimer(void* self, BOOLEAN) { static_cast<CResultFile*>(self)->Flush(); }

void CResultFile::WriteLine(int64_t objectId, double distance, double angle, double velocity) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[kMaxLineBytes];
    const int length = FormatLine(line, sizeof line, now, objectId, distance, angle, velocity);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_open) return;
    const uint32_t tick = m_hooks.clock();
    if (m_buffered.empty()) m_bufferedSince = tick;
    m_anyLine = true;
    m_buffered.append(line, static_cast<size_t>(length));
    if (m_buffered.size() >= kHandOverBytes && !m_health.failing) HandOverLocked();
    // A busy run hands over here as well, without waiting for the timer.
    FlushLocked(tick);
}

void CResultFile::Flush() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_open) FlushLocked(m_hooks.clock());
}

void CResultFile::HandOverLocked() {
    // One write of whole lines: a crash between two writes never leaves a partial line.
    if (m_buffered.empty()) return;
    if (m_file == INVALID_HANDLE_VALUE && !ReopenLocked()) return;
    DWORD error = 0;
    const DWORD size = static_cast<DWORD>(std::min<size_t>(m_buffered.size(), 0x7FFFFFFF));
    const DWORD written = m_hooks.write(m_file, m_buffered.data(), size, &error);
    if (written == size) {
        m_fileBytes += written;
        m_buffered.erase(0, written);
        m_uncommitted = true;
        if (m_health.failing) DbgOutputA(2, "result file written again\r\n");
        m_health.failing = false;
        return;
    }
    // Refused: the part of a line that went is cut off again, every line waits for the next try.
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(m_fileBytes);
    if (!::SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(m_file)) {
        // This file cannot be continued whole: the next try opens a new one.
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    if (!m_health.failing) DbgOutputA(2, "result file cannot write: error %lu\r\n", static_cast<unsigned long>(error));
    m_health.failing = true;
    m_health.error = error;
    m_lastAttempt = m_hooks.clock();
    DropOldestLocked();
}

bool CResultFile::ReopenLocked() {
    std::wstring path;
    const HANDLE file = CreateFreshFileW(m_folder, m_hooks.stem(), L".txt", FILE_SHARE_READ | FILE_SHARE_WRITE, &path);
    if (file == INVALID_HANDLE_VALUE) {
        m_health.failing = true;
        m_health.error = ::GetLastError();
        m_lastAttempt = m_hooks.clock();
        DropOldestLocked();
        return false;
    }
    m_file = file;
    m_path = path;
    m_fileBytes = 0;
    return true;
}

void CResultFile::DropOldestLocked() {
    if (m_buffered.size() <= kMostHeldBytes) return;
    // The oldest whole lines go, so that what waits stays in bounds.
    const size_t cut = m_buffered.find('\n', m_buffered.size() - kMostHeldBytes);
    const size_t upTo = cut == std::string::npos ? m_buffered.size() : cut + 1;
    m_health.lostLines += static_cast<uint64_t>(std::count(m_buffered.begin(), m_buffered.begin() + upTo, '\n'));
    m_buffered.erase(0, upTo);
}

void CResultFile::FlushLocked(uint32_t now) {
    if (m_health.failing) {
        if (now - m_lastAttempt >= kRetryMs) HandOverLocked();
        DropOldestLocked();
    } else if (!m_buffered.empty() && now - m_bufferedSince >= kHandOverMs) {
        HandOverLocked();
    }
    if (m_file == INVALID_HANDLE_VALUE) return;
    if (m_uncommitted && now - m_lastCommit >= kCommitIntervalMs) {
        m_hooks.commit(m_file);
        m_uncommitted = false;
        m_lastCommit = now;
    }
}

void CResultFile::StopTimer() {
    // Waits for a running callback; it takes the lock, so the lock must not be held here.
    if (m_timer) ::DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE);
    m_timer = nullptr;
}

void CResultFile::Close() {
    StopTimer();
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_open) return;
    HandOverLocked();  // a last try, whenever the one before
    m_health.lostLines += static_cast<uint64_t>(std::count(m_buffered.begin(), m_buffered.end(), '\n'));
    m_buffered.clear();
    if (m_file != INVALID_HANDLE_VALUE) {
        if (m_uncommitted) m_hooks.commit(m_file);
        ::CloseHandle(m_file);
    }
    m_file = INVALID_HANDLE_VALUE;
    m_uncommitted = false;
    m_open = false;
}

void CResultFile::CloseDiscardingEmpty() {
    std::wstring empty;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_open && !m_anyLine && m_file != INVALID_HANDLE_VALUE) empty = m_path;
    }
    Close();
    if (!empty.empty()) ::DeleteFileW(empty.c_str());
}

bool CResultFile::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_open;
}

CResultFile::WriteHealth CResultFile::Health() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_health;
}

std::wstring CResultFile::Path() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}
