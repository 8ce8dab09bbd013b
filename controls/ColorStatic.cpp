#include "controls/ColorStatic.h"

#include "controls/GdipColor.h"
#include "controls/InterfaceFont.h"
#include "controls/LabelLineLayout.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
constexpr COLORREF kLabelBackground = 0xFF3C322A;  // the top byte is never painted

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}
}  // namespace

CColorStatic::CColorStatic() noexcept
    : m_backgroundColor(::GetSysColor(COLOR_BTNFACE)), m_textColor(::GetSysColor(COLOR_BTNTEXT)) {
    FormatStatus(GdipCreateStringFormat(0, LANG_NEUTRAL, m_stringFormat.out()));
    if (m_stringFormat) {
        FormatStatus(GdipSetStringFormatAlign(m_stringFormat.get(), StringAlignmentCenter));
        FormatStatus(GdipSetStringFormatLineAlign(m_stringFormat.get(), StringAlignmentCenter));
        FormatStatus(GdipSetStringFormatFlags(m_stringFormat.get(), StringFormatFlagsLineLimit));
    }
}

CColorStatic::~CColorStatic() {
    if (m_hWnd && m_font) ::SendMessageW(m_hWnd, WM_SETFONT, 0, FALSE);
}

void CColorStatic::PreSubclassWindow() {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(3)) | SS_OWNERDRAW);
    if (m_font) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
}

void CColorStatic::SetLabelStyle(CGdipBitmap* image, int points, int lineGap, int alignment) {
    ::SetRectEmpty(&m_textRect);

    rova::WindowDc screen(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    rova::UniqueFont font(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                        InterfaceFontFace().c_str()));
    if (m_hWnd) ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    m_font = std::move(font);  // the old font goes only after the window let go of it

    if (m_stringFormat) {
        FormatStatus(GdipSetStringFormatAlign(m_stringFormat.get(), static_cast<StringAlignment>(alignment)));
        FormatStatus(GdipSetStringFormatLineAlign(m_stringFormat.get(), StringAlignmentCenter));
        FormatStatus(GdipSetStringFormatFlags(m_stringFormat.get(), 0));
    }
    m_lineGap = lineGap;
    m_textColor = RGB(255, 255, 255);
    m_image.reset(Gdiplus_CopyBitmap(image));
    m_backgroundColor = kLabelBackground;
    if (m_hWnd) {
        ::SetWindowTextW(m_hWnd, L"");
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CColorStatic::SetLabelStyleFromResource(int pngId, int points, int lineGap, int alignment) {
    OwnedBitmap image = LoadPngResource(pngId);
    SetLabelStyle(image.get(), points, lineGap, alignment);
}

void CColorStatic::SetImage(CGdipBitmap* image) {
    m_image.reset(Gdiplus_CopyBitmap(image));
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColorStatic::SetBackgroundColor(COLORREF color) {
    m_backgroundColor = color;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColorStatic::SetTextColor(COLORREF color) {
    m_textColor = color;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CColorStatic::DrawString(GpGraphics* graphics, GpFont* font, const std::wstring& text, const RectF& layout) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(ArgbFromColorRef(m_textColor), &brush) != Ok) return;
    rova::GdipBrushPtr owner(brush);
    GdipSetTextRenderingHint(graphics, TextRenderingHintAntiAlias);
    GdipDrawString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &layout, m_stringFormat.get(), brush);
}

void CColorStatic::DrawLines(GpGraphics* graphics, GpFont* font, const std::wstring& text, const RectF& layout) {
    const std::vector<std::wstring> lines = LabelLineLayout::SplitLines(text);
    std::vector<float> heights;
    heights.reserve(lines.size());
    for (const std::wstring& line : lines) {
        RectF bound{};
        GdipMeasureString(graphics, line.c_str(), static_cast<INT>(line.size()), font, &layout, nullptr, &bound,
                          nullptr, nullptr);
        heights.push_back(bound.Height);
    }
    StringAlignment lineAlign = StringAlignmentCenter;
    if (m_stringFormat) FormatStatus(GdipGetStringFormatLineAlign(m_stringFormat.get(), &lineAlign));
    const std::vector<float> tops = LabelLineLayout::LineTops(layout.Y, layout.Height, heights, m_lineGap,
                                                              static_cast<LabelLineLayout::Alignment>(lineAlign));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        DrawString(graphics, font, lines[i], RectF(layout.X, tops[i], layout.Width, heights[i]));
    }
}

void CColorStatic::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& rc = item.rcItem;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return;

    rova::GdipFontPtr font;
    GdipCreateFontFromDC(item.hDC, font.out());
    rova::UniqueMemoryDc memDc(::CreateCompatibleDC(item.hDC));
    rova::UniqueBitmap bitmap(::CreateCompatibleBitmap(item.hDC, width, height));
    if (!memDc || !bitmap) return;
    rova::SelectScope selectBitmap(memDc.get(), bitmap.get());
    {
        rova::GdipGraphicsPtr graphics;
        if (GdipCreateFromHDC(memDc.get(), graphics.out()) != Ok) return;
        if (m_image) {
            DrawStretched(graphics.get(), m_image.get(), width, height);
        } else {
            GpSolidFill* brush = nullptr;
            if (GdipCreateSolidFill(ArgbFromColorRef(m_backgroundColor), &brush) == Ok) {
                rova::GdipBrushPtr owner(brush);
                GdipFillRectangleI(graphics.get(), brush, 0, 0, width, height);
            }
        }
        const std::wstring text = WindowText(m_hWnd);
        RECT t = ::IsRectEmpty(&m_textRect) ? RECT{0, 0, width, height} : m_textRect;
        const RectF layout(static_cast<REAL>(t.left), static_cast<REAL>(t.top), static_cast<REAL>(t.right - t.left),
                           static_cast<REAL>(t.bottom - t.top));
        if (font && !text.empty()) {
            if (m_lineGap < 0) {
                DrawString(graphics.get(), font.get(), text, layout);
            } else {
                DrawLines(graphics.get(), font.get(), text, layout);
            }
        }
    }
    ::BitBlt(item.hDC, rc.left, rc.top, width, height, memDc.get(), 0, 0, SRCCOPY);
}

bool CColorStatic::OnChildNotify(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM) return false;
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
}

LRESULT CColorStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}
