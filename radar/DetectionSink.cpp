#include "radar/DetectionSink.h"

#include <exception>
#include <vector>

#include "contracts/ROVA_DataProcess.h"
#include "radar/RunMessages.h"

CDetectionSink::CDetectionSink(HWND window, CDelayPostMsgEngine& engine, CTargetSlots& slots, CResultFile& results,
                               CZoneRecorder& zones, ITargetView& view)
    : m_window(window), m_engine(engine), m_zones(zones), m_delivery(&slots, &results, view) {
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
    m_zones.OnDelivery(m_delivery.Deliver(objects, gRadarParameter.angleSlope, gRadarParameter.angleOffset));
}

void CDetectionSink::OnFileRadarReadEnd(uint64_t) noexcept {
    try {
        m_engine.DelayPostMsg(kPlaybackEndDelayMs, m_window, m_window, WM_PLAYBACK_END, 0, 0, nullptr, 0);
    } catch (...) {
        DeliveryFailed("playback end");
    }
}
