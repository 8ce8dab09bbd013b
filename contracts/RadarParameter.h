// tagRADARPARAMETER: the radar library's parameter record. It crosses the DLL boundary by address,
// so its layout is fixed (8392 bytes, natural alignment); the checks at the end hold it in place.
// The console touches only the named public fields; the fields marked "library" are the radar
// library's own settings, kept in bytes the console never reads.
//
// The record embeds eighteen CPtrListCtrl lists, so it is an object: construct and destroy it as
// one, fill it with ROVA_Interface_RadarParameter_Init and copy it only with
// ROVA_Interface_RadarParameter_Copy (a byte copy would share list nodes).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ROVA_Common.h"

#if defined(_WIN32)
#if defined(ROVA_DATAPROCESS_BUILD)
#define ROVA_DATAPROCESS_API __declspec(dllexport)
#else
#define ROVA_DATAPROCESS_API __declspec(dllimport)
#endif
#else
#define ROVA_DATAPROCESS_API
#endif

// Number of register slots in the record; the first kRadarNamedRegisterCount have names and
// meanings (see RadarRegisters.h of the library), the rest are kept and saved as they are.
constexpr int kRadarRegisterSlots = 64;

struct ROVA_DATAPROCESS_API tagRADARPARAMETER {
    // Constructs the eighteen lists; nothing else is initialised (use the Init function).
    tagRADARPARAMETER();
    // Destroys the lists and what the library keeps in them.
    ~tagRADARPARAMETER();
    tagRADARPARAMETER(const tagRADARPARAMETER&) = delete;
    tagRADARPARAMETER& operator=(const tagRADARPARAMETER&) = delete;

    int32_t isFileSource;             // 0: 1 while data comes from recorded files
    int32_t simulatedSensor;          // 4 (library): the built-in simulated sensor takes part in detection
    int32_t simTargetCount;           // 8 (library): people walking in the simulated scene
    uint32_t simSeed;                 // 12 (library): scene seed, 0 = a new scene every run
    double simNoiseMeters;            // 16 (library): measurement noise (standard deviation)
    double gateSizeMeters;            // 24 (library): depth of one range gate
    double fieldOfViewDegrees;        // 32 (library): half opening angle of the fan
    int32_t deviceBaudRate;           // 40 (library): baud rate of a serial sensor
    int32_t protocolVersion;          // 44 (library): eRADAR_PROTOCOL_VERSION of the device
    uint8_t libReserved48[216];       // 48 (library)
    int32_t cmdModeParam;             // 264
    int32_t libReserved268;           // 268 (library)
    int64_t algorithmSetFlag;         // 272
    uint8_t libReserved280[52];       // 280 (library)
    int32_t detectedDeviceValue;      // 332
    uint8_t libReserved336[20];       // 336 (library)
    int32_t lightPort;                // 356: 0 = no signal light
    int32_t lightBaudRate;            // 360
    int32_t saveRawData;              // 364
    uint8_t libReserved368[20];       // 368 (library)
    char dataPath[260];               // 388: ANSI folder, NUL-terminated
    int32_t pcAlgoFlagA;              // 648
    int32_t pcAlgoFlagB;              // 652
    uint8_t libReserved656[16];       // 656 (library)
    int32_t pcAlgoFlagC;              // 672
    uint8_t libReserved676[20];       // 676 (library)
    int32_t modFlag;                  // 696
    int32_t modValue;                 // 700
    int32_t gateCount;                // 704: N, number of range gates
    int32_t gateMinDefault;           // 708
    int32_t gateMaxDefault;           // 712
    uint8_t libReserved716[12];       // 716 (library)
    int32_t pcAlgorithm;              // 728: 3 PC MTT, 1 PC MOD, 0 on the MCU
    uint32_t registerValues[kRadarRegisterSlots];  // 732 (library): the module's register settings
    uint8_t libReserved988[1836];     // 988 (library)
    int32_t mcuVariant;               // 2824: 0 MCU MTT, 1 MCU MTT2
    int32_t mcuVariantAux;            // 2828
    uint8_t libReserved2832[136];     // 2832 (library)
    double angleSlope;                // 2968
    uint8_t libReserved2976[8];       // 2976 (library)
    double angleOffset;               // 2984: degrees
    uint8_t libReserved2992[3480];    // 2992 (library)
    CPtrListCtrl extraEntries;        // 6472 (library): INI entries the library does not know, kept for saving
    uint8_t libReserved6544[132];     // 6544 (library)
    int32_t sourceType;               // 6676: eRADAR_SOURCE_TYPE, 0 = none detected
    int32_t libReserved6680;          // 6680 (library)
    int32_t algorithmOnMcu;           // 6684: 10 = tracking on the module's MCU
    uint8_t libReserved6688[16];      // 6688 (library)
    int32_t cmdModeTimeBase;          // 6704
    uint8_t libReserved6708[152];     // 6708 (library)
    int32_t mcuAlgoValue;             // 6860
    uint8_t libReserved6864[108];     // 6864 (library)
    int32_t boundLimit;               // 6972: M, clamp of detect-bound coordinates
    uint8_t libReserved6976[192];     // 6976 (library)
    CPtrListCtrl zoneLists[4][4];     // 7168 (library): reserved per-zone lists, kept empty
    CPtrListCtrl auxList;             // 8320 (library): reserved, kept empty
};

typedef tagRADARPARAMETER RADARPARAMETER;

// The record holds lists with virtual functions, so it is not standard-layout; offsetof is still
// exact for this single, non-virtual class on the compilers we build with.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
#if defined(_WIN64)
static_assert(sizeof(tagRADARPARAMETER) == 8392, "record size is binding");
static_assert(offsetof(tagRADARPARAMETER, isFileSource) == 0);
static_assert(offsetof(tagRADARPARAMETER, cmdModeParam) == 264);
static_assert(offsetof(tagRADARPARAMETER, algorithmSetFlag) == 272);
static_assert(offsetof(tagRADARPARAMETER, detectedDeviceValue) == 332);
static_assert(offsetof(tagRADARPARAMETER, lightPort) == 356);
static_assert(offsetof(tagRADARPARAMETER, lightBaudRate) == 360);
static_assert(offsetof(tagRADARPARAMETER, saveRawData) == 364);
static_assert(offsetof(tagRADARPARAMETER, dataPath) == 388);
static_assert(offsetof(tagRADARPARAMETER, pcAlgoFlagA) == 648);
static_assert(offsetof(tagRADARPARAMETER, pcAlgoFlagB) == 652);
static_assert(offsetof(tagRADARPARAMETER, pcAlgoFlagC) == 672);
static_assert(offsetof(tagRADARPARAMETER, modFlag) == 696);
static_assert(offsetof(tagRADARPARAMETER, modValue) == 700);
static_assert(offsetof(tagRADARPARAMETER, gateCount) == 704);
static_assert(offsetof(tagRADARPARAMETER, gateMinDefault) == 708);
static_assert(offsetof(tagRADARPARAMETER, gateMaxDefault) == 712);
static_assert(offsetof(tagRADARPARAMETER, pcAlgorithm) == 728);
static_assert(offsetof(tagRADARPARAMETER, mcuVariant) == 2824);
static_assert(offsetof(tagRADARPARAMETER, mcuVariantAux) == 2828);
static_assert(offsetof(tagRADARPARAMETER, angleSlope) == 2968);
static_assert(offsetof(tagRADARPARAMETER, angleOffset) == 2984);
static_assert(offsetof(tagRADARPARAMETER, extraEntries) == 6472);
static_assert(offsetof(tagRADARPARAMETER, sourceType) == 6676);
static_assert(offsetof(tagRADARPARAMETER, algorithmOnMcu) == 6684);
static_assert(offsetof(tagRADARPARAMETER, cmdModeTimeBase) == 6704);
static_assert(offsetof(tagRADARPARAMETER, mcuAlgoValue) == 6860);
static_assert(offsetof(tagRADARPARAMETER, boundLimit) == 6972);
static_assert(offsetof(tagRADARPARAMETER, zoneLists) == 7168);
static_assert(offsetof(tagRADARPARAMETER, zoneLists[1][0]) == 7168 + 288, "row stride 288");
static_assert(offsetof(tagRADARPARAMETER, auxList) == 8320);
#endif
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
