#include "controls/TimelineModel.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

void TimelineModel::SetRange(uint64_t firstMs, uint64_t lastMs) noexcept {
    m_first = firstMs;
    m_last = std::max(firstMs, lastMs);
    SetPosition(m_position);
}

void TimelineModel::SetPosition(uint64_t ms) noexcept { m_position = std::clamp(ms, m_first, m_last); }

TimelineModel::Parts TimelineModel::Arrange(int width, int height, int timeWidth, int buttonWidth) noexcept {
    Parts p;
    const int gap = 6;
    width = std::max(0, width);
    height = std::max(0, height);
    // From the right: loop, step, speed; the time text on the left; the track takes the rest.
    int right = width - gap;
    auto take = [&](RECT& r, int w) {
        r = RECT{std::max(0, right - w), 2, std::max(0, right), std::max(2, height - 2)};
        right = r.left - gap;
    };
    take(p.loop, buttonWidth);
    take(p.step, buttonWidth);
    take(p.speed, buttonWidth);
    p.time = RECT{gap, 0, std::min(right, gap + timeWidth), height};
    const int trackLeft = p.time.right + 2 * gap;
    p.track = RECT{std::min(trackLeft, right), 0, std::max(std::min(trackLeft, right), right - gap), height};
    return p;
}

int TimelineModel::MsToX(uint64_t ms, const RECT& track) const noexcept {
    const int span = std::max<LONG>(0, track.right - 1 - track.left);
    const uint64_t total = Total();
    if (total == 0 || span == 0) return track.left;
    const uint64_t at = std::clamp(ms, m_first, m_last) - m_first;
    // Rounded to the nearest pixel; 64-bit products: a day of milliseconds times a wide bar.
    return track.left + static_cast<int>((at * static_cast<uint64_t>(span) + total / 2) / total);
}

uint64_t TimelineModel::XToMs(int x, const RECT& track) const noexcept {
    const int span = std::max<LONG>(0, track.right - 1 - track.left);
    if (span == 0) return m_first;
    const int dx = std::clamp<int>(x - track.left, 0, span);
    return m_first + (static_cast<uint64_t>(dx) * Total() + static_cast<uint64_t>(span) / 2) / static_cast<uint64_t>(span);
}

void TimelineModel::SetMarks(std::vector<TimelineMark> marks) {
    std::stable_sort(marks.begin(), marks.end(), [](const TimelineMark& a, const TimelineMark& b) { return a.ms < b.ms; });
    m_marks = std::move(marks);
}

int TimelineModel::MarkAt(int x, const RECT& track, int tolerance) const noexcept {
    int best = -1, bestDistance = tolerance + 1;
    for (size_t i = 0; i < m_marks.size(); ++i) {
        const int d = std::abs(MsToX(m_marks[i].ms, track) - x);
        if (d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

int TimelineModel::NextMark() const noexcept {
    const uint64_t looked = m_position + kMarkLeadMs;
    const auto it = std::upper_bound(m_marks.begin(), m_marks.end(), looked,
                                     [](uint64_t t, const TimelineMark& m) { return t < m.ms; });
    return it == m_marks.end() ? -1 : static_cast<int>(it - m_marks.begin());
}

int TimelineModel::PreviousMark() const noexcept {
    const uint64_t looked = m_position + kMarkLeadMs;
    const auto it = std::lower_bound(m_marks.begin(), m_marks.end(), looked,
                                     [](const TimelineMark& m, uint64_t t) { return m.ms < t; });
    return it == m_marks.begin() ? -1 : static_cast<int>(it - m_marks.begin()) - 1;
}

uint64_t TimelineModel::MarkTarget(int i) const noexcept {
    if (i < 0 || static_cast<size_t>(i) >= m_marks.size()) return m_position;
    const uint64_t ms = m_marks[static_cast<size_t>(i)].ms;
    return std::clamp(ms >= kMarkLeadMs ? ms - kMarkLeadMs : 0, m_first, m_last);
}

uint64_t TimelineModel::Back() const noexcept { return m_position - std::min(Elapsed(), kJumpMs); }

uint64_t TimelineModel::Forward() const noexcept { return std::min(m_last, m_position + kJumpMs); }

void TimelineModel::SetSpeedIndex(int index) noexcept { m_speed = std::clamp(index, 0, kSpeedCount - 1); }

bool TimelineModel::Faster() noexcept {
    if (m_speed >= kSpeedCount - 1) return false;
    ++m_speed;
    return true;
}

bool TimelineModel::Slower() noexcept {
    if (m_speed <= 0) return false;
    --m_speed;
    return true;
}

std::wstring TimelineModel::SpeedText(int index, const std::wstring& fastest) {
    switch (std::clamp(index, 0, kSpeedCount - 1)) {
    case 0: return L"\u00BC\u00D7";
    case 1: return L"\u00BD\u00D7";
    case kSpeedCount - 1: return fastest;
    default: return std::to_wstring(static_cast<int>(kSpeeds[index])) + L"\u00D7";
    }
}

std::wstring TimelineModel::FormatDuration(uint64_t ms) {
    const uint64_t s = ms / 1000;
    wchar_t text[48];
    if (s >= 3600) {
        swprintf(text, 48, L":%02u:%02u", static_cast<unsigned>(s / 60 % 60), static_cast<unsigned>(s % 60));
        return std::to_wstring(s / 3600) + text;
    } else {
        swprintf(text, 48, L"%u:%02u", static_cast<unsigned>(s / 60), static_cast<unsigned>(s % 60));
    }
    return text;
}

std::wstring TimelineModel::TimeText() const {
    std::wstring text = FormatDuration(Elapsed()) + L" / " + FormatDuration(Total());
    const uint64_t start = (static_cast<uint64_t>(m_startUtc.dwHighDateTime) << 32) | m_startUtc.dwLowDateTime;
    if (start == 0) return text;
    const uint64_t at = start + Elapsed() * 10000;  // FILETIME counts 100 ns
    const FILETIME utc{static_cast<DWORD>(at), static_cast<DWORD>(at >> 32)};
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return text;
    wchar_t when[40];
    swprintf(when, 40, L"   %04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond);
    return text + when;
}

std::wstring TimelineModel::MarkText(const std::wstring& format, const TimelineMark& mark) {
    std::wstring text = format;
    auto put = [&text](const wchar_t* token, const std::wstring& value) {
        const size_t at = text.find(token);
        if (at != std::wstring::npos) text.replace(at, std::wcslen(token), value);
    };
    put(L"{area}", std::to_wstring(mark.area));
    put(L"{target}", std::to_wstring(mark.id));
    return text;
}
