// Resource and control ids shared by the resource scripts and the code.
#pragma once

// Icons
#define IDI_ROVA_MTT                    128

// Dialog templates
#define IDD_ROVA_MTT_DIALOG             1000

// Main window controls (template 1000)
#define IDC_STATIC_TITLE                1001
#define IDC_BTN_CLOSE                   1004
#define IDC_STATIC_TARGET               1084
#define IDC_STATIC_TARGET1              1085
#define IDC_STATIC_TARGET2              1086
#define IDC_STATIC_TARGET3              1087
#define IDC_BTN_DETECT_DEVICE           1090
#define IDC_BTN_START                   1091
#define IDC_BTN_AREA_MONITOR            1092
#define IDC_BTN_MODE_SWITCH             1093
#define IDC_BTN_PAUSE                   1100
#define IDC_BTN_PLAYBACK                1101
#define IDC_BTN_SAVE_DATA               1102
#define IDC_BTN_SAVE_PATH               1103
#define IDC_TARGET_VIEW                 1200

// Strings
#define IDS_ABOUTBOX                    101
#define IDS_SOCKETS_INIT_FAILED         102
