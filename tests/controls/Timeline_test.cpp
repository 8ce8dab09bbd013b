#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "WindowTestSupport.h"
#include "controls/TimelineBar.h"
#include "controls/TimelineModel.h"

namespace {

TimelineModel Hour() {
    TimelineModel m;
    m.SetRange(10'000, 10'000 + 3'600'000);
    return m;
}

TEST(TimelineModelTest, PositionAndPixelsMapOntoEachOther) {
    TimelineModel m = Hour();
    const RECT track{100, 0, 1101, 30};  // 1000 pixels from end to end
    EXPECT_EQ(m.MsToX(m.First(), track), 100);
    EXPECT_EQ(m.MsToX(m.Last(), track), 1100);
    EXPECT_EQ(m.MsToX(m.First() + 1'800'000, track), 600);
    // Outside the track: the ends of the recording; every pixel of it maps back onto itself.
    EXPECT_EQ(m.XToMs(-50, track), m.First());
    EXPECT_EQ(m.XToMs(5000, track), m.Last());
    for (int x = 100; x <= 1100; x += 37) EXPECT_EQ(m.MsToX(m.XToMs(x, track), track), x) << x;
    // A day of milliseconds over a wide bar does not overflow.
    m.SetRange(0, 86'400'000ull * 40);
    EXPECT_EQ(m.MsToX(m.Last(), RECT{0, 0, 4001, 30}), 4000);
    // An empty recording or a zero-width bar: everything at the start.
    m.SetRange(500, 500);
    EXPECT_EQ(m.XToMs(300, track), 500u);
    EXPECT_EQ(m.MsToX(500, RECT{7, 0, 8, 30}), 7);
    m.SetPosition(9'999);
    EXPECT_EQ(m.Position(), 500u);
}

TEST(TimelineModelTest, JumpsStayInsideTheRecording) {
    TimelineModel m = Hour();
    m.SetPosition(m.First() + 3'000);
    EXPECT_EQ(m.Back(), m.First());
    EXPECT_EQ(m.Forward(), m.First() + 8'000);
    m.SetPosition(m.Last() - 1'000);
    EXPECT_EQ(m.Forward(), m.Last());
    EXPECT_EQ(m.Back(), m.Last() - 6'000);
}

TEST(TimelineModelTest, NextAndPreviousMarkWalkTheMarksTwoSecondsAhead) {
    TimelineModel m = Hour();
    const uint64_t t0 = m.First();
    // Given out of order; two marks of one moment count as one stop for N.
    m.SetMarks({{t0 + 60'000, 2, 7, false}, {t0 + 1'000, 1, 5, true}, {t0 + 30'000, 1, 5, false}, {t0 + 30'000, 2, 7, true}});
    ASSERT_EQ(m.Marks().front().ms, t0 + 1'000);
    struct Step {
        char key;
        bool found;
        uint64_t landsAt;  // position after the key
    };
    // From the start the first mark lies within the lead, already in view: N goes past it.
    m.SetPosition(t0);
    const Step steps[] = {{'N', true, t0 + 28'000}, {'N', true, t0 + 58'000}, {'N', false, t0 + 58'000},
                          {'P', true, t0 + 28'000}, {'P', true, t0}};
    for (const Step& s : steps) {
        const int mark = s.key == 'N' ? m.NextMark() : m.PreviousMark();
        EXPECT_EQ(mark >= 0, s.found) << s.key << " to " << s.landsAt - t0;
        if (mark >= 0) m.SetPosition(m.MarkTarget(mark));
        EXPECT_EQ(m.Position(), s.landsAt) << s.key;
    }
    m.SetPosition(m.Last());
    EXPECT_EQ(m.NextMark(), -1);
    m.SetPosition(t0);
    EXPECT_EQ(m.PreviousMark(), 0);  // the mark within the first two seconds
    TimelineModel none = Hour();
    EXPECT_EQ(none.NextMark(), -1);
    EXPECT_EQ(none.PreviousMark(), -1);
}

TEST(TimelineModelTest, SpeedsTextsAndTimes) {
    TimelineModel m;
    EXPECT_EQ(m.SpeedIndex(), TimelineModel::kNormalSpeed);
    EXPECT_DOUBLE_EQ(TimelineModel::kSpeeds[m.SpeedIndex()], 1.0);
    while (m.Faster()) {}
    EXPECT_EQ(m.SpeedIndex(), TimelineModel::kSpeedCount - 1);
    EXPECT_DOUBLE_EQ(TimelineModel::kSpeeds[m.SpeedIndex()], 0.0);  // as fast as possible
    while (m.Slower()) {}
    EXPECT_EQ(m.SpeedIndex(), 0);
    const std::wstring texts[] = {L"\u00BC\u00D7", L"\u00BD\u00D7", L"1\u00D7", L"2\u00D7", L"4\u00D7",
                                  L"8\u00D7",      L"16\u00D7",     L"max"};
    for (int i = 0; i < TimelineModel::kSpeedCount; ++i) EXPECT_EQ(TimelineModel::SpeedText(i, L"max"), texts[i]);

    EXPECT_EQ(TimelineModel::FormatDuration(0), L"0:00");
    EXPECT_EQ(TimelineModel::FormatDuration(61'999), L"1:01");
    EXPECT_EQ(TimelineModel::FormatDuration(3'600'000 + 62'000), L"1:01:02");
    EXPECT_EQ(TimelineModel::FormatDuration(100ull * 3'600'000), L"100:00:00");
    TimelineModel h = Hour();
    h.SetPosition(h.First() + 90'000);
    EXPECT_EQ(h.TimeText(), L"1:30 / 1:00:00");  // no start known: no date
    // A known start: the date and time of day at the position, in local time.
    SYSTEMTIME start{2026, 12, 4, 11, 3, 10, 0, 0};
    FILETIME startUtc, local;
    ASSERT_TRUE(::SystemTimeToFileTime(&start, &startUtc));
    h.SetStartUtc(startUtc);
    const uint64_t at = ((static_cast<uint64_t>(startUtc.dwHighDateTime) << 32) | startUtc.dwLowDateTime) + 90'000ull * 10'000;
    const FILETIME atUtc{static_cast<DWORD>(at), static_cast<DWORD>(at >> 32)};
    SYSTEMTIME st;
    ASSERT_TRUE(::FileTimeToLocalFileTime(&atUtc, &local) && ::FileTimeToSystemTime(&local, &st));
    wchar_t want[80];
    swprintf(want, 80, L"1:30 / 1:00:00   %04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond);
    EXPECT_EQ(h.TimeText(), want);
    EXPECT_EQ(TimelineModel::MarkText(L"Area {area}: target {target} enters", TimelineMark{5, 3, 1234567890123LL, true}),
              L"Area 3: target 1234567890123 enters");
}

// The bar in a window: clicks on the track seek, a click on a mark lands two seconds before it,
// step and loop reach the listener, hovering names the mark, and the marks are drawn in their
// area's colour.
struct Heard : ITimelineListener {
    std::vector<uint64_t> seeks;
    std::vector<int> speeds;
    int steps = 0;
    std::vector<bool> loops;
    void OnTimelineSeek(uint64_t ms) override { seeks.push_back(ms); }
    void OnTimelineSpeed(int index) override { speeds.push_back(index); }
    void OnTimelineStep() override { ++steps; }
    void OnTimelineLoop(bool loop) override { loops.push_back(loop); }
};

TEST(TimelineBarTest, ClicksSeekStepLoopAndMarksAreNamedAndDrawn) {
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 60, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    Heard heard;
    CTimelineBar bar;
    ASSERT_TRUE(bar.Create(parent, RECT{0, 0, 1000, CTimelineBar::kHeight}, 77, &heard));
    bar.ShowWindow(SW_SHOW);
    bar.SetRange(0, 600'000, FILETIME{});
    bar.SetMarks({{300'000, 2, 41, true}, {450'000, 5, 41, false}});
    const TimelineModel::Parts p = bar.Parts();
    ASSERT_GT(p.track.right - p.track.left, 200);
    const int mid = (p.track.top + p.track.bottom) / 2;
    auto click = [&](int x, int y) {
        ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };

    // A quarter along the track, away from the marks.
    const int quarter = p.track.left + (p.track.right - 1 - p.track.left) / 4;
    click(quarter, mid);
    ASSERT_EQ(heard.seeks.size(), 1u);
    EXPECT_NEAR(static_cast<double>(heard.seeks[0]), 150'000.0, 600'000.0 / (p.track.right - p.track.left));
    EXPECT_EQ(bar.Model().Position(), heard.seeks[0]);
    // Dragging follows the cursor; the playback's own position does not move the held thumb.
    ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(quarter, mid));
    bar.SetPosition(10);
    ::SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.track.right + 50, mid));
    ::SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(p.track.right + 50, mid));
    EXPECT_EQ(heard.seeks.back(), 600'000u);
    EXPECT_EQ(bar.Model().Position(), 600'000u);

    // On a mark: two seconds before it.
    const int markX = bar.Model().MsToX(450'000, p.track);
    click(markX + 1, mid);
    EXPECT_EQ(heard.seeks.back(), 448'000u);
    ::SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(markX, mid));
    EXPECT_EQ(bar.HoverText(), L"Area 5: target 41 leaves");
    ::SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(quarter, mid));
    EXPECT_EQ(bar.HoverText(), L"");

    click((p.step.left + p.step.right) / 2, mid);
    EXPECT_EQ(heard.steps, 1);
    click((p.loop.left + p.loop.right) / 2, mid);
    click((p.loop.left + p.loop.right) / 2, mid);
    EXPECT_EQ(heard.loops, (std::vector<bool>{true, false}));
    bar.ChooseSpeed(6);
    EXPECT_EQ(heard.speeds, (std::vector<int>{6}));

    // The entry mark of area 2 stands above the groove in its colour, the exit of area 5 below
    // (the thumb away from both).
    bar.SetPosition(0);
    ::RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = ::GetDC(bar);
    const int entryX = bar.Model().MsToX(300'000, p.track);
    EXPECT_EQ(::GetPixel(dc, entryX, mid - 5), CTimelineBar::MarkColour(2));
    EXPECT_EQ(::GetPixel(dc, markX, mid + 5), CTimelineBar::MarkColour(5));
    EXPECT_NE(CTimelineBar::MarkColour(2), CTimelineBar::MarkColour(5));
    ::ReleaseDC(bar, dc);
    ::DestroyWindow(parent);
}

}  // namespace
