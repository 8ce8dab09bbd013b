#include "radar/RetentionKeeper.h"

#include <chrono>

#include "radar/RetentionFiles.h"

CRetentionKeeper::CRetentionKeeper(std::unique_ptr<IRetentionFileSystem> files)
    : m_files(files ? std::move(files) : std::make_unique<CRetentionFiles>()) {}

CRetentionKeeper::~CRetentionKeeper() {
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void CRetentionKeeper::Request(const RetentionLimits& limits, const RetentionScope& scope) {
    {
        std::lock_guard lock(m_lock);
        m_pending = Job{limits, scope};
        if (!m_thread.joinable()) m_thread = std::thread(&CRetentionKeeper::Loop, this);
    }
    m_changed.notify_all();
}

std::vector<std::string> CRetentionKeeper::TakeLines() {
    std::lock_guard lock(m_lock);
    return std::move(m_lines);
}

bool CRetentionKeeper::LastOutcome(RetentionOutcome* outcome) const {
    std::lock_guard lock(m_lock);
    if (!m_last) return false;
    *outcome = *m_last;
    return true;
}

bool CRetentionKeeper::WaitIdle(uint32_t timeoutMs) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_pending && !m_busy; });
}

void CRetentionKeeper::Loop() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_pending; });
        if (m_stop) return;
        const Job job = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        RetentionOutcome outcome;
        try {
            outcome = CRetention::Apply(*m_files, job.limits, job.scope, [this] {
                std::lock_guard stopLock(m_lock);
                return !m_stop;
            });
        } catch (...) {
            outcome = RetentionOutcome{};  // out of memory: nothing is known of this pass
            outcome.lines.push_back("retention pass failed");
        }
        lock.lock();
        for (std::string& line : outcome.lines) {
            // What stays against the limits is tried again every pass; the log tells it once.
            if (line.rfind("retention deleted", 0) != 0 && !m_told.insert(line).second) continue;
            m_lines.push_back(std::move(line));
        }
        outcome.lines.clear();
        m_last = std::move(outcome);
        m_busy = false;
        m_changed.notify_all();
    }
}
