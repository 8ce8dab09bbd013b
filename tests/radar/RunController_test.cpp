// The run controller as a state machine against the simulated sensor, with no window and no
// polling thread: what the buttons show must be what the library does after every command.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "LightLine.h"
#include "TempFolder.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "contracts/ROVA_LinkHealth.h"
#include "framework/ProgramFolder.h"
#include "framework/ResourceLoader.h"
#include "libs/dataprocess/SimulatedSensorControl.h"
#include "radar/RunController.h"
#include "res/resource.h"
#include "settings/XMLParser.h"

namespace {

// The window as the controller sees it. Buttons hold what was applied last; the two message
// counters model the delayed-message engine (delayed) and the window's queue (queued).
class FakeRunWindow : public IRunWindow {
public:
    RunButtons buttons = RunButtonsFor(RunPhase::Idle, false);
    std::vector<std::wstring> errors;
    std::vector<UINT> errorCaptions;
    int waitingShown = 0;
    bool timerRunning = false;
    int delayed = 0;
    int queued = 0;
    // The engine's thread posts what is due right after the next cancel or drain returns, as it
    // may at any moment of a stop.
    bool engineFiresDuringStop = false;
    // Run inside the error message box (its modal loop dispatches what the operator pressed).
    std::function<void()> duringErrorBox;

    void ApplyRunButtons(const RunButtons& b) override {
        Merge(buttons.start, b.start);
        Merge(buttons.modeSwitch, b.modeSwitch);
        Merge(buttons.pause, b.pause);
        Merge(buttons.playback, b.playback);
        Merge(buttons.saveData, b.saveData);
        Merge(buttons.savePath, b.savePath);
    }
    void ShowWaiting(const std::wstring&) override { ++waitingShown; }
    void HideWaiting() override {}
    void ShowRunError(const std::wstring& text, UINT captionId) override {
        errors.push_back(text);
        errorCaptions.push_back(captionId);
        if (duringErrorBox) {
            auto inside = std::move(duringErrorBox);
            inside();
        }
    }
    void ApplyViewSettings() override {}
    void SendDetectBound() override {}
    void UpdateTargetLabels(const CTargetSlots::Array&) override {}
    void ApplyModeDisplay() override {}
    void ClearTargets() override {}
    void StartPresenceTimer() override { timerRunning = true; }
    void StopPresenceTimer() override { timerRunning = false; }
    void StartLinkTimer() override { linkTimerRunning = true; }
    void StopLinkTimer() override { linkTimerRunning = false; }
    void ShowLinkStatus(const std::wstring& text, bool stale, bool alarm) override {
        linkStatus = text;
        linkStale = stale;
        linkAlarm = alarm;
    }
    bool linkTimerRunning = false;
    std::wstring linkStatus;
    bool linkStale = false;
    bool linkAlarm = false;
    void PostPlaybackEndLater(UINT) override { ++delayed; }
    void CancelPlaybackEndPosts() override {
        delayed = 0;
        EngineMayFire();
    }
    void DrainRunMessages() override {
        queued = 0;
        EngineMayFire();
    }
    // The engine posts everything due into the queue.
    void FireDelayed() {
        queued += delayed;
        delayed = 0;
    }
    // A push-like check button toggles its own check when clicked, before its command runs.
    static void Toggle(RunButtonState& b) { b.checked = !b.checked.value_or(false); }

private:
    static void Merge(RunButtonState& to, const RunButtonState& from) {
        to.enabled = from.enabled;
        if (from.checked) to.checked = from.checked;
    }
    void EngineMayFire() {
        if (!engineFiresDuringStop) return;
        engineFiresDuringStop = false;
        FireDelayed();
    }
};

// A signal light whose port never opens: runs never touch a real COM port. It notes what it was
// asked to open.
struct LightOpens {
    std::vector<std::pair<int, unsigned long>> asked;
};
class ClosedLightPort : public ILightPort {
public:
    explicit ClosedLightPort(LightOpens* opens = nullptr) : m_opens(opens) {}
    int Open(int port, unsigned long baud) override {
        if (m_opens) m_opens->asked.emplace_back(port, baud);
        return 0;
    }
    int IsOpened() const override { return 0; }
    void Close() override {}
    int Write(const void*, int, DWORD) override { return 0; }
    int Read(void*, int, DWORD) override { return -1; }
    void Pause(uint32_t) override {}

private:
    LightOpens* m_opens;
};

int StreamStops() {
    int stops = 0;
    ROVA_SimSensor_GetStreamRequests(nullptr, &stops);
    return stops;
}

class RunControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ROVA_SimSensor_Reset();
        ROVA_SimSensor_SetFrameInterval(10);
        ROVA_SimSensor_SetPlaybackSpeed(0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_LoadConfigFromFile(ProgramFileA("Radar_Config.ini").c_str()));
        gRadarParameter.sourceType = RADAR_SOURCE_NONE;
        gAppConfig.LoadFromMemory("<AppConfig/>", 12);
        settings_.Reset(gRadarParameter.gateMinDefault, gRadarParameter.gateMaxDefault);
        run_ = std::make_unique<CRunController>(window_, settings_, std::make_unique<ClosedLightPort>(&lightOpens_));
        run_->SetResultFolder(folder_.file(L"Log"));
        run_->SetSettingsFile(folder_.file(L"appConfig.xml"));
        run_->SetSavePath(folder_.file(L"SaveData").c_str());
    }
    void TearDown() override {
        run_->StopIfRunning();
        run_.reset();
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_SimSensor_Reset();
    }
    // What Detect Device leaves when it finds the simulated sensor.
    void Detect() {
        gRadarParameter.sourceType = RADAR_SOURCE_COM;
        gRadarParameter.detectedDeviceValue = kSimulatedSensorDeviceValue;
        gRadarParameter.simSeed = 7;
        run_->SaveRadarRecord();
        window_.ApplyRunButtons(run_->Buttons());
    }
    // The link timer as the window runs it, until the write alarm goes (at most 4 s).
    void ExpectWritingResumes() {
        for (int i = 0; i < 40 && window_.linkAlarm; ++i) {
            ::Sleep(100);
            run_->OnLinkTimer();
        }
        EXPECT_FALSE(window_.linkAlarm) << "writing did not resume: " << TempFolder::narrow(window_.linkStatus);
    }
    void PressStart() {
        FakeRunWindow::Toggle(window_.buttons.start);
        run_->OnStartStop();
    }
    // A short live recording into the save folder, to be played back: the run's own folder.
    std::string Record() {
        settings_.saveData = 1;
        PressStart();
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
        ::Sleep(400);
        PressStart();
        settings_.saveData = 0;
        return TempFolder::narrow(run_->RecordingFolder());
    }
    // The library's word that it has read the last file, as the window's sink hears it.
    struct EndOfFiles : IFileRadarDataSource {
        std::atomic<bool> ended{false};
        void OnFileRadarReadEnd(uint64_t) override { ended = true; }
    };
    // Plays folder to its end as the window would: the end comes once the library has read every
    // file, and is put off while frames are still in process.
    void PlayToTheEnd(const std::string& folder) {
        EndOfFiles end;
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&end, 0);
        FakeRunWindow::Toggle(window_.buttons.playback);
        run_->StartPlayback(folder.c_str(), true);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted()) << (window_.errors.empty() ? L"" : window_.errors.back());
        for (int i = 0; i < 300 && !end.ended; ++i) {
            if (onPlaybackStep) onPlaybackStep();
            ::Sleep(10);
        }
        EXPECT_TRUE(end.ended) << "the library never read to the end";
        for (int i = 0; i < 300 && ROVA_Interface_RadarCtrl_IsStarted(); ++i) {
            if (onPlaybackStep) onPlaybackStep();
            run_->OnPlaybackEnd();
            window_.FireDelayed();
            window_.queued = 0;
            ::Sleep(10);
        }
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    }
    std::function<void()> onPlaybackStep;
    LightOpens lightOpens_;
    // The controller again, with its light on COM5 of line.
    void UseLight(const std::shared_ptr<LightLine>& line) {
        gRadarParameter.lightPort = 5;
        gRadarParameter.lightBaudRate = 9600;
        run_ = std::make_unique<CRunController>(window_, settings_, std::make_unique<LineLightPort>(line));
        run_->SetResultFolder(folder_.file(L"Log"));
        run_->SetSettingsFile(folder_.file(L"appConfig.xml"));
        run_->SetSavePath(folder_.file(L"SaveData").c_str());
    }
    // The run's event log as text.
    std::string EventLog() {
        for (const std::wstring& name : folder_.list(L"Log")) {
            if (name.rfind(L"ROVA_MTT_Link_", 0) != 0) continue;
            std::ifstream in(TempFolder::narrow(folder_.file(L"Log\\" + name)), std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return {};
    }
    // The buttons show the library's state; the presence timer runs exactly during a run.
    void ExpectButtonsAgreeWithLibrary(const char* step) {
        SCOPED_TRACE(step);
        const bool started = ROVA_Interface_RadarCtrl_IsStarted() != 0;
        const bool playback = started && gRadarParameter.isFileSource == 1;
        const RunButtons& b = window_.buttons;
        EXPECT_EQ(b.start.checked.value_or(false), started && !playback);
        EXPECT_EQ(b.playback.checked.value_or(false), playback);
        EXPECT_EQ(b.start.enabled, started ? !playback : gRadarParameter.sourceType != 0);
        EXPECT_EQ(b.modeSwitch.enabled, started ? !playback : gRadarParameter.sourceType != 0);
        EXPECT_EQ(b.pause.enabled, started);
        EXPECT_EQ(b.playback.enabled, !started || playback);
        EXPECT_EQ(b.saveData.enabled, !started);
        EXPECT_EQ(b.savePath.enabled, !started);
        if (started) {
            EXPECT_EQ(b.pause.checked.value_or(false), ROVA_Interface_RadarCtrl_IsPaused() != 0);
        }
        EXPECT_EQ(window_.timerRunning, started);
        // The link is watched exactly while a run is on; a stopped run shows no status.
        EXPECT_EQ(window_.linkTimerRunning, started);
        if (!started) {
            EXPECT_EQ(window_.linkStatus, L"");
            EXPECT_FALSE(window_.linkStale);
        }
        EXPECT_EQ(run_->Phase(), !started ? RunPhase::Idle : playback ? RunPhase::Playback : RunPhase::Live);
        // Nothing stays open behind an idle window.
        if (!started) {
            EXPECT_EQ(ROVA_Interface_RadarDevice_GetDefault(), nullptr);
            EXPECT_FALSE(run_->Results().IsOpen()) << "the result file stays open after the run";
        }
    }

    TempFolder folder_;
    FakeRunWindow window_;
    RootSettings settings_;
    std::unique_ptr<CRunController> run_;
};

TEST_F(RunControllerTest, SaveDataRecordsIntoAFolderNamedOutsideTheCodePage) {
    // An operator's folder under a profile the ANSI code page cannot name.
    const std::wstring folder = folder_.file(L"\u6d4b\u8bd5 \u0141ukasz");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    run_->SetSavePath(folder.c_str());
    Detect();
    settings_.saveData = 1;
    PressStart();
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted()) << (window_.errors.empty() ? "" : TempFolder::narrow(window_.errors[0]));
    ::Sleep(400);
    PressStart();
    settings_.saveData = 0;
    ASSERT_FALSE(run_->RecordingFolder().empty());
    EXPECT_EQ(run_->RecordingFolder().rfind(folder + L"\\", 0), 0u);
    EXPECT_NE(::GetFileAttributesW((run_->RecordingFolder() + L"\\FILE_Radar_Config.ini").c_str()), INVALID_FILE_ATTRIBUTES)
        << "recorded into " << gRadarParameter.dataPath;
}

TEST_F(RunControllerTest, ARefusedStartEndsLikeAFailedStartWithTheLibrarysText) {
    Detect();
    const int stopsBefore = StreamStops();
    ROVA_SimSensor_SetStartRefusal("The sensor did not acknowledge the start in time.");
    PressStart();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_EQ(window_.errors.size(), 1u);
    EXPECT_EQ(window_.errors[0], L"The sensor did not acknowledge the start in time.");
    EXPECT_EQ(window_.errorCaptions[0], static_cast<UINT>(IDS_START_DEVICE_FAILED));
    EXPECT_FALSE(run_->Results().IsOpen()) << "an empty result file is left open";
    EXPECT_TRUE(folder_.list(L"Log").empty()) << "the run that never started left files in Log";
    EXPECT_EQ(StreamStops(), stopsBefore) << "a start that never ran needs no stop";
    ExpectButtonsAgreeWithLibrary("after the refusal");

    // The next press is a start again, not a stop of a run that never was.
    ROVA_SimSensor_SetStartRefusal(nullptr);
    PressStart();
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_TRUE(run_->Results().IsOpen());
    ExpectButtonsAgreeWithLibrary("after the second start");
    PressStart();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(StreamStops(), stopsBefore + 1) << "the sensor got its stop request";
    ExpectButtonsAgreeWithLibrary("after the stop");
}

// Neither a refused start nor one whose device does not open leaves a result file, an event file
// or a recording folder behind, even with Save Data on.
TEST_F(RunControllerTest, AFailedStartLeavesNoFiles) {
    Detect();
    settings_.saveData = 1;
    for (const bool refuse : {true, false}) {
        SCOPED_TRACE(refuse ? "start refused" : "device does not open");
        ROVA_SimSensor_SetStartRefusal(refuse ? "refused" : nullptr);
        ROVA_SimSensor_SetOpenFailure(refuse ? nullptr : "unplugged");
        PressStart();
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
        EXPECT_TRUE(folder_.list(L"Log").empty());
        EXPECT_TRUE(folder_.list(L"SaveData").empty());
        EXPECT_TRUE(run_->RecordingFolder().empty());
    }
    ROVA_SimSensor_SetStartRefusal(nullptr);
    ROVA_SimSensor_SetOpenFailure(nullptr);
    // The run that starts keeps its files.
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    PressStart();
    EXPECT_EQ(folder_.list(L"SaveData").size(), 1u);
    EXPECT_FALSE(folder_.list(L"Log").empty());
}

// Each live run records into a folder of its own with its own configuration: an older recording
// plays with the gates it was made with, not with the newest run's.
TEST_F(RunControllerTest, EachLiveRunRecordsIntoItsOwnFolderAndPlaysWithItsOwnGates) {
    Detect();
    const int firstGates = gRadarParameter.gateCount;
    const std::string first = Record();
    gRadarParameter.gateCount = firstGates + 16;
    run_->SaveRadarRecord();
    const std::string second = Record();
    EXPECT_NE(first, second);
    EXPECT_EQ(folder_.list(L"SaveData").size(), 2u);
    for (const std::string& recording : {first, second}) {
        EXPECT_EQ(recording.rfind(TempFolder::narrow(folder_.file(L"SaveData")) + "\\", 0), 0u) << recording;
    }

    RadarSimCounters before{};
    ROVA_SimSensor_GetCounters(&before);
    int playedGates = 0;
    onPlaybackStep = [&] { playedGates = gRadarParameter.gateCount; };
    PlayToTheEnd(first);
    RadarSimCounters after{};
    ROVA_SimSensor_GetCounters(&after);
    EXPECT_EQ(playedGates, firstGates);
    EXPECT_EQ(after.damagedFrames, before.damagedFrames) << "the first run's files were refused";
    EXPECT_GT(after.framesAcquired, before.framesAcquired);
    EXPECT_EQ(gRadarParameter.gateCount, firstGates + 16) << "the live record is back after the playback";
}

// A played recording names the light's port and baud rate of the site it was made at; the light
// of this console stays on its own port.
TEST_F(RunControllerTest, PlaybackKeepsTheConsolesOwnLight) {
    Detect();
    gRadarParameter.lightPort = 5;
    gRadarParameter.lightBaudRate = 9600;
    run_->SaveRadarRecord();
    const std::string recording = Record();
    tagRADARPARAMETER foreign;
    ROVA_Interface_RadarParameter_Init(&foreign);
    const std::string config = recording + "\\FILE_Radar_Config.ini";
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile(config.c_str(), &foreign));
    foreign.lightPort = 7;
    foreign.lightBaudRate = 19200;
    ASSERT_TRUE(ROVA_Interface_RadarParameter_SaveToFile(config.c_str(), &foreign));
    lightOpens_.asked.clear();
    PlayToTheEnd(recording);
    ASSERT_EQ(lightOpens_.asked.size(), 1u);
    EXPECT_EQ(lightOpens_.asked[0], (std::pair<int, unsigned long>(5, 9600)));
}

// A recording that cannot be written is told: the status names it, the event log says when it
// stopped and when it works again, and the run goes on meanwhile.
TEST_F(RunControllerTest, ARecordingThatCannotWriteIsToldAndResumes) {
    Detect();
    // A file where the save folder should be: nothing can be made under it.
    const std::wstring blocker = folder_.file(L"SaveData");
    ::CloseHandle(::CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    settings_.saveData = 1;
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ::Sleep(200);
    run_->OnLinkTimer();
    EXPECT_TRUE(window_.linkAlarm);
    EXPECT_NE(window_.linkStatus.find(L"Raw data cannot be written"), std::wstring::npos) << window_.linkStatus;
    EXPECT_FALSE(window_.linkStale) << "a write problem is no stale data: the targets stay as they are";
    ::DeleteFileW(blocker.c_str());
    ExpectWritingResumes();
    PressStart();
    std::string log;
    for (const std::wstring& name : folder_.list(L"Log")) {
        if (name.find(L"ROVA_MTT_Link_") == 0) log = TempFolder::narrow(folder_.file(L"Log\\" + name));
    }
    ASSERT_FALSE(log.empty());
    std::ifstream in(log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("raw recording cannot be written"), std::string::npos) << text;
    EXPECT_NE(text.find("raw recording is written again"), std::string::npos) << text;
    EXPECT_EQ(folder_.list(L"SaveData").size(), 1u) << "the recording went on in the save folder";
}

// Settings the disk refused are told while no run goes and while one goes, and reach the file
// by the settings timer once the folder takes them.
TEST_F(RunControllerTest, SettingsThatCannotBeSavedAreToldAndSavedOnceTheFolderTakesThem) {
    const std::wstring folder = folder_.file(L"settings");
    const std::wstring path = folder + L"\\appConfig.xml";
    EXPECT_FALSE(gAppConfig.SaveToFile(path.c_str()));
    run_->OnSettingsTimer();
    EXPECT_TRUE(window_.linkAlarm);
    EXPECT_NE(window_.linkStatus.find(L"Settings cannot be written: the folder is not writable"), std::wstring::npos)
        << TempFolder::narrow(window_.linkStatus);

    Detect();
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    run_->OnLinkTimer();
    EXPECT_NE(window_.linkStatus.find(L"Settings cannot be written"), std::wstring::npos)
        << TempFolder::narrow(window_.linkStatus);
    EXPECT_NE(window_.linkStatus.find(L"Simulated sensor"), std::wstring::npos) << "the run's own status went";
    PressStart();
    run_->OnSettingsTimer();
    EXPECT_NE(window_.linkStatus.find(L"Settings cannot be written"), std::wstring::npos)
        << "the stop hid a failure that still holds: " << TempFolder::narrow(window_.linkStatus);

    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    run_->OnSettingsTimer();
    EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the settings were not saved again";
    EXPECT_FALSE(window_.linkAlarm);
    EXPECT_TRUE(window_.linkStatus.empty()) << TempFolder::narrow(window_.linkStatus);
}

// A Log folder that takes no file at the start of a run: the status names the results, the zone
// events and the event log; once it can be made, all three are made and written (no detection
// sink here: the result file stays empty), the event log with its own lines of the failure, held
// meanwhile like any other.
TEST_F(RunControllerTest, RunFilesThatCannotBeWrittenAreToldAndResume) {
    Detect();
    const std::wstring blocker = folder_.file(L"Log");
    ::CloseHandle(::CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ::Sleep(200);
    run_->OnLinkTimer();
    EXPECT_TRUE(window_.linkAlarm);
    for (const wchar_t* what : {L"Results cannot be written", L"Zone events cannot be written",
                                L"The event log cannot be written"}) {
        EXPECT_NE(window_.linkStatus.find(what), std::wstring::npos) << TempFolder::narrow(window_.linkStatus);
    }
    ::DeleteFileW(blocker.c_str());
    ExpectWritingResumes();
    PressStart();
    std::string log, zones;
    bool results = false;
    for (const std::wstring& name : folder_.list(L"Log")) {
        const std::string path = TempFolder::narrow(folder_.file(L"Log\\" + name));
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (name.find(L"ROVA_MTT_Link_") == 0) log += text;
        if (name.find(L"ROVA_MTT_Zones_") == 0) zones += text;
        if (name.find(L"ROVA_MTT_Result_") == 0) results = true;
    }
    EXPECT_EQ(log.find("] run started: "), 24u) << log;
    for (const char* line : {"result file cannot be written", "zone event file cannot be written",
                             "event log cannot be written", "result file is written again",
                             "zone event file is written again", "event log is written again", "run stopped"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << " missing: " << log;
    }
    EXPECT_EQ(zones.rfind("event,area,id,", 0), 0u) << zones;
    EXPECT_TRUE(results) << "no result file was made";
}

TEST_F(RunControllerTest, StopPressedWhileARefusedStartReportsItStartsNothing) {
    Detect();
    ROVA_SimSensor_SetStartStall(200);
    ROVA_SimSensor_SetStartRefusal("no answer");
    // The operator pressed Stop while the start hung; the press reaches the window while the
    // error box is up. Mode Switch and Pause pressed there change nothing either.
    window_.duringErrorBox = [&] {
        PressStart();
        run_->OnModeSwitch();
        run_->OnPause();
    };
    const uint64_t before = ::GetTickCount64();
    PressStart();
    EXPECT_GE(::GetTickCount64() - before, 150u) << "the start did not stall";
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(window_.errors.size(), 1u);
    ExpectButtonsAgreeWithLibrary("after the refused start");
}

TEST_F(RunControllerTest, StopAlwaysStopsAndTheSensorGetsItsStopRequest) {
    Detect();
    for (int mode : {1, 3}) {
        SCOPED_TRACE(mode);
        settings_.objectCountType = mode;
        PressStart();
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
        run_->OnPause();
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsPaused());
        ExpectButtonsAgreeWithLibrary("paused");
        const int stops = StreamStops();
        PressStart();
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsPaused());
        EXPECT_EQ(StreamStops(), stops + 1);
        ExpectButtonsAgreeWithLibrary("stopped");
    }
}

TEST_F(RunControllerTest, TheEndOfAPlaybackOnlyEverStops) {
    Detect();
    const std::string recording = Record();
    window_.errors.clear();

    // Ends arriving while idle or during a live run are the leftovers of an earlier playback.
    const int startsBefore = window_.waitingShown;
    run_->OnPlaybackEnd();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(window_.waitingShown, startsBefore) << "the end of a playback started a run";
    PressStart();
    run_->OnPlaybackEnd();
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted()) << "the end of a playback stopped a live run";
    ExpectButtonsAgreeWithLibrary("live run after a stale end");
    PressStart();

    // The playback itself: its end stops it once the library has processed everything.
    FakeRunWindow::Toggle(window_.buttons.playback);
    run_->StartPlayback(recording.c_str(), true);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted()) << (window_.errors.empty() ? L"" : window_.errors.back());
    ExpectButtonsAgreeWithLibrary("playback");
    EXPECT_STREQ(gAppConfig.AppConfig().GetAttributeText("DataFilePath"), recording.c_str());
    for (int i = 0; i < 200 && ROVA_Interface_RadarCtrl_IsStarted(); ++i) {
        run_->OnPlaybackEnd();  // re-posts itself while data is still in process
        window_.FireDelayed();
        window_.queued = 0;
        ::Sleep(10);
    }
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(gRadarParameter.isFileSource, 0) << "the live record is back";
    ExpectButtonsAgreeWithLibrary("after the playback");
    // A second end of the same playback changes nothing.
    run_->OnPlaybackEnd();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_TRUE(window_.errors.empty());
}

TEST_F(RunControllerTest, AStopCancelsDelayedEndsBeforeItDrainsTheQueue) {
    Detect();
    const std::string recording = Record();
    run_->StartPlayback(recording.c_str(), true);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    // The library read its last file: an end is on its way through the engine when the operator
    // presses Playback to stop, and the engine posts it in the middle of the stop.
    window_.PostPlaybackEndLater(CRunController::kPlaybackEndDelayMs);
    window_.engineFiresDuringStop = true;
    FakeRunWindow::Toggle(window_.buttons.playback);
    run_->StopIfRunning();
    EXPECT_EQ(window_.queued + window_.delayed, 0) << "an end of the stopped playback survived the stop";
    ExpectButtonsAgreeWithLibrary("after the stop");
}

TEST_F(RunControllerTest, RandomCommandsLeaveButtonsAndLibraryAgreeing) {
    Detect();
    const std::string recording = Record();
    ExpectButtonsAgreeWithLibrary("after the recording");
    enum Command { Start, ModeSwitch, Pause, Playback, PlaybackEnd, EngineFires, Refuse, Stall, OpenFails, Count };
    static const char* const kNames[] = {"Start/Stop", "Mode Switch", "Pause", "Playback", "end of playback",
                                         "engine posts",  "refuse starts", "stall starts", "open fails"};
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> pick(0, Count - 1);
        for (int step = 0; step < 60; ++step) {
            const int command = pick(random);
            const std::string name = "seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " +
                                     kNames[command];
            switch (command) {
            case Start:
                if (window_.buttons.start.enabled) PressStart();
                break;
            case ModeSwitch:
                if (window_.buttons.modeSwitch.enabled) run_->OnModeSwitch();
                break;
            case Pause:
                if (window_.buttons.pause.enabled) {
                    FakeRunWindow::Toggle(window_.buttons.pause);
                    run_->OnPause();
                }
                break;
            case Playback:
                if (!window_.buttons.playback.enabled) break;
                FakeRunWindow::Toggle(window_.buttons.playback);
                if (run_->IsRunning()) {
                    run_->StopIfRunning();
                } else {
                    run_->StartPlayback(recording.c_str(), true);
                }
                break;
            case PlaybackEnd:
                run_->OnPlaybackEnd();
                break;
            case EngineFires:
                // Whatever the engine posted is handled by the window.
                window_.FireDelayed();
                for (; window_.queued > 0; --window_.queued) run_->OnPlaybackEnd();
                break;
            case Refuse:
                ROVA_SimSensor_SetStartRefusal(random() % 2 ? "refused" : nullptr);
                break;
            case Stall:
                ROVA_SimSensor_SetStartStall(random() % 2 ? 20 : 0);
                break;
            case OpenFails:
                ROVA_SimSensor_SetOpenFailure(random() % 3 == 0 ? "unplugged" : nullptr);
                break;
            }
            ExpectButtonsAgreeWithLibrary(name.c_str());
            if (HasFailure()) return;
        }
        ROVA_SimSensor_SetStartRefusal(nullptr);
        ROVA_SimSensor_SetStartStall(0);
        ROVA_SimSensor_SetOpenFailure(nullptr);
    }
}

// The light's line never holds up the interface: the start returns while the light's first
// frame is still being written, and the stop still leaves the light off and closed.
TEST_F(RunControllerTest, StartReturnsWhileTheLightIsStillWritingAndStopLeavesItClosed) {
    auto line = std::make_shared<LightLine>();
    Detect();
    UseLight(line);
    line->SetGate(false);
    PressStart();
    line->Note("start returned");
    line->SetGate(true);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(line->WaitFor("written coil 2 on"));
    const std::vector<std::string> started = line->Events();
    const auto returned = std::find(started.begin(), started.end(), "start returned");
    const auto written = std::find(started.begin(), started.end(), "written coil 2 on");
    EXPECT_LT(returned - started.begin(), written - started.begin()) << "the start waited for the light's line";

    PressStart();
    ASSERT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    std::vector<std::string> stopped = line->Events();
    stopped.erase(stopped.begin(), stopped.begin() + static_cast<long>(started.size()));
    EXPECT_EQ(stopped, (std::vector<std::string>{"write coil 2 off", "written coil 2 off", "write coil 3 off",
                                                 "written coil 3 off", "close"}))
        << "the light is not off and closed when Stop returns";
}

// A light that stops answering is named in the status right of the title and in the run's event
// log, and the status says no more of it once the run has stopped.
TEST_F(RunControllerTest, ALightThatDoesNotAnswerIsReportedInTheStatusAndTheEventLog) {
    auto line = std::make_shared<LightLine>();
    line->SetAnswers(false);
    Detect();
    UseLight(line);
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(line->WaitFor("close")) << "the port of a light that does not answer stays open";
    std::wstring lost = CResourceLoader::LoadString(IDS_LIGHT_LOST);
    const size_t portAt = lost.find(L"{port}");
    ASSERT_NE(portAt, std::wstring::npos) << "the text names no port";
    lost.replace(portAt, 6, L"5");
    bool shown = false;
    for (int i = 0; i < 500 && !shown; ++i) {
        run_->OnLinkTimer();
        shown = window_.linkStatus.find(lost) != std::wstring::npos;
        if (!shown) ::Sleep(10);
    }
    EXPECT_TRUE(shown) << "status: " << TempFolder::narrow(window_.linkStatus);
    EXPECT_EQ(window_.linkStatus.find(L'{'), std::wstring::npos) << "a placeholder left in the status";
    EXPECT_GT(window_.linkStatus.find(lost), 0u) << "the sensor's link comes first";
    EXPECT_FALSE(window_.linkStale) << "a silent light is no stale sensor";
    PressStart();
    EXPECT_EQ(window_.linkStatus, L"");
    EXPECT_NE(EventLog().find("signal light COM5 lost: no answer"), std::string::npos) << EventLog();
}

// A file of a run of 2020 (written then, too) under the test's folder.
void MakeOldFile(const std::wstring& path, const char* text) {
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << TempFolder::narrow(path);
    DWORD written = 0;
    ::WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    SYSTEMTIME old{2020, 1, 3, 1, 13, 0, 0, 0};
    FILETIME ft{};
    ::SystemTimeToFileTime(&old, &ft);
    ::SetFileTime(h, nullptr, nullptr, &ft);
    ::CloseHandle(h);
}

tagRADARRECORDINGHEALTH RecordingHealthNow() {
    tagRADARRECORDINGHEALTH h{};
    h.structSize = sizeof h;
    ROVA_Interface_RadarCtrl_GetRecordingHealth(&h);
    return h;
}

// The start removes a run older than the kept days, whole, and leaves the operator's file and
// everything of the run it starts; the event log tells each deletion.
TEST_F(RunControllerTest, TheStartDeletesOldRunsAndSparesTheRunningOne) {
    ASSERT_TRUE(::CreateDirectoryW(folder_.file(L"Log").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(folder_.file(L"SaveData").c_str(), nullptr));
    const std::vector<std::wstring> old = {
        L"Log\\ROVA_MTT_Run_20200101_120000_000.txt", L"Log\\ROVA_MTT_Result_20200101_120001_000.txt",
        L"Log\\ROVA_MTT_Link_20200101_120001_000.txt", L"Log\\ROVA_MTT_Zones_20200101_120001_005.csv",
        L"Log\\ROVA_MTT_Result_20200102_000000_000.txt",  // continued after midnight
        L"SaveData\\ROVA_MTT_Data_20200101_120000_500\\FILE_Radar_Config.ini",
        L"SaveData\\ROVA_MTT_Data_20200101_120000_500\\ROVA_Raw_20200101_120001_000.rvraw"};
    ASSERT_TRUE(::CreateDirectoryW(folder_.file(L"SaveData\\ROVA_MTT_Data_20200101_120000_500").c_str(), nullptr));
    for (const std::wstring& name : old) MakeOldFile(folder_.file(name), "old\r\n");
    MakeOldFile(folder_.file(L"Log\\notes.txt"), "the operator's own\r\n");
    settings_.keepDays = 30;
    settings_.saveData = 1;
    Detect();
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(run_->Retention().WaitIdle(20000));
    run_->OnLinkTimer();
    for (const std::wstring& name : old)
        EXPECT_EQ(::GetFileAttributesW(folder_.file(name).c_str()), INVALID_FILE_ATTRIBUTES) << TempFolder::narrow(name);
    EXPECT_EQ(::GetFileAttributesW(folder_.file(L"SaveData\\ROVA_MTT_Data_20200101_120000_500").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(folder_.file(L"Log\\notes.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(run_->Results().Path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(::GetFileAttributesW(run_->RecordingFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    int markers = 0;
    for (const std::wstring& name : folder_.list(L"Log")) markers += name.rfind(L"ROVA_MTT_Run_", 0) == 0;
    EXPECT_EQ(markers, 1) << "the running run's marker";
    PressStart();
    const std::string log = EventLog();
    EXPECT_NE(log.find("retention deleted ROVA_MTT_Result_20200102_000000_000.txt in the log folder: older than 30 days"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("retention deleted raw folder ROVA_MTT_Data_20200101_120000_500 in the save folder (2 files"),
              std::string::npos)
        << log;
    EXPECT_LT(log.find("retention deleted"), log.find("run stopped")) << log;
}

// Below the free floor on the save folder's disk, with no old run left to delete, the raw
// recording pauses, the status and the event log say so, and it resumes by itself
// once the disk has its floor again. The floor stands for the space: 1 TiB is more than the test's
// disk has free; no floor is space enough.
TEST_F(RunControllerTest, BelowTheFreeFloorTheRecordingPausesAndResumesByItself) {
    settings_.leastFreeMB = 1048576;
    settings_.saveData = 1;
    Detect();
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(run_->Retention().WaitIdle(20000));
    run_->OnLinkTimer();
    EXPECT_TRUE(run_->RecordingPausedForSpace());
    EXPECT_NE(window_.linkStatus.find(L"Raw recording paused: "), std::wstring::npos) << TempFolder::narrow(window_.linkStatus);
    EXPECT_NE(window_.linkStatus.find(L"1048576 MB are kept free"), std::wstring::npos) << TempFolder::narrow(window_.linkStatus);
    EXPECT_TRUE(window_.linkAlarm);
    for (int i = 0; i < 200 && RecordingHealthNow().state != RADAR_RECORDING_PAUSED; ++i) ::Sleep(10);
    const tagRADARRECORDINGHEALTH paused = RecordingHealthNow();
    EXPECT_EQ(paused.state, RADAR_RECORDING_PAUSED);
    ::Sleep(500);
    EXPECT_EQ(RecordingHealthNow().framesRecorded, paused.framesRecorded) << "frames recorded while paused";

    settings_.leastFreeMB = 0;
    run_->KeepStorage();
    ASSERT_TRUE(run_->Retention().WaitIdle(20000));
    run_->OnLinkTimer();
    EXPECT_FALSE(run_->RecordingPausedForSpace());
    EXPECT_EQ(window_.linkStatus.find(L"Raw recording paused"), std::wstring::npos) << TempFolder::narrow(window_.linkStatus);
    for (int i = 0; i < 300 && RecordingHealthNow().framesRecorded <= paused.framesRecorded; ++i) ::Sleep(10);
    EXPECT_GT(RecordingHealthNow().framesRecorded, paused.framesRecorded) << "the recording did not resume";
    PressStart();
    const std::string log = EventLog();
    const size_t pausedAt = log.find("raw recording paused: ");
    EXPECT_NE(pausedAt, std::string::npos) << log;
    EXPECT_NE(log.find("MB free on the save folder's disk, 1048576 MB are kept free"), std::string::npos) << log;
    EXPECT_GT(log.find("raw recording resumed: "), pausedAt) << log;
}

// At a start the last run is an old run like any other: what the controller still holds of it
// (its closed result file and event log) does not spare it.
TEST_F(RunControllerTest, TheLastRunIsNotSparedAtTheNextStart) {
    Detect();
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    PressStart();
    const std::wstring lastResults = run_->Results().Path();
    ASSERT_NE(::GetFileAttributesW(lastResults.c_str()), INVALID_FILE_ATTRIBUTES);
    settings_.leastFreeMB = 1048576;  // more than the test's disk has free: every old run goes
    PressStart();
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(run_->Retention().WaitIdle(20000));
    EXPECT_EQ(::GetFileAttributesW(lastResults.c_str()), INVALID_FILE_ATTRIBUTES) << "the last run was spared";
    EXPECT_NE(::GetFileAttributesW(run_->Results().Path().c_str()), INVALID_FILE_ATTRIBUTES);
    PressStart();
}

}  // namespace
