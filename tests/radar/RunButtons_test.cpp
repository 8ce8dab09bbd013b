// The buttons of each run phase, as the operator sees them.
#include <gtest/gtest.h>

#include "radar/RunButtons.h"

namespace {

constexpr int kKeep = -1;  // the button keeps its own check

struct Row {
    const char* name;
    RunPhase phase;
    bool detected;
    // enabled, checked (0, 1 or kKeep) of Start, Mode Switch, Pause, Playback, Save Data, Save Path
    int start[2], mode[2], pause[2], playback[2], saveData[2], savePath[2];
};

void Expect(const RunButtonState& actual, const int (&expected)[2], const char* button) {
    EXPECT_EQ(actual.enabled, expected[0] != 0) << button << " enabled";
    if (expected[1] == kKeep) {
        EXPECT_FALSE(actual.checked.has_value()) << button << " must keep its own check";
    } else {
        ASSERT_TRUE(actual.checked.has_value()) << button << " check";
        EXPECT_EQ(*actual.checked, expected[1] != 0) << button << " checked";
    }
}

TEST(RunButtonsTest, EachPhaseShowsItsRowOfTheTable) {
    const Row rows[] = {
        {"idle, no device", RunPhase::Idle, false, {0, 0}, {0, kKeep}, {0, 0}, {1, 0}, {1, kKeep}, {1, kKeep}},
        {"idle, device detected", RunPhase::Idle, true, {1, 0}, {1, kKeep}, {0, 0}, {1, 0}, {1, kKeep}, {1, kKeep}},
        {"live run", RunPhase::Live, true, {1, 1}, {1, kKeep}, {1, 0}, {0, 0}, {0, kKeep}, {0, kKeep}},
        {"playback, device detected", RunPhase::Playback, true, {0, 0}, {0, kKeep}, {1, 0}, {1, 1}, {0, kKeep}, {0, kKeep}},
        {"playback, no device", RunPhase::Playback, false, {0, 0}, {0, kKeep}, {1, 0}, {1, 1}, {0, kKeep}, {0, kKeep}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RunButtons b = RunButtonsFor(row.phase, row.detected);
        Expect(b.start, row.start, "Start");
        Expect(b.modeSwitch, row.mode, "Mode Switch");
        Expect(b.pause, row.pause, "Pause");
        Expect(b.playback, row.playback, "Playback");
        Expect(b.saveData, row.saveData, "Save Data");
        Expect(b.savePath, row.savePath, "Save Path");
    }
}

}  // namespace
