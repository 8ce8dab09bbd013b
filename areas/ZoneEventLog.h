#pragma once
// The zone events of a run as a CSV file: "ROVA_MTT_Zones_<date-time>.csv" in the Log folder, a
// header line, one event a line, UTF-8 (the content is plain ASCII). Lines reach the operating
// system within a fifth of a second, and all of them at Flush, which the owner calls about once a
// second; a disk that refuses them, local midnight and the size limit are handled as CLineFile
// says (each new file starts with the header again).
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "areas/LineFile.h"
#include "areas/ZoneTracker.h"

class ZoneEventLog {
public:
    static constexpr const char* kHeader = "event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms";
    static constexpr uint32_t kHandOverMs = 100;

    ZoneEventLog();
    // A test's clocks and writes: see CLineFile::Hooks.
    explicit ZoneEventLog(CLineFile::Hooks hooks);
    ZoneEventLog(const ZoneEventLog&) = delete;
    ZoneEventLog& operator=(const ZoneEventLog&) = delete;

    // Creates folder and a new dated file in it; an older file of the same name (the clock was set
    // back) is left alone and the new one gets the next free name. False when the file cannot be
    // made now: the events then wait and it is tried again.
    bool OpenInFolder(const wchar_t* folder);
    // Creates (or truncates) exactly this file.
    bool OpenFile(const wchar_t* path);
    // The wall-clock time (UTC FILETIME) of stream time 0; the clock column stays empty without it.
    void SetStreamStart(const FILETIME& utc);
    void Write(const std::vector<ZoneEvent>& events);
    void Flush() { m_file.FlushAll(); }
    void Close() { m_file.Close(); }
    // Closes the file and deletes it when it holds no event: the run it was opened for never started.
    void Discard() { m_file.CloseDiscardingEmpty(); }
    // Bytes a file may reach before the events go on in a new one; 0: no limit.
    void SetSizeLimit(uint64_t bytes) { m_file.SetSizeLimit(bytes); }
    bool IsOpen() const { return m_file.IsOpen(); }
    std::wstring Path() const { return m_file.Path(); }
    LineFileHealth Health() const { return m_file.Health(); }

    // One line without its end: "entry,3,7,1500,10:05:07.042,2.50,-12.00," (exit adds the dwell).
    // clock may be null.
    static std::string FormatEvent(const ZoneEvent& e, const SYSTEMTIME* clock);

private:
    mutable std::mutex m_lock;  // the stream start
    bool m_hasStart = false;
    ULARGE_INTEGER m_start{};
    CLineFile m_file;
};
