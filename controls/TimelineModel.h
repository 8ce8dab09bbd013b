#pragma once
// What the playback timeline shows and where, without a window: the recording's span and the
// position in it, the parts of the bar, the zone marks, the speed choices, and the jumps of the
// keyboard. Times are stream milliseconds of the recording.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One zone entry or exit on the timeline.
struct TimelineMark {
    uint64_t ms = 0;
    int area = 0;     // monitor area slot, 1 to 31
    int64_t id = 0;   // target id
    bool entry = true;
};

class TimelineModel {
public:
    // The speed choices, slowest first; 0 stands for "as fast as possible".
    static constexpr int kSpeedCount = 8;
    static constexpr double kSpeeds[kSpeedCount] = {0.25, 0.5, 1, 2, 4, 8, 16, 0};
    static constexpr int kNormalSpeed = 2;
    // A click on a mark, and N/P, land this long before it, so the approach is seen.
    static constexpr uint64_t kMarkLeadMs = 2000;
    static constexpr uint64_t kJumpMs = 5000;  // Left and Right

    // The parts of the bar, in client pixels.
    struct Parts {
        RECT time{};   // elapsed / total and the recording's date and time of day
        RECT track{};  // the slider's groove; marks and the thumb lie on it
        RECT speed{};
        RECT step{};
        RECT loop{};
    };

    void SetRange(uint64_t firstMs, uint64_t lastMs) noexcept;
    // Clamped into the range.
    void SetPosition(uint64_t ms) noexcept;
    uint64_t First() const noexcept { return m_first; }
    uint64_t Last() const noexcept { return m_last; }
    uint64_t Position() const noexcept { return m_position; }
    uint64_t Elapsed() const noexcept { return m_position - m_first; }
    uint64_t Total() const noexcept { return m_last - m_first; }
    // The wall clock (UTC) of the first frame; zero when the recording does not say.
    void SetStartUtc(FILETIME start) noexcept { m_startUtc = start; }

    static Parts Arrange(int width, int height, int timeWidth, int buttonWidth) noexcept;
    // Position <-> x on the track (the track's ends are the range's ends).
    int MsToX(uint64_t ms, const RECT& track) const noexcept;
    uint64_t XToMs(int x, const RECT& track) const noexcept;

    // Marks in time order (sorted here).
    void SetMarks(std::vector<TimelineMark> marks);
    const std::vector<TimelineMark>& Marks() const noexcept { return m_marks; }
    // The mark nearest to x on the track within tolerance pixels; -1 when none.
    int MarkAt(int x, const RECT& track, int tolerance) const noexcept;
    // Where N and P go: the moment looked at is the position plus the lead, so after a jump to a
    // mark the next N goes to the mark after it. -1 when there is none.
    int NextMark() const noexcept;
    int PreviousMark() const noexcept;
    // Two seconds before mark i, within the range.
    uint64_t MarkTarget(int i) const noexcept;
    // Left/Right: 5 s back or forward within the range.
    uint64_t Back() const noexcept;
    uint64_t Forward() const noexcept;

    int SpeedIndex() const noexcept { return m_speed; }
    void SetSpeedIndex(int index) noexcept;
    bool Faster() noexcept;  // false at the fastest
    bool Slower() noexcept;  // false at the slowest
    static std::wstring SpeedText(int index, const std::wstring& fastest);

    bool Loop() const noexcept { return m_loop; }
    void SetLoop(bool loop) noexcept { m_loop = loop; }

    // "m:ss", or "h:mm:ss" from an hour on.
    static std::wstring FormatDuration(uint64_t ms);
    // "elapsed / total", and the date and time of day at the position when the start is known.
    std::wstring TimeText() const;
    // A mark named for the operator: format holds {area} and {target}.
    static std::wstring MarkText(const std::wstring& format, const TimelineMark& mark);

private:
    uint64_t m_first = 0, m_last = 0, m_position = 0;
    FILETIME m_startUtc{};
    std::vector<TimelineMark> m_marks;
    int m_speed = kNormalSpeed;
    bool m_loop = false;
};
