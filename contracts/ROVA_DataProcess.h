// ROVA_DataProcess.dll: the radar processing library. It owns the sensor: device access, the
// command protocol, the MOD/MTT/MPT processing filters, the listeners, raw-data recording and
// playback, and the current parameter record gRadarParameter.
//
// Integer results: nonzero = success or true. Paths are ANSI. Every function may be called from
// the user-interface thread; deliveries and file-source events run on the library's threads.
#pragma once

#include <cstdint>

#include "RadarListeners.h"
#include "RadarParameter.h"

// Opaque handle of an opened device (null when none is open).
typedef void* RADAR_DEVICE_HANDLE;

// Acknowledgement checker given to ROVA_Interface_RadarDevice_Protocol_SendCommand: receives the
// bytes the device answered and returns their 16-bit return code (see CheckCmdAckData_RetCode).
typedef uint16_t (*RadarCmdAckChecker)(eRADAR_PROTOCOL_VERSION version, const uint8_t* data,
                                       int length, uint64_t user);

// Return codes of CheckCmdAckData_RetCode.
constexpr uint16_t kRadarAckAccepted = 0x0000;   // the device accepted the command
constexpr uint16_t kRadarAckRejected = 0x0001;   // the device refused it (unknown or bad argument)
constexpr uint16_t kRadarAckBusy = 0x0002;       // not in command mode, or busy
constexpr uint16_t kRadarAckInvalid = 0xFFFF;    // not a complete, valid acknowledgement frame

// The current parameter record.
extern ROVA_DATAPROCESS_API tagRADARPARAMETER gRadarParameter;

extern "C" {

// ---- configuration --------------------------------------------------------------------------
// Loads the configuration file into gRadarParameter (library defaults first, then the file).
// A missing, unreadable or malformed file returns 0 and leaves gRadarParameter unchanged.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_LoadConfigFromFile(const char* path);
// Nonzero once a configuration has been loaded successfully.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_IsConfigLoad();

// ---- run control ----------------------------------------------------------------------------
// Opens the source named by gRadarParameter: recorded files of dataPath when isFileSource is 1,
// otherwise the detected device (sourceType, detectedDeviceValue). On failure error (may be
// null) receives the text for the operator.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_OpenDevice(CBaseStringA* error);
// Starts acquisition and delivery; records raw data when saveRawData was set at the start.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_Start();
// Beside the contract: the operator text of the last OpenDevice or Start that failed (why a
// sensor refused to start); returns 0 and an empty text after a success.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_GetLastError(CBaseStringA* text);
// Stops acquisition; waits for a delivery or file-source event in progress. Harmless when idle.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_Stop();
// Stops if needed and closes the device. Harmless when none is open.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_CloseDevice();
// Pause: live frames are dropped and playback holds its position until Resume.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_Pause();
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_Resume();
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_IsStarted();
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_IsPaused();
// Nonzero while frames that were read are still queued or being processed.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_HasIncompleteData();
// 1: the PC-side filters (MTT or MOD by pcAlgorithm) process the device's detections; 0: off.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(int enable);

// ---- command mode ---------------------------------------------------------------------------
// The opened device, or null.
ROVA_DATAPROCESS_API RADAR_DEVICE_HANDLE ROVA_Interface_RadarDevice_GetDefault();
// Enters command mode: the device stops streaming and answers commands. param is
// gRadarParameter.cmdModeParam (1 = normal); timeBaseMs the longest time command mode stays
// open without a command.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDevice_StartCmdMode(RADAR_DEVICE_HANDLE device,
                                                                 int param, int timeBaseMs);
// Sends command with payloadLength bytes of payload (may be null when 0) and waits up to
// timeoutMs for the acknowledgement, which checker (may be null: accepted when the device
// acknowledged at all) turns into a return code; checkerUser is handed to it. Nonzero when the
// code is kRadarAckAccepted. Commands: 0x80 track one target, 0x90 track several.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDevice_Protocol_SendCommand(
    RADAR_DEVICE_HANDLE device, int command, const void* payload, int64_t payloadLength,
    RadarCmdAckChecker checker, int64_t checkerUser, int timeoutMs);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDevice_StopCmdMode(RADAR_DEVICE_HANDLE device);

// The library's acknowledgement checker: the 16-bit return code of a complete, valid
// acknowledgement frame, kRadarAckInvalid for anything else. user: 0 accepts an acknowledgement
// of any command, otherwise the command it must acknowledge.
ROVA_DATAPROCESS_API uint16_t CheckCmdAckData_RetCode(eRADAR_PROTOCOL_VERSION version,
                                                      const uint8_t* data, int length,
                                                      uint64_t user);

// ---- processing filters ---------------------------------------------------------------------
// Detect polygon of a filter: count (a, b) int32 pairs, a = range-gate row (distance along the
// boresight in gates), b = lateral position in gates (positive to the right). Objects outside
// are dropped (the boundary counts as inside). count 0 (or fewer than 3 vertices) clears it.
// The array is copied. MOD filters the moving-object stream, MTT the detections fed to the
// tracker, MPT the targets tracked by the module itself (the ResultMTT stream).
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_MOD_SetDetectBound(const int32_t* pairs, int count);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound(const int32_t* pairs, int count);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_MPT_SetDetectBound(const int32_t* pairs, int count);

// ---- listeners (user: low 16 bits are passed as the callback's word) ------------------------
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(
    IRadarObjectDetectListener* listener, uint64_t user);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(
    IRadarObjectDetectListener* listener);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(
    IRadarObjectDetectListener* listener, uint64_t user);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(
    IRadarObjectDetectListener* listener);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(
    IRadarObjectDetectListener* listener, uint64_t user);
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(
    IRadarObjectDetectListener* listener);

// ---- playback -------------------------------------------------------------------------------
// The receiver of playback events (null: none); user is handed back to its operations.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(
    IFileRadarDataSource* source, uint64_t user);
// Nonzero: playback starts over after the last file until stopped.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarDevice_File_SetLoopReadFile(int loop);

// ---- parameter records ----------------------------------------------------------------------
// Library defaults: 32 gates of 0.25 m, visible gates 0 to 31, bound limit 32, angle slope 1 and
// offset 0, PC MTT, no signal light (port 0, 9600 baud), simulated sensor enabled, no recording.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarParameter_Init(tagRADARPARAMETER* record);
// Reads a configuration file over the record's current values. A missing, unreadable or
// malformed file returns 0 and leaves the record unchanged. Entries the library does not know
// are kept in the record and written back by SaveToFile.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarParameter_LoadFromFile(const char* path,
                                                                    tagRADARPARAMETER* record);
// Writes the record as a commented INI file (through a temporary file, so a failed write
// leaves the old file intact).
ROVA_DATAPROCESS_API int ROVA_Interface_RadarParameter_SaveToFile(const char* path,
                                                                  const tagRADARPARAMETER* record);
// Deep copy: destination owns its own lists and entries afterwards.
ROVA_DATAPROCESS_API int ROVA_Interface_RadarParameter_Copy(tagRADARPARAMETER* destination,
                                                            const tagRADARPARAMETER* source);

}  // extern "C"
