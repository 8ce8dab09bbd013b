// The light on its own thread: the interface thread's calls return while the light's line is
// busy, the newest wanted lamp wins, the close is done when CloseLight returns, and a lost light
// comes back on the injected clock. Order of events only: the fake line holds a write at a gate
// the test opens.
#include "areas/SignalLight.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "LightLine.h"

namespace {

using Light = CSerialLightCtrl_YSL;
using Lines = std::vector<std::string>;

long IndexOf(const Lines& lines, const std::string& line) {
    return static_cast<long>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

// Waits (at most 10 s) for done.
template <class Done>
bool WaitUntil(Done done) {
    for (int i = 0; i < 2000; ++i) {
        if (done()) return true;
        ::Sleep(5);
    }
    return done();
}

TEST(SignalLightTest, ShowLampReturnsWhileTheLightIsStillWritingItsFrames) {
    auto line = std::make_shared<LightLine>();
    CSignalLight light(std::make_unique<LineLightPort>(line));
    light.OpenLight(47, 9600);
    ASSERT_TRUE(line->WaitFor("written coil 2 on"));
    line->SetGate(false);  // each write now takes 500 ms unless the test lets it through
    light.ShowLamp(Light::LightTarget);
    line->Note("show returned");
    EXPECT_EQ(light.State(), Light::LightTarget);
    line->SetGate(true);
    ASSERT_TRUE(line->WaitFor("written coil 0 on"));
    const Lines lines = line->Events();
    EXPECT_LT(IndexOf(lines, "show returned"), IndexOf(lines, "written coil 2 off")) << "ShowLamp waited for the line";
}

TEST(SignalLightTest, TheNewestWantedLampWinsAndTheCloseIsDoneWhenCloseLightReturns) {
    auto line = std::make_shared<LightLine>();
    line->holdMs = 10000;
    line->SetGate(false);
    CSignalLight light(std::make_unique<LineLightPort>(line));
    light.OpenLight(47, 9600);
    ASSERT_TRUE(line->WaitFor("write coil 2 on"));
    // While the first frame is on the line the console changes its mind twice.
    light.ShowLamp(Light::LightTarget);
    light.ShowLamp(Light::LightFault);
    line->SetGate(true);
    ASSERT_TRUE(line->WaitFor("written coil 1 on"));
    light.CloseLight();
    EXPECT_EQ(light.State(), Light::LightOff);
    EXPECT_EQ(line->Events(), (Lines{"open COM47", "write coil 2 on", "written coil 2 on", "write coil 2 off",
                                     "written coil 2 off", "write coil 1 on", "written coil 1 on", "write coil 1 off",
                                     "written coil 1 off", "write coil 3 off", "written coil 3 off", "close"}));
}

// A light whose line holds every frame: CloseLight gives up waiting, and the light still closes
// once its line lets it.
TEST(SignalLightTest, CloseLightWaitsABoundedTimeForALineThatHoldsItsFrames) {
    auto line = std::make_shared<LightLine>();
    CSignalLight light(std::make_unique<LineLightPort>(line));
    light.OpenLight(47, 9600);
    ASSERT_TRUE(line->WaitFor("written coil 2 on"));
    line->holdMs = 20000;
    line->SetGate(false);
    light.CloseLight();
    line->Note("close returned");
    line->SetGate(true);
    ASSERT_TRUE(line->WaitFor("close"));
    const Lines lines = line->Events();
    EXPECT_LT(IndexOf(lines, "close returned"), IndexOf(lines, "written coil 2 off"));
    EXPECT_LT(IndexOf(lines, "written coil 3 off"), IndexOf(lines, "close"));
}

TEST(SignalLightTest, ALostLightIsReportedAndBackAfterTheRetryIntervalOnTheInjectedClock) {
    auto line = std::make_shared<LightLine>();
    line->SetAnswers(false);
    std::atomic<uint32_t> now{5000};
    CSignalLight light(std::make_unique<LineLightPort>(line), [&] { return now.load(); });
    light.OpenLight(47, 9600);
    ASSERT_TRUE(WaitUntil([&] { return light.Report().lost; }));
    EXPECT_EQ(light.Report().port, 47);
    EXPECT_EQ(light.TakeEvents(), std::vector<CLightKeeper::Event>{CLightKeeper::Event::Lost});
    light.ShowLamp(Light::LightTarget);
    line->SetAnswers(true);
    ASSERT_TRUE(line->WaitFor("close"));
    // The clock has not moved: however often the worker looks, it does not try again.
    ::Sleep(3 * CSignalLight::kIdleStepMs);
    const Lines waited = line->Events();
    EXPECT_EQ(std::count(waited.begin(), waited.end(), "open COM47"), 1);
    now = 5000 + CLightKeeper::kRetryMs;
    ASSERT_TRUE(WaitUntil([&] { return !light.Report().lost; }));
    EXPECT_EQ(light.TakeEvents(), std::vector<CLightKeeper::Event>{CLightKeeper::Event::Back});
    const Lines lines = line->Events();
    EXPECT_EQ(Lines(lines.begin() + IndexOf(lines, "close"), lines.end()),
              (Lines{"close", "open COM47", "write coil 2 off", "written coil 2 off", "write coil 0 on",
                     "written coil 0 on"}));
}

}  // namespace
