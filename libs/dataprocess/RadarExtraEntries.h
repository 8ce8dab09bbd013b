// INI entries the library does not know, kept in tagRADARPARAMETER::extraEntries so that a load
// followed by a save loses nothing. The list holds RadarExtraEntry pointers owned by the record
// (allocated and freed inside this library only).
#pragma once

#include <string>

struct tagRADARPARAMETER;

struct RadarExtraEntry {
    std::string section;
    std::string key;
    std::string value;
};

class CRadarExtraEntries {
public:
    static void Clear(tagRADARPARAMETER& record);
    // Replaces destination's entries with copies of source's.
    static void CopyAll(tagRADARPARAMETER& destination, const tagRADARPARAMETER& source);
    static void Add(tagRADARPARAMETER& record, const std::string& section, const std::string& key,
                    const std::string& value);
    static int Count(const tagRADARPARAMETER& record);
    static const RadarExtraEntry* At(const tagRADARPARAMETER& record, int index);
};
