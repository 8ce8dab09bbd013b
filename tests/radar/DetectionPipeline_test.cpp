#include "radar/DetectionPipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "areas/PresenceTick.h"
#include "contracts/RadarListeners.h"
#include "radar/FrameDelivery.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {

struct Delivery {
    std::vector<DetectedObject> objects;
    CPtrListCtrl list;
    explicit Delivery(std::vector<DetectedObject> o) : objects(std::move(o)) {
        for (auto& obj : objects) list.AddData(&obj, -1);
    }
};

// The view's side of the delivery step: refuses the ids it is told to, accepts the rest with
// area 1 for even ids, area 2 for odd ones.
struct RecordingView : ITargetView {
    std::vector<ViewTarget> seen;
    std::vector<int64_t> refuse;
    void UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted) override {
        seen.assign(targets.begin(), targets.end());
        for (size_t i = 0; i < targets.size(); ++i) {
            const ViewTarget& t = targets[i];
            if (std::find(refuse.begin(), refuse.end(), t.id) != refuse.end()) continue;
            if (accepted) accepted->push_back(TrackMembership{t.id, t.range, t.angle, t.id % 2 ? 4u : 2u, static_cast<int>(i)});
        }
    }
};

// One delivery through the step; seen (optional) receives every object with its list position.
int Process(CPtrCtrl* list, double slope, double offset, CTargetSlots& slots,
            std::vector<std::pair<int, CalibratedObject>>* seen = nullptr) {
    RecordingView view;
    CFrameDelivery step(&slots, nullptr, view);
    const DeliveredFrame& frame = step.Deliver(list, slope, offset);
    if (seen) {
        for (const CalibratedObject& o : frame.objects) seen->push_back({o.position, o});
    }
    return static_cast<int>(frame.objects.size());
}

DetectedObject Object(int64_t id, double gate, double distance, double velocity, double rawAngle) {
    DetectedObject o{};
    o.objectId = id;
    o.gate = gate;
    o.distance = distance;
    o.velocity = velocity;
    o.rawAngle = rawAngle;
    return o;
}

TEST(DetectionPipelineTest, CalibratesFillsSlotsAndReportsEveryObject) {
    CTargetSlots slots;
    slots.Reset();
    Delivery d({Object(0x700000003LL, 4.5, 1.5, 0.5, 10.0), Object(8, 2.0, 0.0, 1.0, 20.0)});
    std::vector<std::pair<int, CalibratedObject>> seen;
    const int n = Process(&d.list, 2.0, -1.0, slots, &seen);
    ASSERT_EQ(n, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].second.objectId, 0x700000003LL);  // the view and the file keep all 64 bits
    EXPECT_DOUBLE_EQ(seen[0].second.angle, 19.0);
    EXPECT_DOUBLE_EQ(seen[0].second.gate, 4.5);
    EXPECT_EQ(seen[1].first, 1);
    EXPECT_DOUBLE_EQ(seen[1].second.angle, 39.0);
    const auto s = slots.Snapshot();
    EXPECT_EQ(s[0].id, 3);  // the label keeps the low 32 bits
    EXPECT_DOUBLE_EQ(s[0].distance, 1.5);
    EXPECT_DOUBLE_EQ(s[0].angle, 19.0);
    EXPECT_DOUBLE_EQ(s[0].velocity, 0.5);
    EXPECT_EQ(s[1].id, -1);  // distance 0: slot emptied, object still reported
    EXPECT_DOUBLE_EQ(s[1].distance, 0.0);
}

TEST(DetectionPipelineTest, NullEntriesAndUntouchedSlotsKeepTheirValues) {
    CTargetSlots slots;
    slots.Reset();
    Delivery first({Object(1, 1, 1.0, 0, 0), Object(2, 1, 2.0, 0, 0), Object(3, 1, 3.0, 0, 0)});
    Process(&first.list, 1.0, 0.0, slots);
    slots.Edit([](CTargetSlots::Array& a) { a[1].stamp = 77; });
    DetectedObject fresh = Object(9, 1, 9.0, 0, 0);
    CPtrListCtrl list;
    list.AddData(nullptr, -1);
    list.AddData(&fresh, -1);
    std::vector<std::pair<int, CalibratedObject>> seen;
    int reported = Process(&list, 1.0, 0.0, slots, &seen);
    EXPECT_EQ(reported, 1);
    const auto s = slots.Snapshot();
    EXPECT_EQ(s[0].id, 1);   // null entry: slot untouched
    EXPECT_EQ(s[1].id, 9);   // refreshed: stamped with the time of this report
    EXPECT_NE(s[1].stamp, 77u);
    EXPECT_EQ(s[2].id, 3);   // beyond this delivery: untouched
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, 1);  // the slot of its place in the list, null entries counted
    EXPECT_EQ(Process(nullptr, 1.0, 0.0, slots), 0);
}

TEST(DetectionPipelineTest, MoreThanTenObjectsNeverOverrunTheSlots) {
    CTargetSlots slots;
    slots.Reset();
    std::vector<DetectedObject> many;
    for (int i = 0; i < 25; ++i) many.push_back(Object(100 + i, 1, 1.0 + i, 0, 0));
    Delivery d(many);
    EXPECT_EQ(Process(&d.list, 1.0, 0.0, slots), 25);
    const auto s = slots.Snapshot();
    EXPECT_EQ(s[9].id, 109);
    EXPECT_DOUBLE_EQ(s[9].distance, 10.0);
}

// What the zone recorder gets: each accepted report with its own object's distance and angle (two
// reports of one id in a frame keep theirs), none for a refused one, and the frame's stream time.
TEST(DetectionPipelineTest, MembershipsCarryTheirOwnReportAndTheStreamTime) {
    CTargetSlots slots;
    slots.Reset();
    std::vector<DetectedObject> objects = {Object(5, 3, 1.0, 0, 10), Object(6, 4, 2.0, 0, 20), Object(5, 5, 3.0, 0, 30)};
    for (DetectedObject& o : objects) o.streamMs = 4242;
    CPtrListCtrl list;
    for (DetectedObject& o : objects) list.AddData(&o, -1);
    RecordingView view;
    view.refuse = {6};
    CFrameDelivery step(&slots, nullptr, view);
    const DeliveredFrame& frame = step.Deliver(&list, 1.0, 0.5);
    EXPECT_TRUE(frame.timed);
    EXPECT_EQ(frame.streamMs, 4242u);
    ASSERT_EQ(view.seen.size(), 3u);
    EXPECT_DOUBLE_EQ(view.seen[1].range, 4.0);          // the view works in gates
    EXPECT_DOUBLE_EQ(view.seen[1].angle, 20.5 - 90.0);  // and in view angles
    ASSERT_EQ(frame.reports.size(), 2u);
    EXPECT_EQ(frame.reports[0].id, 5);
    EXPECT_DOUBLE_EQ(frame.reports[0].distance, 1.0);
    EXPECT_DOUBLE_EQ(frame.reports[0].angle, 10.5);
    EXPECT_EQ(frame.reports[0].areas, 4u);
    EXPECT_EQ(frame.reports[1].id, 5);
    EXPECT_DOUBLE_EQ(frame.reports[1].distance, 3.0);
    EXPECT_DOUBLE_EQ(frame.reports[1].angle, 30.5);

    // The next frame starts clean, and one that opens with a null entry carries no time.
    DetectedObject late = Object(9, 2, 2.0, 0, 0);
    CPtrListCtrl second;
    second.AddData(nullptr, -1);
    second.AddData(&late, -1);
    const DeliveredFrame& next = step.Deliver(&second, 1.0, 0.0);
    EXPECT_FALSE(next.timed);
    ASSERT_EQ(next.reports.size(), 1u);
    EXPECT_EQ(next.reports[0].id, 9);
    list.RemoveAll();
    second.RemoveAll();
}

TEST(DetectionPipelineTest, LabelTextsInBothLanguages) {
    TargetSlot slot;
    slot.id = 1;
    slot.distance = 1.5;
    slot.angle = -12.34;
    slot.velocity = 0.5;
    CResourceLoader::SetLanguage(0x0409);
    const std::wstring en = CResourceLoader::LoadString(IDS_TARGET_INFO_FORMAT);
    EXPECT_EQ(FormatTargetLabel(en, 1, 0, slot), L"Object Information\r\ndistance: 1.50 m\r\nangle:-12.3 \u00b0\r\nvelocity: +0.50 m/s");
    EXPECT_EQ(FormatTargetLabel(en, 3, 2, TargetSlot{}), L"Object 3 Information\r\ndistance: 0.00 m\r\nangle: +0.0 \u00b0\r\nvelocity: +0.00 m/s");
    CResourceLoader::SetLanguage(0x1004);
    const std::wstring zh = CResourceLoader::LoadString(IDS_TARGET_INFO_FORMAT);
    EXPECT_EQ(FormatTargetLabel(zh, 3, 0, slot),
              L"\u76ee\u6807 1\u4fe1\u606f\r\n\u8ddd\u79bb: 1.50 m\r\n\u89d2\u5ea6:-12.3 \u00b0\r\n\u901f\u5ea6: +0.50 m/s");
}

// Presence from the first delivery to "no target", on a fake clock: deliveries and ticks as the
// console has them (a tick after every delivery, the 1000 ms timer besides).
uint32_t gFakeNow = 0;
uint32_t FakeClock() { return gFakeNow; }

enum class After { EmptyLists, DistanceZero, Nothing, OneTarget };

struct PresenceCase {
    const char* name;
    After after;
    bool slot0Stays;  // the target of slot 0 is still reported
};

struct PresenceRun {
    CTargetSlots slots;
    PresenceTick presence;
    LampRequest lamp = LampRequest::None;  // the lamp last asked for
    std::array<TargetSlot, kTargetSlotCount> shown{};  // the labels as last refreshed

    PresenceRun() {
        slots.SetClock(&FakeClock);
        slots.Reset();
    }
    void Deliver(const std::vector<DetectedObject>& objects) {
        Delivery d(objects);
        Process(&d.list, 1.0, 0.0, slots);
        Tick();
    }
    void Tick() {
        const PresenceTickResult r =
            slots.Edit([this](CTargetSlots::Array& a) { return presence.Tick(a.data(), gFakeNow); });
        if (r.refreshLabels) shown = slots.Snapshot();
        if (r.lamp != LampRequest::None) lamp = r.lamp;
    }
};

class PresenceScenarioTest : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(PresenceScenarioTest, LabelsAndLightGoToNoTargetTwoSecondsAfterTheLastReport) {
    const PresenceCase& c = GetParam();
    PresenceRun run;
    gFakeNow = 50000;
    run.Tick();  // the first tick of the run
    const std::vector<DetectedObject> three{Object(1, 5, 1.5, 0, 0), Object(2, 6, 2.5, 0, 0), Object(3, 7, 3.5, 0, 0)};
    // Three people walk for three seconds, 15 frames a second.
    for (int frame = 0; frame < 45; ++frame, gFakeNow += 66) {
        run.Deliver(three);
        if (frame % 15 == 0) run.Tick();  // the timer
    }
    const uint32_t lastReport = gFakeNow - 66;
    ASSERT_EQ(run.lamp, LampRequest::Target);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(run.shown[i].id, i + 1) << i;

    // Then, for six seconds, what the library delivers after they left (slot 0 may stay).
    uint32_t labelsEmpty = 0, othersEmpty = 0, noTargetLamp = 0;
    for (; gFakeNow < lastReport + 6000; gFakeNow += 66) {
        switch (c.after) {
        case After::EmptyLists: run.Deliver({}); break;
        case After::DistanceZero: run.Deliver({Object(1, 5, 0, 0, 0), Object(2, 6, 0, 0, 0), Object(3, 7, 0, 0, 0)}); break;
        case After::Nothing: if ((gFakeNow - lastReport) % 990 < 66) run.Tick(); break;  // the timer alone
        case After::OneTarget: run.Deliver({Object(1, 5, 1.5, 0, 0)}); break;
        }
        if (!othersEmpty && run.shown[1].id < 0 && run.shown[2].id < 0) othersEmpty = gFakeNow;
        if (!labelsEmpty && run.shown[0].id < 0 && othersEmpty) labelsEmpty = gFakeNow;
        if (!noTargetLamp && run.lamp == LampRequest::NoTarget) noTargetLamp = gFakeNow;
    }
    // Labels 2 and 3 (multi-target mode) empty within two seconds and a tick of the last report.
    ASSERT_NE(othersEmpty, 0u);
    EXPECT_GT(othersEmpty - lastReport, (c.after == After::DistanceZero ? 0u : 2000u));
    EXPECT_LE(othersEmpty - lastReport, 3000u);
    if (c.slot0Stays) {
        EXPECT_EQ(labelsEmpty, 0u);
        EXPECT_EQ(run.shown[0].id, 1);
        EXPECT_EQ(noTargetLamp, 0u);
        EXPECT_EQ(run.lamp, LampRequest::Target);
        return;
    }
    ASSERT_NE(labelsEmpty, 0u);
    ASSERT_NE(noTargetLamp, 0u);
    EXPECT_EQ(run.shown[0].distance, 0.0);
    // The light: more than two seconds after the last report, and by the next tick after that.
    EXPECT_GT(noTargetLamp - lastReport, 2000u);
    EXPECT_LE(noTargetLamp - lastReport, 3000u);
    EXPECT_LE(labelsEmpty - lastReport, 3000u);
}

INSTANTIATE_TEST_SUITE_P(
    AfterTheyLeft, PresenceScenarioTest,
    ::testing::Values(PresenceCase{"EmptyDeliveries", After::EmptyLists, false},
                      PresenceCase{"ObjectsWithDistanceZero", After::DistanceZero, false},
                      PresenceCase{"TimerTicksOnly", After::Nothing, false},
                      PresenceCase{"ThreeTargetsDropToOne", After::OneTarget, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
