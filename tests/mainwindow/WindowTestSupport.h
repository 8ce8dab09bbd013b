#pragma once
// Shared helpers of the main window tests: real windows under Xvfb, real mouse and keyboard input
// through SendInput, message pumping and pixel reads.
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/Wnd.h"

namespace mwtest {

// Processes pending messages; waits a little between rounds so input and paints arrive.
void Pump(int rounds = 5);
// Pumps until done() holds or the rounds run out; returns done().
bool PumpUntil(const std::function<bool()>& done, int rounds = 200);

// Real input: the cursor moves like a mouse would (absolute SendInput), buttons and keys too.
void MouseMove(POINT screen);
void LeftDown();
void LeftUp();
void RightDown();
void RightUp();
void Click(POINT screen);
void Key(WORD vk, bool up);
void KeyPress(WORD vk);

POINT CentreOf(HWND hwnd);
// The colour on screen of the window's client pixel (x, y).
COLORREF ClientPixel(HWND hwnd, int x, int y);

// A top-level window whose children report to it: reflected owner-draw and every BN_CLICKED
// with the check state the sender reported at that moment.
class TestParent : public CWnd {
public:
    struct ClickRecord {
        int id;
        LRESULT checkAtClick;
    };
    bool Create(int width, int height);
    ~TestParent() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int Clicks(int id) const;
    std::vector<ClickRecord> clicks;
};

}  // namespace mwtest
