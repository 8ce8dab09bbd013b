#include "radar/DetectionPipeline.h"

#include <cwchar>

void CTargetSlots::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    for (TargetSlot& s : m_slots) s = TargetSlot{};
}

void CTargetSlots::Store(int index, const CalibratedObject& object) {
    if (index < 0 || index >= kTargetSlotCount) return;
    std::lock_guard<std::mutex> guard(m_lock);
    TargetSlot& s = m_slots[index];
    if (object.distance > 0) {
        s.id = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(object.objectId) & 0xFFFFFFFFu));
        s.distance = object.distance;
        s.angle = object.angle;
        s.velocity = object.velocity;
        s.stamp = m_clock();
    } else {
        s.Clear();
    }
}

CTargetSlots::Array CTargetSlots::Snapshot() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_slots;
}

std::wstring FormatTargetLabel(const std::wstring& format, int objectCountMode, int slotIndex, const TargetSlot& slot) {
    std::wstring name;
    if (objectCountMode != 1) name = L" " + std::to_wstring(slotIndex + 1);
    // The name goes in by hand: "%s" means different things to the wide printf families of
    // different C runtimes, the three numbers do not.
    std::wstring numbers = format;
    const size_t at = numbers.find(L"%s");
    if (at != std::wstring::npos) numbers.replace(at, 2, name);
    wchar_t text[512];
    const int n = swprintf(text, sizeof text / sizeof text[0], numbers.c_str(), slot.distance, slot.angle, slot.velocity);
    return n < 0 ? std::wstring() : std::wstring(text, n);
}
