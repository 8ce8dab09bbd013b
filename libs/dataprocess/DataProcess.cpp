// The exported functions of the radar library: thin entries into the run controller.
#include "ROVA_DataProcess.h"
#include "ROVA_LinkHealth.h"
#include "ROVA_Playback.h"
#include "RadarController.h"
#include "RadarProtocol.h"

namespace {
CRadarController& Controller() {
    return CRadarController::Instance();
}
}  // namespace

IRadarObjectDetectListener::IRadarObjectDetectListener() = default;
IRadarObjectDetectListener::~IRadarObjectDetectListener() = default;

IFileRadarDataSource::IFileRadarDataSource() = default;
IFileRadarDataSource::~IFileRadarDataSource() = default;
void IFileRadarDataSource::OnFileRadarReadStart(uint64_t) {}
void IFileRadarDataSource::OnFileRadarReadLoopStart(uint64_t) {}
void IFileRadarDataSource::OnFileRadarGetFileList(CPtrCtrl*) {}
int IFileRadarDataSource::OnFileRadarReadFileStart(char* const, int*, uint64_t) {
    return 1;
}
void IFileRadarDataSource::OnFileRadarReadFileEnd(char*, uint64_t) {}
void IFileRadarDataSource::OnFileRadarReadProcess(double, double) {}

extern "C" {

int ROVA_Interface_RadarCtrl_LoadConfigFromFile(const char* path) {
    return Controller().LoadConfig(path);
}
int ROVA_Interface_RadarCtrl_IsConfigLoad() {
    return Controller().IsConfigLoaded();
}
int ROVA_Interface_RadarCtrl_OpenDevice(CBaseStringA* error) {
    return Controller().OpenDevice(error);
}
int ROVA_Interface_RadarCtrl_Start() {
    return Controller().Start();
}
int ROVA_Interface_RadarCtrl_GetLastError(CBaseStringA* text) {
    const std::string error = Controller().LastError();
    if (text) *text = error.c_str();
    return error.empty() ? 0 : 1;
}
int ROVA_Interface_RadarCtrl_Stop() {
    return Controller().Stop();
}
int ROVA_Interface_RadarCtrl_CloseDevice() {
    return Controller().CloseDevice();
}
int ROVA_Interface_RadarCtrl_Pause() {
    return Controller().Pause();
}
int ROVA_Interface_RadarCtrl_Resume() {
    return Controller().Resume();
}
int ROVA_Interface_RadarCtrl_IsStarted() {
    return Controller().IsStarted();
}
int ROVA_Interface_RadarCtrl_IsPaused() {
    return Controller().IsPaused();
}
int ROVA_Interface_RadarCtrl_HasIncompleteData() {
    return Controller().HasIncompleteData();
}
int ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(int enable) {
    Controller().EnableObjectDetect(enable != 0);
    return 1;
}

RADAR_DEVICE_HANDLE ROVA_Interface_RadarDevice_GetDefault() {
    return Controller().DefaultDevice();
}
int ROVA_Interface_RadarDevice_StartCmdMode(RADAR_DEVICE_HANDLE device, int param, int timeBaseMs) {
    return Controller().StartCommandMode(device, param, timeBaseMs);
}
int ROVA_Interface_RadarDevice_Protocol_SendCommand(RADAR_DEVICE_HANDLE device, int command, const void* payload,
                                                    int64_t payloadLength, RadarCmdAckChecker checker,
                                                    int64_t checkerUser, int timeoutMs) {
    return Controller().SendCommand(device, command, payload, payloadLength, checker, checkerUser, timeoutMs);
}
int ROVA_Interface_RadarDevice_StopCmdMode(RADAR_DEVICE_HANDLE device) {
    return Controller().StopCommandMode(device);
}

int ROVA_Interface_RadarProcessFilter_MOD_SetDetectBound(const int32_t* pairs, int count) {
    return Controller().SetDetectBound(CRadarController::kFilterMod, pairs, count);
}
int ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound(const int32_t* pairs, int count) {
    return Controller().SetDetectBound(CRadarController::kFilterMtt, pairs, count);
}
int ROVA_Interface_RadarProcessFilter_MPT_SetDetectBound(const int32_t* pairs, int count) {
    return Controller().SetDetectBound(CRadarController::kFilterMpt, pairs, count);
}

int ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(IRadarObjectDetectListener* listener, uint64_t user) {
    return Controller().Listeners(CRadarController::kStreamMod).Add(listener, user);
}
int ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(IRadarObjectDetectListener* listener) {
    return Controller().Listeners(CRadarController::kStreamMod).Remove(listener);
}
int ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(IRadarObjectDetectListener* listener,
                                                                            uint64_t user) {
    return Controller().Listeners(CRadarController::kStreamAlgorithmMtt).Add(listener, user);
}
int ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(IRadarObjectDetectListener* listener) {
    return Controller().Listeners(CRadarController::kStreamAlgorithmMtt).Remove(listener);
}
int ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(IRadarObjectDetectListener* listener,
                                                                      uint64_t user) {
    return Controller().Listeners(CRadarController::kStreamResultMtt).Add(listener, user);
}
int ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(IRadarObjectDetectListener* listener) {
    return Controller().Listeners(CRadarController::kStreamResultMtt).Remove(listener);
}

int ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(IFileRadarDataSource* source, uint64_t user) {
    Controller().SetFileSource(source, user);
    return 1;
}
int ROVA_Interface_RadarDevice_File_SetLoopReadFile(int loop) {
    Controller().SetLoop(loop != 0);
    return 1;
}

int ROVA_Interface_RadarCtrl_GetLinkHealth(tagRADARLINKHEALTH* health) {
    if (!health || health->structSize != sizeof(tagRADARLINKHEALTH)) return 0;
    tagRADARLINKHEALTH copy{};
    const bool any = Controller().LinkHealth(copy);
    *health = tagRADARLINKHEALTH{};
    if (any) *health = copy;
    health->structSize = sizeof(tagRADARLINKHEALTH);
    return any ? 1 : 0;
}

int ROVA_Interface_RadarCtrl_GetRecordingHealth(tagRADARRECORDINGHEALTH* health) {
    if (!health || health->structSize != sizeof(tagRADARRECORDINGHEALTH)) return 0;
    tagRADARRECORDINGHEALTH copy{};
    const bool any = Controller().RecordingHealthOf(copy);
    *health = tagRADARRECORDINGHEALTH{};
    if (any) *health = copy;
    health->structSize = sizeof(tagRADARRECORDINGHEALTH);
    return any ? 1 : 0;
}

int ROVA_Interface_RadarCtrl_SetRecordingPaused(BOOL paused) {
    return Controller().SetRecordingPaused(paused != FALSE);
}

int ROVA_Interface_RadarPlayback_GetState(tagRADARPLAYBACKSTATE* state) {
    if (!state || state->structSize != sizeof(tagRADARPLAYBACKSTATE)) return 0;
    tagRADARPLAYBACKSTATE copy{};
    const bool any = Controller().PlaybackState(copy);
    *state = tagRADARPLAYBACKSTATE{};
    if (any) *state = copy;
    state->structSize = sizeof(tagRADARPLAYBACKSTATE);
    return any ? 1 : 0;
}

int ROVA_Interface_RadarPlayback_Seek(uint64_t streamMs, uint32_t* generation) {
    return Controller().PlaybackSeek(streamMs, generation);
}

int ROVA_Interface_RadarPlayback_SetSpeed(double factor) {
    return Controller().PlaybackSetSpeed(factor);
}

int ROVA_Interface_RadarPlayback_Step() {
    return Controller().PlaybackStep();
}

}  // extern "C"

// The checker lives beside the exports: the framing itself stays free of the library's headers,
// so the native sensor emulator can share it.
extern "C" uint16_t CheckCmdAckData_RetCode(eRADAR_PROTOCOL_VERSION version, const uint8_t* data, int length,
                                            uint64_t user) {
    if (version != RADAR_PROTOCOL_V1) return kRadarAckInvalid;
    uint8_t type = 0;
    const uint8_t* payload = nullptr;
    uint16_t n = 0;
    if (!CRadarProtocol::ParseFrame(data, length, &type, &payload, &n)) return kRadarAckInvalid;
    if (type != CRadarProtocol::kTypeAck || n != 3) return kRadarAckInvalid;
    if (user != 0 && payload[0] != static_cast<uint8_t>(user)) return kRadarAckInvalid;
    return static_cast<uint16_t>(payload[1] | (payload[2] << 8));
}
