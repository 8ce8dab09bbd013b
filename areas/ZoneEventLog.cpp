#include "areas/ZoneEventLog.h"

#include <cmath>

#include "areas/MeasureText.h"

namespace {

void AppendValue(std::string& line, double v) {
    line += MeasureText(v);
    line += ',';
}

}  // namespace

std::string ZoneEventLog::FormatEvent(const ZoneEvent& e, const SYSTEMTIME* clock) {
    char head[96];
    snprintf(head, sizeof head, "%s,%d,%lld,%llu,", e.kind == ZoneEvent::Entry ? "entry" : "exit", e.area,
             static_cast<long long>(e.id), static_cast<unsigned long long>(e.timeMs));
    std::string line = head;
    if (clock) {
        char when[48];
        snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d.%03d", clock->wYear, clock->wMonth, clock->wDay,
                 clock->wHour, clock->wMinute, clock->wSecond, clock->wMilliseconds);
        line += when;
    }
    line += ',';
    AppendValue(line, e.distance);
    AppendValue(line, e.angle);
    if (e.kind == ZoneEvent::Exit) line += std::to_string(e.dwellMs);
    return line;
}

namespace {
const CLineFile::Kind kZones{"zone event file", L"ROVA_MTT_Zones_", L".csv", ZoneEventLog::kHeader,
                             ZoneEventLog::kHandOverMs};
}  // namespace

ZoneEventLog::ZoneEventLog() : ZoneEventLog(CLineFile::Hooks{}) {}

ZoneEventLog::ZoneEventLog(CLineFile::Hooks hooks) : m_file(kZones, std::move(hooks)) {}

bool ZoneEventLog::OpenInFolder(const wchar_t* folder) {
    if (folder) return m_file.Open(folder);
    m_file.Close();
    return false;
}

bool ZoneEventLog::OpenFile(const wchar_t* path) {
    if (path) return m_file.OpenExact(path);
    m_file.Close();
    return false;
}

void ZoneEventLog::SetStreamStart(const FILETIME& utc) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_start.LowPart = utc.dwLowDateTime;
    m_start.HighPart = utc.dwHighDateTime;
    m_hasStart = m_start.QuadPart != 0;
}

void ZoneEventLog::Write(const std::vector<ZoneEvent>& events) {
    if (events.empty()) return;
    std::string lines;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (const ZoneEvent& e : events) {
            SYSTEMTIME local{};
            bool haveClock = false;
            if (m_hasStart) {
                ULARGE_INTEGER at = m_start;
                at.QuadPart += e.timeMs * 10000;
                FILETIME utc{at.LowPart, at.HighPart}, localTime;
                haveClock = ::FileTimeToLocalFileTime(&utc, &localTime) && ::FileTimeToSystemTime(&localTime, &local);
            }
            lines += FormatEvent(e, haveClock ? &local : nullptr);
            lines += "\r\n";
        }
    }
    // The file's day is that of the writing, not of the frame: a replay of an old recording goes
    // into today's file.
    m_file.Write(lines, m_file.LocalTime());
}
