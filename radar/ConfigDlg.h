#pragma once
// "Parameter Setting": chooses where and how tracking runs and edits the register values of
// "Radar_Config.ini". Works on a record of its own; the running library is not touched.
#include "contracts/RadarParameter.h"
#include "framework/Dialog.h"

class CConfigDlg : public CDialog {
public:
    CConfigDlg() noexcept;
    ~CConfigDlg() override = default;

    // Opens the dialog modally over `owner` with the library defaults in the record.
    static INT_PTR Run(HWND owner);

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
};
