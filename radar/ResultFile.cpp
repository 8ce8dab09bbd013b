#include "radar/ResultFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "contracts/ROVA_Common.h"
#include "framework/FreshName.h"

CResultFile::CResultFile() : CResultFile(Hooks{}) {}

CResultFile::CResultFile(Hooks hooks) : m_hooks(std::move(hooks)) {
    if (!m_hooks.clock) m_hooks.clock = [] { return MS_GetTime(); };
    if (!m_hooks.commit) m_hooks.commit = [](HANDLE file) { ::FlushFileBuffers(file); };
    if (!m_hooks.stem) m_hooks.stem = [] { return DatedStemW(L"ROVA_MTT_Result_"); };
}

namespace {

// Two decimals for every value a sensor measures; beyond that (a damaged or forged recording) the
// exponent form, so that a line stays short enough for its buffer and keeps its end.
constexpr double kPlainLimit = 1e15;

void AppendValue(std::string& line, double v) {
    char text[32];
    if (std::isnan(v)) {
        snprintf(text, sizeof text, "nan");
    } else if (std::isinf(v)) {
        snprintf(text, sizeof text, "%s", v < 0 ? "-inf" : "inf");
    } else {
        snprintf(text, sizeof text, std::fabs(v) < kPlainLimit ? "%.2f" : "%.6e", v);
    }
    line += ", ";
    line += text;
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
    if (file == INVALID_HANDLE_VALUE) return false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_file = file;
        m_path = path;
        m_buffered.clear();
        m_uncommitted = false;
        m_anyLine = false;
        m_lastCommit = m_hooks.clock();
    }
    if (m_hooks.timerMs != 0 &&
        !::CreateTimerQueueTimer(&m_timer, nullptr, OnTimer, this, m_hooks.timerMs, m_hooks.timerMs, WT_EXECUTEDEFAULT)) {
        m_timer = nullptr;  // lines then go over as later lines come and at the close
    }
    return true;
}

void CALLBACK CResultFile::OnTimer(void* self, BOOLEAN) { static_cast<CResultFile*>(self)->Flush(); }

void CResultFile::WriteLine(int64_t objectId, double distance, double angle, double velocity) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[kMaxLineBytes];
    const int length = FormatLine(line, sizeof line, now, objectId, distance, angle, velocity);
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file == INVALID_HANDLE_VALUE) return;
    const uint32_t tick = m_hooks.clock();
    if (m_buffered.empty()) m_bufferedSince = tick;
    m_anyLine = true;
    m_buffered.append(line, static_cast<size_t>(length));
    if (m_buffered.size() >= kHandOverBytes) HandOverLocked();
    // A busy run hands over here as well, without waiting for the timer.
    FlushLocked(tick);
}

void CResultFile::Flush() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file != INVALID_HANDLE_VALUE) FlushLocked(m_hooks.clock());
}

void CResultFile::HandOverLocked() {
    // One write of whole lines: a crash between two writes never leaves a partial line. A failing
    // disk drops what it refused, as a full disk would; the run goes on.
    const char* data = m_buffered.data();
    size_t left = m_buffered.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(m_file, data, static_cast<DWORD>(left), &written, nullptr) || written == 0) break;
        data += written;
        left -= written;
    }
    m_buffered.clear();
    m_uncommitted = true;
}

void CResultFile::FlushLocked(uint32_t now) {
    if (!m_buffered.empty() && now - m_bufferedSince >= kHandOverMs) HandOverLocked();
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
    if (m_file == INVALID_HANDLE_VALUE) return;
    if (!m_buffered.empty()) HandOverLocked();
    if (m_uncommitted) m_hooks.commit(m_file);
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_uncommitted = false;
}

void CResultFile::CloseDiscardingEmpty() {
    std::wstring empty;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_file != INVALID_HANDLE_VALUE && !m_anyLine) empty = m_path;
    }
    Close();
    if (!empty.empty()) ::DeleteFileW(empty.c_str());
}

bool CResultFile::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file != INVALID_HANDLE_VALUE;
}

std::wstring CResultFile::Path() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}
