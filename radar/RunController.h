#pragma once
// A radar run as the operator drives it: the start and stop sequences, Start/Stop, Mode Switch,
// Pause, playback of a recorded folder and the end of a playback, and the presence tick. It owns
// what lives as long as runs do (the saved radar record, the result file, the target slots, the
// presence tick, the signal light) and reaches the window only through IRunWindow.
//
// Whatever a command does, the buttons it leaves show the library's state: a run the library
// refused is no run, Stop always stops the library, and the end of a playback only ever stops.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "areas/LightPort.h"
#include "areas/PresenceTick.h"
#include "areas/SerialLightCtrl_YSL.h"
#include "areas/SignalLight.h"
#include "contracts/ROVA_DataProcess.h"
#include "radar/DetectionPipeline.h"
#include "radar/LinkEventLog.h"
#include "radar/LinkStatus.h"
#include "radar/ResultFile.h"
#include "radar/RetentionKeeper.h"
#include "radar/RunButtons.h"
#include "radar/RunWindow.h"
#include "radar/WriteStatus.h"
#include "radar/ZoneRecorder.h"
#include "settings/RootSettings.h"

class CRunController {
public:
    static constexpr UINT kPlaybackEndDelayMs = 100;
    static constexpr int kMcuTrackingSingle = 0x80;
    static constexpr int kMcuTrackingMulti = 0x90;
    static constexpr int kMcuCommandTimeoutMs = 2000;
    static constexpr UINT kLinkTimerMs = 250;
    static constexpr uint64_t kRetentionIntervalMs = 60000;

    // settings: the operator's settings the runs read (Save Data, mode, top view) and change
    // (mode, visible gate range). lightPort: null for the common library's serial port.
    CRunController(IRunWindow& window, RootSettings& settings, std::unique_ptr<ILightPort> lightPort = nullptr);
    CRunController(const CRunController&) = delete;
    CRunController& operator=(const CRunController&) = delete;

    // The radar record every stop returns to: taken at construction and after each detection.
    void SaveRadarRecord();
    void RestoreRadarRecord();
    const tagRADARPARAMETER& SavedRadarRecord() const noexcept { return m_savedRecord; }

    // Commands of the buttons.
    void OnStartStop();
    void OnModeSwitch();
    void OnPause();
    // Playback of a recorded folder (ANSI; converted is false when the chosen folder had no
    // ANSI form): its FILE_Radar_Config.ini becomes the record, then the run starts. On any
    // failure the saved record is back and nothing runs.
    void StartPlayback(const char* folder, bool converted);
    // WM_PLAYBACK_END: once the library has processed all data, the playback stops.
    void OnPlaybackEnd();
    // WM_PRESENCE_TICK and the presence timer: expires slots, paces labels, chooses the lamp.
    void OnPresenceTick();
    // The link timer: the status of the run's link, stale data on labels, view and light, and
    // the run's event log beside its result file.
    void OnLinkTimer();
    // The settings timer, alive as long as the window: a settings save the disk refused is tried
    // again, and told in the status while no run tells it.
    static constexpr UINT kSettingsTimerMs = 2000;
    void OnSettingsTimer();
    // No frame for more than two seconds in a live, unpaused run (or the sensor being reconnected).
    bool LinkStale() const noexcept { return m_linkStale; }
    // A line in the run's event log (a reviewed playback's jumps).
    void LogEvent(const std::string& text) { m_linkLog.Write(text); }
    // Detect Device and Playback end a run before they do anything else.
    void StopIfRunning();

    // The one start sequence of live runs and playback; true when the library runs.
    bool StartRun();
    void StopRun();

    RunPhase Phase() const noexcept { return m_phase; }
    bool IsRunning() const;
    // The buttons as the library's state has them.
    RunButtons Buttons() const;

    CTargetSlots& Slots() noexcept { return m_slots; }
    CResultFile& Results() noexcept { return m_results; }
    CZoneRecorder& Zones() noexcept { return m_zones; }
    const CSignalLight& Light() const noexcept { return m_light; }
    // Where Save Data records, used at the next live start.
    const wchar_t* SavePath() const noexcept { return m_savePath; }
    // The folder the current or last run recorded into (under the save path); empty when it did not.
    const std::wstring& RecordingFolder() const noexcept { return m_recordingFolder; }
    void SetSavePath(const wchar_t* path);
    // The folder of the result files (default: "Log" beside the exe).
    void SetResultFolder(const std::wstring& folder) { m_resultFolder = folder; }
    // Where the settings document is saved when a playback folder is remembered (default:
    // appConfig.xml beside the exe).
    void SetSettingsFile(const std::wstring& path) { m_settingsFile = path; }

    // A retention pass over the result and save folders, on the keeper's thread: at every start
    // and every kRetentionIntervalMs from the link timer. The run's own files stay.
    void KeepStorage();
    CRetentionKeeper& Retention() noexcept { return m_retention; }
    // The raw recording is paused: the save folder's disk is below its free floor.
    bool RecordingPausedForSpace() const noexcept { return m_recordingPaused; }

private:
    // True (and the buttons shown again as they are) while a start or stop is under way.
    bool RefuseWhileBusy();
    bool FailStart();
    void DiscardEmptyRecordingFolder();
    void OpenResultFile();
    void SendTrackingCommand();
    void LoadStatusTexts();
    void BeginLinkWatch();
    void EndLinkWatch();
    // The lamp a request asks for on the signal light.
    void ApplyLamp(LampRequest lamp);
    // The light's losses and returns since the last call into the event log.
    void LogLightEvents();
    // The run's marker (radar/Retention.h) and a retention pass that spares the run.
    void BeginRetention();
    RetentionLimits Limits() const;
    // The passes' lines into the event log; the raw recording paused or resumed by the free space.
    void ApplyRetention();

    IRunWindow& m_window;
    RootSettings& m_settings;
    tagRADARPARAMETER m_savedRecord;
    RunPhase m_phase = RunPhase::Idle;
    bool m_busy = false;  // a start or stop sequence is under way (its message boxes pump messages)
    wchar_t m_savePath[MAX_PATH] = {};
    std::wstring m_recordingFolder;
    std::wstring m_resultFolder;
    std::wstring m_settingsFile;
    CTargetSlots m_slots;
    CResultFile m_results;
    CZoneRecorder m_zones;  // entries and exits of the monitor areas, one file per run
    PresenceTick m_presence;
    CSignalLight m_light;
    LinkStatusTexts m_linkTexts;
    std::wstring m_lightLostText;  // {port}
    CLinkEventTracker m_linkEvents;
    CLinkEventLog m_linkLog;
    bool m_linkStale = false;
    // Files of the run that cannot be written: told in the status text, the event log and the lamp.
    std::vector<WriteState> WriteStates() const;
    WriteStatusTexts m_writeTexts;
    CWriteStatus m_writeEvents;
    bool m_writeFault = false;
    bool m_idleSettingsFault = false;  // told in the status while no run goes
    CRetentionKeeper m_retention;
    std::wstring m_runMarker;     // of the current or last run; empty when it could not be made
    int64_t m_runStartMs = 0;     // local time of the marker's stamp
    uint64_t m_lastRetention = 0; // tick of the last pass asked for
    bool m_recordingPaused = false;  // what the library was told
    bool m_pauseLogged = false;      // this run's event log and status say the recording is paused
    uint64_t m_saveFreeBytes = 0;
    std::wstring m_recordingPausedText;  // {free}, {floor}
};
