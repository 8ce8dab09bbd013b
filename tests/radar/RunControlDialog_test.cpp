// The main window's run control driven in-process, where the simulated sensor's control API can
// make the device fail and read back what the device received.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MessagePump.h"
#include "ProgramFolderGuard.h"
#include "app/ROVAMTTApp.h"
#include "app/ROVAMTTDlg.h"
#include "settings/XMLParser.h"
#include "contracts/ROVA_DlgResource.h"
#include "framework/GdiplusRaii.h"
#include "framework/ResourceLoader.h"
#include "libs/dataprocess/SimulatedSensorControl.h"
#include "res/resource.h"

namespace {

struct Shown {
    std::wstring caption;
    std::wstring text;
};

// Answers every message box and folder chooser of this process with OK and records what it said.
class DialogAnswerer {
public:
    DialogAnswerer() : thread_([this] { Run(); }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<Shown> Seen() {
        std::lock_guard<std::mutex> guard(lock_);
        return seen_;
    }

private:
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
        auto* self = reinterpret_cast<DialogAnswerer*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[32] = {};
        ::GetClassNameW(hwnd, cls, 32);
        if (pid != ::GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !::IsWindowVisible(hwnd)) return TRUE;
        wchar_t caption[256] = {};
        ::GetWindowTextW(hwnd, caption, 256);
        const std::wstring title = caption;
        if (title.empty() || title == L"Detect Device") return TRUE;  // the detect dialog closes itself
        wchar_t text[1024] = {};
        ::GetDlgItemTextW(hwnd, 0xFFFF, text, 1024);  // a message box's text
        {
            std::lock_guard<std::mutex> guard(self->lock_);
            self->seen_.push_back({title, text});
        }
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            ::EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            ::Sleep(150);
        }
    }
    std::mutex lock_;
    std::vector<Shown> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string TempFolderNarrow(const std::wstring& w) {
    char out[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, out, MAX_PATH, nullptr, nullptr);
    return out;
}

void Pump(DWORD ms) { message_pump::PumpFor(ms); }

class RunControlDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CROVAMTTApp::RegisterMainWindowClass(::GetModuleHandleW(nullptr));
        CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting("ENG"));
    }
    void Open(const char* appConfig) {
        gAppConfig.LoadFromMemory(appConfig, strlen(appConfig));
        ROVA_SimSensor_Reset();
        dialog_ = std::make_unique<CROVAMTTDlg>();
        ASSERT_TRUE(dialog_->Create(IDD_ROVA_MTT_DIALOG, nullptr));
    }
    void TearDown() override {
        if (dialog_ && ROVA_Interface_RadarCtrl_IsStarted()) Click(IDC_BTN_START);
        Close();
        ROVA_SimSensor_Reset();
    }
    // Deleting the dialog object tears its window down without the window's own WM_DESTROY
    // handling; the run is stopped here first so no delivery is under way while it goes (its
    // detection sink leaves the library in its destructor).
    void Close() {
        if (!dialog_) return;
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        dialog_.reset();
    }
    void Click(int id) {
        ::SendMessageW(::GetDlgItem(*dialog_, id), BM_CLICK, 0, 0);
        Pump(100);
    }
    int Checked(int id) { return static_cast<int>(::SendMessageW(::GetDlgItem(*dialog_, id), BM_GETCHECK, 0, 0)); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(*dialog_, id)) != 0; }
    void Detect() {
        Click(IDC_BTN_DETECT_DEVICE);
        ASSERT_EQ(gRadarParameter.sourceType, RADAR_SOURCE_COM);
        ASSERT_TRUE(Enabled(IDC_BTN_START));
    }

    ProgramFolderGuard programFolder_;  // outlives the dialog
    rova::GdiplusSession gdiplus_;
    std::unique_ptr<CROVAMTTDlg> dialog_;
};

TEST_F(RunControlDialogTest, StartWithAnUnavailableDeviceShowsTheLibraryTextAndStaysIdle) {
    DialogAnswerer answerer;
    Open("<AppConfig/>");
    Detect();
    ROVA_SimSensor_SetOpenFailure("The radar sensor does not answer.");
    Click(IDC_BTN_START);
    Pump(500);
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(Checked(IDC_BTN_START), 0);
    bool shown = false;
    for (const Shown& s : answerer.Seen()) {
        if (s.caption == L"Fail to Start Device") {
            shown = true;
            EXPECT_EQ(s.text, L"The radar sensor does not answer.");
        }
    }
    EXPECT_TRUE(shown);
    // The operator can try again once the device is back.
    ROVA_SimSensor_SetOpenFailure(nullptr);
    Click(IDC_BTN_START);
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(Checked(IDC_BTN_START), 1);
}

TEST_F(RunControlDialogTest, ModuleTrackingGetsTheTargetCountOfTheMode) {
    const struct {
        const char* config;
        int command;
    } cases[] = {{"<AppConfig ObjectCountType=\"1\"/>", 0x80}, {"<AppConfig ObjectCountType=\"3\"/>", 0x90}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        DialogAnswerer answerer;
        Open(c.config);
        Detect();
        gRadarParameter.algorithmOnMcu = 10;  // the module tracks: the console tells it how many
        const int before = ROVA_SimSensor_GetLastCommand(nullptr);
        Click(IDC_BTN_START);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
        int command = -1;
        EXPECT_EQ(ROVA_SimSensor_GetLastCommand(&command), before + 1);
        EXPECT_EQ(command, c.command);
        Click(IDC_BTN_START);
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
        EXPECT_EQ(gRadarParameter.algorithmOnMcu, 0);  // the stop restored the detected record
        Close();
    }
}

TEST_F(RunControlDialogTest, PlaybackOfAFolderWithoutRecordingConfigurationStartsNothing) {
    // The chooser opens on DataFilePath; a folder on drive C: so the chooser can preselect it.
    const std::wstring folder = L"C:\\rova_noconfig_" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::string folderA = TempFolderNarrow(folder);
    const std::string config = "<AppConfig DataFilePath=\"" + folderA + "\"/>";
    DialogAnswerer answerer;
    Open(config.c_str());
    Detect();
    const std::string dataPathBefore = gRadarParameter.dataPath;
    Click(IDC_BTN_PLAYBACK);
    Pump(300);
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(gRadarParameter.isFileSource, 0);
    EXPECT_EQ(std::string(gRadarParameter.dataPath), dataPathBefore);
    EXPECT_TRUE(Enabled(IDC_BTN_START));  // a device was detected
    EXPECT_STREQ(gAppConfig.AppConfig().GetAttributeText("DataFilePath"), folderA.c_str());
    bool chooserShown = false;
    for (const Shown& s : answerer.Seen()) chooserShown = chooserShown || s.caption == L"Browse for Folder";
    EXPECT_TRUE(chooserShown);
    ::RemoveDirectoryW(folder.c_str());
}

// The files a run leaves in "Log" beside the test program, so the test can take them away again.
std::vector<std::wstring> LogFiles() {
    wchar_t folder[MAX_PATH] = {}, pattern[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(pattern, folder, L"Log\\*.txt");
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        files.push_back(std::wstring(folder) + L"\\Log\\" + data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return files;
}

// A live source that sends one frame and then nothing for four seconds: after two seconds the
// status is red and says no data arrives, the labels say so instead of the last values and the
// view dims its targets; the next frame brings everything back. The run's event log, beside its
// result file, holds both moments.
TEST_F(RunControlDialogTest, StaleDataIsShownPlainlyAndClearsWhenFramesReturn) {
    const std::vector<std::wstring> filesBefore = LogFiles();
    DialogAnswerer answerer;
    Open("<AppConfig ObjectCountType=\"1\"/>");
    Detect();
    ROVA_SimSensor_SetFrameInterval(4000);
    Click(IDC_BTN_START);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    auto text = [&](int id) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(::GetDlgItem(*dialog_, id), buffer, 512);
        return std::wstring(buffer);
    };
    Pump(600);
    EXPECT_FALSE(dialog_->LinkStale());
    EXPECT_EQ(text(IDC_STATIC_LINK_STATUS).rfind(L"Simulated sensor", 0), 0u) << text(IDC_STATIC_LINK_STATUS);
    EXPECT_NE(text(IDC_STATIC_LINK_STATUS).find(L"fps"), std::wstring::npos);
    EXPECT_EQ(dialog_->LinkStatusLabel().GetBackgroundColor(), CROVAMTTDlg::kBackgroundColor);
    EXPECT_EQ(text(IDC_STATIC_TARGET).find(L"NO DATA"), std::wstring::npos);

    Pump(2000);
    EXPECT_TRUE(dialog_->LinkStale());
    EXPECT_NE(text(IDC_STATIC_LINK_STATUS).find(L"NO DATA"), std::wstring::npos) << text(IDC_STATIC_LINK_STATUS);
    EXPECT_EQ(dialog_->LinkStatusLabel().GetBackgroundColor(), CROVAMTTDlg::kLinkStaleColor);
    EXPECT_EQ(text(IDC_STATIC_TARGET).rfind(L"NO DATA", 0), 0u) << text(IDC_STATIC_TARGET);
    EXPECT_TRUE(dialog_->TargetView().Scene().IsDimmed());

    for (int i = 0; i < 40 && dialog_->LinkStale(); ++i) Pump(100);
    EXPECT_FALSE(dialog_->LinkStale()) << "the next frame did not clear the stale state";
    EXPECT_EQ(text(IDC_STATIC_LINK_STATUS).find(L"NO DATA"), std::wstring::npos);
    EXPECT_EQ(text(IDC_STATIC_TARGET).find(L"NO DATA"), std::wstring::npos);
    EXPECT_FALSE(dialog_->TargetView().Scene().IsDimmed());
    Click(IDC_BTN_START);
    EXPECT_EQ(text(IDC_STATIC_LINK_STATUS), L"") << "no status without a run";
    Close();

    std::string log;
    for (const std::wstring& file : LogFiles()) {
        if (std::find(filesBefore.begin(), filesBefore.end(), file) != filesBefore.end()) continue;
        if (file.find(L"ROVA_MTT_Link_") != std::wstring::npos) {
            HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            char buffer[4096] = {};
            DWORD got = 0;
            ::ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr);
            ::CloseHandle(h);
            log += buffer;
        }
        ::DeleteFileW(file.c_str());
    }
    EXPECT_NE(log.find("] run started: the simulated sensor\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] no data from the simulated sensor for 2."), std::string::npos) << log;
    EXPECT_NE(log.find("] data from the simulated sensor again\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] run stopped: "), std::string::npos) << log;
}

}  // namespace
