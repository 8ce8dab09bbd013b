#pragma once
// The zone entries and exits of a recording with the operator's current areas, for the marks of
// the playback timeline. They come from ROVA_Zones, the offline replay built from the console's
// own delivery step and zone logic, run on the folder in a process of its own: the library plays
// the same folder in this one at the same time, and the marks are exactly the events the replay
// of that recording writes.
#include <windows.h>

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "controls/TimelineModel.h"
#include "framework/Raii.h"

class CZoneMarks {
public:
    CZoneMarks() = default;
    ~CZoneMarks() { Cancel(); }
    CZoneMarks(const CZoneMarks&) = delete;
    CZoneMarks& operator=(const CZoneMarks&) = delete;

    // Starts the pass: program (ROVA_Zones.exe) on folder with the settings file config, its
    // events into csvPath. False when the program cannot be started.
    bool Start(const std::wstring& program, const std::wstring& folder, const std::wstring& config,
               const std::wstring& csvPath);
    bool Running() const noexcept { return static_cast<bool>(m_process); }
    // Polled by the interface thread: once the pass is over, its marks into marks (cleared
    // first) and true; the event file is removed. False while it runs or when none was started.
    // A pass that failed gives no marks (ok is then false).
    bool TakeResult(std::vector<TimelineMark>* marks, bool* ok);
    // Ends a pass still running (the playback stopped) and removes its file.
    void Cancel();
    // How long the last finished pass took, seconds.
    double Seconds() const noexcept { return m_seconds; }

    // The rows of a zone event file ("event,area,id,time_ms,..."); the header and lines that are
    // not events are passed over. Returns the number of marks read.
    static size_t ParseEvents(std::istream& in, std::vector<TimelineMark>* marks);

private:
    rova::UniqueKernelHandle m_process;
    std::wstring m_csv;
    int64_t m_started = 0;
    double m_seconds = 0;
};
