// The light kept answering, on the test's own clock: lost when it does not echo, its port closed
// and tried again every retry interval, the wanted lamp sent again once it answers.
#include "areas/LightKeeper.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LightLine.h"

namespace {

using Light = CSerialLightCtrl_YSL;
using Event = CLightKeeper::Event;
using Lines = std::vector<std::string>;
using Events = std::vector<Event>;

struct KeeperFixture : ::testing::Test {
    std::shared_ptr<LightLine> line = std::make_shared<LightLine>();
    CLightKeeper keeper{std::make_unique<LineLightPort>(line)};
};

// The clock may wrap between the loss and the next try.
TEST_F(KeeperFixture, ASilentLightIsLostAndTriedAgainEveryRetryIntervalUntilItAnswers) {
    for (const uint32_t start : {1000u, 0xFFFFFC00u}) {
        SCOPED_TRACE(start);
        line = std::make_shared<LightLine>();
        CLightKeeper k(std::make_unique<LineLightPort>(line));
        line->SetAnswers(false);
        k.Open(47, 9600, start);
        EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 2 on", "written coil 2 on", "close"}));
        EXPECT_TRUE(k.Lost());
        EXPECT_EQ(k.TakeEvents(), Events{Event::Lost});

        k.Step(Light::LightNoTarget, start + CLightKeeper::kRetryMs - 1);
        EXPECT_EQ(line->Take(), Lines{}) << "tried again before the interval";
        k.Step(Light::LightNoTarget, start + CLightKeeper::kRetryMs);
        EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 2 on", "written coil 2 on", "close"}));
        EXPECT_TRUE(k.Lost());
        EXPECT_EQ(k.TakeEvents(), Events{}) << "a light still silent is not lost again";

        line->SetAnswers(true);
        k.Step(Light::LightNoTarget, start + 2 * CLightKeeper::kRetryMs - 1);
        EXPECT_EQ(line->Take(), Lines{});
        k.Step(Light::LightNoTarget, start + 2 * CLightKeeper::kRetryMs);
        EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 2 on", "written coil 2 on"}));
        EXPECT_FALSE(k.Lost());
        EXPECT_EQ(k.TakeEvents(), Events{Event::Back});
    }
}

// Lost mid-run: lamps wanted meanwhile are not sent; once the light answers, the lamp that may
// still be lit goes off and the one wanted now goes on.
TEST_F(KeeperFixture, ALightLostMidRunGetsTheLampWantedNowWhenItAnswersAgain) {
    keeper.Open(47, 9600, 0);
    keeper.Step(Light::LightTarget, 100);
    EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 2 on", "written coil 2 on", "write coil 2 off",
                                   "written coil 2 off", "write coil 0 on", "written coil 0 on"}));
    line->SetAnswers(false);
    keeper.Step(Light::LightFault, 200);
    EXPECT_EQ(line->Take(), (Lines{"write coil 0 off", "written coil 0 off", "close"}));
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Lost});
    keeper.Step(Light::LightNoTarget, 300);
    keeper.Step(Light::LightTarget, 400);
    EXPECT_EQ(line->Take(), Lines{});

    line->SetAnswers(true);
    keeper.Step(Light::LightNoTarget, 200 + CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 0 off", "written coil 0 off", "write coil 2 on",
                                   "written coil 2 on"}));
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Back});
    keeper.Step(Light::LightTarget, 300 + CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), (Lines{"write coil 2 off", "written coil 2 off", "write coil 0 on", "written coil 0 on"}));
    keeper.Close();
    EXPECT_EQ(line->Take(), (Lines{"write coil 0 off", "written coil 0 off", "write coil 3 off", "written coil 3 off",
                                   "close"}));
}

// An adapter that is gone: its port does not open at the start nor on the tries until it is back.
TEST_F(KeeperFixture, APortThatDoesNotOpenIsLostAndOpenedOnceItIsBack) {
    line->SetOpens(false);
    keeper.Open(47, 9600, 0);
    EXPECT_EQ(line->Take(), Lines{"open COM47"});
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Lost});
    keeper.Step(Light::LightTarget, CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), Lines{"open COM47"});
    line->SetOpens(true);
    keeper.Step(Light::LightTarget, 2 * CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 0 on", "written coil 0 on"}));
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Back});
}

// A light whose lamp does not change sends nothing, yet its line going away is noticed at the
// next look, and nothing is written to find out.
TEST_F(KeeperFixture, AnIdleLightWhoseLineIsGoneIsLostAtTheNextLook) {
    keeper.Open(47, 9600, 0);
    keeper.Step(Light::LightTarget, 10);
    line->Take();
    keeper.Step(Light::LightTarget, CLightKeeper::kCheckMs + 10);
    EXPECT_FALSE(keeper.Lost());
    line->SetGone(true);
    keeper.Step(Light::LightTarget, CLightKeeper::kCheckMs + 20);
    EXPECT_FALSE(keeper.Lost()) << "looked again before the interval";
    keeper.Step(Light::LightTarget, 2 * CLightKeeper::kCheckMs + 10);
    EXPECT_TRUE(keeper.Lost());
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Lost});
    EXPECT_EQ(line->Take(), Lines{"close"});

    // The line back (the adapter plugged in again): the lamp still wanted is lit again.
    line->SetGone(false);
    keeper.Step(Light::LightTarget, 2 * CLightKeeper::kCheckMs + 10 + CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), (Lines{"open COM47", "write coil 0 on", "written coil 0 on"}));
    EXPECT_EQ(keeper.TakeEvents(), Events{Event::Back});
}

TEST_F(KeeperFixture, NoLightOnPortZeroAndNothingAfterClose) {
    keeper.Open(0, 9600, 0);
    keeper.Step(Light::LightTarget, CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), Lines{});
    EXPECT_FALSE(keeper.Lost());
    EXPECT_EQ(keeper.TakeEvents(), Events{});

    // Closed while lost: nothing to send, and no more tries.
    line->SetAnswers(false);
    keeper.Open(47, 9600, 0);
    line->Take();
    keeper.Close();
    EXPECT_FALSE(keeper.Lost());
    keeper.Step(Light::LightTarget, 10 * CLightKeeper::kRetryMs);
    EXPECT_EQ(line->Take(), Lines{});
}

}  // namespace
