#pragma once
// The zone events of a run as a CSV file: "ROVA_MTT_Zones_<date-time>.csv" in the Log folder, a
// header line, one event a line, UTF-8 (the content is plain ASCII). Written data reaches the
// disk at least once a second: by the write that finds the last flush a second old, else by
// Flush, which the owner calls about once a second.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "areas/ZoneTracker.h"

class ZoneEventLog {
public:
    static constexpr const char* kHeader = "event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms";
    static constexpr uint32_t kFlushIntervalMs = 1000;

    ZoneEventLog() = default;
    ~ZoneEventLog() { Close(); }
    ZoneEventLog(const ZoneEventLog&) = delete;
    ZoneEventLog& operator=(const ZoneEventLog&) = delete;

    // Creates folder and a new dated file in it; an older file of the same name (the clock was set
    // back) is left alone and the new one gets the next free name.
    bool OpenInFolder(const wchar_t* folder);
    // Creates (or truncates) exactly this file.
    bool OpenFile(const wchar_t* path);
    // The wall-clock time (UTC FILETIME) of stream time 0; the clock column stays empty without it.
    void SetStreamStart(const FILETIME& utc);
    void Write(const std::vector<ZoneEvent>& events);
    void Flush();
    void Close();
    // Closes and deletes the file: the run it was opened for never started.
    void Discard();
    bool IsOpen() const;
    std::wstring Path() const;

    // One line without its end: "entry,3,7,1500,10:05:07.042,2.50,-12.00," (exit adds the dwell).
    // clock may be null.
    static std::string FormatEvent(const ZoneEvent& e, const SYSTEMTIME* clock);

private:
    bool Adopt(FILE* file, const wchar_t* path);
    mutable std::mutex m_lock;
    FILE* m_file = nullptr;
    std::wstring m_path;
    uint64_t m_lastFlush = 0;
    bool m_dirty = false;
    bool m_hasStart = false;
    ULARGE_INTEGER m_start{};
};
