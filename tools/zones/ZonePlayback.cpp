#include "tools/zones/ZonePlayback.h"

#include <windows.h>

#include "areas/DetectBound.h"
#include "contracts/ROVA_DataProcess.h"
#include "libs/dataprocess/SimulatedSensorControl.h"

namespace {

// The radar library's side: deliveries go to the replay, the end of the files is remembered.
class ZonePlayer : public IRadarObjectDetectListener, public IFileRadarDataSource {
public:
    explicit ZonePlayer(ZoneReplay& replay) : m_replay(replay), m_ended(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ZonePlayer() override { ::CloseHandle(m_ended); }
    ZonePlayer(const ZonePlayer&) = delete;
    ZonePlayer& operator=(const ZonePlayer&) = delete;
    void OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) override { m_replay.Delivery(objects); }
    void OnFileRadarReadEnd(uint64_t) override { ::SetEvent(m_ended); }
    // Until every file was read and every frame read was delivered.
    void WaitForEnd() {
        ::WaitForSingleObject(m_ended, INFINITE);
        while (ROVA_Interface_RadarCtrl_HasIncompleteData()) ::Sleep(1);
    }

private:
    ZoneReplay& m_replay;
    HANDLE m_ended;
};

double Now() {
    LARGE_INTEGER f, t;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / f.QuadPart;
}

}  // namespace

ZonePlaybackResult PlayRecording(const char* folder, ZoneReplay& replay) {
    ZonePlaybackResult result;
    RadarSimCounters before{}, after{};
    ROVA_SimSensor_GetCounters(&before);
    ROVA_SimSensor_SetPlaybackSpeed(0);
    gRadarParameter.isFileSource = 1;
    gRadarParameter.saveRawData = 0;
    lstrcpynA(gRadarParameter.dataPath, folder, sizeof gRadarParameter.dataPath);

    ZonePlayer player(replay);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&player, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(&player, 0);
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&player, 0);
    ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&player, 0);
    CBaseStringA error;
    if (ROVA_Interface_RadarCtrl_OpenDevice(&error)) {
        // The start sequence of the console: the filter choice, the detect bound, then the start.
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(gRadarParameter.algorithmOnMcu == 10 ? 0 : 1);
        DetectBound::Send(replay.DetectBoundPairs(gRadarParameter));
        const double started = Now();
        if (ROVA_Interface_RadarCtrl_Start()) {
            player.WaitForEnd();
            result.played = true;
        } else {
            result.error = "the radar library did not start the playback";
        }
        result.seconds = Now() - started;
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
    } else {
        result.error = error.GetString() ? error.GetString() : "";
        if (result.error.empty()) result.error = "the radar library could not open the recording";
    }
    ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(&player);
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&player);
    ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&player);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    ROVA_SimSensor_GetCounters(&after);
    result.framesRead = after.framesAcquired - before.framesAcquired;
    result.damagedFrames = after.damagedFrames - before.damagedFrames;
    if (result.played) replay.Finish();
    return result;
}
