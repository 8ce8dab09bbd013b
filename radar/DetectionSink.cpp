#include "radar/DetectionSink.h"

#include <exception>
#include <vector>

#include "contracts/ROVA_DataProcess.h"
#include "radar/RunMessages.h"
#include "view/ObjectSectorWnd.h"
#include "view/ViewTarget.h"

CDetectionSink::CDetectionSink(HWND window, CDelayPostMsgEngine& engine, CTargetSlots& slots, CResultFile& results,
                               CZoneRecorder& zones, CObjectSectorWnd& view)
    : m_window(window), m_engine(engine), m_slots(slots), m_results(results), m_zones(zones), m_view(view) {
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(this, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(this, 0);
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(this, 0);
    ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(this, 0);
}

CDetectionSink::~CDetectionSink() {
    ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(this);
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(this);
    ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(this);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
}

void CDetectionSink::OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) noexcept {
    try {
        Deliver(objects);
    } catch (const std::exception& e) {
        DeliveryFailed(e.what());
    } catch (...) {
        DeliveryFailed("unknown exception");
    }
    ::PostMessageW(m_window, WM_PRESENCE_TICK, 0, 0);
}

void CDetectionSink::DeliveryFailed(const char* what) noexcept {
    const uint32_t count = ++m_failedDeliveries;
    DbgOutputA(1, "Detection listener: delivery dropped (%s), %u so far\r\n", what ? what : "", count);
}

void CDetectionSink::Deliver(CPtrCtrl* objects) {
    std::vector<ViewTarget> targets;
    std::vector<CalibratedObject> calibrated;
    targets.reserve(objects ? objects->GetCount() : 0);
    ProcessDelivery(objects, gRadarParameter.angleSlope, gRadarParameter.angleOffset, m_slots,
                    [&](int, const CalibratedObject& object) {
                        calibrated.push_back(object);
                        ViewTarget target;
                        target.id = object.objectId;
                        target.range = object.gate;
                        target.angle = object.angle - 90.0;
                        targets.push_back(target);
                        m_results.WriteLine(object.objectId, object.distance, object.angle, object.velocity);
                    });
    CPtrListCtrl list;
    for (ViewTarget& t : targets) list.AddData(&t, -1);
    // The areas the view counts each accepted report in are the areas its zone events use.
    std::vector<SectorScene::TrackMembership> accepted;
    m_view.UpdateTargets(&list, &accepted);
    list.RemoveAll();
    m_zones.OnDelivery(objects, calibrated, accepted);
}

void CDetectionSink::OnFileRadarReadEnd(uint64_t) noexcept {
    try {
        m_engine.DelayPostMsg(kPlaybackEndDelayMs, m_window, m_window, WM_PLAYBACK_END, 0, 0, nullptr, 0);
    } catch (...) {
        DeliveryFailed("playback end");
    }
}
