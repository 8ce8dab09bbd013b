#pragma once
// What the operator is told when a file of the run cannot be written: one status text naming
// what and why (the disk is full, the folder is not writable), and event-log lines when writing
// stops and when it works again. Plain logic over snapshots of each writer's state.
#include <cstdint>
#include <string>
#include <vector>

enum class WriteTarget { Results, Zones, EventLog, Recording, Settings, Count };

struct WriteState {
    WriteTarget target = WriteTarget::Results;
    bool failing = false;
    uint32_t error = 0;  // Win32 error code of the last failure
    uint64_t lost = 0;   // lines or frames that could not be written, so far in this run
};

// The string table's texts: failed has {what} and {why}, otherError has {code}.
struct WriteStatusTexts {
    std::wstring failed;
    std::wstring what[static_cast<int>(WriteTarget::Count)];
    std::wstring diskFull;
    std::wstring notWritable;
    std::wstring otherError;
};

class CWriteStatus {
public:
    enum class Reason { DiskFull, NotWritable, Other };
    static Reason ReasonOf(uint32_t error);
    // The status text of every failing writer (joined), empty when all write.
    static std::wstring Describe(const std::vector<WriteState>& states, const WriteStatusTexts& texts);
    static bool AnyFailing(const std::vector<WriteState>& states);

    // A new run: nothing is failing.
    void Reset() { m_failing.assign(static_cast<size_t>(WriteTarget::Count), false); }
    // Event-log lines (without time stamps) for the writers that started or stopped failing.
    std::vector<std::string> Update(const std::vector<WriteState>& states);

private:
    std::vector<bool> m_failing = std::vector<bool>(static_cast<size_t>(WriteTarget::Count), false);
};
