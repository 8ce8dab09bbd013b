#pragma once
// The message loop of the window tests, in one place: every wait has a deadline and is a wait,
// never an assertion on time.
#include <windows.h>

#include <functional>

namespace message_pump {

// Dispatches what is queued now (through the dialog manager of dialog, when given); returns
// how many messages there were.
inline int DispatchQueued(HWND dialog = nullptr) {
    int count = 0;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++count;
        if (dialog && ::IsDialogMessageW(dialog, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return count;
}

// Dispatches messages until done holds or maxMs passed; returns done's last value.
inline bool PumpUntil(const std::function<bool()>& done, HWND dialog = nullptr, DWORD maxMs = 5000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        DispatchQueued(dialog);
        if (done()) return true;
        if (::GetTickCount() - start > maxMs) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches messages for ms milliseconds (timers and posts that fall due meanwhile included).
inline void PumpFor(DWORD ms, HWND dialog = nullptr) {
    PumpUntil([] { return false; }, dialog, ms);
}

// Dispatches whatever arrives until nothing came for idleMs, at most maxMs.
inline void PumpIdle(HWND dialog = nullptr, DWORD idleMs = 200, DWORD maxMs = 5000) {
    const DWORD start = ::GetTickCount();
    DWORD last = start;
    while (::GetTickCount() - start < maxMs && ::GetTickCount() - last < idleMs) {
        if (DispatchQueued(dialog) > 0) last = ::GetTickCount();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace message_pump
