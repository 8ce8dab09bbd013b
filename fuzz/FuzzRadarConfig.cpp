// "Radar_Config.ini": the INI document and the radar configuration loader over any text. What is
// accepted must serialise and read back to the same text, and every number must lie in its range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "IniDocument.h"
#include "ROVA_DataProcess.h"
#include "RadarConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CIniDocument doc;
    doc.Parse(text);
    doc.Find("Geometry", "GateCount");

    auto record = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Init(record.get());
    if (!CRadarConfigFile::Apply(text, *record)) return 0;
    if (record->gateCount < 1 || record->gateCount > 1024) abort();
    if (!std::isfinite(record->gateSizeMeters) || !std::isfinite(record->angleSlope)) abort();
    const std::string once = CRadarConfigFile::Serialize(*record);
    auto again = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Init(again.get());
    if (!CRadarConfigFile::Apply(once, *again)) abort();
    if (CRadarConfigFile::Serialize(*again) != once) abort();
    return 0;
}
