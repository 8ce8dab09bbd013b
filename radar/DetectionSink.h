#pragma once
// The console's end of the radar library's threads: the listener of the three detection streams
// and the file data source of playback. Registered with the library in the constructor and
// removed in the destructor, so the library never calls an object that is gone. It reaches the
// window only by posted messages (WM_PRESENCE_TICK, WM_PLAYBACK_END through the delayed-message
// engine) and through the target view's entry point for deliveries.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "contracts/ROVA_Common.h"
#include "contracts/RadarListeners.h"
#include "radar/FrameDelivery.h"
#include "radar/ResultFile.h"
#include "radar/ZoneRecorder.h"
#include "view/ViewTarget.h"

class CDetectionSink : public IFileRadarDataSource, public IRadarObjectDetectListener {
public:
    static constexpr UINT kPlaybackEndDelayMs = 100;

    CDetectionSink(HWND window, CDelayPostMsgEngine& engine, CTargetSlots& slots, CResultFile& results,
                   CZoneRecorder& zones, ITargetView& view);
    ~CDetectionSink() override;
    CDetectionSink(const CDetectionSink&) = delete;
    CDetectionSink& operator=(const CDetectionSink&) = delete;

    // Library thread: the delivery step (slots, result lines, view), the zone events, then a
    // presence tick for the window.
    // Nothing thrown on the way reaches the library: the delivery is dropped, counted and traced,
    // and the tick is posted all the same (the slots may have changed).
    void OnRadarObjectDetect(uint16_t word, CPtrCtrl* objects) noexcept override;
    // Library thread: the last recorded file was read; the window checks the end 100 ms later.
    void OnFileRadarReadEnd(uint64_t user) noexcept override;

    // Deliveries dropped because something in them threw (any thread).
    uint32_t FailedDeliveries() const noexcept { return m_failedDeliveries.load(); }

private:
    void Deliver(CPtrCtrl* objects);
    void DeliveryFailed(const char* what) noexcept;

    HWND m_window;
    CDelayPostMsgEngine& m_engine;
    CZoneRecorder& m_zones;
    CFrameDelivery m_delivery;  // library thread only
    std::atomic<uint32_t> m_failedDeliveries{0};
};
