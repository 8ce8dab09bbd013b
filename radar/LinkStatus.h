#pragma once
// What the operator is told about the link to the radar source: the status text right of the
// title (source, frames per second, error count), whether the data is stale (a live, unpaused run
// without a frame for more than two seconds, or a sensor lost and being reconnected), and the
// lines of the run's event log. Plain logic over snapshots of the library's link health; the
// texts come from the string table.
#include <cstdint>
#include <string>
#include <vector>

#include "contracts/ROVA_LinkHealth.h"

// The string table's texts, with placeholders {source} {port} {folder} {fps} {errors} {seconds}
// {attempts}.
struct LinkStatusTexts {
    std::wstring serialSource;     // {port}
    std::wstring simulatedSource;
    std::wstring fileSource;       // {folder}
    std::wstring streaming;        // {source} {fps} {errors}
    std::wstring stale;            // {source} {seconds} {errors}
    std::wstring reconnecting;     // {source} {seconds} {attempts}
    std::wstring noDataLabel;      // the target labels while stale
};

struct LinkStatusView {
    std::wstring text;  // empty: nothing to show (no run)
    bool stale = false;
};

class CLinkStatus {
public:
    static constexpr uint64_t kStaleMs = 2000;

    // running: a run is started; paused: the operator paused it; folder: the played folder.
    static bool IsStale(const tagRADARLINKHEALTH& health, bool running, bool paused);
    static uint64_t ErrorCount(const tagRADARLINKHEALTH& health);
    static std::wstring SourceText(const tagRADARLINKHEALTH& health, const std::wstring& folder,
                                   const LinkStatusTexts& texts);
    static LinkStatusView Describe(const tagRADARLINKHEALTH& health, bool running, bool paused,
                                   const std::wstring& folder, const LinkStatusTexts& texts);
    // Replaces every {name} of text with value.
    static std::wstring Fill(std::wstring text, const wchar_t* name, const std::wstring& value);
};

// Turns successive health snapshots of one run into event-log lines (without time stamps):
// link lost, each reconnect attempt with its outcome, link back, and for sources that do not
// reconnect the start and end of stale data.
class CLinkEventTracker {
public:
    // A new run: the next snapshot is compared with nothing.
    void Reset();
    std::vector<std::string> Update(const tagRADARLINKHEALTH& health, bool stale, const std::string& source);

    static const char* FailureText(int32_t failure);

private:
    bool m_first = true;
    bool m_stale = false;
    tagRADARLINKHEALTH m_last{};
};
