#pragma once
// What the run buttons show in each phase of a run: one table, so that the window can never show
// a state the radar library is not in.
#include <optional>

enum class RunPhase {
    Idle,      // no run; Start follows whether a device was detected
    Live,      // a run on the detected device
    Playback,  // a run on recorded files
};

struct RunButtonState {
    bool enabled = false;
    std::optional<bool> checked;  // empty: the button keeps its own check (Mode Switch, Save Data)
};

struct RunButtons {
    RunButtonState start;
    RunButtonState modeSwitch;
    RunButtonState pause;
    RunButtonState playback;
    RunButtonState saveData;
    RunButtonState savePath;
};

// deviceDetected: a detection succeeded (sourceType of the radar record is not 0).
RunButtons RunButtonsFor(RunPhase phase, bool deviceDetected);
