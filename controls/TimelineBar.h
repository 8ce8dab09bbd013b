#pragma once
// The playback timeline along the bottom of the target view: elapsed and total time with the
// recording's date and time of day, a position slider with the zone marks on it, the speed, step
// and loop. It shows and asks; the owner plays: every choice goes to the listener, and the owner
// tells the bar where the playback is.
#include <windows.h>

#include <string>
#include <vector>

#include "controls/TimelineModel.h"
#include "framework/Raii.h"
#include "framework/Wnd.h"

class ITimelineListener {
public:
    virtual ~ITimelineListener() = default;
    virtual void OnTimelineSeek(uint64_t ms) = 0;
    virtual void OnTimelineSpeed(int speedIndex) = 0;
    virtual void OnTimelineStep() = 0;
    virtual void OnTimelineLoop(bool loop) = 0;
};

class CTimelineBar : public CWnd {
public:
    static constexpr const wchar_t* kClassName = L"ROVA_TimelineBar";
    static constexpr int kHeight = 30;
    static constexpr int kMarkTolerance = 3;  // pixels either side of a mark that still hit it

    // The texts of the bar in the interface language.
    struct Texts {
        std::wstring step = L"Step";
        std::wstring loop = L"Loop";
        std::wstring fastest = L"Fastest";
        std::wstring entry = L"Area {area}: target {target} enters";
        std::wstring exit = L"Area {area}: target {target} leaves";
    };

    CTimelineBar() noexcept = default;
    ~CTimelineBar() override;

    bool Create(HWND parent, const RECT& rect, UINT id, ITimelineListener* listener) noexcept;
    void SetTexts(const Texts& texts);

    // The owner's side: the recording's span, where the playback is, the marks.
    void SetRange(uint64_t firstMs, uint64_t lastMs, FILETIME startUtc);
    // The span alone, the recording's date kept (the span grows while the recording is indexed).
    void SetSpan(uint64_t firstMs, uint64_t lastMs);
    void SetPosition(uint64_t ms);
    void SetMarks(std::vector<TimelineMark> marks);
    void SetSpeedIndex(int index);
    void SetLoop(bool loop);
    const TimelineModel& Model() const noexcept { return m_model; }
    TimelineModel::Parts Parts() const noexcept;
    // The text of the mark under the cursor; empty when none.
    const std::wstring& HoverText() const noexcept { return m_hoverText; }
    // The colour of area k's marks.
    static COLORREF MarkColour(int area) noexcept;

    // Picks a speed from the speed menu at the speed box (also what a click there does).
    void ChooseSpeed(int index);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void Draw(HDC dc, const RECT& client);
    void OnButtonDown(int x, int y);
    void OnMouseMove(int x, int y, bool dragging);
    void SeekToX(int x);
    void ShowSpeedMenu();

    ITimelineListener* m_listener = nullptr;
    TimelineModel m_model;
    Texts m_texts;
    rova::UniqueFont m_font;
    bool m_dragging = false;
    std::wstring m_hoverText;
    bool m_tracking = false;  // WM_MOUSELEAVE asked for
};
