#pragma once
// The retention passes of a run controller on a thread of their own, so that deleting a large raw
// folder never holds up the window. One pass at a time; a request while one is under way runs
// after it, with the latest limits and scope. The lines of finished passes wait for the UI thread,
// which writes them into the run's event log.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "radar/Retention.h"

class CRetentionKeeper {
public:
    // files: null for the disk.
    explicit CRetentionKeeper(std::unique_ptr<IRetentionFileSystem> files = nullptr);
    // A pass under way ends at its next deletion.
    ~CRetentionKeeper();
    CRetentionKeeper(const CRetentionKeeper&) = delete;
    CRetentionKeeper& operator=(const CRetentionKeeper&) = delete;

    void Request(const RetentionLimits& limits, const RetentionScope& scope);
    // The event-log lines of the passes finished since the last call.
    std::vector<std::string> TakeLines();
    // The last finished pass, without its lines; false before the first.
    bool LastOutcome(RetentionOutcome* outcome) const;
    // True once no pass is asked for or under way (false after timeoutMs).
    bool WaitIdle(uint32_t timeoutMs);

private:
    struct Job {
        RetentionLimits limits;
        RetentionScope scope;
    };
    void Loop();

    std::unique_ptr<IRetentionFileSystem> m_files;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::optional<Job> m_pending;
    bool m_busy = false;
    bool m_stop = false;
    std::vector<std::string> m_lines;
    std::set<std::string> m_told;  // failures already in a log
    std::optional<RetentionOutcome> m_last;
    std::thread m_thread;  // started with the first request
};
