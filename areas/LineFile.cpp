#include "areas/LineFile.h"

#include <algorithm>

#include "contracts/ROVA_Common.h"
#include "framework/FreshName.h"

namespace {

// Readable while it is written: the operator may watch the lines of a run.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

int DayOf(const SYSTEMTIME& t) { return t.wYear * 10000 + t.wMonth * 100 + t.wDay; }

uint64_t LineCount(const std::string& text, size_t upTo) {
    return static_cast<uint64_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(upTo), '\n'));
}

}  // namespace

CLineFile::CLineFile(const Kind& kind, Hooks hooks) : m_kind(kind), m_hooks(std::move(hooks)) {
    if (!m_hooks.clock) m_hooks.clock = [] { return MS_GetTime(); };
    if (!m_hooks.commit) m_hooks.commit = [](HANDLE file) { ::FlushFileBuffers(file); };
    if (!m_hooks.stem) {
        const std::wstring prefix = m_kind.prefix;
        if (m_hooks.localTime) {
            // A test's clock names the files it rolls over to.
            m_hooks.stem = [prefix, clock = m_hooks.localTime] { return DatedStemW(prefix.c_str(), clock()); };
        } else {
            m_hooks.stem = [prefix] { return DatedStemW(prefix.c_str()); };
        }
    }
    if (!m_hooks.localTime) {
        m_hooks.localTime = [] {
            SYSTEMTIME now;
            ::GetLocalTime(&now);
            return now;
        };
    }
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

void CLineFile::Reset() {
    m_held.clear();
    m_dayBreaks.clear();
    m_day = DayOf(m_hooks.localTime());
    m_fileBytes = 0;
    m_headerDone = false;
    m_fileHasLines = false;
    m_anyLine = false;
    m_uncommitted = false;
    m_health = LineFileHealth{};
    m_lastCommit = m_hooks.clock();
}

bool CLineFile::Open(const std::wstring& folder, const std::wstring& stem) {
    Close();
    if (folder.empty()) return false;
    bool made = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Reset();
        m_open = true;
        m_folder = folder;
        m_path.clear();
        // A file that cannot be made now (a full disk, a folder not writable) is tried again as
        // lines come: the run's lines are kept meanwhile.
        made = NextFileLocked(stem);
    }
    StartTimer();
    return made;
}

bool CLineFile::OpenExact(const std::wstring& path) {
    Close();
    if (path.empty()) return false;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, kShare, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Reset();
        m_open = true;
        const size_t slash = path.find_last_of(L"\\/");
        m_folder = slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
        m_path = path;
        m_file = file;
        m_headerDone = !*m_kind.header;
        WriteHeaderLocked();
    }
    StartTimer();
    return true;
}

void CLineFile::StartTimer() {
    if (m_hooks.timerMs != 0 &&
        !::CreateTimerQueueTimer(&m_timer, nullptr, OnTimer, this, m_hooks.timerMs, m_hooks.timerMs, WT_EXECUTEDEFAULT)) {
        m_timer = nullptr;  // lines then go over as later lines come and at the close
    }
}

void CALLBACK CLineFile::OnTimer(void* self, BOOLEAN) { static_cast<CLineFile*>(self)->Flush(); }

void CLineFile::StopTimer() {
    // Waits for a running callback; it takes the lock, so the lock must not be held here.
    if (m_timer) ::DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE);
    m_timer = nullptr;
}

void CLineFile::Write(std::string_view lines, const SYSTEMTIME& now) {
    if (lines.empty()) return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_open) return;
    const uint32_t tick = m_hooks.clock();
    const int day = DayOf(now);
    if (day != m_day) {
        // The first line of a new day starts a new file; a file that has no line yet takes it.
        if ((!m_held.empty() || m_fileHasLines) && (m_dayBreaks.empty() || m_dayBreaks.back() != m_held.size()))
            m_dayBreaks.push_back(m_held.size());
        m_day = day;
    }
    if (m_held.empty()) m_heldSince = tick;
    m_anyLine = true;
    m_held.append(lines);
    PumpLocked(tick, false);
}

void CLineFile::Flush() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_open) PumpLocked(m_hooks.clock(), false);
}

void CLineFile::FlushAll() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_open) PumpLocked(m_hooks.clock(), true);
}

void CLineFile::PumpLocked(uint32_t now, bool all) {
    if (m_health.failing) {
        if (now - m_lastAttempt >= kRetryMs) HandOverLocked();
    } else if (!m_held.empty() && (all || m_kind.handOverMs == 0 || m_held.size() >= kHandOverBytes ||
                                   now - m_heldSince >= m_kind.handOverMs)) {
        HandOverLocked();
    }
    if (m_health.failing) DropOldestLocked();
    if (m_file == INVALID_HANDLE_VALUE) return;
    if (m_uncommitted && now - m_lastCommit >= kCommitIntervalMs) {
        m_hooks.commit(m_file);
        m_uncommitted = false;
        m_lastCommit = now;
    }
}

void CLineFile::HandOverLocked() {
    // Whole lines in each write: a crash between two writes never leaves a partial line.
    for (;;) {
        if (m_file == INVALID_HANDLE_VALUE && !NextFileLocked()) return;
        if (!WriteHeaderLocked()) return;
        if (m_held.empty()) {
            // A file is there and nothing waits: a quiet run's file works again too.
            if (m_health.failing) DbgOutputA(2, "%s written again\r\n", m_kind.name);
            m_health.failing = false;
            return;
        }
        size_t end = m_dayBreaks.empty() ? m_held.size() : m_dayBreaks.front();
        if (end == 0) {
            m_dayBreaks.erase(m_dayBreaks.begin());
            if (m_fileHasLines) EndFileLocked();
            continue;
        }
        if (m_limit != 0 && m_fileBytes + end > m_limit) {
            // As many whole lines as the file has room for; the rest goes into the next one.
            const uint64_t room = m_limit > m_fileBytes ? m_limit - m_fileBytes : 0;
            size_t fit = 0;
            if (room > 0) {
                const size_t cut = m_held.rfind('\n', static_cast<size_t>(std::min<uint64_t>(room, end)) - 1);
                if (cut != std::string::npos) fit = cut + 1;
            }
            if (fit == 0) {
                if (m_fileHasLines) {
                    EndFileLocked();
                    continue;
                }
                fit = m_held.find('\n') + 1;  // a line longer than the limit: a file of its own
            }
            end = fit;
        }
        if (!WriteLocked(m_held.data(), end)) return;
        m_fileHasLines = true;
        EraseHeldLocked(end);
    }
}

bool CLineFile::WriteLocked(const char* data, size_t size) {
    // A file given up a moment ago (its header refused): the failure that gave it up stands.
    if (m_file == INVALID_HANDLE_VALUE) return false;
    DWORD error = 0;
    const DWORD length = static_cast<DWORD>(size);
    const DWORD written = m_hooks.write(m_file, data, length, &error);
    if (written == length) {
        m_fileBytes += written;
        m_uncommitted = true;
        if (m_health.failing) DbgOutputA(2, "%s written again\r\n", m_kind.name);
        m_health.failing = false;
        return true;
    }
    // Refused: the part of a line that went is cut off again, every line waits for the next try.
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(m_fileBytes);
    if (!::SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(m_file)) {
        // This file cannot be continued whole: the next try opens a new one.
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        m_uncommitted = false;
    }
    FailLocked(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
    return false;
}

bool CLineFile::NextFileLocked(const std::wstring& stem) {
    // The folder may have gone since (a removed drive back, a folder deleted by hand).
    RecursiveCreateDirectoryW(m_folder.c_str());
    std::wstring path;
    const HANDLE file = CreateFreshFileW(m_folder, stem.empty() ? m_hooks.stem() : stem, m_kind.extension, kShare, &path);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        FailLocked(error != ERROR_SUCCESS ? error : ERROR_CANNOT_MAKE);
        return false;
    }
    m_file = file;
    m_path = path;
    m_fileBytes = 0;
    m_fileHasLines = false;
    m_headerDone = !*m_kind.header;
    WriteHeaderLocked();  // at once, so that a file of a quiet run still says what it holds
    return true;
}

bool CLineFile::WriteHeaderLocked() {
    if (m_headerDone) return true;
    const std::string header = std::string(m_kind.header) + "\r\n";
    m_headerDone = WriteLocked(header.data(), header.size());
    return m_headerDone;
}

void CLineFile::EndFileLocked() {
    if (m_file == INVALID_HANDLE_VALUE) return;
    if (m_uncommitted) m_hooks.commit(m_file);
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_uncommitted = false;
    m_fileHasLines = false;
}

void CLineFile::FailLocked(DWORD error) {
    if (!m_health.failing)
        DbgOutputA(2, "%s cannot write: error %lu\r\n", m_kind.name, static_cast<unsigned long>(error));
    m_health.failing = true;
    m_health.error = error;
    m_lastAttempt = m_hooks.clock();
}

void CLineFile::EraseHeldLocked(size_t bytes) {
    m_held.erase(0, bytes);
    for (size_t& at : m_dayBreaks) at = at > bytes ? at - bytes : 0;
    // Lines of a day that all went leave one break before the next day's lines.
    while (m_dayBreaks.size() > 1 && m_dayBreaks[1] == 0) m_dayBreaks.erase(m_dayBreaks.begin());
}

void CLineFile::DropOldestLocked() {
    if (m_held.size() <= kMostHeldBytes) return;
    // The oldest whole lines go, so that what waits stays in bounds.
    const size_t cut = m_held.find('\n', m_held.size() - kMostHeldBytes);
    const size_t upTo = cut == std::string::npos ? m_held.size() : cut + 1;
    m_health.lostLines += LineCount(m_held, upTo);
    EraseHeldLocked(upTo);
}

void CLineFile::Close() {
    StopTimer();
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_open) return;
    HandOverLocked();  // a last try, whenever the one before
    m_health.lostLines += LineCount(m_held, m_held.size());
    m_held.clear();
    m_dayBreaks.clear();
    EndFileLocked();
    m_open = false;
}

void CLineFile::CloseDiscardingEmpty() {
    std::wstring empty;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_open && !m_anyLine && m_file != INVALID_HANDLE_VALUE) empty = m_path;
    }
    Close();
    if (!empty.empty()) ::DeleteFileW(empty.c_str());
}

void CLineFile::SetSizeLimit(uint64_t bytes) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_limit = bytes;
}

bool CLineFile::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_open;
}

std::wstring CLineFile::Path() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}

LineFileHealth CLineFile::Health() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_health;
}
