#pragma once
// Private messages of the main window that the library's threads post to it.
#include <windows.h>

constexpr UINT WM_PRESENCE_TICK = 0x503;  // posted by the detection sink after each delivery
constexpr UINT WM_PLAYBACK_END = 0x504;   // delayed post once the library has read the last file
