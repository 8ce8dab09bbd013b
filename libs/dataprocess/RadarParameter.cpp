// The parameter record: construction, library defaults and deep copies.
#include <cstring>

#include "ROVA_DataProcess.h"
#include "RadarConfigFile.h"
#include "RadarExtraEntries.h"
#include "RadarRegisters.h"
#include "SimulatedSensorControl.h"

namespace {

// The record's plain bytes are the two ranges around its embedded lists.
constexpr size_t kFirstListOffset = 6472;
constexpr size_t kFirstListEnd = 6472 + 72;
constexpr size_t kZoneListsOffset = 7168;

void CopyListValues(CPtrListCtrl& destination, const CPtrListCtrl& source) {
    destination.RemoveAll();
    for (int i = 0; i < source.GetCount(); ++i) destination.AddData(source.GetAt(i), -1);
}

}  // namespace

tagRADARPARAMETER::tagRADARPARAMETER() = default;

tagRADARPARAMETER::~tagRADARPARAMETER() {
    CRadarExtraEntries::Clear(*this);
}

tagRADARPARAMETER gRadarParameter;
// The library's own record starts with its defaults; a console loads its file over them.
static const int gRadarParameterInitialised = ROVA_Interface_RadarParameter_Init(&gRadarParameter);

extern "C" int ROVA_Interface_RadarParameter_Init(tagRADARPARAMETER* record) {
    if (!record) return 0;
    (void)gRadarParameterInitialised;
    auto* bytes = reinterpret_cast<unsigned char*>(record);
    memset(bytes, 0, kFirstListOffset);
    memset(bytes + kFirstListEnd, 0, kZoneListsOffset - kFirstListEnd);
    CRadarExtraEntries::Clear(*record);
    for (auto& row : record->zoneLists) {
        for (CPtrListCtrl& list : row) list.RemoveAll();
    }
    record->auxList.RemoveAll();

    // The defaults. The range each value of Radar_Config.ini must lie in is beside its key in
    // RadarConfigFile.cpp (and in the file's comments).
    record->isFileSource = 0;
    record->simulatedSensor = 1;
    record->simTargetCount = 3;
    record->simSeed = 0;
    record->simNoiseMeters = 0.05;
    record->gateSizeMeters = 0.25;
    record->fieldOfViewDegrees = 60.0;
    record->deviceBaudRate = 921600;
    record->protocolVersion = RADAR_PROTOCOL_V1;
    record->cmdModeParam = 1;
    record->algorithmSetFlag = 0;
    record->detectedDeviceValue = 0;
    record->lightPort = 0;
    record->lightBaudRate = 9600;
    record->saveRawData = 0;
    record->dataPath[0] = '\0';
    record->pcAlgoFlagA = 1;
    record->pcAlgoFlagB = 1;
    record->pcAlgoFlagC = 1;
    record->modFlag = 0;
    record->modValue = 64;
    record->gateCount = 32;
    record->gateMinDefault = 0;
    record->gateMaxDefault = 31;
    record->pcAlgorithm = 3;
    const RadarRegisterInfo* table = RadarRegisterTable();
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) record->registerValues[i] = table[i].defaultValue;
    record->mcuVariant = 0;
    record->mcuVariantAux = 0;
    record->angleSlope = 1.0;
    record->angleOffset = 0.0;
    record->sourceType = RADAR_SOURCE_NONE;
    record->algorithmOnMcu = 0;
    record->cmdModeTimeBase = 10;
    record->mcuAlgoValue = 20;
    record->boundLimit = 32;
    return 1;
}

extern "C" int ROVA_Interface_RadarParameter_Copy(tagRADARPARAMETER* destination,
                                                  const tagRADARPARAMETER* source) {
    if (!destination || !source) return 0;
    if (destination == source) return 1;
    auto* to = reinterpret_cast<unsigned char*>(destination);
    const auto* from = reinterpret_cast<const unsigned char*>(source);
    memcpy(to, from, kFirstListOffset);
    memcpy(to + kFirstListEnd, from + kFirstListEnd, kZoneListsOffset - kFirstListEnd);
    CRadarExtraEntries::CopyAll(*destination, *source);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) CopyListValues(destination->zoneLists[r][c], source->zoneLists[r][c]);
    }
    CopyListValues(destination->auxList, source->auxList);
    return 1;
}

extern "C" int ROVA_Interface_RadarParameter_LoadFromFile(const char* path, tagRADARPARAMETER* record) {
    return record && CRadarConfigFile::Load(path, *record) ? 1 : 0;
}

extern "C" int ROVA_Interface_RadarParameter_SaveToFile(const char* path, const tagRADARPARAMETER* record) {
    return record && CRadarConfigFile::Save(path, *record) ? 1 : 0;
}
