#pragma once
// "Parameter Setting": chooses where and how tracking runs and edits the register values of
// "Radar_Config.ini". Works on a record of its own; the running library is not touched. Its check
// box says whether monitoring starts with the console; the caller keeps that setting.
#include "contracts/RadarParameter.h"
#include "framework/Dialog.h"

class CConfigDlg : public CDialog {
public:
    CConfigDlg() noexcept;
    ~CConfigDlg() override = default;

    // Opens the dialog modally over `owner` with the library defaults in the record. autoStart
    // (may be null: no check box value) is shown in the check box and, on Save, takes its state.
    static INT_PTR Run(HWND owner, bool* autoStart = nullptr);

    const tagRADARPARAMETER& WorkRecord() const noexcept { return workRecord; }
    const char* ConfigPath() const noexcept { return configPath; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnAlgorithmChanged();
    void OnRegisterConfig();

    char configPath[MAX_PATH] = {};
    tagRADARPARAMETER workRecord;
    bool autoStart = false;
};
