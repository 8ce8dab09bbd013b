#pragma once
// The target view: the fan-shaped top view of the sensor's field with target discs, fading
// tracks, monitor areas, the detect area and monitor points. The main dialog binds it to its
// static control 1200; it can also be created on its own (Create).
//
// The window is glue around SectorScene, which holds the layout, the tracks and the overlays and
// composes the frames; this class owns the GDI side: the window and background bitmaps, the
// grid drawn with GDI+, the label font, painting and invalidation.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Raii.h"
#include "framework/Wnd.h"
#include "view/AreaVertex.h"
#include "view/ObjectViewSettings.h"
#include "view/SectorScene.h"
#include "view/ViewTarget.h"

class CGdipBitmap;

class CObjectSectorWnd : public CWnd, public ITargetView {
public:
    static constexpr const wchar_t* kClassName = L"ROVA_ObjectSectorWnd";

    CObjectSectorWnd();
    ~CObjectSectorWnd() override;

    // Registers the window class used by Create (once per process; later calls succeed).
    static bool RegisterWindowClass() noexcept;
    // Creates the view as a window of its own (tests, tools).
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id) noexcept;

    // The view's side of the main dialog's ApplyViewSettings: copies the background picture,
    // takes the settings, lays out, redraws and ages the tracks. Gate count N comes from
    // gRadarParameter.gateCount.
    void ApplyViewSettings(const ObjectViewSettings& settings);
    void SetGateRange(double gateMin, double gateMax, int32_t gateCount);
    void RecalcLayout();

    // Called by the detection path on the radar library's thread.
    // accepted (optional): the membership of every accepted report (SectorScene::UpdateTargets).
    void UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted = nullptr) override;
    void ClearTargets();
    // Dims the targets while no data arrives (UI thread); redraws when it changes.
    void SetTargetsDimmed(bool dimmed);

    // Overlays (UI thread); vertices are relative to the fan rectangle.
    void SetDetectArea(const AreaVertex* vertices, int count);
    int AddMonitorArea(const AreaVertex* vertices, int count, COLORREF inactive, COLORREF active);
    void ClearMonitorAreas();
    void ClearDetectArea();
    void AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label,
                         COLORREF textColour, COLORREF inactive, COLORREF active);
    void ClearMonitorPoints();

    // The fan rectangle in client coordinates: the frame of stored polygon vertices.
    RECT GetFanRect() const noexcept { return scene_.Geometry().fan; }
    // The detect area as held in slot 0 (plot coordinates); empty when none is set.
    std::vector<AreaVertex> GetDetectArea() const;

    void RedrawBackground();
    void ComposeFrame();

    SectorScene& Scene() noexcept { return scene_; }
    const SectorScene& Scene() const noexcept { return scene_; }
    // The last composed frame (W x H pixels), null before the first layout.
    const uint32_t* WindowPixels() const noexcept { return windowPixels_; }
    const uint32_t* BackgroundPixels() const noexcept { return backgroundPixels_; }

    // Renders a marker image: the disc, then the text centred in the view font.
    void RenderMarkerImage(uint32_t* pixels, int w, int h, uint32_t colour, const std::wstring& text,
                           COLORREF textColour);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

private:
    struct BitmapDeleter {
        void operator()(CGdipBitmap* image) const noexcept;
    };

    LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam);
    void DrawGrid(void* graphics);
    void CreateViewFont(int dotRadius);
    void InvalidateUnlessPending();

    SectorScene scene_;
    int width_ = 0;
    int height_ = 0;
    rova::UniqueBitmap windowBitmap_;
    uint32_t* windowPixels_ = nullptr;
    rova::UniqueBitmap backgroundBitmap_;
    uint32_t* backgroundPixels_ = nullptr;
    rova::UniqueFont font_;
    std::wstring fontFace_ = L"\u9ED1\u4F53";
    int fontSize_ = -1;
    std::unique_ptr<CGdipBitmap, BitmapDeleter> customBackground_;
    // The window UpdateTargets invalidates from the library thread; null once destroyed.
    std::atomic<HWND> liveWindow_{nullptr};
    std::atomic<uint32_t> triggerPixel_{0};  // x | y << 16 of the pixel that brings the next paint
    // Paints counted for the console benchmark, which reads them as the view's window text; only
    // when ROVA_COUNT_PAINTS is set in the environment.
    bool countPaints_ = false;
    unsigned long long paintCount_ = 0;
    std::vector<RECT> dirty_;    // what the last composition changed
    std::vector<RECT> invalid_;  // the same rounded out to tiles, handed to the window system
    static constexpr int kInvalidTile = 32;
};
