#pragma once
// A single-line edit box for one number. Characters that cannot belong to a number of its type
// are refused as they are typed; when the operator leaves an edited box its value is checked
// against hard bounds (which correct the text) and advisory bounds (which only warn), and only
// then is the parent told that the value changed: one EN_CHANGE per commit, followed by the
// EN_KILLFOCUS, never for text the program writes.
#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/BalloonWnd.h"
#include "controls/DigitalEditLogic.h"
#include "framework/Wnd.h"

class CDigitalEdit : public CWnd {
public:
    CDigitalEdit() noexcept;
    ~CDigitalEdit() override = default;

    int32_t GetValueType() const noexcept { return logic_.GetValueType(); }
    void SetValueType(int32_t type) noexcept { logic_.SetValueType(type); }
    // value: the raw pattern of the current type (MakeBoundValue).
    void SetMustMin(uint64_t value, double tolerance) { logic_.SetMustMin(value, tolerance); }
    void SetMustMax(uint64_t value, double tolerance) { logic_.SetMustMax(value, tolerance); }

    // Shows a message in the balloon under the box; returns 1.
    int ShowBalloonTip(const wchar_t* title, const wchar_t* text, int icon);
    // Checks text against the bounds and shows the balloon for a violation. Returns 1 when the
    // value may stay; 0 when a hard bound is violated, with that bound's text in correction.
    int CheckValueRange(const wchar_t* text, std::wstring& correction);

    bool IsDirty() const noexcept { return dirty_ != 0; }
    const CBalloonWnd& Balloon() const noexcept { return balloon_; }
    const CDigitalEditLogic& Logic() const noexcept { return logic_; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnEditingKeyOrCommand(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs the commit of an edited box; false when the box was not edited.
    bool OnCommit();
    bool ParentIsDialog() const;
    std::wstring GetText() const;
    void SetText(const std::wstring& text);

    CBalloonWnd balloon_;
    CDigitalEditLogic logic_;
    int dirty_ = 0;
    int suppressChange_ = 1;  // the box's own EN_CHANGE stays away from the parent while 1
};

// Writes value into a dialog item with one decimal, or none when the fraction is below 0.01.
void SetDlgItemDouble(HWND dialog, int controlId, double value);
// Reads the leading decimal number of a dialog item's text (0 when there is none).
double GetDlgItemDouble(HWND dialog, int controlId);
