#pragma once
// The small modeless "Area Monitor" window: the visible range-gate interval, the two colours of
// new light areas, and the buttons that start a light area, clear the light areas, and set or
// delete the detect area. It keeps no area data: every request goes to its listener (the main
// window). Closing it only hides it.
#include <windows.h>

#include <cstdint>

#include "areas/AreaMonitorDlgListener.h"
#include "controls/ColorStatic.h"
#include "controls/DigitalEdit.h"
#include "framework/Dialog.h"

class CAreaMonitorDlg : public CDialog {
public:
    CAreaMonitorDlg() noexcept;

    // Creates the window hidden, from template 2000. Fill the fields below first.
    bool Create(HWND parent);

    const CDigitalEdit& GateMinEdit() const noexcept { return m_gateMinEdit; }
    const CDigitalEdit& GateMaxEdit() const noexcept { return m_gateMaxEdit; }
    const CColorStatic& InactiveSwatch() const noexcept { return m_inactiveSwatch; }
    const CColorStatic& ActiveSwatch() const noexcept { return m_activeSwatch; }

    IAreaMonitorDlgListener* listener = nullptr;
    uint64_t context = 0;  // handed back with every listener call
    double gateMin = 0.0;
    double gateMax = 31.0;
    int32_t dlgGateCount = 32;
    int32_t detectAreaEnable = 0;
    COLORREF inactiveColor = 0xFFFF00;
    COLORREF activeColor = 0x54DC;

protected:
    BOOL OnInitDialog() override;
    // Enter stays in the window; only the close box and Escape hide it.
    void OnOK() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // The platform colour chooser, fully open, starting at *color; false when cancelled.
    virtual bool RunColorChooser(COLORREF* color);

private:
    void OnApply();
    void ChooseSwatchColor(COLORREF& color, CColorStatic& swatch);

    CDigitalEdit m_gateMinEdit;
    CDigitalEdit m_gateMaxEdit;
    CColorStatic m_inactiveSwatch;
    CColorStatic m_activeSwatch;
};
