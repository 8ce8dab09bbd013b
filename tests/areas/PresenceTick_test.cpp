#include "areas/PresenceTick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Slots {
    TargetSlot s[kTargetSlotCount];
    Slots(uint32_t stamp) {
        for (TargetSlot& slot : s) slot.stamp = stamp;
    }
    void Hold(int i, int32_t id, uint32_t stamp) {
        s[i].id = id;
        s[i].distance = 1.5;
        s[i].angle = -12.0;
        s[i].velocity = 0.5;
        s[i].stamp = stamp;
    }
};

struct TickCase {
    const char* name;
    uint32_t now;
    uint32_t refreshedAt;    // an earlier tick refreshed the labels then (0: none since the start)
    int32_t heldId;          // slot 3's id, -1 for none
    uint32_t reportedAt;     // slot 3's last report
    bool refresh;
    bool slot3Emptied;
    LampRequest lamp;
};

class PresenceTickCaseTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(PresenceTickCaseTest, ExpiresPacesAndChoosesTheLamp) {
    const TickCase& c = GetParam();
    PresenceTick tick;
    Slots slots(0);
    if (c.refreshedAt != 0) {
        ASSERT_TRUE(tick.Tick(slots.s, c.refreshedAt).refreshLabels);
    }
    if (c.heldId >= 0) slots.Hold(3, c.heldId, c.reportedAt);
    const Slots before = slots;
    const PresenceTickResult r = tick.Tick(slots.s, c.now);
    EXPECT_EQ(r.refreshLabels, c.refresh);
    EXPECT_EQ(r.lamp, c.lamp);
    // The stamps are the reports' own: a tick never renews them.
    for (int i = 0; i < kTargetSlotCount; ++i) EXPECT_EQ(slots.s[i].stamp, before.s[i].stamp);
    if (c.slot3Emptied) {
        EXPECT_EQ(slots.s[3].id, -1);
        EXPECT_EQ(slots.s[3].distance, 0.0);
        EXPECT_EQ(slots.s[3].angle, 0.0);
        EXPECT_EQ(slots.s[3].velocity, 0.0);
    } else if (c.heldId >= 0) {
        EXPECT_EQ(slots.s[3].id, c.heldId);
        EXPECT_EQ(slots.s[3].distance, 1.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PresenceTickCaseTest,
    ::testing::Values(
        // name, now, refreshedAt, heldId, reportedAt, refresh, slot3Emptied, lamp
        TickCase{"FirstTickAfterStartRefreshes", 5000, 0, -1, 0, true, false, LampRequest::NoTarget},
        TickCase{"FirstTickWithAFreshTarget", 5000, 0, 7, 4990, true, false, LampRequest::Target},
        TickCase{"TargetReported2000msAgoKept", 5000, 4990, 7, 3000, false, false, LampRequest::Target},
        TickCase{"TargetReported2001msAgoGoneAndNoTarget", 5000, 4990, 7, 2999, true, true, LampRequest::NoTarget},
        TickCase{"Refreshed50msAgoNoRefresh", 5000, 4950, 7, 4990, false, false, LampRequest::Target},
        TickCase{"RefreshedExactly100msAgoNoRefresh", 5000, 4900, 7, 4990, false, false, LampRequest::Target},
        TickCase{"Refreshed101msAgoRefreshes", 5000, 4899, 7, 4990, true, false, LampRequest::Target},
        TickCase{"NoTargetRefreshedExactly2sAgoNoRefresh", 5000, 3000, -1, 0, false, false, LampRequest::NoTarget},
        TickCase{"NoTargetRefreshed2001msAgoRefreshes", 5000, 2999, -1, 0, true, false, LampRequest::NoTarget},
        TickCase{"EarlyTickLeavesLamp", 1500, 0, -1, 0, false, false, LampRequest::None},
        TickCase{"IdZeroIsATarget", 5000, 4990, 0, 4990, false, false, LampRequest::Target},
        TickCase{"ClockWrapCountsForward", 0x10, 0xFFFFFFF0u, 7, 0xFFFFFFF0u, false, false, LampRequest::Target}),
    [](const auto& info) { return std::string(info.param.name); });

// A target that is no longer reported: the ticks keep coming (deliveries of others, the timer),
// and the light goes to no target once its last report is more than two seconds old.
TEST(PresenceTickTest, NoTargetLampMoreThan2sAfterTheLastReport) {
    struct Case {
        bool clearedByDelivery;  // a later delivery emptied the slot (distance 0)
        std::vector<LampRequest> lamps;
    } cases[] = {
        {false, {LampRequest::Target, LampRequest::Target, LampRequest::NoTarget, LampRequest::NoTarget}},
        {true, {LampRequest::None, LampRequest::None, LampRequest::NoTarget, LampRequest::NoTarget}},
    };
    for (const Case& c : cases) {
        PresenceTick tick;
        Slots slots(0);
        slots.Hold(0, 1, 10000);
        EXPECT_EQ(tick.Tick(slots.s, 10000).lamp, LampRequest::Target);
        EXPECT_EQ(tick.LastTargetTime(), 10000u);
        if (c.clearedByDelivery) slots.s[0].Clear();
        std::vector<LampRequest> lamps;
        for (uint32_t now : {11000u, 12000u, 12001u, 13000u}) lamps.push_back(tick.Tick(slots.s, now).lamp);
        EXPECT_EQ(lamps, c.lamps) << c.clearedByDelivery;
        EXPECT_EQ(slots.s[0].id, -1);
        EXPECT_EQ(tick.LastTargetTime(), 10000u);
    }
}

TEST(PresenceTickTest, LabelsRefreshEvery100msWithATargetAndEvery2sWithout) {
    PresenceTick tick;
    Slots slots(0);
    tick.Tick(slots.s, 3000);  // start
    slots.Hold(1, 4, 3000);
    std::vector<uint32_t> refreshed;
    for (uint32_t now = 3050; now <= 3500; now += 50) {
        if (tick.Tick(slots.s, now).refreshLabels) refreshed.push_back(now);
    }
    EXPECT_EQ(refreshed, (std::vector<uint32_t>{3150, 3300, 3450}));
    slots.s[1].Clear();  // a delivery with distance 0: the shown target goes at the next tick
    refreshed.clear();
    for (uint32_t now = 3500; now <= 8000; now += 500) {
        if (tick.Tick(slots.s, now).refreshLabels) refreshed.push_back(now);
    }
    EXPECT_EQ(refreshed, (std::vector<uint32_t>{3500, 6000}));
}

TEST(PresenceTickTest, ResetForgetsTheLastRefreshAndTheLastTarget) {
    PresenceTick tick;
    Slots slots(0);
    slots.Hold(0, 1, 9000);
    tick.Tick(slots.s, 9000);
    tick.Reset();
    EXPECT_EQ(tick.LastTargetTime(), 0u);
    EXPECT_TRUE(tick.Tick(slots.s, 9010).refreshLabels);
}

// Stale data overrides presence with the fault lamp (asked for once); when data returns a
// presence decision takes over, or the fault lamp goes off while presence has none yet.
TEST(PresenceTickTest, StaleDataAsksForTheFaultLampNeverTheNoTargetLamp) {
    using L = LampRequest;
    struct Case {
        L presence;
        bool stale;
        bool faultLit;
        L expected;
    } cases[] = {
        {L::NoTarget, true, false, L::Fault}, {L::Target, true, false, L::Fault}, {L::None, true, false, L::Fault},
        {L::NoTarget, true, true, L::None},   {L::None, true, true, L::None},     {L::Target, false, true, L::Target},
        {L::NoTarget, false, true, L::NoTarget}, {L::None, false, true, L::Off},  {L::None, false, false, L::None},
        {L::Target, false, false, L::Target}, {L::NoTarget, false, false, L::NoTarget},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseLamp(c.presence, c.stale, c.faultLit), c.expected)
            << static_cast<int>(c.presence) << " stale " << c.stale << " fault lit " << c.faultLit;
    }
}

}  // namespace
