#pragma once
// The label slots of the latest delivery and the objects that fill them. The library's thread
// stores, the UI thread reads through the same lock.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "contracts/ROVA_Common.h"
#include "areas/TargetSlot.h"

// A delivered object after angle calibration.
struct CalibratedObject {
    int64_t objectId;
    double gate;
    double distance;
    double velocity;
    double angle;  // slope * raw angle + offset, degrees
    int position = 0;  // its place in the library's list: label slot `position` shows it
};

class CTargetSlots {
public:
    using Array = std::array<TargetSlot, kTargetSlotCount>;

    // Every id -1, every value and stamp 0.
    void Reset();
    // Slot i from a delivered object: the target, stamped with the clock, when its distance is
    // positive, else empty. Positions past the last slot are ignored.
    void Store(int index, const CalibratedObject& object);
    // The clock of the stamps (MS_GetTime unless a test sets its own).
    void SetClock(uint32_t (*clock)()) noexcept { m_clock = clock ? clock : &MS_GetTime; }
    Array Snapshot() const;
    // Runs f(Array&) under the lock (the presence tick edits the slots in place).
    template <class F>
    auto Edit(F&& f) {
        std::lock_guard<std::mutex> guard(m_lock);
        return f(m_slots);
    }

private:
    mutable std::mutex m_lock;
    Array m_slots{};
    uint32_t (*m_clock)() = &MS_GetTime;
};

// Text of one label from string 60300 ("...%s...%5.2f...%+5.1f...%+6.2f..."): the name is empty in
// single-target mode and " <n>" (slot + 1) otherwise.
std::wstring FormatTargetLabel(const std::wstring& format, int objectCountMode, int slotIndex, const TargetSlot& slot);
