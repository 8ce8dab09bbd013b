#pragma once
// Owner-drawn static: an image stretched over the whole control or a plain background colour,
// with the window text drawn over it in one block or as lines spread over the height. Drawn
// off-screen and copied in one step, with erasing suppressed, so it never flickers.
#include <windows.h>

#include <string>
#include <vector>

#include "controls/OwnedBitmap.h"
#include "framework/GdiplusRaii.h"
#include "framework/Raii.h"
#include "framework/Wnd.h"

class CColorStatic : public CWnd {
public:
    CColorStatic() noexcept;
    ~CColorStatic() override;

    // image may be null; points is the font size; lineGap < 0 one block, 0 even spread, > 0 pixels;
    // alignment is the horizontal GDI+ string alignment (0 near, 1 centre, 2 far).
    void SetLabelStyle(CGdipBitmap* image, int points, int lineGap, int alignment);
    void SetLabelStyleFromResource(int pngId, int points, int lineGap, int alignment);
    void SetImage(CGdipBitmap* image);
    void SetBackgroundColor(COLORREF color);
    void SetTextColor(COLORREF color);

    bool HasImage() const noexcept { return m_image != nullptr; }
    COLORREF GetBackgroundColor() const noexcept { return m_backgroundColor; }
    COLORREF GetTextColor() const noexcept { return m_textColor; }
    int GetLineGap() const noexcept { return m_lineGap; }
    HFONT GetLabelFont() const noexcept { return m_font.get(); }
    // The last nonzero GDI+ status of a string-format call.
    Gdiplus::Status GetStringFormatStatus() const noexcept { return m_stringFormatStatus; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void PreSubclassWindow() override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void DrawItem(const DRAWITEMSTRUCT& item);

private:
    void DrawLines(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, const std::wstring& text,
                   const Gdiplus::RectF& layout);
    void DrawString(Gdiplus::GpGraphics* graphics, Gdiplus::GpFont* font, const std::wstring& text,
                    const Gdiplus::RectF& layout);
    void FormatStatus(Gdiplus::Status status) noexcept {
        if (status != Gdiplus::Ok) m_stringFormatStatus = status;
    }

    OwnedBitmap m_image;
    COLORREF m_backgroundColor;
    rova::UniqueFont m_font;
    COLORREF m_textColor;
    rova::GdipStringFormatPtr m_stringFormat;
    Gdiplus::Status m_stringFormatStatus = Gdiplus::Ok;
    RECT m_textRect{};
    int m_lineGap = -1;
};
