#pragma once
// A pop-up shaped like a speech balloon, tail at the top left, that shows short messages next to
// a control. It never takes the keyboard focus. Messages expire after their display time, then
// the balloon fades out; the cursor over it pauses both.
#include <windows.h>

#include "controls/BalloonModel.h"
#include "framework/Raii.h"
#include "framework/Wnd.h"

class CBalloonWnd : public CWnd {
public:
    static constexpr wchar_t kClassName[] = L"BALLOONWND";
    // The balloon's timers, at the model's periods (kCountdownPeriodMs, kFadePeriodMs).
    static constexpr UINT_PTR kCountdownTimer = 1;
    static constexpr UINT_PTR kFadeTimer = 2;

    CBalloonWnd() noexcept = default;
    ~CBalloonWnd() override;

    // Creates the hidden balloon for ownerControl, owned by the top-level window that holds it.
    // False when the window class or the window could not be made.
    bool CreateBalloon(HWND ownerControl);
    // Adds or refreshes the message and shows the balloon with its top-left corner at anchor
    // (screen coordinates); the tail's tip is 20 pixels to the right of it.
    void ShowBalloon(POINT anchor, const wchar_t* title, const wchar_t* text, int icon);

    void SetFadeOnFocusLoss(bool fade) noexcept { m_model.SetFadeOnFocusLoss(fade); }
    const CBalloonModel& Model() const noexcept { return m_model; }
    HWND GetOwnerWindow() const noexcept { return m_hWnd ? ::GetWindow(m_hWnd, GW_OWNER) : nullptr; }
    RECT GetCloseRect() const noexcept { return m_closeRect; }
    // The picture as last composed (24-bit DIB section), null before the first layout.
    HBITMAP GetPicture() const noexcept { return m_balloonBitmap.get(); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    // The two timers go through these so that a test can drive the clock itself.
    virtual void StartTimer(UINT_PTR id, UINT periodMs);
    virtual void StopTimer(UINT_PTR id);

private:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnMouseMove(POINT client);
    void OnMouseLeave();
    void OnLButtonDown();
    void OnLButtonUp(POINT client);
    void OnKillFocus();
    void OnDestroy();
    void OnWindowPosChanging(WINDOWPOS* pos);

    void Apply(const BalloonActions& actions);
    void ApplyAlpha();
    void Hide();
    bool OwnerHidden() const;
    void CreateFonts();
    void RebuildBalloon();
    void BuildBalloonShape(HDC dc, int width, int height);
    void DrawBalloonIcon(HDC dc, const RECT& rect, int icon);
    void DrawCloseButton(HDC dc, bool hot);

    rova::UniqueFont m_warningGlyphFont;
    rova::UniqueFont m_infoGlyphFont;
    rova::UniqueFont m_titleFont;
    rova::UniqueFont m_textFont;
    rova::UniqueBitmap m_balloonBitmap;
    void* m_balloonPixels = nullptr;
    CBalloonModel m_model;
    RECT m_closeRect{};
    bool m_hiding = false;
};
