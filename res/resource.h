// Resource and control ids shared by the resource scripts and the code.
// Every string, dialog and PNG exists once per language (English 1033, Simplified Chinese 2052)
// under the same id; the icon, version block and manifest are language neutral.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

// Type of a dialog's initialisation data: records of {WORD control, WORD message, DWORD size,
// bytes}, closed by a WORD 0. Message 0x0403 adds its bytes as a combo box item. The bytes are
// UTF-8 with a terminating NUL, so Chinese items survive any ANSI code page.
#ifndef RT_DLGINIT
#define RT_DLGINIT                      240
#endif
#define DLGINIT_CB_ADDSTRING            0x0403

// Icons
#define IDI_ROVA_MTT                    128

// Dialog templates
#define IDD_ROVA_MTT_DIALOG             1000
#define IDD_AREA_MONITOR_DIALOG         2000
#define IDD_CONFIG_DIALOG               6500
#define IDD_NOTICE_DIALOG               6660

// Main window controls (template 1000)
#define IDC_STATIC_TITLE                1001
#define IDC_BTN_CLOSE                   1004
#define IDC_STATIC_LINK_STATUS          1005
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

// Area monitor controls (template 2000)
#define IDC_EDIT_GATE_MIN               2001
#define IDC_EDIT_GATE_MAX               2002
#define IDC_BTN_APPLY_GATE              2003
#define IDC_STATIC_INACTIVE_COLOR       2004
#define IDC_STATIC_ACTIVE_COLOR         2005
#define IDC_BTN_ADD_LIGHT_AREA          2006
#define IDC_BTN_CLEAR_LIGHT_AREA        2007
#define IDC_BTN_SET_DETECT_AREA         2008
#define IDC_BTN_DEL_DETECT_AREA         2009

// Parameter setting controls (template 6500); its Save button is IDOK.
#define IDC_COMBO_ALGORITHM             6501
#define IDC_BTN_REGISTER_CONFIG         6502
#define IDC_CHECK_AUTO_START            6662

// Notice controls (template 6660); its OK button is IDOK.
#define IDC_STATIC_NOTICE_TEXT          6661

// PNG artwork: title images, close button, button faces (one per state).
#define IDB_TITLE_SINGLE                140
#define IDB_TITLE_MULTI                 141
#define IDB_CLOSE                       145
#define IDB_PLAYBACK_NORMAL             187
#define IDB_PLAYBACK_PRESSED            188
#define IDB_PLAYBACK_DISABLED           189
#define IDB_AREA_MONITOR_NORMAL         190
#define IDB_AREA_MONITOR_PRESSED        191
#define IDB_MODE_SWITCH_NORMAL          193
#define IDB_MODE_SWITCH_PRESSED         194
#define IDB_MODE_SWITCH_DISABLED        195
#define IDB_MODE_SWITCH_DISABLED_CHECKED 196
#define IDB_DETECT_DEVICE_NORMAL        197
#define IDB_DETECT_DEVICE_PRESSED       198
#define IDB_PAUSE_NORMAL                199
#define IDB_PAUSE_PRESSED               200
#define IDB_PAUSE_DISABLED              201
#define IDB_START_NORMAL                202
#define IDB_START_PRESSED               203
#define IDB_START_DISABLED              204
#define IDB_SAVE_DATA_NORMAL            205
#define IDB_SAVE_DATA_PRESSED           206
#define IDB_SAVE_DATA_DISABLED          207
#define IDB_SAVE_PATH_NORMAL            208
#define IDB_SAVE_PATH_PRESSED           209
#define IDB_SAVE_PATH_DISABLED          210

// Strings
#define IDS_ABOUTBOX                    101
#define IDS_SOCKETS_INIT_FAILED         102
#define IDS_ERROR                       60000
#define IDS_PROMPT                      60002
#define IDS_ABOUT_TITLE                 60010
#define IDS_ABOUT_TEXT                  60011
#define IDS_LOAD_CONFIG_FAILED          60100
#define IDS_CONFIG_NOT_LOADED           60101
#define IDS_SETTINGS_DAMAGED            60110
#define IDS_SETTINGS_DAMAGED_NO_COPY    60111
#define IDS_FOLDER_WITHOUT_ANSI_NAME    60112
#define IDS_COM_DEVICE_DETECTED         60103
#define IDS_LIBUSB_DEVICE_DETECTED      60104
#define IDS_ORBEL2_DEVICE_DETECTED      60105
#define IDS_ORBEL4_DEVICE_DETECTED      60106
#define IDS_USB_ADAPTER_DETECTED        60107
#define IDS_NO_DEVICE_DETECTED          60108
#define IDS_STARTING_SENSOR             60200
#define IDS_START_DEVICE_FAILED         60201
#define IDS_TARGET_INFO_FORMAT          60300
#define IDS_LINK_SOURCE_SERIAL          60400
#define IDS_LINK_SOURCE_SIMULATED       60401
#define IDS_LINK_SOURCE_FILE            60402
#define IDS_LINK_STREAMING              60403
#define IDS_LINK_STALE                  60404
#define IDS_LINK_RECONNECTING           60405
#define IDS_LINK_NO_DATA_LABEL          60406
#define IDS_WRITE_FAILED                60600
#define IDS_WRITE_WHAT_RESULTS          60601
#define IDS_WRITE_WHAT_ZONES            60602
#define IDS_WRITE_WHAT_EVENTS           60603
#define IDS_WRITE_WHAT_RECORDING        60604
#define IDS_WRITE_WHAT_SETTINGS         60605
#define IDS_WRITE_WHY_DISK_FULL         60606
#define IDS_WRITE_WHY_NOT_WRITABLE      60607
#define IDS_WRITE_WHY_ERROR             60608
#define IDS_LIGHT_LOST                  60410
#define IDS_RECORDING_PAUSED_LOW_SPACE  60640
#define IDS_AUTOSTART_WAITING           60660
#define IDS_AUTOSTART_NO_SOURCE         60661
#define IDS_TIMELINE_STEP               60680
#define IDS_TIMELINE_LOOP               60681
#define IDS_TIMELINE_FASTEST            60682
#define IDS_TIMELINE_MARK_ENTRY         60683
#define IDS_TIMELINE_MARK_EXIT          60684
