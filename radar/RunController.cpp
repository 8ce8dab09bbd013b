#include "radar/RunController.h"

#include <cstdio>
#include <cstring>

#include "areas/SerialLightPort.h"
#include "contracts/ROVA_Common.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"
#include "settings/XMLParser.h"

namespace {
std::string ProgramFolderA(const char* name) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetProgramPathA(0, folder);
    CombinePathNameA(path, folder, name);
    return path;
}

std::wstring LibraryText(const CBaseStringA& text) {
    wchar_t wide[1024] = {};
    AnsiToWide(text.GetString(), wide, 1024);
    return wide;
}
}  // namespace

CRunController::CRunController(IRunWindow& window, RootSettings& settings, std::unique_ptr<ILightPort> lightPort)
    : window_(window),
      settings_(settings),
      resultFolder_(ProgramFolderA("Log")),
      settingsFile_(XMLParser::ConfigPath()),
      light_(lightPort ? std::move(lightPort) : std::make_unique<SerialLightPort>()) {
    SaveRadarRecord();
}

void CRunController::SaveRadarRecord() { ROVA_Interface_RadarParameter_Copy(&savedRecord_, &gRadarParameter); }

void CRunController::RestoreRadarRecord() { ROVA_Interface_RadarParameter_Copy(&gRadarParameter, &savedRecord_); }

void CRunController::SetSavePath(const wchar_t* path) {
    wcsncpy(savePath_, path ? path : L"", MAX_PATH - 1);
    savePath_[MAX_PATH - 1] = L'\0';
}

bool CRunController::IsRunning() const {
    return phase_ != RunPhase::Idle || ROVA_Interface_RadarCtrl_IsStarted() != 0;
}

RunButtons CRunController::Buttons() const {
    RunButtons buttons = RunButtonsFor(phase_, gRadarParameter.sourceType != 0);
    if (phase_ != RunPhase::Idle) buttons.pause.checked = ROVA_Interface_RadarCtrl_IsPaused() != 0;
    return buttons;
}

void CRunController::OpenResultFile() {
    results_.Open(resultFolder_.c_str());  // no file: the run goes on without results
}

bool CRunController::FailStart() {
    phase_ = RunPhase::Idle;
    window_.ApplyRunButtons(Buttons());
    return false;
}

void CRunController::SendTrackingCommand() {
    // The module tracks by itself; tell it how many targets to report.
    void* device = ROVA_Interface_RadarDevice_GetDefault();
    ROVA_Interface_RadarCtrl_Pause();
    ROVA_Interface_RadarDevice_StartCmdMode(device, gRadarParameter.cmdModeParam, gRadarParameter.cmdModeTimeBase * 150);
    const int command = settings_.objectCountType == 1 ? kMcuTrackingSingle : kMcuTrackingMulti;
    ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0,
                                                    kMcuCommandTimeoutMs);
    ROVA_Interface_RadarDevice_StopCmdMode(device);
    ROVA_Interface_RadarCtrl_Resume();
}

bool CRunController::StartRun() {
    busy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy_};

    window_.ShowWaiting(CResourceLoader::LoadString(IDS_STARTING_SENSOR));
    if (!ROVA_Interface_RadarCtrl_IsConfigLoad()) {
        window_.HideWaiting();
        window_.ShowRunError(CResourceLoader::LoadString(IDS_CONFIG_NOT_LOADED), IDS_ERROR);
        return FailStart();
    }
    if (gRadarParameter.isFileSource == 0) {
        gRadarParameter.saveRawData = settings_.saveData;
        if (settings_.saveData) WideToAnsi(savePath_, gRadarParameter.dataPath, sizeof gRadarParameter.dataPath);
    }
    CBaseStringA error;
    if (!ROVA_Interface_RadarCtrl_OpenDevice(&error)) {
        window_.HideWaiting();
        window_.ShowRunError(LibraryText(error), IDS_START_DEVICE_FAILED);
        return FailStart();
    }
    window_.HideWaiting();

    OpenResultFile();
    window_.ApplyViewSettings();
    slots_.Reset();
    window_.UpdateTargetLabels(slots_.Snapshot());

    if (gRadarParameter.algorithmOnMcu == 10) {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(0);
        if (gRadarParameter.isFileSource == 0) SendTrackingCommand();
    } else {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(1);
    }
    window_.SendDetectBound();
    if (!ROVA_Interface_RadarCtrl_Start()) {
        // A refused start is a failed start: the device is closed again (the library takes back a
        // start that may have reached the sensor late) and the empty result file goes.
        CBaseStringA why;
        ROVA_Interface_RadarCtrl_GetLastError(&why);
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        results_.Close();
        window_.ShowRunError(LibraryText(why), IDS_START_DEVICE_FAILED);
        return FailStart();
    }

    phase_ = gRadarParameter.isFileSource == 1 ? RunPhase::Playback : RunPhase::Live;
    window_.ApplyRunButtons(Buttons());
    light_.OpenLight(gRadarParameter.lightPort, gRadarParameter.lightBaudRate);
    window_.StartPresenceTimer();
    return true;
}

void CRunController::StopRun() {
    busy_ = true;
    light_.CloseLight();
    // The library stops before anything it feeds is touched: no delivery runs after this.
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    phase_ = RunPhase::Idle;

    RestoreRadarRecord();
    settings_.gateMin = gRadarParameter.gateMinDefault;
    settings_.gateMax = gRadarParameter.gateMaxDefault;
    window_.ApplyRunButtons(Buttons());
    window_.ClearTargets();

    // Nothing the stopped run posted may be handled later. The delayed posts go first: one that
    // lands between the drain and the cancel would survive the drain.
    window_.CancelPlaybackEndPosts();
    window_.DrainRunMessages();
    window_.StopPresenceTimer();
    busy_ = false;
}

void CRunController::StopIfRunning() {
    if (IsRunning()) StopRun();
}

void CRunController::OnStartStop() {
    if (busy_) {
        // A press while a start or stop is under way changes nothing, not even its own check.
        window_.ApplyRunButtons(Buttons());
        return;
    }
    if (IsRunning()) {
        StopRun();
    } else {
        StartRun();
    }
}

void CRunController::OnModeSwitch() {
    if (busy_) return;
    StopRun();
    settings_.objectCountType = settings_.objectCountType == 3 ? 1 : 3;
    StartRun();
    window_.ApplyModeDisplay();
    window_.UpdateTargetLabels(slots_.Snapshot());
}

void CRunController::OnPause() {
    if (busy_ || !ROVA_Interface_RadarCtrl_IsStarted()) return;
    if (ROVA_Interface_RadarCtrl_IsPaused()) {
        ROVA_Interface_RadarCtrl_Resume();
    } else {
        ROVA_Interface_RadarCtrl_Pause();
    }
    window_.ApplyRunButtons(Buttons());
}

void CRunController::StartPlayback(const char* folder, bool converted) {
    if (busy_) return;
    char configPath[MAX_PATH] = {};
    CombinePathNameA(configPath, folder, "FILE_Radar_Config.ini");
    DbgOutputA(2, "Playback folder \"%s\"\r\n", folder);
    if (ROVA_Interface_RadarCtrl_LoadConfigFromFile(configPath)) {
        gRadarParameter.isFileSource = 1;
        settings_.gateMin = gRadarParameter.gateMinDefault;
        settings_.gateMax = gRadarParameter.gateMaxDefault;
        if (converted) {
            snprintf(gRadarParameter.dataPath, sizeof gRadarParameter.dataPath, "%s", folder);
        } else {
            gRadarParameter.dataPath[0] = '\0';
        }
        gAppConfig.AppConfig().SetAttributeText("DataFilePath", gRadarParameter.dataPath);
        gAppConfig.SaveToFile(settingsFile_.c_str());
        if (StartRun()) return;
    }
    RestoreRadarRecord();
    phase_ = RunPhase::Idle;
    window_.ApplyRunButtons(Buttons());
}

void CRunController::OnPlaybackEnd() {
    window_.CancelPlaybackEndPosts();
    // Only a playback ends this way; the end of an earlier one never touches what runs now.
    if (phase_ != RunPhase::Playback) return;
    if (busy_ || ROVA_Interface_RadarCtrl_HasIncompleteData()) {
        window_.PostPlaybackEndLater(kPlaybackEndDelayMs);
        return;
    }
    StopRun();
}

void CRunController::OnPresenceTick() {
    const PresenceTickResult result =
        slots_.Edit([this](CTargetSlots::Array& slots) { return presence_.Tick(slots.data(), MS_GetTime()); });
    if (result.refreshLabels) window_.UpdateTargetLabels(slots_.Snapshot());
    if (result.lamp == LampRequest::Target) {
        light_.ShowLamp(CSerialLightCtrl_YSL::LightTarget);
    } else if (result.lamp == LampRequest::NoTarget) {
        light_.ShowLamp(CSerialLightCtrl_YSL::LightNoTarget);
    }
}
