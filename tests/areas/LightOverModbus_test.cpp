// The signal light on a real serial line: modbus_light.sh links a port pair into the Wine prefix,
// runs a Modbus RTU slave on one end and this case on the other (ROVA_LIGHT_PORT names the COM
// number), then compares the slave's log of coil writes with the light's frames.
#include <gtest/gtest.h>

#include <cstdlib>

#include "areas/PresenceTick.h"
#include "areas/SerialLightCtrl_YSL.h"
#include "contracts/ROVA_Common.h"

namespace {

TEST(LightOverModbus, OpenTargetSeenTargetGoneStop) {
    const char* portText = std::getenv("ROVA_LIGHT_PORT");
    if (!portText || !*portText) GTEST_SKIP() << "ROVA_LIGHT_PORT is not set: run through modbus_light.sh";
    const int port = std::atoi(portText);

    CSerialLightCtrl_YSL light;
    PresenceTick presence;
    TargetSlot slots[kTargetSlotCount];
    auto show = [&](LampRequest lamp) {
        if (lamp == LampRequest::Target) light.ShowLamp(CSerialLightCtrl_YSL::LightTarget);
        if (lamp == LampRequest::NoTarget) light.ShowLamp(CSerialLightCtrl_YSL::LightNoTarget);
    };

    // Start: the light opens with the no-target lamp.
    light.OpenLight(port, 9600);
    ASSERT_TRUE(light.IsOpened()) << "COM" << port << " did not open";
    ASSERT_EQ(light.State(), CSerialLightCtrl_YSL::LightNoTarget);

    // A delivery fills slot 0 and the tick it posts sees the target.
    slots[0].id = 5;
    slots[0].distance = 2.0;
    slots[0].stamp = MS_GetTime();
    show(presence.Tick(slots, MS_GetTime()).lamp);
    ASSERT_EQ(light.State(), CSerialLightCtrl_YSL::LightTarget);
    const uint32_t lastSeen = presence.LastTargetTime();

    // The target leaves; the timer ticks until the light gives up on it.
    slots[0].Clear();
    uint32_t switchedAt = 0;
    for (int i = 0; i < 40 && light.State() == CSerialLightCtrl_YSL::LightTarget; ++i) {
        MS_Sleep(250);
        const uint32_t now = MS_GetTime();
        show(presence.Tick(slots, now).lamp);
        if (light.State() == CSerialLightCtrl_YSL::LightNoTarget) switchedAt = now;
    }
    ASSERT_EQ(light.State(), CSerialLightCtrl_YSL::LightNoTarget);
    EXPECT_GT(switchedAt - lastSeen, PresenceTick::kExpireMs);

    // Stop.
    light.CloseLight();
    EXPECT_FALSE(light.IsOpened());
    EXPECT_EQ(light.State(), CSerialLightCtrl_YSL::LightOff);
}

}  // namespace
