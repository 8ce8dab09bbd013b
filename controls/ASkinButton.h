#pragma once
// The owner-drawn button behind every button of the main window: one whole face image per state
// (the caption is part of the artwork), its own check state for push, check and radio behaviour,
// hover feedback, a hand cursor and a pushed look that follows the cursor while the button is held.
#include <windows.h>

#include "controls/OwnedBitmap.h"
#include "controls/SkinButtonRules.h"
#include "framework/GdiplusRaii.h"
#include "framework/Raii.h"
#include "framework/Wnd.h"

// Sent to group partners of a radio skin button to uncheck them.
constexpr UINT WM_SKINBUTTON_UNCHECK = WM_USER + 0x100;

class CASkinButton : public CWnd {
public:
    CASkinButton() noexcept;
    ~CASkinButton() override;

    // Each argument may be null; the button keeps copies and the caller keeps its images.
    void SetSkinImages(CGdipBitmap* normal, CGdipBitmap* pressed, CGdipBitmap* hover, CGdipBitmap* disabled,
                       CGdipBitmap* disabledChecked, CGdipBitmap* background);
    // Ids of "PNG" resources of the selected language; 0 or less means none. No hover image is
    // loaded, so such a button shows its normal face while hovered.
    static void LoadSkinImagesFromResources(CASkinButton& button, int normalId, int pressedId, int disabledId,
                                            int disabledCheckedId, int backgroundId);

    int GetCheck() const noexcept { return m_checked; }
    SkinButtonKind GetKind() const noexcept { return m_kind; }
    bool IsHovering() const noexcept { return m_hovering != 0; }
    COLORREF GetBackgroundColor() const noexcept { return m_backgroundColor; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void PreSubclassWindow() override;
    bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void DrawItem(const DRAWITEMSTRUCT& item);

private:
    void OnMouseMove(UINT flags, POINT pt);
    void OnMouseLeave();
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    void OnLButtonDblClk(WPARAM flags, LPARAM pos);
    void OnKillFocus();
    void OnKeyDown(UINT key);
    bool OnSetCursor();
    void OnUncheck();
    void OnSetCheck(bool check);
    // The check change of a completed click (mouse release over the button or Space).
    void ApplyClickCheck();
    bool CursorIsOverMe() const noexcept;
    bool CorrectPushedState();
    void Repaint() const noexcept { ::InvalidateRect(m_hWnd, nullptr, TRUE); }
    CGdipBitmap* FaceImage(SkinFace face) const noexcept;
    void DrawCaption(HDC targetDc, Gdiplus::GpGraphics* graphics, const RECT& itemRect, bool disabled);

    int m_checked = 0;
    SkinButtonKind m_kind = SkinButtonPush;
    int m_hovering = 0;
    int m_pressTracking = 0;
    OwnedBitmap m_normalImage;
    OwnedBitmap m_pressedImage;
    OwnedBitmap m_hoverImage;
    OwnedBitmap m_disabledImage;
    OwnedBitmap m_disabledCheckedImage;
    OwnedBitmap m_backgroundImage;
    COLORREF m_backgroundColor;
    rova::UniqueFont m_font;
    rova::GdipStringFormatPtr m_stringFormat;
    COLORREF m_textColor;
    RECT m_textRect{};
};
