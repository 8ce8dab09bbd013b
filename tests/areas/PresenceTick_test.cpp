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
    uint32_t emptyStamp;     // stamp of every empty slot
    int32_t heldId;          // slot 3's id, -1 for none
    uint32_t heldStamp;
    bool refresh;
    bool slot3Emptied;
    LampRequest lamp;        // with the last target seen at construction (time 0)
};

class PresenceTickCaseTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(PresenceTickCaseTest, ExpiresPacesAndChoosesTheLamp) {
    const TickCase& c = GetParam();
    Slots slots(c.emptyStamp);
    if (c.heldId >= 0) slots.Hold(3, c.heldId, c.heldStamp);
    const Slots before = slots;
    PresenceTick tick;
    const PresenceTickResult r = tick.Tick(slots.s, c.now);
    EXPECT_EQ(r.refreshLabels, c.refresh);
    EXPECT_EQ(r.lamp, c.lamp);
    for (int i = 0; i < kTargetSlotCount; ++i) EXPECT_EQ(slots.s[i].stamp, c.refresh ? c.now : before.s[i].stamp);
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
        // name, now, emptyStamp, heldId, heldStamp, refresh, slot3Emptied, lamp
        TickCase{"FirstTickAfterStartEmptiesAndRefreshes", 5000, 0, -1, 0, true, false, LampRequest::NoTarget},
        TickCase{"FirstTickWithTargetStillCountsIt", 5000, 0, 7, 0, true, true, LampRequest::Target},
        TickCase{"TargetFresherThan100msNoRefresh", 5000, 4990, 7, 4950, false, false, LampRequest::Target},
        TickCase{"TargetExactly100msNoRefresh", 5000, 4990, 7, 4900, false, false, LampRequest::Target},
        TickCase{"Target101msRefreshesKeepsSlot", 5000, 4990, 7, 4899, true, false, LampRequest::Target},
        TickCase{"Target2000msKept", 5000, 4990, 7, 3000, true, false, LampRequest::Target},
        TickCase{"Target2001msEmptied", 5000, 4990, 7, 2999, true, true, LampRequest::Target},
        TickCase{"EmptySlots2000msNoRefresh", 5000, 3000, -1, 0, false, false, LampRequest::NoTarget},
        TickCase{"EmptySlots2001msRefresh", 5000, 2999, -1, 0, true, false, LampRequest::NoTarget},
        TickCase{"EarlyTickLeavesLamp", 1500, 1400, -1, 0, false, false, LampRequest::None},
        TickCase{"IdZeroIsATarget", 5000, 4990, 0, 4990, false, false, LampRequest::Target},
        TickCase{"ClockWrapCountsForward", 0x10, 0xFFFFFFF0u, 7, 0xFFFFFFF0u, false, false, LampRequest::Target}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PresenceTickTest, NoTargetLampOnlyOnTheFirstTickMoreThan2sAfterTheLastTargetTick) {
    PresenceTick tick;
    Slots slots(10000);
    slots.Hold(0, 1, 10000);
    EXPECT_EQ(tick.Tick(slots.s, 10000).lamp, LampRequest::Target);
    EXPECT_EQ(tick.LastTargetTime(), 10000u);
    slots.s[0].Clear();
    std::vector<LampRequest> lamps;
    for (uint32_t now : {11000u, 12000u, 12001u, 13000u}) lamps.push_back(tick.Tick(slots.s, now).lamp);
    EXPECT_EQ(lamps, (std::vector<LampRequest>{LampRequest::None, LampRequest::None, LampRequest::NoTarget,
                                                LampRequest::NoTarget}));
    EXPECT_EQ(tick.LastTargetTime(), 10000u);
}

TEST(PresenceTickTest, LabelsRefreshEvery100msWithATargetAndEvery2sWithout) {
    PresenceTick tick;
    Slots slots(0);
    tick.Tick(slots.s, 3000);  // start: everything stamped 3000
    slots.Hold(1, 4, 3000);
    std::vector<uint32_t> refreshed;
    for (uint32_t now = 3050; now <= 3500; now += 50) {
        if (tick.Tick(slots.s, now).refreshLabels) refreshed.push_back(now);
    }
    EXPECT_EQ(refreshed, (std::vector<uint32_t>{3150, 3300, 3450}));
    slots.s[1].Clear();
    refreshed.clear();
    for (uint32_t now = 3500; now <= 8000; now += 500) {
        if (tick.Tick(slots.s, now).refreshLabels) refreshed.push_back(now);
    }
    EXPECT_EQ(refreshed, (std::vector<uint32_t>{5500, 8000}));
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
