#pragma once
// The one road of a delivery from the radar library to the screen, shared by the console's
// detection sink and by the offline zone replay: the library's list is read once, at the
// boundary, and from there on the frame is typed. The step calibrates, fills the label slots,
// writes the result lines, hands the targets to the view and takes back the view's membership
// of each accepted report, with the position and stream time the zone recorder needs.
#include <cstdint>
#include <span>
#include <vector>

#include "areas/ZoneTracker.h"
#include "contracts/ROVA_Common.h"
#include "radar/DetectionPipeline.h"
#include "view/ViewTarget.h"

class CResultFile;

// One delivery after the step. Reused from frame to frame by its owner (no allocation once the
// vectors have grown); it is also what a reader of the console's latest frame copies.
struct DeliveredFrame {
    // Whether the frame carries a stream time: its first entry is an object. A delivery without
    // one changes no zone and dates nothing.
    bool timed = false;
    uint32_t streamMs = 0;  // stream time of the frame (its first object's), ms
    std::vector<CalibratedObject> objects;  // every non-null object, in delivery order
    std::vector<TrackMembership> accepted;  // the view's membership of the reports it accepted
    std::vector<ZoneReport> reports;        // the same, with each report's own distance and angle

    void Clear() noexcept;
};

// The library's list into typed records (the only place the list is read): every non-null
// DetectedObject, calibrated (slope * raw angle + offset), with its position in the list.
// Returns the number of objects read.
int ReadDelivery(CPtrCtrl* objects, double slope, double offset, DeliveredFrame* frame);

class CFrameDelivery {
public:
    // slots and results may be null (the offline replay has neither labels nor a result file).
    CFrameDelivery(CTargetSlots* slots, CResultFile* results, ITargetView& view) noexcept
        : m_slots(slots), m_results(results), m_view(view) {}
    CFrameDelivery(const CFrameDelivery&) = delete;
    CFrameDelivery& operator=(const CFrameDelivery&) = delete;

    // Both halves at once: what the console's sink does with each delivery.
    const DeliveredFrame& Deliver(CPtrCtrl* objects, double slope, double offset);
    // The halves, for a caller that needs the frame's stream time before the view sees it (the
    // replay's view ages tracks by the recording's clock).
    const DeliveredFrame& Read(CPtrCtrl* objects, double slope, double offset);
    const DeliveredFrame& Complete();

    const DeliveredFrame& Frame() const noexcept { return m_frame; }

private:
    CTargetSlots* m_slots;
    CResultFile* m_results;
    ITargetView& m_view;
    DeliveredFrame m_frame;
    std::vector<ViewTarget> m_targets;
};
