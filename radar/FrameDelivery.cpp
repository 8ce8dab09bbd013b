#include "radar/FrameDelivery.h"

#include "contracts/RadarListeners.h"
#include "radar/ResultFile.h"

void DeliveredFrame::Clear() noexcept {
    timed = false;
    streamMs = 0;
    objects.clear();
    accepted.clear();
    reports.clear();
}

int ReadDelivery(CPtrCtrl* objects, double slope, double offset, DeliveredFrame* frame) {
    frame->Clear();
    if (!objects) return 0;
    const int count = objects->GetCount();
    for (int i = 0; i < count; ++i) {
        const auto* object = static_cast<const DetectedObject*>(objects->GetAt(i));
        if (!object) continue;
        if (i == 0) {
            frame->timed = true;
            frame->streamMs = object->streamMs;
        }
        frame->objects.push_back(CalibratedObject{object->objectId, object->gate, object->distance, object->velocity,
                                                  slope * object->rawAngle + offset, i});
    }
    return static_cast<int>(frame->objects.size());
}

const DeliveredFrame& CFrameDelivery::Deliver(CPtrCtrl* objects, double slope, double offset) {
    Read(objects, slope, offset);
    return Complete();
}

const DeliveredFrame& CFrameDelivery::Read(CPtrCtrl* objects, double slope, double offset) {
    ReadDelivery(objects, slope, offset, &m_frame);
    return m_frame;
}

const DeliveredFrame& CFrameDelivery::Complete() {
    m_targets.clear();
    for (const CalibratedObject& object : m_frame.objects) {
        DbgOutputA(2, "Object[%d], range = %.1f\r\n", object.position, object.distance);
        if (m_slots) m_slots->Store(object.position, object);
        m_targets.push_back(ViewTarget{object.objectId, object.gate, object.angle - 90.0});
        if (m_results) m_results->WriteLine(object.objectId, object.distance, object.angle, object.velocity);
    }
    // The areas the view counts each accepted report in are the areas its zone events use; the
    // membership names its report, so position and angle come from that report, not a search.
    m_view.UpdateTargets(m_targets, &m_frame.accepted);
    for (const TrackMembership& m : m_frame.accepted) {
        if (m.index < 0 || static_cast<size_t>(m.index) >= m_frame.objects.size()) continue;
        const CalibratedObject& object = m_frame.objects[static_cast<size_t>(m.index)];
        m_frame.reports.push_back(ZoneReport{m.id, object.distance, object.angle, m.areas});
    }
    return m_frame;
}
