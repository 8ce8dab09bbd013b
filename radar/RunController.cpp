#include "radar/RunController.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "areas/SerialLightPort.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_LinkHealth.h"
#include "framework/AnsiText.h"
#include "framework/FreshName.h"
#include "framework/ProgramFolder.h"
#include "framework/ResourceLoader.h"
#include "radar/RetentionFiles.h"
#include "res/resource.h"
#include "settings/XMLParser.h"

namespace {
std::wstring LibraryText(const CBaseStringA& text) {
    wchar_t wide[1024] = {};
    rova::AnsiToWide(text.GetString(), wide, 1024);
    return wide;
}
}  // namespace

CRunController::CRunController(IRunWindow& window, RootSettings& settings, std::unique_ptr<ILightPort> lightPort)
    : m_window(window),
      m_settings(settings),
      m_resultFolder(ProgramFileW(L"Log")),
      m_settingsFile(XMLParser::ConfigPath()),
      m_light(lightPort ? std::move(lightPort) : std::make_unique<SerialLightPort>()) {
    SaveRadarRecord();
}

void CRunController::SaveRadarRecord() { ROVA_Interface_RadarParameter_Copy(&m_savedRecord, &gRadarParameter); }

void CRunController::RestoreRadarRecord() { ROVA_Interface_RadarParameter_Copy(&gRadarParameter, &m_savedRecord); }

void CRunController::SetSavePath(const wchar_t* path) {
    wcsncpy(m_savePath, path ? path : L"", MAX_PATH - 1);
    m_savePath[MAX_PATH - 1] = L'\0';
}

bool CRunController::IsRunning() const {
    return m_phase != RunPhase::Idle || ROVA_Interface_RadarCtrl_IsStarted() != 0;
}

RunButtons CRunController::Buttons() const {
    RunButtons buttons = RunButtonsFor(m_phase, gRadarParameter.sourceType != 0);
    if (m_phase != RunPhase::Idle) buttons.pause.checked = ROVA_Interface_RadarCtrl_IsPaused() != 0;
    return buttons;
}

void CRunController::OpenResultFile() {
    const uint64_t limit = static_cast<uint64_t>(m_settings.logFileLimitKB) * 1024;
    m_results.SetSizeLimit(limit);
    m_zones.SetFileLimit(limit);
    m_linkLog.SetSizeLimit(limit);
    m_results.Open(m_resultFolder.c_str());  // no file yet: the lines wait and it is tried again
    m_zones.Start(m_resultFolder.c_str());
}

void CRunController::DiscardEmptyRecordingFolder() {
    // A run that never started leaves no folder behind; one holding anything stays.
    if (m_recordingFolder.empty()) return;
    if (::RemoveDirectoryW(m_recordingFolder.c_str())) m_recordingFolder.clear();
}

bool CRunController::FailStart() {
    DiscardEmptyRecordingFolder();
    if (!m_runMarker.empty() && ::DeleteFileW(m_runMarker.c_str())) m_runMarker.clear();
    m_phase = RunPhase::Idle;
    m_window.ApplyRunButtons(Buttons());
    return false;
}

void CRunController::SendTrackingCommand() {
    // The module tracks by itself; tell it how many targets to report.
    void* device = ROVA_Interface_RadarDevice_GetDefault();
    ROVA_Interface_RadarCtrl_Pause();
    ROVA_Interface_RadarDevice_StartCmdMode(device, gRadarParameter.cmdModeParam, gRadarParameter.cmdModeTimeBase * 150);
    const int command = m_settings.objectCountType == 1 ? kMcuTrackingSingle : kMcuTrackingMulti;
    ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0,
                                                    kMcuCommandTimeoutMs);
    ROVA_Interface_RadarDevice_StopCmdMode(device);
    ROVA_Interface_RadarCtrl_Resume();
}

bool CRunController::StartRun() {
    m_busy = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{m_busy};

    m_recordingFolder.clear();
    BeginRetention();
    m_window.ShowWaiting(CResourceLoader::LoadString(IDS_STARTING_SENSOR));
    if (!ROVA_Interface_RadarCtrl_IsConfigLoad()) {
        m_window.HideWaiting();
        m_window.ShowRunError(CResourceLoader::LoadString(IDS_CONFIG_NOT_LOADED), IDS_ERROR);
        return FailStart();
    }
    if (gRadarParameter.isFileSource == 0) {
        gRadarParameter.saveRawData = m_settings.saveData;
        if (m_settings.saveData) {
            // Each run into a folder of its own, beside its own FILE_Radar_Config.ini: a later run
            // with other gates or calibration never rewrites what an older recording plays with.
            RecursiveCreateDirectoryW(m_savePath);
            const std::wstring stem = DatedStemW(L"ROVA_MTT_Data_");
            if (!CreateFreshFolderW(m_savePath, stem, &m_recordingFolder)) {
                // Not now: the library goes on trying to make it, and says so.
                m_recordingFolder = std::wstring(m_savePath) + L"\\" + stem;
            }
            // The library records through ANSI names: the short form where the folder's name has
            // none of its own; none at all leaves the library to refuse the recording.
            const std::string folder = rova::AnsiPath(m_recordingFolder.c_str()).value_or(std::string());
            snprintf(gRadarParameter.dataPath, sizeof gRadarParameter.dataPath, "%s", folder.c_str());
        }
    }
    CBaseStringA error;
    if (!ROVA_Interface_RadarCtrl_OpenDevice(&error)) {
        m_window.HideWaiting();
        m_window.ShowRunError(LibraryText(error), IDS_START_DEVICE_FAILED);
        return FailStart();
    }
    m_window.HideWaiting();

    OpenResultFile();
    m_window.ApplyViewSettings();
    m_slots.Reset();
    m_presence.Reset();
    m_window.UpdateTargetLabels(m_slots.Snapshot());

    if (gRadarParameter.algorithmOnMcu == 10) {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(0);
        if (gRadarParameter.isFileSource == 0) SendTrackingCommand();
    } else {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(1);
    }
    m_window.SendDetectBound();
    if (!ROVA_Interface_RadarCtrl_Start()) {
        // A refused start is a failed start: the device is closed again (the library takes back a
        // start that may have reached the sensor late) and the empty result file goes.
        CBaseStringA why;
        ROVA_Interface_RadarCtrl_GetLastError(&why);
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        m_results.CloseDiscardingEmpty();
        m_zones.Abandon();
        m_window.ShowRunError(LibraryText(why), IDS_START_DEVICE_FAILED);
        return FailStart();
    }

    m_phase = gRadarParameter.isFileSource == 1 ? RunPhase::Playback : RunPhase::Live;
    m_window.ApplyRunButtons(Buttons());
    // The light is the console's own, whatever a played recording's configuration names: its port
    // number may be another device here.
    m_light.OpenLight(m_savedRecord.lightPort, m_savedRecord.lightBaudRate);
    m_window.StartPresenceTimer();
    BeginLinkWatch();
    // Once the run's own files are known and kept: a pass never holds open what a failed start
    // removes again.
    KeepStorage();
    return true;
}

void CRunController::StopRun() {
    m_busy = true;
    m_light.CloseLight();
    // The library stops before anything it feeds is touched: no delivery runs after this.
    ROVA_Interface_RadarCtrl_Stop();
    m_zones.Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    EndLinkWatch();
    m_results.Close();  // every line of the run on the disk before the operator can reach the file
    m_phase = RunPhase::Idle;

    RestoreRadarRecord();
    m_settings.gateMin = gRadarParameter.gateMinDefault;
    m_settings.gateMax = gRadarParameter.gateMaxDefault;
    m_window.ApplyRunButtons(Buttons());
    m_window.ClearTargets();

    // Nothing the stopped run posted may be handled later. The delayed posts go first: one that
    // lands between the drain and the cancel would survive the drain.
    m_window.CancelPlaybackEndPosts();
    m_window.DrainRunMessages();
    m_window.StopPresenceTimer();
    m_busy = false;
}

void CRunController::StopIfRunning() {
    if (!RefuseWhileBusy() && IsRunning()) StopRun();
}

bool CRunController::RefuseWhileBusy() {
    if (!m_busy) return false;
    // A press while a start or stop is under way changes nothing, not even its own check.
    m_window.ApplyRunButtons(Buttons());
    m_window.ApplyModeDisplay();
    return true;
}

void CRunController::OnStartStop() {
    if (RefuseWhileBusy()) return;
    if (IsRunning()) {
        StopRun();
    } else {
        StartRun();
    }
}

void CRunController::OnModeSwitch() {
    if (RefuseWhileBusy()) return;
    StopRun();
    m_settings.objectCountType = m_settings.objectCountType == 3 ? 1 : 3;
    StartRun();
    m_window.ApplyModeDisplay();
    m_window.UpdateTargetLabels(m_slots.Snapshot());
}

void CRunController::OnPause() {
    if (RefuseWhileBusy() || !ROVA_Interface_RadarCtrl_IsStarted()) return;
    if (ROVA_Interface_RadarCtrl_IsPaused()) {
        ROVA_Interface_RadarCtrl_Resume();
    } else {
        ROVA_Interface_RadarCtrl_Pause();
    }
    // The zone time stands still with a paused run: the events are those of a replay.
    m_zones.SetPaused(ROVA_Interface_RadarCtrl_IsPaused() != 0);
    m_window.ApplyRunButtons(Buttons());
}

void CRunController::StartPlayback(const char* folder, bool converted) {
    if (RefuseWhileBusy()) return;
    char configPath[MAX_PATH] = {};
    CombinePathNameA(configPath, folder, "FILE_Radar_Config.ini");
    DbgOutputA(2, "Playback folder \"%s\"\r\n", folder);
    if (ROVA_Interface_RadarCtrl_LoadConfigFromFile(configPath)) {
        gRadarParameter.isFileSource = 1;
        m_settings.gateMin = gRadarParameter.gateMinDefault;
        m_settings.gateMax = gRadarParameter.gateMaxDefault;
        if (converted) {
            snprintf(gRadarParameter.dataPath, sizeof gRadarParameter.dataPath, "%s", folder);
        } else {
            gRadarParameter.dataPath[0] = '\0';
        }
        gAppConfig.AppConfig().SetAttributeText("DataFilePath", gRadarParameter.dataPath);
        gAppConfig.SaveToFile(m_settingsFile.c_str());
        if (StartRun()) return;
    }
    RestoreRadarRecord();
    m_phase = RunPhase::Idle;
    m_window.ApplyRunButtons(Buttons());
}

void CRunController::OnPlaybackEnd() {
    m_window.CancelPlaybackEndPosts();
    // Only a playback ends this way; the end of an earlier one never touches what runs now.
    if (m_phase != RunPhase::Playback) return;
    if (m_busy || ROVA_Interface_RadarCtrl_HasIncompleteData()) {
        m_window.PostPlaybackEndLater(kPlaybackEndDelayMs);
        return;
    }
    StopRun();
}

void CRunController::OnPresenceTick() {
    const PresenceTickResult result =
        m_slots.Edit([this](CTargetSlots::Array& slots) { return m_presence.Tick(slots.data(), MS_GetTime()); });
    if (result.refreshLabels) m_window.UpdateTargetLabels(m_slots.Snapshot());
    m_zones.Tick();
    ApplyLamp(ChooseLamp(result.lamp, m_linkStale || m_writeFault,
                         m_light.State() == CSerialLightCtrl_YSL::LightFault));
}

void CRunController::ApplyLamp(LampRequest lamp) {
    switch (lamp) {
    case LampRequest::Target: m_light.ShowLamp(CSerialLightCtrl_YSL::LightTarget); break;
    case LampRequest::NoTarget: m_light.ShowLamp(CSerialLightCtrl_YSL::LightNoTarget); break;
    case LampRequest::Fault: m_light.ShowLamp(CSerialLightCtrl_YSL::LightFault); break;
    case LampRequest::Off: m_light.ShowLamp(CSerialLightCtrl_YSL::LightOff); break;
    case LampRequest::None: break;
    }
}

namespace {
std::string NarrowSource(const tagRADARLINKHEALTH& h) {
    switch (h.source) {
    case RADAR_LINK_SOURCE_SERIAL: return "COM" + std::to_string(h.port);
    case RADAR_LINK_SOURCE_SIMULATED: return "the simulated sensor";
    case RADAR_LINK_SOURCE_FILE: return "the played folder";
    default: return "no source";
    }
}

tagRADARLINKHEALTH ReadLinkHealth() {
    tagRADARLINKHEALTH health{};
    health.structSize = sizeof health;
    ROVA_Interface_RadarCtrl_GetLinkHealth(&health);
    return health;
}
}  // namespace

void CRunController::LogLightEvents() {
    const std::vector<CLightKeeper::Event> events = m_light.TakeEvents();
    if (events.empty()) return;
    const std::string light = "signal light COM" + std::to_string(m_light.Report().port);
    for (const CLightKeeper::Event event : events)
        m_linkLog.Write(light + (event == CLightKeeper::Event::Lost ? " lost: no answer" : " back: answering again"));
}

void CRunController::LoadStatusTexts() {
    if (m_linkTexts.streaming.empty()) {
        m_linkTexts.serialSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SERIAL);
        m_linkTexts.simulatedSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SIMULATED);
        m_linkTexts.fileSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_FILE);
        m_linkTexts.streaming = CResourceLoader::LoadString(IDS_LINK_STREAMING);
        m_linkTexts.stale = CResourceLoader::LoadString(IDS_LINK_STALE);
        m_linkTexts.reconnecting = CResourceLoader::LoadString(IDS_LINK_RECONNECTING);
        m_linkTexts.noDataLabel = CResourceLoader::LoadString(IDS_LINK_NO_DATA_LABEL);
        m_writeTexts.failed = CResourceLoader::LoadString(IDS_WRITE_FAILED);
        const UINT what[] = {IDS_WRITE_WHAT_RESULTS, IDS_WRITE_WHAT_ZONES, IDS_WRITE_WHAT_EVENTS,
                             IDS_WRITE_WHAT_RECORDING, IDS_WRITE_WHAT_SETTINGS};
        for (size_t i = 0; i < std::size(what); ++i) m_writeTexts.what[i] = CResourceLoader::LoadString(what[i]);
        m_writeTexts.diskFull = CResourceLoader::LoadString(IDS_WRITE_WHY_DISK_FULL);
        m_writeTexts.notWritable = CResourceLoader::LoadString(IDS_WRITE_WHY_NOT_WRITABLE);
        m_writeTexts.otherError = CResourceLoader::LoadString(IDS_WRITE_WHY_ERROR);
        m_lightLostText = CResourceLoader::LoadString(IDS_LIGHT_LOST);
        m_recordingPausedText = CResourceLoader::LoadString(IDS_RECORDING_PAUSED_LOW_SPACE);
    }
}

void CRunController::BeginLinkWatch() {
    LoadStatusTexts();
    m_linkEvents.Reset();
    m_writeEvents.Reset();
    m_writeFault = false;
    m_linkStale = false;
    m_pauseLogged = false;
    m_linkLog.OpenBeside(m_results.Path(), m_resultFolder);
    m_linkLog.Write("run started: " + NarrowSource(ReadLinkHealth()));
    m_window.StartLinkTimer();
    OnLinkTimer();
}

void CRunController::EndLinkWatch() {
    m_window.StopLinkTimer();
    LogLightEvents();
    for (const std::string& line : m_retention.TakeLines()) m_linkLog.Write(line);
    if (m_linkLog.IsOpen()) {
        const tagRADARLINKHEALTH h = ReadLinkHealth();
        char line[200];
        snprintf(line, sizeof line, "run stopped: %llu frames, %llu errors, %u reconnects",
                 static_cast<unsigned long long>(h.framesReceived),
                 static_cast<unsigned long long>(CLinkStatus::ErrorCount(h)), h.reconnects);
        m_linkLog.Write(line);
        m_linkLog.Close();
    }
    m_linkStale = false;
    m_writeFault = false;
    m_idleSettingsFault = false;  // the settings timer tells it again if it still holds
    m_window.ShowLinkStatus(L"", false, false);
}

void CRunController::OnLinkTimer() {
    const tagRADARLINKHEALTH h = ReadLinkHealth();
    const bool running = ROVA_Interface_RadarCtrl_IsStarted() != 0;
    const bool paused = ROVA_Interface_RadarCtrl_IsPaused() != 0;
    wchar_t folder[MAX_PATH] = {};
    rova::AnsiToWide(gRadarParameter.dataPath, folder, MAX_PATH);
    const LinkStatusView view = CLinkStatus::Describe(h, running, paused, folder, m_linkTexts);
    for (const std::string& line : m_linkEvents.Update(h, view.stale, NarrowSource(h))) m_linkLog.Write(line);
    const std::vector<WriteState> writes = WriteStates();
    for (const std::string& line : m_writeEvents.Update(writes)) m_linkLog.Write(line);
    m_writeFault = CWriteStatus::AnyFailing(writes);
    LogLightEvents();
    ApplyRetention();

    // A light that does not answer and a file that cannot be written are told after the sensor's
    // link; neither is stale data.
    std::wstring text = view.text;
    const CSignalLight::LightReport light = m_light.Report();
    if (light.lost) {
        if (!text.empty()) text += L"   ";
        text += CLinkStatus::Fill(m_lightLostText, L"port", std::to_wstring(light.port));
    }
    const std::wstring problem = CWriteStatus::Describe(writes, m_writeTexts);
    if (!problem.empty()) text += (text.empty() ? L"" : L"   ") + problem;
    if (m_pauseLogged) {
        std::wstring paused = CLinkStatus::Fill(m_recordingPausedText, L"free", std::to_wstring(m_saveFreeBytes >> 20));
        paused = CLinkStatus::Fill(paused, L"floor", std::to_wstring(m_settings.leastFreeMB));
        text += (text.empty() ? L"" : L"   ") + paused;
    }
    m_window.ShowLinkStatus(text, view.stale, m_writeFault || light.lost || m_pauseLogged);
    if (view.stale != m_linkStale) {
        m_linkStale = view.stale;
        m_window.UpdateTargetLabels(m_slots.Snapshot());
    }
    // The fault lamp as soon as the data is stale; off again once it flows (presence decides next).
    ApplyLamp(ChooseLamp(LampRequest::None, m_linkStale || m_writeFault,
                         m_light.State() == CSerialLightCtrl_YSL::LightFault));
}

std::vector<WriteState> CRunController::WriteStates() const {
    std::vector<WriteState> states;
    if (m_results.IsOpen()) {
        const CResultFile::WriteHealth results = m_results.Health();
        states.push_back({WriteTarget::Results, results.failing, results.error, results.lostLines});
    }
    if (m_zones.FileOpen()) {
        const LineFileHealth zones = m_zones.FileHealth();
        states.push_back({WriteTarget::Zones, zones.failing, zones.error, zones.lostLines});
    }
    if (m_linkLog.IsOpen()) {
        const LineFileHealth events = m_linkLog.Health();
        states.push_back({WriteTarget::EventLog, events.failing, events.error, events.lostLines});
    }
    tagRADARRECORDINGHEALTH recording{};
    recording.structSize = sizeof recording;
    if (m_phase == RunPhase::Live && ROVA_Interface_RadarCtrl_GetRecordingHealth(&recording)) {
        states.push_back({WriteTarget::Recording, recording.state == RADAR_RECORDING_FAILING, recording.lastError,
                          recording.framesLost});
    }
    const XMLParser::SaveHealth settings = gAppConfig.LastSave();
    if (settings.failing) states.push_back({WriteTarget::Settings, true, settings.error, 0});
    return states;
}

void CRunController::OnSettingsTimer() {
    // An edit the disk refused reaches the file once it takes it again.
    gAppConfig.RetryFailedSave();
    if (m_phase != RunPhase::Idle) return;  // the link timer tells about the run's files
    const XMLParser::SaveHealth settings = gAppConfig.LastSave();
    if (settings.failing == m_idleSettingsFault) return;
    m_idleSettingsFault = settings.failing;
    LoadStatusTexts();
    std::vector<WriteState> states;
    if (settings.failing) states.push_back({WriteTarget::Settings, true, settings.error, 0});
    m_window.ShowLinkStatus(CWriteStatus::Describe(states, m_writeTexts), false, settings.failing);
}

RetentionLimits CRunController::Limits() const {
    RetentionLimits limits;
    limits.keepDays = m_settings.keepDays;
    limits.mostBytes = static_cast<uint64_t>(m_settings.mostStorageMB) << 20;
    limits.leastFreeBytes = static_cast<uint64_t>(m_settings.leastFreeMB) << 20;
    return limits;
}

void CRunController::BeginRetention() {
    // The marker before any other file of the run: what is stamped from it on is this run's.
    m_runStartMs = CRetentionFiles::NowLocalMs();
    m_runMarker.clear();
    RecursiveCreateDirectoryW(m_resultFolder.c_str());
    const std::wstring stem = DatedStemW(CRetention::kMarkerPrefix);
    std::wstring path;
    const HANDLE marker = CreateFreshFileW(m_resultFolder, stem, L".txt", FILE_SHARE_READ, &path);
    if (marker != INVALID_HANDLE_VALUE) {
        static const char kText[] =
            "A run of the console started at this file's time. Its files are those stamped from this time up to the\r\n"
            "next run's marker; old runs are deleted whole (KeepDays, MostStorageMB, LeastFreeMB in appConfig.xml).\r\n";
        DWORD written = 0;
        ::WriteFile(marker, kText, sizeof kText - 1, &written, nullptr);
        ::CloseHandle(marker);
        m_runMarker = path;
        int64_t stamp = 0;
        if (CRetention::ParseStamp(stem.substr(wcslen(CRetention::kMarkerPrefix)), &stamp)) m_runStartMs = stamp;
    }
}

void CRunController::KeepStorage() {
    m_lastRetention = ::GetTickCount64();
    RetentionScope scope;
    scope.logFolder = m_resultFolder;
    scope.saveFolder = m_savePath;
    scope.nowMs = CRetentionFiles::NowLocalMs();
    scope.runStartMs = m_runStartMs;
    scope.keep = {m_runMarker, m_recordingFolder};
    if (m_phase != RunPhase::Idle) {
        // Before a start succeeds these still name the last run's files.
        scope.keep.push_back(m_results.Path());
        scope.keep.push_back(m_linkLog.Path());
    }
    if (gRadarParameter.isFileSource == 1) {
        // A played recording may be one of the save folder's own.
        wchar_t played[MAX_PATH] = {};
        if (rova::AnsiToWide(gRadarParameter.dataPath, played, MAX_PATH)) scope.keep.emplace_back(played);
    }
    m_retention.Request(Limits(), scope);
}

void CRunController::ApplyRetention() {
    if (::GetTickCount64() - m_lastRetention >= kRetentionIntervalMs) KeepStorage();
    for (const std::string& line : m_retention.TakeLines()) m_linkLog.Write(line);
    RetentionOutcome outcome;
    if (m_retention.LastOutcome(&outcome)) {
        // Raw data goes first when the disk runs short: the results keep their room.
        const bool paused = CRetention::RecordingPaused(m_recordingPaused, outcome, Limits());
        if (paused != m_recordingPaused) {
            m_recordingPaused = paused;
            ROVA_Interface_RadarCtrl_SetRecordingPaused(paused ? TRUE : FALSE);
        }
        m_saveFreeBytes = outcome.saveFreeBytes;
    }
    const bool tell = m_recordingPaused && m_phase == RunPhase::Live && gRadarParameter.saveRawData != 0;
    if (tell == m_pauseLogged) return;
    m_pauseLogged = tell;
    const std::string free = std::to_string(m_saveFreeBytes >> 20) + " MB free on the save folder's disk";
    m_linkLog.Write(tell ? "raw recording paused: " + free + ", " + std::to_string(m_settings.leastFreeMB) +
                               " MB are kept free"
                         : "raw recording resumed: " + free);
}
