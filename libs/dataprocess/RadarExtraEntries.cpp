#include "RadarExtraEntries.h"

#include "RadarParameter.h"

void CRadarExtraEntries::Clear(tagRADARPARAMETER& record) {
    CPtrListCtrl& list = record.extraEntries;
    for (int i = 0; i < list.GetCount(); ++i) delete static_cast<RadarExtraEntry*>(list.GetAt(i));
    list.RemoveAll();
}

void CRadarExtraEntries::CopyAll(tagRADARPARAMETER& destination, const tagRADARPARAMETER& source) {
    if (&destination == &source) return;
    Clear(destination);
    for (int i = 0; i < Count(source); ++i) {
        const RadarExtraEntry* e = At(source, i);
        if (e) Add(destination, e->section, e->key, e->value);
    }
}

void CRadarExtraEntries::Add(tagRADARPARAMETER& record, const std::string& section,
                             const std::string& key, const std::string& value) {
    auto* entry = new RadarExtraEntry{section, key, value};
    if (record.extraEntries.AddData(entry, -1) < 0) delete entry;
}

int CRadarExtraEntries::Count(const tagRADARPARAMETER& record) {
    return record.extraEntries.GetCount();
}

const RadarExtraEntry* CRadarExtraEntries::At(const tagRADARPARAMETER& record, int index) {
    return static_cast<const RadarExtraEntry*>(record.extraEntries.GetAt(index));
}
