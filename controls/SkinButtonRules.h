#pragma once
// The decisions of the skin button that need no window: which kind a button style makes and which
// state image a paint shows.
#include <cstdint>

enum SkinButtonKind : int32_t {
    SkinButtonPush = 0,   // never checked; a click only notifies the parent
    SkinButtonCheck = 2,  // each click or Space toggles the check state
    SkinButtonRadio = 4,  // a click or Space checks it and unchecks the group partners
};

enum class SkinFace { Normal, Pressed, Hover, Disabled, DisabledChecked };

class SkinButtonRules {
public:
    // Bit tests on the low word of the style, not a comparison of the button type: auto check box
    // (3, also push-like) gives Check, auto radio (9) gives Radio, the plain check box (2) and plain
    // radio (4) give Push.
    static SkinButtonKind KindFromStyle(uint32_t style) noexcept {
        const uint32_t s = style & 0xFFFF;
        if ((s & 3) == 3) return SkinButtonCheck;
        if ((s & 9) == 9) return SkinButtonRadio;
        return SkinButtonPush;
    }
    // The state image slot for a paint; the caller falls back to Normal, then the background.
    static SkinFace ChooseFace(bool disabled, bool selectedOrChecked, bool hovering) noexcept {
        if (disabled) return selectedOrChecked ? SkinFace::DisabledChecked : SkinFace::Disabled;
        if (selectedOrChecked) return SkinFace::Pressed;
        return hovering ? SkinFace::Hover : SkinFace::Normal;
    }
};
