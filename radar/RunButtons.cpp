#include "radar/RunButtons.h"

RunButtons RunButtonsFor(RunPhase phase, bool deviceDetected) {
    RunButtons b;
    switch (phase) {
    case RunPhase::Idle:
        b.start = {deviceDetected, false};
        b.modeSwitch = {deviceDetected, std::nullopt};
        b.pause = {false, false};
        b.playback = {true, false};
        b.saveData = {true, std::nullopt};
        b.savePath = {true, std::nullopt};
        break;
    case RunPhase::Live:
        b.start = {true, true};
        b.modeSwitch = {true, std::nullopt};
        b.pause = {true, false};
        b.playback = {false, false};
        b.saveData = {false, std::nullopt};
        b.savePath = {false, std::nullopt};
        break;
    case RunPhase::Playback:
        b.start = {false, false};
        b.modeSwitch = {false, std::nullopt};
        b.pause = {true, false};
        b.playback = {true, true};
        b.saveData = {false, std::nullopt};
        b.savePath = {false, std::nullopt};
        break;
    }
    return b;
}
