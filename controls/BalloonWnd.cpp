#include "controls/BalloonWnd.h"

#include <windowsx.h>

#include <algorithm>

#include "contracts/ROVA_Common.h"
#include "controls/InterfaceFont.h"
#include "controls/KeyedRegion.h"

namespace {

constexpr int kWarningGlyphPoints = 10;
constexpr int kInfoGlyphPoints = 14;
constexpr int kTitlePoints = 14;
constexpr int kTextPoints = 9;
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

HFONT MakeFont(int points, int dpiY) {
    return ::CreateFontW(-::MulDiv(points, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         InterfaceFontFace().c_str());
}

POINT PointOf(LPARAM lParam) noexcept {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// A shape with a 1-pixel outline of one colour and a fill of another.
struct OutlineAndFill {
    rova::UniquePen pen;
    rova::UniqueBrush brush;
    OutlineAndFill(COLORREF outline, COLORREF fill)
        : pen(::CreatePen(PS_SOLID, 1, outline)), brush(::CreateSolidBrush(fill)) {}
};

void DrawCross(HDC dc, const RECT& rect, int inset, int width, COLORREF color) {
    rova::UniquePen pen(::CreatePen(PS_SOLID, width, color));
    rova::SelectScope selectPen(dc, pen.get());
    ::MoveToEx(dc, rect.left + inset, rect.top + inset, nullptr);
    ::LineTo(dc, rect.right - inset, rect.bottom - inset);
    ::MoveToEx(dc, rect.left + inset, rect.bottom - inset, nullptr);
    ::LineTo(dc, rect.right - inset, rect.top + inset);
}

}  // namespace

CBalloonWnd::~CBalloonWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CBalloonWnd::CreateBalloon(HWND ownerControl) {
    if (m_hWnd) return true;
    ::SetLastError(0);
    if (!CWnd::RegisterClass(kClassName, CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                             static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)))) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS) {
            DbgOutputA(2, "BALLOONWND: RegisterClassEx Failed: %d\r\n", static_cast<int>(error));
            return false;
        }
    }
    // Owned by the top-level window, so the balloon floats above the dialog, not inside it.
    HWND owner = ownerControl;
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(owner);
        if (!parent) break;
        owner = parent;
    }
    if (!CreateEx(WS_EX_LAYERED | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr))
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    CreateFonts();
    // A layered window stays invisible until it has its attributes.
    ApplyAlpha();
    return true;
}

void CBalloonWnd::CreateFonts() {
    rova::WindowDc screen(nullptr);
    const int dpiY = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    m_warningGlyphFont.reset(MakeFont(kWarningGlyphPoints, dpiY));
    m_infoGlyphFont.reset(MakeFont(kInfoGlyphPoints, dpiY));
    m_titleFont.reset(MakeFont(kTitlePoints, dpiY));
    m_textFont.reset(MakeFont(kTextPoints, dpiY));
}

void CBalloonWnd::ShowBalloon(POINT anchor, const wchar_t* title, const wchar_t* text, int icon) {
    const std::wstring titleText = title ? title : L"";
    const std::wstring bodyText = text ? text : L"";
    if (!m_hWnd) {
        m_model.AddOrRefresh(titleText, bodyText, icon);
        return;
    }
    if (OwnerHidden()) {
        // Nothing to point at: showing now would leave a balloon over a hidden dialog.
        Apply(m_model.Dismiss());
        return;
    }
    const BalloonActions actions = m_model.Show(titleText, bodyText, icon);
    if (actions.stopCountdown) StopTimer(kCountdownTimer);
    if (actions.stopFade) StopTimer(kFadeTimer);
    ::SetWindowPos(m_hWnd, HWND_TOP, anchor.x, anchor.y, 0, 0, SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
    RebuildBalloon();
    HWND focus = ::GetFocus();
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    if (focus && ::GetFocus() != focus) ::SetFocus(focus);
    if (actions.applyAlpha) ApplyAlpha();
    if (actions.startCountdown) StartTimer(kCountdownTimer, CBalloonModel::kCountdownPeriodMs);
}

void CBalloonWnd::StartTimer(UINT_PTR id, UINT periodMs) {
    if (m_hWnd) ::SetTimer(m_hWnd, id, periodMs, nullptr);
}

void CBalloonWnd::StopTimer(UINT_PTR id) {
    if (m_hWnd) ::KillTimer(m_hWnd, id);
}

void CBalloonWnd::Apply(const BalloonActions& actions) {
    if (actions.stopCountdown) StopTimer(kCountdownTimer);
    if (actions.stopFade) StopTimer(kFadeTimer);
    if (actions.rebuild) RebuildBalloon();
    if (actions.hide) Hide();
    if (actions.applyAlpha) ApplyAlpha();
    if (actions.startCountdown) StartTimer(kCountdownTimer, CBalloonModel::kCountdownPeriodMs);
    if (actions.startFade) StartTimer(kFadeTimer, CBalloonModel::kFadePeriodMs);
    if (actions.repaint && m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CBalloonWnd::ApplyAlpha() {
    if (!m_hWnd) return;
    const int alpha = std::clamp(m_model.GetAlpha(), 0, 255);
    ::SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void CBalloonWnd::Hide() {
    if (!m_hWnd) return;
    m_hiding = true;
    ::ShowWindow(m_hWnd, SW_HIDE);
    m_hiding = false;
}

bool CBalloonWnd::OwnerHidden() const {
    HWND owner = GetOwnerWindow();
    return owner && ::IsWindow(owner) && !::IsWindowVisible(owner);
}

LRESULT CBalloonWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(PointOf(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        Default(msg, wParam, lParam);
        OnLButtonDown();
        return 0;
    case WM_LBUTTONUP:
        Default(msg, wParam, lParam);
        OnLButtonUp(PointOf(lParam));
        return 0;
    case WM_KILLFOCUS:
        Default(msg, wParam, lParam);
        OnKillFocus();
        return 0;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return Default(msg, wParam, lParam);
    case WM_DESTROY:
        Default(msg, wParam, lParam);
        OnDestroy();
        return 0;
    default:
        return Default(msg, wParam, lParam);
    }
}

void CBalloonWnd::OnTimer(UINT_PTR id) {
    if (OwnerHidden()) {
        // The dialog went away while the balloon was up.
        Apply(m_model.Dismiss());
        return;
    }
    if (id == kCountdownTimer) {
        Apply(m_model.CountdownTick());
    } else if (id == kFadeTimer) {
        Apply(m_model.FadeTick());
    }
}

void CBalloonWnd::OnMouseMove(POINT client) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = HOVER_DEFAULT;
    ::TrackMouseEvent(&track);
    Apply(m_model.MouseMove(::PtInRect(&m_closeRect, client) != FALSE));
}

void CBalloonWnd::OnMouseLeave() {
    Apply(m_model.MouseLeave());
}

void CBalloonWnd::OnLButtonDown() {
    // To the top of the z-order, but without activation: the balloon never takes the focus.
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CBalloonWnd::OnLButtonUp(POINT client) {
    if (::PtInRect(&m_closeRect, client)) Apply(m_model.Dismiss());
}

void CBalloonWnd::OnKillFocus() {
    Apply(m_model.FocusLost());
}

void CBalloonWnd::OnDestroy() {
    m_balloonBitmap.reset();
    m_balloonPixels = nullptr;
    m_warningGlyphFont.reset();
    m_infoGlyphFont.reset();
    m_titleFont.reset();
    m_textFont.reset();
    m_model.Reset();
}

void CBalloonWnd::OnWindowPosChanging(WINDOWPOS* pos) {
    if (m_hiding || !pos || !OwnerHidden()) return;
    BalloonActions actions = m_model.Dismiss();
    actions.hide = false;  // hidden by this very position change instead of a nested one
    Apply(actions);
    pos->flags &= ~SWP_SHOWWINDOW;
    pos->flags |= SWP_HIDEWINDOW;
}

void CBalloonWnd::RebuildBalloon() {
    if (!m_hWnd) return;
    rova::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return;
    CAutoBaseLock hold(m_model.ListLock());
    const BalloonLayout layout = m_model.Layout([&](const std::wstring& text, bool title) {
        rova::SelectScope font(dc.get(), title ? m_titleFont.get() : m_textFont.get());
        RECT rect{0, 0, 0, 0};
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect, kTextFormat | DT_CALCRECT);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    });
    m_closeRect = layout.closeRect;

    void* pixels = nullptr;
    m_balloonBitmap.reset(CreateHBitmap(&pixels, layout.width, layout.height, 24));
    m_balloonPixels = pixels;
    if (!m_balloonBitmap) return;
    {
        rova::SelectScope select(dc.get(), m_balloonBitmap.get());
        BuildBalloonShape(dc.get(), layout.width, layout.height);
    }
    ::GdiFlush();
    rova::UniqueRgn region(RegionFromKeyedBitmap(m_balloonBitmap.get()));
    {
        rova::SelectScope select(dc.get(), m_balloonBitmap.get());
        ::SetBkMode(dc.get(), OPAQUE);
        ::SetBkColor(dc.get(), RGB(255, 255, 255));
        for (int i = 0; i < m_model.GetMessageCount(); ++i) {
            const BalloonMessage* message = m_model.MessageAt(i);
            if (!message || message->remainingMs == 0) continue;
            DrawBalloonIcon(dc.get(), message->iconRect, message->icon);
            RECT titleRect = message->titleRect;
            RECT textRect = message->textRect;
            {
                rova::SelectScope font(dc.get(), m_titleFont.get());
                ::SetTextColor(dc.get(), RGB(0, 51, 153));
                ::DrawTextW(dc.get(), message->title.c_str(), static_cast<int>(message->title.size()), &titleRect,
                            kTextFormat);
            }
            {
                rova::SelectScope font(dc.get(), m_textFont.get());
                ::SetTextColor(dc.get(), RGB(0, 0, 0));
                ::DrawTextW(dc.get(), message->text.c_str(), static_cast<int>(message->text.size()), &textRect,
                            kTextFormat);
            }
        }
    }
    ::GdiFlush();
    // The window owns the region once it has it.
    if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, layout.width, layout.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CBalloonWnd::BuildBalloonShape(HDC dc, int width, int height) {
    const RECT all{0, 0, width, height};
    rova::UniqueBrush key(::CreateSolidBrush(RGB(255, 0, 0)));
    ::FillRect(dc, &all, key.get());

    rova::UniquePen outline(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    rova::SelectScope selectPen(dc, outline.get());
    rova::SelectScope selectBrush(dc, ::GetStockObject(WHITE_BRUSH));
    const POINT tail[3] = {{20, 0}, {20, 20}, {40, 20}};
    ::Polygon(dc, tail, 3);
    ::RoundRect(dc, 0, 20, width, height, 14, 14);

    // Open the body's outline where the tail joins it.
    rova::UniquePen joint(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    rova::SelectScope selectJoint(dc, joint.get());
    ::MoveToEx(dc, 20, 20, nullptr);
    ::LineTo(dc, 40, 20);
}

void CBalloonWnd::DrawBalloonIcon(HDC dc, const RECT& rect, int icon) {
    const BalloonSign sign = SignOfIcon(icon);
    if (sign == BalloonSign::None) return;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    switch (sign) {
    case BalloonSign::Info: {
        OutlineAndFill style(RGB(0, 78, 140), RGB(0, 120, 215));
        rova::SelectScope pen(dc, style.pen.get());
        rova::SelectScope brush(dc, style.brush.get());
        ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
        rova::SelectScope font(dc, m_infoGlyphFont.get());
        ::SetTextColor(dc, RGB(255, 255, 255));
        RECT glyph = rect;
        ::DrawTextW(dc, L"i", 1, &glyph, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        break;
    }
    case BalloonSign::Warning: {
        OutlineAndFill style(RGB(255, 185, 0), RGB(252, 225, 0));
        rova::SelectScope pen(dc, style.pen.get());
        rova::SelectScope brush(dc, style.brush.get());
        const POINT corners[3] = {
            {(rect.left + rect.right) / 2, rect.top}, {rect.left, rect.bottom}, {rect.right, rect.bottom}};
        ::Polygon(dc, corners, 3);
        rova::SelectScope font(dc, m_warningGlyphFont.get());
        ::SetTextColor(dc, RGB(0, 0, 0));
        RECT glyph = rect;
        glyph.bottom -= 1;
        ::DrawTextW(dc, L"!", 1, &glyph, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
        break;
    }
    case BalloonSign::Error: {
        OutlineAndFill style(RGB(165, 38, 19), RGB(240, 58, 23));
        rova::SelectScope pen(dc, style.pen.get());
        rova::SelectScope brush(dc, style.brush.get());
        ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
        DrawCross(dc, rect, 8, 2, RGB(255, 255, 255));
        break;
    }
    case BalloonSign::None:
        break;
    }
    ::SetBkMode(dc, oldMode);
}

void CBalloonWnd::DrawCloseButton(HDC dc, bool hot) {
    const RECT& rect = m_closeRect;
    OutlineAndFill style(::GetSysColor(hot ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER),
                         ::GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    {
        rova::SelectScope pen(dc, style.pen.get());
        rova::SelectScope brush(dc, style.brush.get());
        ::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    DrawCross(dc, rect, 6, 3, hot ? RGB(255, 255, 255) : RGB(0, 0, 0));
}

void CBalloonWnd::OnPaint() {
    rova::PaintDc paint(m_hWnd);
    if (!m_balloonBitmap) return;
    rova::UniqueMemoryDc memory(::CreateCompatibleDC(paint.get()));
    if (!memory) return;
    rova::SelectScope select(memory.get(), m_balloonBitmap.get());
    DrawCloseButton(memory.get(), m_model.IsCloseHot());
    const RECT client = GetClientRect();
    ::BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}
