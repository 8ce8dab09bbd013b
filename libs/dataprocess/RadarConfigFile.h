// "Radar_Config.ini" and "FILE_Radar_Config.ini": the commented INI form of tagRADARPARAMETER.
//
// One key per field, grouped in sections ([Device], [Data], [Algorithm], [CommandMode],
// [Geometry], [Light], [Simulation], [Registers]); every key is preceded by a comment that
// explains it. Keys and section names are case-insensitive; missing keys keep the record's value.
// Entries of unknown sections or keys are kept in the record and written back (at the end of
// their section, unknown sections at the end of the file). A known key whose value is not a
// number of its type or lies outside its range makes the file malformed.
#pragma once

#include <string>
#include <string_view>

struct tagRADARPARAMETER;

class CRadarConfigFile {
public:
    // Applies INI text to record. On failure (malformed text) returns false and record may be
    // partly changed: callers apply to a scratch copy.
    static bool Apply(std::string_view text, tagRADARPARAMETER& record, std::string* error = nullptr);
    // The full INI text of record.
    static std::string Serialize(const tagRADARPARAMETER& record);

    // File level: load into record (unchanged on any failure) and save through a temporary file.
    static bool Load(const char* path, tagRADARPARAMETER& record);
    static bool Save(const char* path, const tagRADARPARAMETER& record);
};
