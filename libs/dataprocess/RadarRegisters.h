// The sensor module's register settings kept in tagRADARPARAMETER::registerValues. The first
// kRadarNamedRegisterCount slots have names (the INI keys of the [Registers] section) and
// meanings; several of them drive the library's simulated sensor and PC-side filters.
#pragma once

#include <cstdint>

struct RadarRegisterInfo {
    const char* key;          // INI key
    const wchar_t* labelEn;   // register-setting dialog labels
    const wchar_t* labelZh;
    uint32_t defaultValue;
    uint32_t minimum;
    uint32_t maximum;
    const char* comment;      // INI comment
};

enum RadarRegister {
    kRegTxPower = 0,
    kRegRxGain,
    kRegStartFrequency,
    kRegBandwidth,
    kRegChirpDuration,
    kRegChirpsPerFrame,
    kRegFramePeriod,
    kRegAdcSamples,
    kRegCfarThreshold,
    kRegClutterRemoval,
    kRegMaxTargets,
    kRegMinMovingSpeed,
    kRegTrackConfirmFrames,
    kRegTrackHoldFrames,
    kRegAssociationGate,
    kRegSmoothing,
    kRadarNamedRegisterCount
};

// Table of the named registers, kRadarNamedRegisterCount entries.
const RadarRegisterInfo* RadarRegisterTable();
