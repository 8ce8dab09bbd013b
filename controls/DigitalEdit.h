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

    int32_t GetValueType() const noexcept { return m_logic.GetValueType(); }
    void SetValueType(int32_t type) noexcept { m_logic.SetValueType(type); }
    // value: the raw pattern of the current type (MakeBoundValue).
    void SetMustMin(uint64_t value, double tolerance) { m_logic.SetMustMin(value, tolerance); }
    void SetMustMax(uint64_t value, double tolerance) { m_logic.SetMustMax(value, tolerance); }

    // Shows a message in the balloon under the box; returns 1.
    int ShowBalloonTip(const wchar_t* title, const wchar_t* text, int icon);
    // Checks text against the bounds and shows the balloon for a violation. Returns 1 when the
    // value may stay; 0 when a hard bound is violated, with that bound's text in correction.
    int CheckValueRange(const wchar_t* text, std::wstring& correction);

    bool IsDirty() const noexcept { return m_dirty != 0; }
    const CBalloonWnd& Balloon() const noexcept { return m_balloon; }
    const CDigitalEditLogic& Logic() const noexcept { return m_logic; }

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

    CBalloonWnd m_balloon;
    CDigitalEditLogic m_logic;
    int m_dirty = 0;
    int m_suppressChange = 1;  // the box's own EN_CHANGE stays away from the parent while 1
};

// Writes value into a dialog item with one decimal, or none when the fraction is below 0.01.
void SetDlgItemDouble(HWND dialog, int controlId, double value);
// Reads the leading decimal number of a dialog item's text (0 when there is none).
double GetDlgItemDouble(HWND dialog, int controlId);
