#include "RadarRegisters.h"

namespace {

const RadarRegisterInfo kRegisters[kRadarNamedRegisterCount] = {
    {"TxPower", L"TX power level (0-7)", L"发射功率等级 (0-7)", 5, 0, 7, "transmit power level, 0 (lowest) to 7"},
    {"RxGainDb", L"RX gain (dB)", L"接收增益 (dB)", 30, 0, 60, "receiver gain in dB"},
    {"StartFrequencyMHz", L"Start frequency (MHz)", L"起始频率 (MHz)", 60000, 57000, 64000, "chirp start frequency in MHz"},
    {"BandwidthMHz", L"Bandwidth (MHz)", L"带宽 (MHz)", 4000, 100, 7000, "chirp bandwidth in MHz"},
    {"ChirpDurationUs", L"Chirp duration (us)", L"Chirp时长 (us)", 64, 8, 1000, "duration of one chirp in microseconds"},
    {"ChirpsPerFrame", L"Chirps per frame", L"每帧Chirp数", 64, 1, 255, "chirps per frame (Doppler resolution)"},
    {"FramePeriodMs", L"Frame period (ms)", L"帧周期 (ms)", 66, 50, 100, "time between frames in ms (50 to 100: 20 to 10 frames/s)"},
    {"AdcSamples", L"ADC samples", L"ADC采样点数", 256, 16, 1024, "ADC samples per chirp"},
    {"CfarThreshold", L"CFAR threshold (dB)", L"CFAR门限 (dB)", 12, 0, 40, "detection threshold above the noise floor in dB"},
    {"ClutterRemoval", L"Clutter removal (0/1)", L"杂波去除 (0/1)", 1, 0, 1, "1 removes static returns in the module"},
    {"MaxTargets", L"Max. targets", L"最大目标数", 8, 1, 32, "most targets reported per frame"},
    {"MinMovingSpeedCmS", L"Min. moving speed (cm/s)", L"最小运动速度 (cm/s)", 10, 0, 500, "PC MOD: slowest radial speed counted as moving"},
    {"TrackConfirmFrames", L"Track confirm frames", L"航迹确认帧数", 3, 1, 20, "frames a new track must be seen before it is reported"},
    {"TrackHoldFrames", L"Track hold frames", L"航迹保持帧数", 10, 1, 100, "frames a track survives without a detection"},
    {"AssociationGateCm", L"Association gate (cm)", L"关联门限 (cm)", 100, 10, 500, "largest jump of a track between frames in cm"},
    {"SmoothingPercent", L"Smoothing (%)", L"平滑系数 (%)", 40, 0, 95, "track smoothing: 0 follows the measurement, 95 smooths most"},
};

}  // namespace

const RadarRegisterInfo* RadarRegisterTable() {
    return kRegisters;
}
