#include "radar/Retention.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <map>

namespace {

using Kind = CRetention::Kind;

struct Pattern {
    const wchar_t* prefix;
    Kind kind;
    const wchar_t* extension;
};
const Pattern kPatterns[] = {
    {L"ROVA_MTT_Result_", Kind::Result, L".txt"}, {L"ROVA_MTT_Link_", Kind::Link, L".txt"},
    {L"ROVA_MTT_Zones_", Kind::Zones, L".csv"},   {L"ROVA_MTT_Crash_", Kind::Crash, L".dmp"},
    {L"ROVA_MTT_Crash_", Kind::Crash, L".txt"},   {CRetention::kMarkerPrefix, Kind::Marker, L".txt"},
};
constexpr const wchar_t* kRawFolderPrefix = L"ROVA_MTT_Data_";
constexpr size_t kStampChars = 19;  // YYYYMMDD_HHMMSS_mmm

bool SameText(const std::wstring& a, size_t at, const wchar_t* b) {
    const size_t n = std::char_traits<wchar_t>::length(b);
    if (a.size() < at + n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::towlower(a[at + i]) != std::towlower(b[i])) return false;
    }
    return true;
}

// prefix, stamp, an optional "_<n>" of a fresh name, extension and nothing else.
bool StampedName(const std::wstring& name, const wchar_t* prefix, const wchar_t* extension, int64_t* stamp) {
    if (!SameText(name, 0, prefix)) return false;
    size_t at = std::char_traits<wchar_t>::length(prefix);
    if (!CRetention::ParseStamp(name.substr(at, kStampChars), stamp)) return false;
    at += kStampChars;
    if (at < name.size() && name[at] == L'_') {
        size_t digits = 0;
        for (++at; at < name.size() && std::iswdigit(name[at]); ++at) ++digits;
        if (digits == 0) return false;
    }
    const size_t ext = std::char_traits<wchar_t>::length(extension);
    return name.size() == at + ext && SameText(name, at, extension);
}

// What the recorder writes into a raw folder: its configuration (and that file's temporary while
// it is saved) and the raw files.
bool RecorderFile(const std::wstring& name) {
    int64_t stamp = 0;
    return (name.size() == 21 && SameText(name, 0, L"FILE_Radar_Config.ini")) ||
           (name.size() == 25 && SameText(name, 0, L"FILE_Radar_Config.ini.tmp")) ||
           StampedName(name, L"ROVA_Raw_", L".rvraw", &stamp);
}

std::wstring Folded(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    return path;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L"\\" + name;
}

// The recognised names are ASCII.
std::string Narrow(const std::wstring& name) {
    std::string text;
    for (wchar_t c : name) text += c < 128 ? static_cast<char>(c) : '?';
    return text;
}

std::string Megabytes(uint64_t bytes) {
    char text[40];
    snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

struct Item {
    size_t root = 0;
    std::wstring path;
    std::wstring name;
    Kind kind = Kind::None;
    int64_t stamp = 0;
    int64_t newest = 0;
    uint64_t bytes = 0;
};

struct RunGroup {
    int64_t start = 0;
    int64_t newest = 0;
    uint64_t bytes = 0;
    bool keep = false;
    std::vector<const Item*> items;
};

struct Root {
    std::wstring path;
    const char* label;
    bool freeKnown = false;
    uint64_t free = 0;
};

class Pass {
public:
    Pass(IRetentionFileSystem& files, const RetentionLimits& limits, const RetentionScope& scope)
        : m_files(files), m_limits(limits), m_scope(scope) {}

    RetentionOutcome Execute(const std::function<bool()>& keepGoing) {
        if (!m_scope.logFolder.empty()) m_roots.push_back({m_scope.logFolder, "log folder"});
        size_t saveRoot = 0;
        if (!m_scope.saveFolder.empty()) {
            if (m_roots.empty() || Folded(m_scope.saveFolder) != Folded(m_scope.logFolder)) {
                saveRoot = m_roots.size();
                m_roots.push_back({m_scope.saveFolder, "save folder"});
            }
        }
        for (size_t r = 0; r < m_roots.size(); ++r) Collect(r);
        std::vector<RunGroup> runs = Group();
        uint64_t total = 0;
        for (const RunGroup& run : runs) total += run.bytes;
        for (Root& root : m_roots) root.freeKnown = m_files.FreeBytes(root.path, &root.free);

        for (const RunGroup& run : runs) {
            if (run.keep) continue;
            const std::string reason = ReasonToDelete(run, total);
            if (reason.empty()) continue;
            if (keepGoing && !keepGoing()) break;
            total -= Delete(run, reason);
            for (Root& root : m_roots) root.freeKnown = m_files.FreeBytes(root.path, &root.free);
        }

        if (!m_scope.saveFolder.empty() && saveRoot < m_roots.size()) {
            m_outcome.saveFreeKnown = m_roots[saveRoot].freeKnown;
            m_outcome.saveFreeBytes = m_roots[saveRoot].free;
        }
        m_outcome.keptBytes = total;
        return std::move(m_outcome);
    }

private:
    void Collect(size_t root) {
        for (const RetentionEntry& entry : m_files.List(m_roots[root].path)) {
            if (entry.reparsePoint) continue;
            Item item;
            item.kind = CRetention::KindOf(entry.name, entry.folder, &item.stamp);
            if (item.kind == Kind::None) continue;
            item.root = root;
            item.name = entry.name;
            item.path = Join(m_roots[root].path, entry.name);
            // A folder's own time changes with whatever is done in it; its files' times tell.
            item.newest = std::max(item.stamp, entry.folder ? item.stamp : entry.lastWriteMs);
            item.bytes = entry.folder ? 0 : entry.bytes;
            if (entry.folder) {
                for (const RetentionEntry& inner : m_files.List(item.path)) {
                    if (inner.folder || inner.reparsePoint || !RecorderFile(inner.name)) continue;
                    item.bytes += inner.bytes;
                    item.newest = std::max(item.newest, inner.lastWriteMs);
                }
            }
            m_items.push_back(std::move(item));
        }
    }

    std::vector<RunGroup> Group() {
        std::vector<int64_t> markers;
        for (const Item& item : m_items) {
            if (item.kind == Kind::Marker) markers.push_back(item.stamp);
        }
        std::sort(markers.begin(), markers.end());
        std::vector<const Item*> unmarked;
        std::map<int64_t, RunGroup> byStart;
        for (const Item& item : m_items) {
            const auto after = std::upper_bound(markers.begin(), markers.end(), item.stamp);
            if (after == markers.begin()) {
                unmarked.push_back(&item);
            } else {
                byStart[*(after - 1)].items.push_back(&item);
            }
        }
        std::sort(unmarked.begin(), unmarked.end(), [](const Item* a, const Item* b) { return a->stamp < b->stamp; });
        int64_t groupStart = 0;
        for (size_t i = 0; i < unmarked.size(); ++i) {
            if (i == 0 || unmarked[i]->stamp - groupStart > CRetention::kUnmarkedRunMs) groupStart = unmarked[i]->stamp;
            byStart[groupStart].items.push_back(unmarked[i]);
        }

        std::vector<std::wstring> keep;
        for (const std::wstring& path : m_scope.keep) {
            if (!path.empty()) keep.push_back(Folded(path));
        }
        std::vector<RunGroup> runs;
        for (auto& [start, run] : byStart) {
            run.start = start;
            run.newest = start;
            if (m_scope.runStartMs != 0 && start >= m_scope.runStartMs) run.keep = true;
            for (const Item* item : run.items) {
                run.bytes += item->bytes;
                run.newest = std::max(run.newest, item->newest);
                if (m_scope.runStartMs != 0 && item->stamp >= m_scope.runStartMs) run.keep = true;
                if (std::find(keep.begin(), keep.end(), Folded(item->path)) != keep.end()) run.keep = true;
            }
            runs.push_back(std::move(run));
        }
        return runs;  // oldest first: the map is ordered by start
    }

    std::string ReasonToDelete(const RunGroup& run, uint64_t total) const {
        if (m_limits.keepDays > 0 && run.newest < m_scope.nowMs - m_limits.keepDays * CRetention::kDayMs)
            return "older than " + std::to_string(m_limits.keepDays) + " days";
        if (m_limits.mostBytes > 0 && total > m_limits.mostBytes)
            return "the runs take more than " + Megabytes(m_limits.mostBytes);
        if (m_limits.leastFreeBytes > 0) {
            for (const Item* item : run.items) {
                const Root& root = m_roots[item->root];
                if (root.freeKnown && root.free < m_limits.leastFreeBytes)
                    return std::string("less than ") + Megabytes(m_limits.leastFreeBytes) + " free on the " +
                           root.label + "'s disk";
            }
        }
        return {};
    }

    // Every file of the run, each raw folder as far as it holds the recorder's files only, and the
    // marker last once nothing else of the run is left. Returns the bytes deleted.
    uint64_t Delete(const RunGroup& run, const std::string& reason) {
        uint64_t freed = 0;
        bool whole = true;
        const Item* marker = nullptr;
        for (const Item* item : run.items) {
            if (item->kind == Kind::Marker) {
                marker = item;
            } else if (item->kind == Kind::RawFolder) {
                whole = DeleteRawFolder(*item, reason, &freed) && whole;
            } else {
                whole = DeleteOne(*item, reason, &freed) && whole;
            }
        }
        if (marker && whole) DeleteOne(*marker, reason, &freed);
        return freed;
    }

    bool DeleteOne(const Item& item, const std::string& reason, uint64_t* freed) {
        uint32_t error = 0;
        const std::string where = std::string(" in the ") + m_roots[item.root].label;
        if (!m_files.RemoveFile(item.path, &error)) {
            Line("retention could not delete " + Narrow(item.name) + where + " (error " + std::to_string(error) + ")");
            return false;
        }
        *freed += item.bytes;
        Line("retention deleted " + Narrow(item.name) + where + ": " + reason);
        return true;
    }

    bool DeleteRawFolder(const Item& item, const std::string& reason, uint64_t* freed) {
        const std::string where = std::string(" in the ") + m_roots[item.root].label;
        uint64_t bytes = 0;
        int count = 0;
        bool others = false;
        uint32_t error = 0;
        for (const RetentionEntry& inner : m_files.List(item.path)) {
            if (inner.folder || inner.reparsePoint || !RecorderFile(inner.name)) {
                others = true;
                continue;
            }
            if (m_files.RemoveFile(Join(item.path, inner.name), &error)) {
                bytes += inner.bytes;
                ++count;
            } else {
                others = true;
            }
        }
        *freed += bytes;
        const std::string deleted = std::to_string(count) + " files, " + Megabytes(bytes);
        if (!others && m_files.RemoveFolder(item.path, &error)) {
            Line("retention deleted raw folder " + Narrow(item.name) + where + " (" + deleted + "): " + reason);
            return true;
        }
        Line("retention kept raw folder " + Narrow(item.name) + where + " (deleted " + deleted + "): " +
             (error ? "error " + std::to_string(error) : std::string("it holds other files")));
        return false;
    }

    void Line(std::string text) { m_outcome.lines.push_back(std::move(text)); }

    IRetentionFileSystem& m_files;
    const RetentionLimits& m_limits;
    const RetentionScope& m_scope;
    std::vector<Root> m_roots;
    std::vector<Item> m_items;
    RetentionOutcome m_outcome;
};

bool Digits(const std::wstring& text, size_t at, size_t count, int* value) {
    *value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return false;
        *value = *value * 10 + (text[i] - L'0');
    }
    return true;
}

}  // namespace

RetentionOutcome CRetention::Apply(IRetentionFileSystem& files, const RetentionLimits& limits,
                                   const RetentionScope& scope, const std::function<bool()>& keepGoing) {
    return Pass(files, limits, scope).Execute(keepGoing);
}

bool CRetention::RecordingPaused(bool pausedNow, const RetentionOutcome& outcome, const RetentionLimits& limits) {
    if (limits.leastFreeBytes == 0 || !outcome.saveFreeKnown) return false;
    const uint64_t resumeAt = limits.leastFreeBytes + limits.leastFreeBytes / 8;
    return outcome.saveFreeBytes < (pausedNow ? resumeAt : limits.leastFreeBytes);
}

CRetention::Kind CRetention::KindOf(const std::wstring& name, bool folder, int64_t* stampMs) {
    int64_t stamp = 0;
    if (folder) {
        if (!StampedName(name, kRawFolderPrefix, L"", &stamp)) return Kind::None;
        *stampMs = stamp;
        return Kind::RawFolder;
    }
    for (const Pattern& p : kPatterns) {
        if (StampedName(name, p.prefix, p.extension, &stamp)) {
            *stampMs = stamp;
            return p.kind;
        }
    }
    return Kind::None;
}

bool CRetention::ParseStamp(const std::wstring& text, int64_t* stampMs) {
    int date = 0, time = 0, ms = 0;
    if (text.size() < kStampChars || !Digits(text, 0, 8, &date) || text[8] != L'_' || !Digits(text, 9, 6, &time) ||
        text[15] != L'_' || !Digits(text, 16, 3, &ms))
        return false;
    const int year = date / 10000, month = date / 100 % 100, day = date % 100;
    const int hour = time / 10000, minute = time / 100 % 100, second = time % 100;
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    *stampMs = LocalMs(year, month, day, hour, minute, second, ms);
    return true;
}

int64_t CRetention::LocalMs(int year, int month, int day, int hour, int minute, int second, int ms) {
    // Days since 1601-01-01 of the proleptic Gregorian calendar (March-based years).
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = y / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 584694;  // 1601-01-01 is day 584694 from 0000-03-01
    return (((days * 24 + hour) * 60 + minute) * 60 + second) * 1000 + ms;
}
