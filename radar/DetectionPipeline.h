#pragma once
// Turns one delivery of the radar library into label slots, view targets and result lines.
// Runs on the library's thread; the UI thread reads the slots through the same lock.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "contracts/ROVA_Common.h"
#include "contracts/RadarListeners.h"
#include "areas/TargetSlot.h"

// A delivered object after angle calibration.
struct CalibratedObject {
    int64_t objectId;
    double gate;
    double distance;
    double velocity;
    double angle;  // slope * raw angle + offset, degrees
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

// Calibrates every non-null object of the delivery, refreshes slots 0..9 and hands each object to
// onObject(index, CalibratedObject) in delivery order. Objects past the tenth still reach the view
// and the result file; they just have no label. Returns the number of objects reported.
template <class OnObject>
int ProcessDelivery(CPtrCtrl* objects, double slope, double offset, CTargetSlots& slots, OnObject&& onObject) {
    if (!objects) return 0;
    const int count = objects->GetCount();
    int reported = 0;
    for (int i = 0; i < count; ++i) {
        const auto* object = static_cast<const DetectedObject*>(objects->GetAt(i));
        if (!object) continue;  // its slot stays as it was
        CalibratedObject c{object->objectId, object->gate, object->distance, object->velocity,
                           slope * object->rawAngle + offset};
        DbgOutputA(2, "Object[%d], range = %.1f\r\n", i, c.distance);
        slots.Store(i, c);
        onObject(i, c);
        ++reported;
    }
    return reported;
}

// Text of one label from string 60300 ("...%s...%5.2f...%+5.1f...%+6.2f..."): the name is empty in
// single-target mode and " <n>" (slot + 1) otherwise.
std::wstring FormatTargetLabel(const std::wstring& format, int objectCountMode, int slotIndex, const TargetSlot& slot);
