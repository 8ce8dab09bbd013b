#include "RadarConfigFile.h"

#include <windows.h>

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "IniDocument.h"
#include "ROVA_DataProcess.h"
#include "RadarExtraEntries.h"
#include "RadarRegisters.h"

namespace {

enum class KeyKind { Int32, UInt32, Int64, Double, Text };

struct KeyDef {
    const char* section;
    const char* key;
    KeyKind kind;
    size_t offset;
    double minimum;
    double maximum;
    const char* comment;
};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
#define FIELD(name) offsetof(tagRADARPARAMETER, name)
constexpr double kIntMin = std::numeric_limits<int32_t>::min();
constexpr double kIntMax = std::numeric_limits<int32_t>::max();

// minimum and maximum bound every number the file may hold; a value outside them makes the file
// malformed, so a hand edit cannot ask for more gates, a wider bound, more simulated targets or a
// longer command-mode time than the library handles in bounded memory and time. The ranges are
// written into the file's comments beside each key; the defaults are in RadarParameter.cpp.
const KeyDef kKeys[] = {
    {"Device", "SourceType", KeyKind::Int32, FIELD(sourceType), 0, 5,
     "Kind of the detected device: 0 none, 1 serial (COM), 2 LibUSB, 3 Orbel2, 4 Orbel4, 5 USB adapter."},
    {"Device", "DetectedDeviceValue", KeyKind::Int32, FIELD(detectedDeviceValue), kIntMin, kIntMax,
     "Value found by device detection: the COM port number of a serial sensor; 9999 is the built-in simulated sensor."},
    {"Device", "SimulatedSensor", KeyKind::Int32, FIELD(simulatedSensor), 0, 1,
     "1: device detection also finds the built-in simulated sensor (moving targets without hardware)."},
    {"Device", "DeviceBaudRate", KeyKind::Int32, FIELD(deviceBaudRate), 300, 4000000,
     "Baud rate of a sensor on a serial port."},
    {"Device", "ProtocolVersion", KeyKind::Int32, FIELD(protocolVersion), 1, 1,
     "Version of the sensor's command protocol."},
    {"Data", "IsFileSource", KeyKind::Int32, FIELD(isFileSource), 0, 1,
     "1 while data comes from recorded files (set by playback), 0 for the live device."},
    {"Data", "SaveRawData", KeyKind::Int32, FIELD(saveRawData), 0, 1,
     "1: a live run records raw data into DataPath."},
    {"Data", "DataPath", KeyKind::Text, FIELD(dataPath), 0, 259,
     "Folder of raw data: where a recording goes, or the recording a playback reads."},
    {"Algorithm", "PcAlgorithm", KeyKind::Int32, FIELD(pcAlgorithm), 0, 3,
     "Algorithm run on the PC: 3 MTT (multi-target tracking), 1 MOD (moving-object detection), 0 none (the MCU tracks)."},
    {"Algorithm", "AlgorithmOnMcu", KeyKind::Int32, FIELD(algorithmOnMcu), 0, 10,
     "10: the module's MCU tracks the targets and reports them; 0: the PC runs the algorithm."},
    {"Algorithm", "McuVariant", KeyKind::Int32, FIELD(mcuVariant), kIntMin, kIntMax,
     "Tracking variant on the MCU: 0 MTT, 1 MTT2."},
    {"Algorithm", "McuVariantAux", KeyKind::Int32, FIELD(mcuVariantAux), kIntMin, kIntMax,
     "Auxiliary MCU variant setting, cleared with McuVariant when MCU MTT is chosen."},
    {"Algorithm", "McuAlgoValue", KeyKind::Int32, FIELD(mcuAlgoValue), kIntMin, kIntMax,
     "MCU algorithm code: 20 MTT, 30 MTT2."},
    {"Algorithm", "AlgorithmSetFlag", KeyKind::Int64, FIELD(algorithmSetFlag), -9.2e18, 9.2e18,
     "1 once an algorithm was chosen in the Parameter Setting dialog."},
    {"Algorithm", "PcAlgoFlagA", KeyKind::Int32, FIELD(pcAlgoFlagA), kIntMin, kIntMax,
     "PC processing stage A (range processing) enabled."},
    {"Algorithm", "PcAlgoFlagB", KeyKind::Int32, FIELD(pcAlgoFlagB), kIntMin, kIntMax,
     "PC processing stage B (Doppler processing) enabled."},
    {"Algorithm", "PcAlgoFlagC", KeyKind::Int32, FIELD(pcAlgoFlagC), kIntMin, kIntMax,
     "PC processing stage C (angle estimation) enabled."},
    {"Algorithm", "ModFlag", KeyKind::Int32, FIELD(modFlag), kIntMin, kIntMax,
     "1 once PC MOD was chosen."},
    {"Algorithm", "ModValue", KeyKind::Int32, FIELD(modValue), kIntMin, kIntMax,
     "Number of Doppler bins of the PC MOD detector."},
    {"CommandMode", "CmdModeParam", KeyKind::Int32, FIELD(cmdModeParam), kIntMin, kIntMax,
     "Command-mode entry parameter passed to the module (1 = normal)."},
    {"CommandMode", "CmdModeTimeBase", KeyKind::Int32, FIELD(cmdModeTimeBase), 0, 10000,
     "Command-mode time base; the module leaves command mode after CmdModeTimeBase x 150 ms without a command."},
    {"Geometry", "GateCount", KeyKind::Int32, FIELD(gateCount), 1, 1024,
     "Number of range gates N."},
    {"Geometry", "GateMinDefault", KeyKind::Int32, FIELD(gateMinDefault), 0, 1024,
     "Lower visible range gate at start."},
    {"Geometry", "GateMaxDefault", KeyKind::Int32, FIELD(gateMaxDefault), 0, 1024,
     "Upper visible range gate at start."},
    {"Geometry", "GateSizeMeters", KeyKind::Double, FIELD(gateSizeMeters), 0.001, 100,
     "Depth of one range gate in metres."},
    {"Geometry", "FieldOfViewDegrees", KeyKind::Double, FIELD(fieldOfViewDegrees), 1, 90,
     "Half opening angle of the sensor's field in degrees."},
    {"Geometry", "BoundLimit", KeyKind::Int32, FIELD(boundLimit), 1, 65536,
     "Clamp M of detect-bound coordinates."},
    {"Geometry", "AngleSlope", KeyKind::Double, FIELD(angleSlope), -1e6, 1e6,
     "Angle calibration: angle = AngleSlope x raw angle + AngleOffset. A negative slope mirrors left and right."},
    {"Geometry", "AngleOffset", KeyKind::Double, FIELD(angleOffset), -360, 360,
     "Angle calibration offset in degrees."},
    {"Light", "LightPort", KeyKind::Int32, FIELD(lightPort), 0, 255,
     "COM port number of the signal light, 0 for none."},
    {"Light", "LightBaudRate", KeyKind::Int32, FIELD(lightBaudRate), 0, 4000000,
     "Baud rate of the signal light."},
    {"Simulation", "TargetCount", KeyKind::Int32, FIELD(simTargetCount), 0, 16,
     "People walking through the simulated sensor's field."},
    {"Simulation", "NoiseMeters", KeyKind::Double, FIELD(simNoiseMeters), 0, 2,
     "Measurement noise of the simulated sensor (standard deviation in metres)."},
    {"Simulation", "Seed", KeyKind::UInt32, FIELD(simSeed), 0, 4294967295.0,
     "Scene seed: the same seed gives the same scene; 0 gives a new scene every run."},
};
#undef FIELD
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

const char* const kSectionOrder[] = {"Device", "Data", "Algorithm", "CommandMode", "Geometry",
                                     "Light", "Simulation", "Registers"};

void* FieldAt(tagRADARPARAMETER& record, size_t offset) {
    return reinterpret_cast<char*>(&record) + offset;
}
const void* FieldAt(const tagRADARPARAMETER& record, size_t offset) {
    return reinterpret_cast<const char*>(&record) + offset;
}

bool ParseNumber(const std::string& text, KeyKind kind, double minimum, double maximum, void* out) {
    switch (kind) {
    case KeyKind::Int32: {
        int32_t v = 0;
        if (!DigtalStringToValue(text.c_str(), -1, &v, kDigitalTypeInt32) || v < minimum || v > maximum) return false;
        *static_cast<int32_t*>(out) = v;
        return true;
    }
    case KeyKind::UInt32: {
        uint32_t v = 0;
        if (!DigtalStringToValue(text.c_str(), -1, &v, kDigitalTypeUInt32) || v < minimum || v > maximum) return false;
        *static_cast<uint32_t*>(out) = v;
        return true;
    }
    case KeyKind::Int64: {
        int64_t v = 0;
        if (!DigtalStringToValue(text.c_str(), -1, &v, kDigitalTypeInt64)) return false;
        *static_cast<int64_t*>(out) = v;
        return true;
    }
    case KeyKind::Double: {
        double v = 0;
        if (!DigtalStringToValue(text.c_str(), -1, &v, kDigitalTypeDouble) || v < minimum || v > maximum) return false;
        *static_cast<double*>(out) = v;
        return true;
    }
    case KeyKind::Text:
        break;
    }
    return false;
}

std::string FormatDouble(double v) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string FormatLimit(double v) {
    if (v == static_cast<double>(static_cast<long long>(v))) return std::to_string(static_cast<long long>(v));
    return FormatDouble(v);
}

// The key's comment, with its accepted range when that is narrower than its type's.
std::string CommentOf(const KeyDef& def) {
    bool bounded = false;
    switch (def.kind) {
    case KeyKind::Int32: bounded = def.minimum > kIntMin || def.maximum < kIntMax; break;
    case KeyKind::UInt32: bounded = def.minimum > 0 || def.maximum < 4294967295.0; break;
    case KeyKind::Double: bounded = true; break;
    case KeyKind::Int64:
    case KeyKind::Text: break;
    }
    std::string comment = def.comment;
    if (bounded) comment += " From " + FormatLimit(def.minimum) + " to " + FormatLimit(def.maximum) + ".";
    return comment;
}

std::string FormatField(const tagRADARPARAMETER& record, const KeyDef& def) {
    const void* p = FieldAt(record, def.offset);
    switch (def.kind) {
    case KeyKind::Int32: return std::to_string(*static_cast<const int32_t*>(p));
    case KeyKind::UInt32: return std::to_string(*static_cast<const uint32_t*>(p));
    case KeyKind::Int64: return std::to_string(*static_cast<const int64_t*>(p));
    case KeyKind::Double: return FormatDouble(*static_cast<const double*>(p));
    case KeyKind::Text: return std::string(static_cast<const char*>(p), strnlen(static_cast<const char*>(p), 259));
    }
    return {};
}

// "RegisterNN" addresses any slot by number, named registers also by their name.
int RegisterSlot(const std::string& key) {
    const RadarRegisterInfo* table = RadarRegisterTable();
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) {
        if (CIniDocument::EqualNoCase(key, table[i].key)) return i;
    }
    if (key.size() > 8 && CIniDocument::EqualNoCase(key.substr(0, 8), "Register")) {
        int slot = -1;
        if (DigtalStringToValue(key.c_str() + 8, -1, &slot, kDigitalTypeInt32) && slot >= 0 && slot < kRadarRegisterSlots)
            return slot;
    }
    return -1;
}

bool IsKnownSection(const std::string& name) {
    for (const char* s : kSectionOrder) {
        if (CIniDocument::EqualNoCase(name, s)) return true;
    }
    return false;
}

void AppendExtras(std::string& out, const tagRADARPARAMETER& record, const char* section) {
    for (int i = 0; i < CRadarExtraEntries::Count(record); ++i) {
        const RadarExtraEntry* e = CRadarExtraEntries::At(record, i);
        if (e && CIniDocument::EqualNoCase(e->section, section)) out += e->key + "=" + e->value + "\r\n";
    }
}

}  // namespace

bool CRadarConfigFile::Apply(std::string_view text, tagRADARPARAMETER& record, std::string* error) {
    CIniDocument doc;
    if (!doc.Parse(text, error)) return false;
    bool anyKnown = false;
    CRadarExtraEntries::Clear(record);
    for (const CIniDocument::Section& section : doc.Sections()) {
        const bool knownSection = IsKnownSection(section.name);
        for (const CIniDocument::Entry& entry : section.entries) {
            const KeyDef* def = nullptr;
            for (const KeyDef& k : kKeys) {
                if (CIniDocument::EqualNoCase(section.name, k.section) && CIniDocument::EqualNoCase(entry.key, k.key)) {
                    def = &k;
                    break;
                }
            }
            bool ok = true;
            if (def && def->kind == KeyKind::Text) {
                if (entry.value.size() > 259) {
                    ok = false;
                } else {
                    char* field = static_cast<char*>(FieldAt(record, def->offset));
                    memset(field, 0, 260);
                    memcpy(field, entry.value.data(), entry.value.size());
                }
            } else if (def) {
                ok = ParseNumber(entry.value, def->kind, def->minimum, def->maximum, FieldAt(record, def->offset));
            } else if (CIniDocument::EqualNoCase(section.name, "Registers") && RegisterSlot(entry.key) >= 0) {
                const int slot = RegisterSlot(entry.key);
                double lo = 0, hi = 4294967295.0;
                if (slot < kRadarNamedRegisterCount) {
                    lo = RadarRegisterTable()[slot].minimum;
                    hi = RadarRegisterTable()[slot].maximum;
                }
                ok = ParseNumber(entry.value, KeyKind::UInt32, lo, hi, &record.registerValues[slot]);
                def = kKeys;  // counts as known
            } else {
                CRadarExtraEntries::Add(record, section.name, entry.key, entry.value);
                continue;
            }
            if (!ok) {
                if (error) *error = "bad value of " + section.name + "/" + entry.key;
                return false;
            }
            anyKnown = true;
        }
        if (!knownSection && section.entries.empty()) CRadarExtraEntries::Add(record, section.name, "", "");
    }
    if (!anyKnown && error) *error = "no radar configuration key";
    return anyKnown;
}

std::string CRadarConfigFile::Serialize(const tagRADARPARAMETER& record) {
    std::string out;
    out += "; Radar configuration of the ROVA MTT console, read and written by ROVA_DataProcess.dll.\r\n";
    out += "; Lines starting with ';' or '#' are comments. Keys are case-insensitive; a key that is\r\n";
    out += "; left out keeps the library default. Unknown keys and sections are kept when saving.\r\n";
    for (const char* section : kSectionOrder) {
        out += "\r\n[";
        out += section;
        out += "]\r\n";
        if (strcmp(section, "Registers") == 0) {
            out += "; Register settings of the sensor module (edited with Register Config).\r\n";
            const RadarRegisterInfo* table = RadarRegisterTable();
            for (int i = 0; i < kRadarNamedRegisterCount; ++i) {
                out += std::string("; ") + table[i].comment + " (" + std::to_string(table[i].minimum) + " to " +
                       std::to_string(table[i].maximum) + ").\r\n";
                out += std::string(table[i].key) + "=" + std::to_string(record.registerValues[i]) + "\r\n";
            }
            bool commented = false;
            for (int i = kRadarNamedRegisterCount; i < kRadarRegisterSlots; ++i) {
                if (record.registerValues[i] == 0) continue;
                if (!commented) out += "; Further register slots by number.\r\n";
                commented = true;
                char key[32];
                snprintf(key, sizeof key, "Register%02d", i);
                out += std::string(key) + "=" + std::to_string(record.registerValues[i]) + "\r\n";
            }
        } else {
            for (const KeyDef& def : kKeys) {
                if (strcmp(def.section, section) != 0) continue;
                out += "; " + CommentOf(def) + "\r\n";
                out += std::string(def.key) + "=" + FormatField(record, def) + "\r\n";
            }
        }
        AppendExtras(out, record, section);
    }
    // Unknown sections, in the order they were read.
    std::string written;
    for (int i = 0; i < CRadarExtraEntries::Count(record); ++i) {
        const RadarExtraEntry* e = CRadarExtraEntries::At(record, i);
        if (!e || IsKnownSection(e->section)) continue;
        const std::string marker = "\n" + e->section + "\n";
        std::string lower = marker;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (written.find(lower) != std::string::npos) continue;
        written += lower;
        out += "\r\n[" + e->section + "]\r\n";
        for (int j = i; j < CRadarExtraEntries::Count(record); ++j) {
            const RadarExtraEntry* f = CRadarExtraEntries::At(record, j);
            if (f && CIniDocument::EqualNoCase(f->section, e->section) && !f->key.empty())
                out += f->key + "=" + f->value + "\r\n";
        }
    }
    return out;
}

bool CRadarConfigFile::Load(const char* path, tagRADARPARAMETER& record) {
    if (!path || !*path) return false;
    void* block = nullptr;
    const int64_t size = ReadFileDataA(path, &block);
    if (size <= 0 || !block) {
        ReleaseFileData(block);
        return false;
    }
    // A configuration is a few kilobytes; anything huge is not one.
    if (size > (1 << 20)) {
        ReleaseFileData(block);
        return false;
    }
    std::string text(static_cast<const char*>(block), static_cast<size_t>(size));
    ReleaseFileData(block);
    auto scratch = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Copy(scratch.get(), &record);
    if (!Apply(text, *scratch, nullptr)) return false;
    ROVA_Interface_RadarParameter_Copy(&record, scratch.get());
    return true;
}

bool CRadarConfigFile::Save(const char* path, const tagRADARPARAMETER& record) {
    if (!path || !*path) return false;
    const std::string text = Serialize(record);
    const std::string temporary = std::string(path) + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok || !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
