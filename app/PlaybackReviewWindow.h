#pragma once
// The main window's side of a reviewed playback: the timeline bar along the bottom of the target
// view while a playback runs, its refresh timer, the keys of the review, and the zone marks of the
// recording computed in the background when the playback opens.
#include <windows.h>

#include <functional>
#include <string>

#include "controls/TimelineBar.h"
#include "radar/PlaybackReview.h"
#include "radar/ZoneMarks.h"

class CPlaybackReviewWindow : public ITimelineListener {
public:
    static constexpr UINT_PTR kRefreshTimer = 6;  // on the main window, alive while the bar shows
    static constexpr UINT kRefreshMs = 100;
    static constexpr UINT kBarId = 1290;

    // What the review needs of the main window.
    struct Host {
        HWND window = nullptr;            // the main window: the bar's parent, the timer's owner
        HWND view = nullptr;              // the target view, the bar lies along its bottom
        std::function<void()> pause;      // Space: the Pause button's command
        std::function<void()> clearView;  // a jump: no track drawn across it
        std::function<void(const std::string&)> log;  // the run's event log
        std::wstring zonesProgram;        // ROVA_Zones.exe beside the console
        std::wstring settingsFile;        // appConfig.xml with the operator's areas
        std::wstring marksFile;           // where the marks pass writes its events
    };

    explicit CPlaybackReviewWindow(Host host, CPlaybackReview::Library library = CPlaybackReview::Exports());
    ~CPlaybackReviewWindow() override;
    CPlaybackReviewWindow(const CPlaybackReviewWindow&) = delete;
    CPlaybackReviewWindow& operator=(const CPlaybackReviewWindow&) = delete;

    // A playback of folder (ANSI) started: the bar shows, the marks pass starts.
    void Open(const std::string& folder);
    // The bar goes (also by itself once the library has no playback any more).
    void Close();
    bool IsOpen() const noexcept { return m_open; }
    // The texts of the bar in the interface language.
    void LoadTexts();

    void OnTimer();
    // The keys of the review, before the dialog's own handling; true when taken.
    bool PreTranslateKey(const MSG& msg);

    CTimelineBar& Bar() noexcept { return m_bar; }
    const TimelineModel& Model() const noexcept { return m_model; }

    // ITimelineListener
    void OnTimelineSeek(uint64_t ms) override;
    void OnTimelineSpeed(int speedIndex) override;
    void OnTimelineStep() override;
    void OnTimelineLoop(bool loop) override;

private:
    void PlaceBar();

    Host m_host;
    CPlaybackReview m_review;
    TimelineModel m_model;
    CTimelineBar m_bar;
    CZoneMarks m_marks;
    bool m_open = false;
};
