#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "ReferenceFrame.h"
#include "contracts/ROVA_DataProcess.h"
#include "view/ObjectSectorWnd.h"
#include "view/SectorGrid.h"

namespace {

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::vector<uint32_t> Copy(const uint32_t* p, const SectorGeometry& g) {
    return std::vector<uint32_t>(p, p + static_cast<size_t>(g.width) * g.height);
}

class ObjectSectorWndTest : public testing::Test {
protected:
    void SetUp() override { gRadarParameter.gateCount = 32; }

    // A view created on its own with a client area of w x h.
    void CreateView(int w, int h) {
        RECT rc{0, 0, w, h};
        ASSERT_TRUE(view.Create(WS_POPUP | WS_VISIBLE, rc, nullptr, 0));
        view.ApplyViewSettings(settings);
        Pump();
    }

    ObjectViewSettings settings;
    CObjectSectorWnd view;
};

TEST_F(ObjectSectorWndTest, SubclassedStaticControlLaysOutPaintsAndBlits) {
    HWND stat = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | SS_NOTIFY, 10, 10, 402, 252,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(stat, nullptr);
    ASSERT_TRUE(view.SubclassWindow(stat));
    view.ApplyViewSettings(settings);
    const SectorGeometry& g = view.Scene().Geometry();
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 250);
    EXPECT_EQ(view.GetFanRect().top, 25);  // R = 200, centred in 250 rows
    EXPECT_EQ(view.GetFanRect().right - view.GetFanRect().left, 400);
    EXPECT_EQ(::SendMessageW(stat, WM_ERASEBKGND, 0, 0), TRUE);

    // A still clock: the frame and its plain counterpart see the same fade.
    const uint32_t now = MS_GetTime();
    view.Scene().SetClock([now] { return now; });
    const ViewTarget t{5, 10, -70};
    ::ValidateRect(stat, nullptr);
    view.UpdateTargets({&t, 1});
    RECT pending{};
    EXPECT_TRUE(::GetUpdateRect(stat, &pending, FALSE));  // the update asks for a paint
    ::UpdateWindow(stat);
    const auto frame = Copy(view.WindowPixels(), g);
    EXPECT_EQ(frame, reference::Frame(view.Scene(), Copy(view.BackgroundPixels(), g)));
    // The frame reached the screen: the disc's centre is the target colour.
    int x, y;
    ASSERT_TRUE(g.RangeAngleToPixel(10, -70, &x, &y));
    HDC dc = ::GetDC(stat);
    COLORREF shown = ::GetPixel(dc, x, y);
    ::ReleaseDC(stat, dc);
    uint32_t px = frame[static_cast<size_t>(y) * g.width + x];
    EXPECT_EQ(shown, RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF));
    ::DestroyWindow(stat);
    EXPECT_FALSE(view.Scene().IsLaidOut());
}

TEST_F(ObjectSectorWndTest, BackgroundHasGridAndShading) {
    settings.topViewMode = 0;
    CreateView(800, 400);
    const SectorGeometry& g = view.Scene().Geometry();
    const auto bg = Copy(view.BackgroundPixels(), g);
    // The same background without grid lines.
    std::vector<uint32_t> plain(bg.size(), SectorGrid::kBackground);
    ShadeFan(plain.data(), g);
    auto at = [](const std::vector<uint32_t>& v, int x, int y) { return v[static_cast<size_t>(y) * 800 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(bg, 0, 0), SectorGrid::kBackground & 0xFFFFFF);  // beyond the fan
    EXPECT_EQ(at(bg, 5, 200), at(plain, 5, 200));                 // shaded, no line there
    EXPECT_NE(at(bg, 399, 200), at(plain, 399, 200));             // the radial line at -90
    // Column 395 crosses rings 2 to 20 above row 370 and no radial line there.
    int runs = 0;
    bool inRun = false;
    for (int y = 370; y >= 0; --y) {
        bool line = at(bg, 395, y) != at(plain, 395, y);
        if (line && !inRun) ++runs;
        inRun = line;
    }
    EXPECT_GE(runs, 19);
    EXPECT_LE(runs, 20);
}

TEST_F(ObjectSectorWndTest, MarkerLabelIsDrawnOnTheInactiveImageOnly) {
    CreateView(800, 400);
    view.AddMonitorPoint(10, -90, 2.0, L"12", RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 255, 0));
    int labelled = 0, activeOdd = 0, side = 0;
    view.Scene().ForEachMonitorPoint([&](const MonitorPointEntry& e) {
        side = 2 * e.markerRadius + 1;
        for (uint32_t p : e.inactiveImage) labelled += (p != 0 && p != 0xFFFF0000u);
        for (uint32_t p : e.activeImage) activeOdd += (p != 0 && p != 0xFF00FF00u);
    });
    EXPECT_EQ(side, 41);  // 2 * (400 / 40 * 2.0) + 1
    EXPECT_GT(labelled, 10);
    EXPECT_EQ(activeOdd, 0);
}

TEST_F(ObjectSectorWndTest, AreaOperationsRedrawAndKeepTheDetectArea) {
    CreateView(600, 400);
    const AreaVertex v[] = {{10, 20}, {10, 80}, {60, 50}};
    view.SetDetectArea(v, 3);
    auto held = view.GetDetectArea();
    ASSERT_EQ(held.size(), 3u);
    RECT fan = view.GetFanRect();
    EXPECT_EQ(held[0].row, 10 + fan.top);
    EXPECT_EQ(view.AddMonitorArea(v, 3, 0xFFFF00, 0x54DC), 1);
    view.ClearDetectArea();
    EXPECT_TRUE(view.GetDetectArea().empty());
    view.ClearMonitorAreas();
    EXPECT_FALSE(view.Scene().Slot(1).used);
}

// The radar library's thread updates the targets without pause while the UI thread resizes the
// view, applies settings, edits areas and points and paints. Nothing may crash, and afterwards the
// scene must be whole: buffers of the layout's size, discs of the current dot radius, frames
// equal to the plain per-pixel frame.
TEST_F(ObjectSectorWndTest, StressUpdatesWhileTheLayoutChanges) {
    CreateView(500, 300);
    std::atomic<bool> stop{false};
    std::atomic<long> updates{0};
    std::thread radar([&] {
        std::mt19937 rng(99);
        std::uniform_real_distribution<double> range(-2, 34), angle(-185, 5);
        std::vector<ViewTarget> targets(10);
        while (!stop) {
            for (int i = 0; i < 10; ++i) targets[i] = {static_cast<int64_t>(rng() % 140), range(rng), angle(rng)};
            view.UpdateTargets(targets);
            ++updates;
            ::Sleep(1);  // far more often than a sensor delivers, and the UI still gets the lock
        }
    });

    std::mt19937 rng(7);
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    const DWORD start = ::GetTickCount();
    int rounds = 0;
    while (::GetTickCount() - start < 5000) {
        ++rounds;
        switch (integer(0, 6)) {
        case 0:
            ::SetWindowPos(view, nullptr, 0, 0, integer(0, 700), integer(0, 450), SWP_NOMOVE | SWP_NOZORDER);
            break;
        case 1:
            settings.radiusScale = integer(1, 30) / 10.0;
            settings.sectorCount = integer(-1, 30);
            settings.topViewMode = integer(0, 1);
            settings.angleStart = integer(-190, -60);
            settings.angleStop = integer(-120, 10);
            settings.smoothCount = integer(0, 9);
            settings.displayTime = integer(0, 3000);
            settings.gateMin = integer(-2, 10);
            settings.gateMax = integer(0, 40);
            view.ApplyViewSettings(settings);
            break;
        case 2: {
            RECT fan = view.GetFanRect();
            int fw = fan.right - fan.left + 1, fh = fan.bottom - fan.top + 1;
            std::vector<AreaVertex> v(static_cast<size_t>(integer(3, 9)));
            for (AreaVertex& a : v) a = {integer(0, fh), integer(0, fw)};
            if (integer(0, 1)) {
                view.SetDetectArea(v.data(), static_cast<int>(v.size()));
            } else {
                view.AddMonitorArea(v.data(), static_cast<int>(v.size()), rng() & 0xFFFFFF, rng() & 0xFFFFFF);
            }
            break;
        }
        case 3:
            if (integer(0, 1)) view.ClearMonitorAreas(); else view.ClearDetectArea();
            break;
        case 4:
            if (integer(0, 3) == 0) view.ClearMonitorPoints();
            view.AddMonitorPoint(integer(0, 31), -integer(0, 180), integer(5, 25) / 10.0, L"3", 0xFFFFFF, 0xFF00, 0xFF);
            break;
        case 5:
            view.SetGateRange(integer(-1, 12), integer(-1, 40), 32);
            break;
        default:
            view.ClearTargets();
            break;
        }
        ::InvalidateRect(view, nullptr, FALSE);
        Pump();
    }
    stop = true;
    radar.join();
    EXPECT_GT(updates.load(), 100);
    EXPECT_GT(rounds, 50);

    // Whole afterwards, whatever the last layout was.
    const uint32_t now = MS_GetTime();
    view.Scene().SetClock([now] { return now; });
    ::SetWindowPos(view, nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
    view.ApplyViewSettings(settings);
    const ViewTarget t{1, 12, -90};
    view.UpdateTargets({&t, 1});
    const SectorGeometry& g = view.Scene().Geometry();
    EXPECT_EQ(view.Scene().FanMask().size(), static_cast<size_t>(g.width) * g.height);
    EXPECT_EQ(view.Scene().AreaMap().size(), static_cast<size_t>(g.width) * g.height);
    EXPECT_LE(view.Scene().TrackCount(), 100);
    view.Scene().ForEachTrack([&](const TargetTrack& track) { EXPECT_EQ(track.DiscRadius(), g.dotRadius); });
    ::UpdateWindow(view);
    view.ComposeFrame();
    EXPECT_EQ(Copy(view.WindowPixels(), g), reference::Frame(view.Scene(), Copy(view.BackgroundPixels(), g)));
}

}  // namespace
