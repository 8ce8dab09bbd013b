// The dialog library, driven from a helper thread that finds the dialog of the test thread by
// its caption and operates it with messages.
#include <windows.h>

#include <thread>

#include "DataProcessTestSupport.h"
#include "DlgResourceIds.h"
#include "ROVA_DlgResource.h"
#include "RadarRegisters.h"

namespace {

HWND FindThreadWindow(DWORD thread, const wchar_t* caption) {
    struct Search {
        const wchar_t* caption;
        HWND found;
    } search{caption, nullptr};
    for (int i = 0; i < 2000 && !search.found; ++i) {
        EnumThreadWindows(
            thread,
            [](HWND w, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                wchar_t text[128] = {};
                GetWindowTextW(w, text, 128);
                if (IsWindowVisible(w) && wcscmp(text, s->caption) == 0) s->found = w;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(5);
    }
    return search.found;
}

class DialogTest : public RadarLibraryTest {
protected:
    void SetUp() override {
        RadarLibraryTest::SetUp();
        ROVA_DlgResource_SetUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", nullptr);
    }
    void TearDown() override {
        ROVA_DlgResource_SetUILanguage(0);
        SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", nullptr);
        RadarLibraryTest::TearDown();
    }
    const DWORD thread_ = GetCurrentThreadId();
};

TEST_F(DialogTest, WaitingDialogShowsOverItsOwnerAndHides) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ROVA_WAITINGDLG_HANDLE dialog = ROVA_WaitingDlg_Create(owner);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ROVA_WaitingDlg_Show(dialog, 0, 0, L"Starting Radar Sensor\x2026 \x6B63\x5728"));
    HWND window = FindThreadWindow(thread_, L"Please wait");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
    wchar_t text[64] = {};
    GetDlgItemTextW(window, IDC_WAIT_TEXT, text, 64);
    EXPECT_STREQ(text, L"Starting Radar Sensor\x2026 \x6B63\x5728");
    ROVA_WaitingDlg_Hide(dialog);
    EXPECT_FALSE(IsWindowVisible(window));
    ROVA_WaitingDlg_Show(dialog, 0, 0, L"again");
    EXPECT_TRUE(IsWindowVisible(window));
    ROVA_WaitingDlg_Destroy(dialog);
    EXPECT_FALSE(IsWindow(window));
    DestroyWindow(owner);
}

TEST_F(DialogTest, DetectDeviceFindsTheSimulatedSensorOrReturnsNothing) {
    struct Case {
        const char* name;
        int present;
        int enabled;
        bool userCloses;
        eRADAR_SOURCE_TYPE expected;
    } cases[] = {
        {"present", 1, 1, false, RADAR_SOURCE_COM},
        {"unplugged", 0, 1, false, RADAR_SOURCE_NONE},
        {"disabled in the configuration", 1, 0, false, RADAR_SOURCE_NONE},
        {"operator closes it", 0, 1, true, RADAR_SOURCE_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ROVA_SimSensor_SetPresent(c.present);
        gRadarParameter.simulatedSensor = c.enabled;
        SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", c.userCloses ? nullptr : L"1");
        std::thread driver;
        if (c.userCloses) {
            driver = std::thread([&] {
                HWND d = FindThreadWindow(thread_, L"Detect Device");
                if (d) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
            });
        }
        eRADAR_SOURCE_TYPE type = RADAR_SOURCE_ORBEL4;  // must be overwritten
        CBaseStringA port, description;
        int32_t value = -1;
        ROVA_DetectDeviceDlg_DoModal(nullptr, type, port, description, value);
        if (driver.joinable()) driver.join();
        EXPECT_EQ(type, c.expected);
        if (c.expected == RADAR_SOURCE_COM) {
            EXPECT_EQ(value, kSimulatedSensorDeviceValue);
            EXPECT_STREQ(port.GetString(), "COM9999");
            EXPECT_FALSE(description.IsEmpty());
        }
    }
}

TEST_F(DialogTest, DialogsFollowTheLanguage) {
    ROVA_SimSensor_SetPresent(0);
    for (LANGID language : {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}) {
        ROVA_DlgResource_SetUILanguage(language);
        const wchar_t* caption = PRIMARYLANGID(language) == LANG_CHINESE ? L"\x68C0\x6D4B\x8BBE\x5907" : L"Detect Device";
        bool seen = false;
        std::thread driver([&] {
            HWND d = FindThreadWindow(thread_, caption);
            seen = d != nullptr;
            if (d) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        });
        eRADAR_SOURCE_TYPE type = RADAR_SOURCE_NONE;
        CBaseStringA a, b;
        int32_t value = 0;
        // Without the caption found the driver gives up and the dialog would stay: close it then.
        std::thread rescue([&] {
            driver.join();
            if (!seen) {
                HWND d = FindThreadWindow(thread_, PRIMARYLANGID(language) == LANG_CHINESE ? L"Detect Device" : L"\x68C0\x6D4B\x8BBE\x5907");
                if (d) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
            }
        });
        ROVA_DetectDeviceDlg_DoModal(nullptr, type, a, b, value);
        rescue.join();
        EXPECT_TRUE(seen) << "language " << language;
    }
}

TEST_F(DialogTest, RegisterDialogWritesOnOkOnlyAndOnlyValidValues) {
    struct Case {
        const char* name;
        const wchar_t* framePeriod;
        bool ok;
        uint32_t expected;
    } cases[] = {
        {"ok writes", L"80", true, 80},
        {"cancel leaves it", L"80", false, 66},
        {"below the minimum is refused", L"5", true, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto record = std::make_unique<tagRADARPARAMETER>();
        ROVA_Interface_RadarParameter_Init(record.get());
        std::thread driver([&] {
            HWND d = FindThreadWindow(thread_, L"Register Settings");
            if (!d) return;
            SetDlgItemTextW(d, IDC_REGISTER_FIRST_EDIT + int(kRegFramePeriod), c.framePeriod);
            SetDlgItemTextW(d, IDC_REGISTER_FIRST_EDIT + int(kRegTxPower), L"2");
            PostMessageW(d, WM_COMMAND, c.ok ? IDOK : IDCANCEL, 0);
            if (c.ok && c.expected == 66) {  // the refusal message: close it, then cancel
                HWND box = FindThreadWindow(thread_, L"Error");
                if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
                while (IsWindow(box)) Sleep(5);
                PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
            }
        });
        const int result = ROVA_RegisterSettingDlg_DoModal(nullptr, record.get());
        driver.join();
        EXPECT_EQ(result, c.ok && c.expected != 66 ? IDOK : IDCANCEL);
        EXPECT_EQ(record->registerValues[kRegFramePeriod], c.expected);
        EXPECT_EQ(record->registerValues[kRegTxPower], c.expected == 80 && c.ok ? 2u : 5u);
    }
}

}  // namespace
