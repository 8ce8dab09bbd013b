#pragma once
// Helpers for the window tests: the shared message pumping with a deadline (a wait, never an
// assertion on time), and real keyboard and mouse input through SendInput.
#include <windows.h>

#include <functional>
#include <string>

#include "MessagePump.h"

namespace controls_test {

using message_pump::PumpIdle;
using message_pump::PumpUntil;

inline void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

// Presses the keys that type text on the current layout (Shift where needed).
inline void TypeKeys(const std::wstring& text) {
    for (wchar_t ch : text) {
        const SHORT scan = VkKeyScanW(ch);
        if (scan == -1) continue;
        const WORD vk = LOBYTE(scan);
        const bool shift = (HIBYTE(scan) & 1) != 0;
        if (shift) SendKey(VK_SHIFT, false);
        SendKey(vk, false);
        SendKey(vk, true);
        if (shift) SendKey(VK_SHIFT, true);
    }
}

inline void PressKey(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

// A real left click at a screen point.
inline void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[2]{};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

}  // namespace controls_test
