#include "controls/ASkinButton.h"

#include <windowsx.h>

#include <string>

#include "controls/GdipColor.h"
#include "controls/InterfaceFont.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
constexpr COLORREF kSkinBackground = RGB(42, 50, 60);

rova::GdipStringFormatPtr MakeCentredFormat(INT flags) {
    rova::GdipStringFormatPtr format;
    if (GdipCreateStringFormat(flags, LANG_NEUTRAL, format.out()) == Ok) {
        GdipSetStringFormatAlign(format.get(), StringAlignmentCenter);
        GdipSetStringFormatLineAlign(format.get(), StringAlignmentCenter);
    }
    return format;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void FillSolid(GpGraphics* graphics, COLORREF color, int width, int height) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(ArgbFromColorRef(color), &brush) != Ok) return;
    rova::GdipBrushPtr owner(brush);
    GdipFillRectangleI(graphics, brush, 0, 0, width, height);
}

void DrawTextIn(GpGraphics* graphics, const std::wstring& text, GpFont* font, const RectF& layout,
                GpStringFormat* format, COLORREF color) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(ArgbFromColorRef(color), &brush) != Ok) return;
    rova::GdipBrushPtr owner(brush);
    GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &layout, format, brush);
}
}  // namespace

CASkinButton::CASkinButton() noexcept
    : m_backgroundColor(::GetSysColor(COLOR_BACKGROUND)),
      m_stringFormat(MakeCentredFormat(StringFormatFlagsLineLimit)),
      m_textColor(::GetSysColor(COLOR_BTNTEXT)) {}

CASkinButton::~CASkinButton() {
    // The control must not keep a font handle that dies with this object.
    if (m_hWnd && m_font) ::SendMessageW(m_hWnd, WM_SETFONT, 0, FALSE);
}

void CASkinButton::PreSubclassWindow() {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    m_kind = SkinButtonRules::KindFromStyle(static_cast<uint32_t>(style));
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | BS_OWNERDRAW);
    if (m_font) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
}

void CASkinButton::SetSkinImages(CGdipBitmap* normal, CGdipBitmap* pressed, CGdipBitmap* hover, CGdipBitmap* disabled,
                                 CGdipBitmap* disabledChecked, CGdipBitmap* background) {
    ::SetRectEmpty(&m_textRect);

    rova::WindowDc screen(nullptr);
    const int height = -::MulDiv(10, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    rova::UniqueFont font(
        ::CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                      InterfaceFontFace().c_str()));
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    m_font = std::move(font);  // the old font goes only after the window let go of it

    m_stringFormat = MakeCentredFormat(0);
    m_textColor = RGB(255, 255, 255);

    if (normal || pressed || hover || disabled || disabledChecked) {
        m_normalImage.reset(Gdiplus_CopyBitmap(normal));
        m_pressedImage.reset(Gdiplus_CopyBitmap(pressed));
        m_hoverImage.reset(Gdiplus_CopyBitmap(hover));
        m_disabledImage.reset(disabled ? Gdiplus_CopyBitmap(disabled) : Gdiplus_Gray(m_normalImage.get()));
        m_disabledCheckedImage.reset(disabledChecked ? Gdiplus_CopyBitmap(disabledChecked)
                                                     : Gdiplus_Gray(m_pressedImage.get()));
    }
    m_backgroundImage.reset(Gdiplus_CopyBitmap(background));
    m_backgroundColor = kSkinBackground;
    if (m_hWnd) {
        ::SetWindowTextW(m_hWnd, L"");
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CASkinButton::LoadSkinImagesFromResources(CASkinButton& button, int normalId, int pressedId, int disabledId,
                                               int disabledCheckedId, int backgroundId) {
    OwnedBitmap normal = LoadPngResource(normalId);
    OwnedBitmap pressed = LoadPngResource(pressedId);
    OwnedBitmap disabled = LoadPngResource(disabledId);
    OwnedBitmap disabledChecked = LoadPngResource(disabledCheckedId);
    OwnedBitmap background = LoadPngResource(backgroundId);
    button.SetSkinImages(normal.get(), pressed.get(), nullptr, disabled.get(), disabledChecked.get(), background.get());
}

CGdipBitmap* CASkinButton::FaceImage(SkinFace face) const noexcept {
    switch (face) {
    case SkinFace::Pressed:
        return m_pressedImage.get();
    case SkinFace::Hover:
        return m_hoverImage.get();
    case SkinFace::Disabled:
        return m_disabledImage.get();
    case SkinFace::DisabledChecked:
        return m_disabledCheckedImage.get();
    case SkinFace::Normal:
        break;
    }
    return m_normalImage.get();
}

bool CASkinButton::CursorIsOverMe() const noexcept {
    POINT pt{};
    return ::GetCursorPos(&pt) && ::WindowFromPoint(pt) == m_hWnd;
}

// While the button is held, the pushed look follows the cursor; a changed state
// brings its own paint request, so this paint draws nothing.
bool CASkinButton::CorrectPushedState() {
    POINT pt{};
    if (!m_pressTracking || ::GetCapture() != m_hWnd || !::GetCursorPos(&pt)) return false;
    const bool over = ::WindowFromPoint(pt) == m_hWnd;
    const bool pushed = (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    if (over == pushed) return false;
    ::SendMessageW(m_hWnd, BM_SETSTATE, over ? TRUE : FALSE, 0);
    return true;
}

void CASkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (CorrectPushedState()) return;
    const RECT& rc = item.rcItem;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return;

    rova::UniqueMemoryDc memDc(::CreateCompatibleDC(item.hDC));
    rova::UniqueBitmap bitmap(::CreateCompatibleBitmap(item.hDC, width, height));
    if (!memDc || !bitmap) return;
    {
        rova::SelectScope selectBitmap(memDc.get(), bitmap.get());
        {
            rova::GdipGraphicsPtr graphics;  // gone before the copy, so every drawing is flushed
            if (GdipCreateFromHDC(memDc.get(), graphics.out()) == Ok) {
                FillSolid(graphics.get(), m_backgroundColor, width, height);
                const bool disabled = (item.itemState & ODS_DISABLED) != 0;
                const bool selected = (item.itemState & ODS_SELECTED) != 0 || m_checked;
                CGdipBitmap* image = FaceImage(SkinButtonRules::ChooseFace(disabled, selected, m_hovering != 0));
                if (!image) image = m_normalImage.get();
                if (!image) image = m_backgroundImage.get();
                if (image) {
                    DrawStretched(graphics.get(), image, width, height);
                }
                const RECT local{0, 0, width, height};
                DrawCaption(item.hDC, graphics.get(), local, disabled);
            }
        }
        ::BitBlt(item.hDC, rc.left, rc.top, width, height, memDc.get(), 0, 0, SRCCOPY);
    }
}

void CASkinButton::DrawCaption(HDC targetDc, GpGraphics* graphics, const RECT& itemRect, bool disabled) {
    const std::wstring text = WindowText(m_hWnd);
    if (text.empty()) return;
    RECT layoutRect = ::IsRectEmpty(&m_textRect) ? itemRect : m_textRect;
    rova::GdipFontPtr font;
    if (GdipCreateFontFromDC(targetDc, font.out()) != Ok) return;
    GdipSetTextRenderingHint(graphics, TextRenderingHintAntiAlias);
    RectF layout(static_cast<REAL>(layoutRect.left), static_cast<REAL>(layoutRect.top),
                 static_cast<REAL>(layoutRect.right - layoutRect.left),
                 static_cast<REAL>(layoutRect.bottom - layoutRect.top));
    if (!disabled) {
        DrawTextIn(graphics, text, font.get(), layout, m_stringFormat.get(), m_textColor);
        return;
    }
    DrawTextIn(graphics, text, font.get(), layout, m_stringFormat.get(), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    layout.X -= 1;
    layout.Y -= 1;
    DrawTextIn(graphics, text, font.get(), layout, m_stringFormat.get(), ::GetSysColor(COLOR_GRAYTEXT));
}

bool CASkinButton::OnChildNotify(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM) return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
}

void CASkinButton::OnMouseMove(UINT, POINT) {
    if (m_pressTracking && ::GetCapture() == m_hWnd) {
        const bool over = CursorIsOverMe();
        const bool pushed = (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        if (over != pushed) {
            ::SendMessageW(m_hWnd, BM_SETSTATE, over ? TRUE : FALSE, 0);
            Repaint();
        }
        return;
    }
    if (m_hovering) return;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
    if (::TrackMouseEvent(&track)) {
        m_hovering = 1;
        Repaint();
    }
}

void CASkinButton::OnMouseLeave() {
    m_hovering = 0;
    Repaint();
}

void CASkinButton::OnLButtonDown(UINT, POINT) {
    if (m_hovering) {
        TRACKMOUSEEVENT track{sizeof(track), TME_CANCEL | TME_LEAVE, m_hWnd, 0};
        if (::TrackMouseEvent(&track)) m_hovering = 0;
    }
}

void CASkinButton::ApplyClickCheck() {
    if (m_kind == SkinButtonCheck) {
        ::SendMessageW(m_hWnd, BM_SETCHECK, m_checked ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (m_kind == SkinButtonRadio) {
        ::SendMessageW(m_hWnd, BM_SETCHECK, BST_CHECKED, 0);
    }
}

void CASkinButton::OnLButtonUp(UINT, POINT) {
    if (m_pressTracking && m_kind != SkinButtonPush && CursorIsOverMe()) ApplyClickCheck();
    m_pressTracking = 0;
}

void CASkinButton::OnLButtonDblClk(WPARAM flags, LPARAM pos) {
    // A double click is a second press: Check buttons toggle twice and the parent
    // hears two clicks.
    ::SendMessageW(m_hWnd, WM_LBUTTONDOWN, flags, pos);
}

void CASkinButton::OnKillFocus() {
    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        m_pressTracking = 0;
    }
}

void CASkinButton::OnKeyDown(UINT key) {
    if (key == VK_SPACE && m_kind != SkinButtonPush) ApplyClickCheck();
}

bool CASkinButton::OnSetCursor() {
    POINT pt{};
    if (!::GetCursorPos(&pt)) return false;
    HWND under = ::WindowFromPoint(pt);
    wchar_t className[16] = {};
    if (!under || !::GetClassNameW(under, className, 16) || _wcsicmp(className, L"Button") != 0) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

void CASkinButton::OnUncheck() {
    if (!m_checked) return;
    m_checked = 0;
    ::SendMessageW(m_hWnd, BM_SETSTATE, FALSE, 0);
    Repaint();
}

void CASkinButton::OnSetCheck(bool check) {
    m_checked = check ? 1 : 0;
    if (m_kind == SkinButtonPush) m_checked = 0;
    if (m_kind == SkinButtonRadio && check) {
        HWND parent = ::GetParent(m_hWnd);
        HWND first = nullptr;
        for (HWND next = ::GetNextDlgGroupItem(parent, m_hWnd, FALSE); next && next != m_hWnd && next != first;
             next = ::GetNextDlgGroupItem(parent, next, FALSE)) {
            if (!first) first = next;
            ::SendMessageW(next, WM_SKINBUTTON_UNCHECK, 0, 0);
        }
    }
    Repaint();
}

LRESULT CASkinButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), pt);
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_LBUTTONDOWN: {
        OnLButtonDown(static_cast<UINT>(wParam), pt);
        const LRESULT result = Default(msg, wParam, lParam);
        m_pressTracking = 1;
        return result;
    }
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), pt);
        break;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(wParam, lParam);
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus();
        break;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        break;
    case WM_SETCURSOR:
        if (OnSetCursor()) return TRUE;
        break;
    case WM_SKINBUTTON_UNCHECK:
        OnUncheck();
        return 0;
    case BM_SETCHECK:
        OnSetCheck(wParam != 0);
        return 0;
    case BM_GETCHECK:
        return m_checked;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
