// Control ids of the dialogs built by ROVA_DlgResource.dll (tests drive the dialogs by them).
#pragma once

enum DlgResourceIds {
    IDC_WAIT_TEXT = 3001,
    IDC_WAIT_PROGRESS = 3002,
    IDC_DETECT_STATUS = 3101,
    IDC_DETECT_LOG = 3102,
    IDC_DETECT_RETRY = 3103,
    IDC_REGISTER_FIRST_EDIT = 3200,  // + register index
    IDC_REGISTER_FIRST_LABEL = 3300,
    IDC_REGISTER_DEFAULTS = 3400,
};
