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

// Answers every message box and folder chooser of this process with OK and records what it said;
// windows captioned `leave` it leaves alone.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::wstring leave = L"") : leave_(std::move(leave)), thread_([this] { Run(); }) {}
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
        if (!self->leave_.empty() && title == self->leave_) return TRUE;
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
    std::wstring leave_;
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
    void Open(const char* appConfig, const std::wstring& startupNotice = L"") {
        gAppConfig.LoadFromMemory(appConfig, strlen(appConfig));
        ROVA_SimSensor_Reset();
        dialog_ = std::make_unique<CROVAMTTDlg>();
        if (!startupNotice.empty()) dialog_->AddStartupNotice(startupNotice);
        ASSERT_TRUE(dialog_->Create(IDD_ROVA_MTT_DIALOG, nullptr));
    }
    std::wstring Text(int id) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(::GetDlgItem(*dialog_, id), buffer, 512);
        return buffer;
    }
    // The retry timer of monitoring that starts with the console, fired by the test.
    void FireRetryTimer() {
        ::SendMessageW(*dialog_, WM_TIMER, CAutoStartWindow::kRetryTimer, 0);
        Pump(50);
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

// Monitoring that starts with the console: what Detect Device found last is started on at once
// when the setting is on, and never a box asks anything.
constexpr char kRememberedSimulated[] =
    "LastSourceType=\"1\" LastDeviceValue=\"9999\" LastDevicePort=\"COM9999\"";

TEST_F(RunControlDialogTest, MonitoringStartsWithTheConsoleOnlyWhenOnAndASensorWasDetected) {
    const struct {
        const char* name;
        std::string config;
        bool runs;
        const wchar_t* status;  // the status text's start
    } cases[] = {
        {"on", std::string("<AppConfig AutoStart=\"1\" ") + kRememberedSimulated + "/>", true, L"Simulated sensor"},
        {"off", std::string("<AppConfig AutoStart=\"0\" ") + kRememberedSimulated + "/>", false, L""},
        {"on, never detected", "<AppConfig AutoStart=\"1\"/>", false, L"Monitoring at start is on, but no sensor"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DialogAnswerer answerer;
        Open(c.config.c_str());
        message_pump::PumpUntil([] { return ROVA_Interface_RadarCtrl_IsStarted() != 0; }, nullptr, 1500);
        Pump(400);
        EXPECT_EQ(ROVA_Interface_RadarCtrl_IsStarted() != 0, c.runs);
        EXPECT_EQ(Checked(IDC_BTN_START), c.runs ? 1 : 0);
        EXPECT_EQ(Enabled(IDC_BTN_START), c.runs) << "Start follows a detection; the remembered one counts when used";
        EXPECT_EQ(Text(IDC_STATIC_LINK_STATUS).rfind(c.status, 0), 0u) << Text(IDC_STATIC_LINK_STATUS);
        if (c.runs) {
            EXPECT_NE(Text(IDC_STATIC_LINK_STATUS).find(L"fps"), std::wstring::npos);
        }
        EXPECT_TRUE(answerer.Seen().empty()) << "a box showed: " << (answerer.Seen().empty() ? "" : "yes");
        if (c.runs) {
            // A Stop brings it back to the remembered source, not to nothing.
            Click(IDC_BTN_START);
            EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
            EXPECT_TRUE(Enabled(IDC_BTN_START));
            EXPECT_EQ(gRadarParameter.detectedDeviceValue, 9999);
        }
        Close();
    }
}

TEST_F(RunControlDialogTest, AnAbsentSensorIsAwaitedUntilItAnswersOrTheOperatorStops) {
    DialogAnswerer answerer;
    const std::string config = std::string("<AppConfig AutoStart=\"1\" ") + kRememberedSimulated + "/>";
    Open(config.c_str());
    ROVA_SimSensor_SetPresent(0);  // before the first attempt, which waits for the window to show
    Pump(300);
    ASSERT_TRUE(dialog_->AutoStart().Waiting());
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(Text(IDC_STATIC_LINK_STATUS).rfind(L"Waiting for the sensor on Simulated sensor ... (attempt ", 0), 0u)
        << Text(IDC_STATIC_LINK_STATUS);
    EXPECT_EQ(dialog_->LinkStatusLabel().GetBackgroundColor(), CROVAMTTDlg::kLinkStaleColor) << "shown as an alarm";
    EXPECT_EQ(Checked(IDC_BTN_START), 1) << "on while waiting: a click is the Stop";
    EXPECT_TRUE(Enabled(IDC_BTN_START));
    int attempts = dialog_->AutoStart().Attempts();
    FireRetryTimer();
    EXPECT_GT(dialog_->AutoStart().Attempts(), attempts);
    EXPECT_TRUE(dialog_->AutoStart().Waiting());
    EXPECT_NE(Text(IDC_STATIC_LINK_STATUS).find(L"(attempt " + std::to_wstring(dialog_->AutoStart().Attempts()) + L")"),
              std::wstring::npos)
        << Text(IDC_STATIC_LINK_STATUS);

    ROVA_SimSensor_SetPresent(1);
    FireRetryTimer();
    EXPECT_EQ(dialog_->AutoStart().GetState(), CAutoStart::State::Started);
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(Checked(IDC_BTN_START), 1);
    Pump(400);
    EXPECT_EQ(Text(IDC_STATIC_LINK_STATUS).rfind(L"Simulated sensor", 0), 0u) << Text(IDC_STATIC_LINK_STATUS);
    Close();

    // The operator's Stop while waiting ends it: a sensor that comes back later is not started.
    Open(config.c_str());
    ROVA_SimSensor_SetPresent(0);
    Pump(300);
    ASSERT_TRUE(dialog_->AutoStart().Waiting());
    Click(IDC_BTN_START);
    EXPECT_EQ(dialog_->AutoStart().GetState(), CAutoStart::State::Cancelled);
    EXPECT_EQ(Checked(IDC_BTN_START), 0);
    EXPECT_EQ(Text(IDC_STATIC_LINK_STATUS), L"");
    attempts = dialog_->AutoStart().Attempts();
    ROVA_SimSensor_SetPresent(1);
    FireRetryTimer();
    EXPECT_EQ(dialog_->AutoStart().Attempts(), attempts);
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    // The operator's own Start works as ever.
    Click(IDC_BTN_START);
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_TRUE(answerer.Seen().empty()) << "a box showed while the console waited";
}

TEST_F(RunControlDialogTest, ANoticeOfTheStartWaitsForNobody) {
    DialogAnswerer answerer(L"Prompt");
    const std::wstring notice = L"The settings file appConfig.xml is damaged.\r\nC:\\copy";
    const std::string config = std::string("<AppConfig AutoStart=\"1\" ") + kRememberedSimulated + "/>";
    Open(config.c_str(), notice);
    message_pump::PumpUntil([] { return ROVA_Interface_RadarCtrl_IsStarted() != 0; }, nullptr, 1500);
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted()) << "the run started behind the notice";
    const HWND box = dialog_->Notice().GetSafeHwnd();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(::IsWindowVisible(box));
    EXPECT_EQ(::GetWindow(box, GW_OWNER), dialog_->GetSafeHwnd());
    wchar_t caption[64] = {}, text[512] = {};
    ::GetWindowTextW(box, caption, 64);
    ::GetDlgItemTextW(box, IDC_STATIC_NOTICE_TEXT, text, 512);
    EXPECT_STREQ(caption, L"Prompt");
    EXPECT_EQ(std::wstring(text), notice);
    EXPECT_TRUE(answerer.Seen().empty());
    // OK only hides it; the console goes on.
    ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_FALSE(::IsWindowVisible(box));
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
}

}  // namespace
