#include "view/ObjectSectorWnd.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "contracts/ROVA_DataProcess.h"
#include "framework/GdiplusRaii.h"
#include "imaging/ImageHelpers.h"
#include "imaging/RegionBuilder.h"
#include "view/RectUnion.h"
#include "view/MarkerImage.h"
#include "view/SectorGrid.h"

namespace gp = Gdiplus::DllExports;

void CObjectSectorWnd::BitmapDeleter::operator()(CGdipBitmap* image) const noexcept { Gdiplus_DeleteBitmap(image); }

CObjectSectorWnd::CObjectSectorWnd() {
    countPaints_ = ::GetEnvironmentVariableW(L"ROVA_COUNT_PAINTS", nullptr, 0) > 0;
    scene_.SetMarkerRenderer([this](uint32_t* pixels, int w, int h, uint32_t colour, const std::wstring& text,
                                    COLORREF textColour) { RenderMarkerImage(pixels, w, h, colour, text, textColour); });
}

CObjectSectorWnd::~CObjectSectorWnd() {
    liveWindow_ = nullptr;
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CObjectSectorWnd::RegisterWindowClass() noexcept {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &existing)) return true;
    return CWnd::RegisterClass(kClassName, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

bool CObjectSectorWnd::Create(DWORD style, const RECT& rect, HWND parent, UINT id) noexcept {
    if (!RegisterWindowClass()) return false;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    if (!CreateEx(0, kClassName, L"", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                  parent, menu)) {
        return false;
    }
    liveWindow_ = m_hWnd;
    return true;
}

void CObjectSectorWnd::PreSubclassWindow() { liveWindow_ = m_hWnd; }

LRESULT CObjectSectorWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        return OnSize(msg, wParam, lParam);
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_GETTEXT:
        if (countPaints_) {
            if (wParam == 0 || lParam == 0) return 0;
            const int n = swprintf(reinterpret_cast<wchar_t*>(lParam), wParam, L"%llu", paintCount_);
            return n < 0 ? 0 : n;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    case WM_ERASEBKGND:
        return TRUE;  // every paint covers the whole window; erasing would only flicker
    case WM_DESTROY:
        return OnDestroy(msg, wParam, lParam);
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------
// Settings and layout
// ---------------------------------------------------------------------------------------------

void CObjectSectorWnd::ApplyViewSettings(const ObjectViewSettings& s) {
    if (s.customBackground) customBackground_.reset(Gdiplus_CopyBitmap(s.customBackground));
    SectorScene::Settings settings;
    settings.drawLocus = s.drawLocus;
    settings.displayTime = s.displayTime;
    settings.locusRadiusScale = s.locusRadiusScale;
    settings.targetColour = 0xFFFFFFFF;
    settings.smoothCount = s.smoothCount;
    scene_.ApplySettings(s.topViewMode, s.angleStart, s.angleStop, s.angleStep, s.sectorCount, s.radiusScale,
                         settings);
    // The layout below rebuilds the mask and the background anyway, so only the range is stored.
    scene_.SetGateRange(s.gateMin, s.gateMax, gRadarParameter.gateCount);
    if (m_hWnd) {
        RECT rc = GetClientRect();
        width_ = rc.right - rc.left;
        height_ = rc.bottom - rc.top;
        RecalcLayout();
        Invalidate(TRUE);
    }
    UpdateTargets({});
}

void CObjectSectorWnd::SetGateRange(double gateMin, double gateMax, int32_t gateCount) {
    if (scene_.SetGateRange(gateMin, gateMax, gateCount)) {
        RedrawBackground();
        if (m_hWnd) Invalidate(TRUE);
    }
}

void CObjectSectorWnd::CreateViewFont(int dotRadius) {
    const int points = fontSize_ < 1 ? dotRadius : fontSize_;
    // A point font: tenths of a point through the screen's resolution to a pixel height.
    rova::WindowDc screen(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -std::abs(::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), 10 * points, 720));
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(lf.lfFaceName, fontFace_.c_str(), _TRUNCATE);
    font_.reset(::CreateFontIndirectW(&lf));
}

void CObjectSectorWnd::RecalcLayout() {
    void* bits = nullptr;
    windowBitmap_.reset(CreateHBitmap(&bits, width_, height_, 32));
    windowPixels_ = static_cast<uint32_t*>(bits);
    scene_.InvalidateFrame();  // the fresh bitmap holds no frame yet
    if (windowPixels_) {
        RECT all{0, 0, width_, height_};
        DrawColorOnBuffer(::GetSysColor(COLOR_BTNFACE), windowPixels_, &all, 4 * width_);
    }
    // The font follows the dot radius and is needed by the marker images the layout renders.
    SectorGeometry preview = scene_.Geometry();
    preview.Layout(width_, height_);
    CreateViewFont(preview.dotRadius);
    scene_.Layout(width_, height_);
    bits = nullptr;
    backgroundBitmap_.reset(CreateHBitmap(&bits, width_, height_, 32));
    backgroundPixels_ = static_cast<uint32_t*>(bits);
    RedrawBackground();
}

LRESULT CObjectSectorWnd::OnSize(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = Default(msg, wParam, lParam);
    const int w = LOWORD(lParam), h = HIWORD(lParam);
    if (w != width_ || h != height_) {
        width_ = w;
        height_ = h;
        RecalcLayout();
    }
    return result;
}

LRESULT CObjectSectorWnd::OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = Default(msg, wParam, lParam);
    liveWindow_ = nullptr;
    windowBitmap_.reset();
    windowPixels_ = nullptr;
    scene_.ReleaseLayout();
    backgroundBitmap_.reset();
    backgroundPixels_ = nullptr;
    customBackground_.reset();
    width_ = height_ = 0;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Tracks
// ---------------------------------------------------------------------------------------------

void CObjectSectorWnd::InvalidateUnlessPending() {
    HWND hwnd = liveWindow_.load();
    // A burst of updates leads to one repaint: nothing more while one is pending. One pixel is
    // enough to bring the paint; the paint itself adds the parts whose pixels changed. The pixel
    // is one the last frame changed, most likely changing again: a pixel far from the changes
    // would stretch the box the window system sends to the screen (under Wine, the X server
    // copies the bounding box of each paint).
    const uint32_t at = triggerPixel_.load();
    const LONG x = static_cast<LONG>(at & 0xFFFFu), y = static_cast<LONG>(at >> 16);
    const RECT onePixel{x, y, x + 1, y + 1};
    if (hwnd && !::GetUpdateRect(hwnd, nullptr, FALSE)) ::InvalidateRect(hwnd, &onePixel, FALSE);
}

void CObjectSectorWnd::UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted) {
    scene_.UpdateTargets(targets, accepted);
    InvalidateUnlessPending();
}

void CObjectSectorWnd::ClearTargets() { scene_.ClearTargets(); }

void CObjectSectorWnd::SetTargetsDimmed(bool dimmed) {
    if (scene_.IsDimmed() == dimmed) return;
    scene_.SetDimmed(dimmed);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Overlays
// ---------------------------------------------------------------------------------------------

void CObjectSectorWnd::SetDetectArea(const AreaVertex* vertices, int count) {
    if (scene_.SetDetectArea(vertices, count)) {
        RedrawBackground();
        if (m_hWnd) Invalidate(TRUE);
    }
}

int CObjectSectorWnd::AddMonitorArea(const AreaVertex* vertices, int count, COLORREF inactive, COLORREF active) {
    int slot = scene_.AddMonitorArea(vertices, count, inactive, active);
    if (slot >= 0) {
        RedrawBackground();
        if (m_hWnd) Invalidate(TRUE);
    }
    return slot;
}

void CObjectSectorWnd::ClearMonitorAreas() {
    scene_.ClearMonitorAreas();
    RedrawBackground();
    if (m_hWnd) Invalidate(TRUE);
}

void CObjectSectorWnd::ClearDetectArea() {
    scene_.ClearDetectArea();
    RedrawBackground();
    if (m_hWnd) Invalidate(TRUE);
}

void CObjectSectorWnd::AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label,
                                       COLORREF textColour, COLORREF inactive, COLORREF active) {
    scene_.AddMonitorPoint(range, angle, radiusScale, label ? label : L"", textColour, inactive, active);
}

void CObjectSectorWnd::ClearMonitorPoints() { scene_.ClearMonitorPoints(); }

std::vector<AreaVertex> CObjectSectorWnd::GetDetectArea() const {
    const AreaSlot& s = scene_.Slot(kDetectAreaSlot);
    if (!s.used) return {};
    return s.vertices;
}

void CObjectSectorWnd::RenderMarkerImage(uint32_t* pixels, int w, int h, uint32_t colour, const std::wstring& text,
                                         COLORREF textColour) {
    if (!pixels || w <= 0 || h <= 0) return;
    void* bits = nullptr;
    rova::UniqueBitmap bitmap(CreateHBitmap(&bits, w, h, 32));
    if (!bitmap) {
        RenderMarkerDisc(pixels, w, h, colour);
        return;
    }
    auto* image = static_cast<uint32_t*>(bits);
    RenderMarkerDisc(image, w, h, colour);
    if (!text.empty()) {
        rova::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        if (dc) {
            rova::SelectScope selectBitmap(dc.get(), bitmap.get());
            rova::SelectScope selectFont(dc.get(), font_.get());
            ::SetBkMode(dc.get(), TRANSPARENT);
            ::SetTextColor(dc.get(), textColour);
            RECT rc{0, 0, w, h};
            ::DrawTextW(dc.get(), text.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            ::GdiFlush();
        }
    }
    const size_t total = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < total; ++i) {
        uint32_t p = image[i];
        // Text drawing leaves the alpha of the pixels it touched at 0.
        if ((p & 0x00FFFFFFu) != 0 && (p >> 24) == 0) p |= 0xFF000000u;
        pixels[i] = p;
    }
}

// ---------------------------------------------------------------------------------------------
// Rendering
// ---------------------------------------------------------------------------------------------

void CObjectSectorWnd::DrawGrid(void* graphicsHandle) {
    auto* graphics = static_cast<Gdiplus::GpGraphics*>(graphicsHandle);
    const SectorGrid grid = SectorGrid::Build(scene_.Geometry());
    rova::GdipPenPtr ringPen, edgePen;
    gp::GdipCreatePen1(SectorGrid::kRingPen | 0xFF000000u, SectorGrid::kRingPenWidth, Gdiplus::UnitWorld, ringPen.out());
    gp::GdipCreatePen1(SectorGrid::kEdgePen | 0xFF000000u, SectorGrid::kEdgePenWidth, Gdiplus::UnitWorld, edgePen.out());
    if (!ringPen || !edgePen) return;
    gp::GdipDrawLineI(graphics, edgePen.get(), grid.baseX0, grid.baseY, grid.baseX1, grid.baseY);
    for (const GridArc& a : grid.rings) {
        gp::GdipDrawArc(graphics, a.edgePen ? edgePen.get() : ringPen.get(), a.x, a.y, a.w, a.h, a.start, a.sweep);
    }
    for (const GridLine& l : grid.radials) gp::GdipDrawLine(graphics, edgePen.get(), l.x1, l.y1, l.x2, l.y2);
}

void CObjectSectorWnd::RedrawBackground() {
    if (!backgroundPixels_ || !scene_.IsLaidOut()) return;
    const SectorGeometry& g = scene_.Geometry();
    RECT all{0, 0, g.width, g.height};
    DrawColorOnBuffer(SectorGrid::kBackground, backgroundPixels_, &all, 4 * g.width);
    {
        rova::WindowDc windowDc(m_hWnd);
        rova::UniqueMemoryDc memoryDc(::CreateCompatibleDC(windowDc.get()));
        if (memoryDc) {
            rova::SelectScope select(memoryDc.get(), backgroundBitmap_.get());
            rova::GdipGraphicsPtr graphics;
            if (gp::GdipCreateFromHDC(memoryDc.get(), graphics.out()) == Gdiplus::Ok) {
                gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
                if (customBackground_) {
                    gp::GdipDrawImageRectRectI(graphics.get(), customBackground_->NativeImage(), 0, 0, g.width, g.height,
                                               0, 0, customBackground_->Width(), customBackground_->Height(),
                                               Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
                }
                DrawGrid(graphics.get());
                gp::GdipFlush(graphics.get(), Gdiplus::FlushIntentionSync);
            }
        }
    }
    ::GdiFlush();
    ShadeFan(backgroundPixels_, g);
    scene_.BackgroundChanged();
    if (m_hWnd) Invalidate(TRUE);
}

void CObjectSectorWnd::ComposeFrame() {
    if (!backgroundPixels_ || !windowPixels_) return;
    // The frame is composed straight into the window bitmap's pixels: the plot covers the whole
    // client area, so the separate work buffer would only add one more copy per paint. The bitmap
    // keeps the last frame, so only what changed since is composed again and shown.
    ::GdiFlush();
    const bool whole = scene_.ComposeChanged(backgroundPixels_, windowPixels_, &dirty_);
    if (!m_hWnd) return;
    if (whole) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    if (dirty_.empty()) return;
    // One region for all the parts: each invalidation is a trip to the window system, and a
    // frame has hundreds of small parts. Rounded out to tiles they are a few tens of rectangles,
    // disjoint and banded as region data must be; the pixels they add are unchanged ones.
    TileCover(dirty_, kInvalidTile, width_, height_, &invalid_);
    if (!invalid_.empty()) {
        const RECT& first = invalid_.front();
        triggerPixel_ = static_cast<uint32_t>(std::min<LONG>(first.left, 0xFFFF)) |
                        (static_cast<uint32_t>(std::min<LONG>(first.top, 0xFFFF)) << 16);
    }
    CRegionBuilder parts;
    for (const RECT& r : invalid_) parts.AddRect(r.left, r.top, r.right, r.bottom);
    rova::UniqueRgn region(parts.Release());
    if (region) {
        ::InvalidateRgn(m_hWnd, region.get(), FALSE);
    } else {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CObjectSectorWnd::OnPaint() {
    // Composed before the paint begins, so the changed parts join the update region and the blit
    // below, clipped to that region, carries them and whatever else the system asked for.
    if (backgroundPixels_ && m_hWnd) ComposeFrame();
    rova::PaintDc paint(m_hWnd);
    ++paintCount_;
    if (!windowBitmap_) return;
    rova::UniqueMemoryDc memoryDc(::CreateCompatibleDC(paint.get()));
    if (!memoryDc) return;
    rova::SelectScope select(memoryDc.get(), windowBitmap_.get());
    const RECT& r = paint.paintRect();
    ::BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memoryDc.get(), r.left, r.top, SRCCOPY);
}
