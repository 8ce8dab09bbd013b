#include "app/PlaybackReviewWindow.h"

#include <vector>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"
#include "framework/ResourceLoader.h"
#include "radar/RecordedFileTime.h"
#include "res/resource.h"

namespace {
// The first recorded file of folder in name order, as the library plays them.
std::string FirstRecordedFile(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*.rvraw").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::string first;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (first.empty() || _stricmp(data.cFileName, first.c_str()) < 0)) {
            first = data.cFileName;
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return first.empty() ? first : folder + "\\" + first;
}
}  // namespace

CPlaybackReviewWindow::CPlaybackReviewWindow(Host host, CPlaybackReview::Library library)
    : m_host(std::move(host)), m_review(std::move(library), m_host.log) {}

CPlaybackReviewWindow::~CPlaybackReviewWindow() { Close(); }

void CPlaybackReviewWindow::LoadTexts() {
    CTimelineBar::Texts t;
    t.step = CResourceLoader::LoadString(IDS_TIMELINE_STEP);
    t.loop = CResourceLoader::LoadString(IDS_TIMELINE_LOOP);
    t.fastest = CResourceLoader::LoadString(IDS_TIMELINE_FASTEST);
    t.entry = CResourceLoader::LoadString(IDS_TIMELINE_MARK_ENTRY);
    t.exit = CResourceLoader::LoadString(IDS_TIMELINE_MARK_EXIT);
    m_bar.SetTexts(t);
}

void CPlaybackReviewWindow::Open(const std::string& folder) {
    Close();
    if (!m_bar.GetSafeHwnd() && !m_bar.Create(m_host.window, RECT{0, 0, 1, CTimelineBar::kHeight}, kBarId, this)) {
        DbgOutputA(1, "Playback review: the timeline bar cannot be made\r\n");
        return;
    }
    LoadTexts();
    m_open = true;
    m_model = TimelineModel();
    const RecordedFileTime time = ReadFileTime(FirstRecordedFile(folder).c_str());
    m_review.Refresh(m_model);
    m_bar.SetRange(m_model.First(), m_model.Last(), time.start);
    m_bar.SetMarks({});
    m_bar.SetSpeedIndex(m_model.SpeedIndex());
    // The library keeps its speed for later playbacks: each starts at the recorded pace.
    m_review.ApplySpeed(TimelineModel::kNormalSpeed);
    PlaceBar();
    ::SetWindowPos(m_bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetTimer(m_host.window, kRefreshTimer, kRefreshMs, nullptr);
    if (!m_host.zonesProgram.empty() &&
        !m_marks.Start(m_host.zonesProgram, rova::AnsiToWide(folder.c_str()), m_host.settingsFile, m_host.marksFile)) {
        DbgOutputA(1, "Playback review: no zone marks for this playback\r\n");
    }
}

void CPlaybackReviewWindow::Close() {
    if (!m_open) return;
    m_open = false;
    ::KillTimer(m_host.window, kRefreshTimer);
    m_marks.Cancel();
    if (m_bar.GetSafeHwnd()) m_bar.ShowWindow(SW_HIDE);
}

void CPlaybackReviewWindow::PlaceBar() {
    if (!m_host.view || !m_bar.GetSafeHwnd()) return;
    RECT view{};
    ::GetWindowRect(m_host.view, &view);
    POINT corner{view.left, view.bottom - CTimelineBar::kHeight};
    ::ScreenToClient(m_host.window, &corner);
    ::MoveWindow(m_bar, corner.x, corner.y, view.right - view.left, CTimelineBar::kHeight, TRUE);
}

void CPlaybackReviewWindow::OnTimer() {
    if (!m_open) return;
    if (!m_review.Refresh(m_model)) {
        Close();  // the playback is over
        return;
    }
    // The span grows while the library indexes the recording.
    m_bar.SetSpan(m_model.First(), m_model.Last());
    m_bar.SetPosition(m_model.Position());
    m_bar.SetLoop(m_model.Loop());
    std::vector<TimelineMark> marks;
    bool ok = false;
    if (m_marks.TakeResult(&marks, &ok)) {
        DbgOutputA(2, "Playback review: %u zone marks in %.2f s\r\n", static_cast<unsigned>(marks.size()), m_marks.Seconds());
        m_model.SetMarks(marks);
        m_bar.SetMarks(std::move(marks));
    }
}

bool CPlaybackReviewWindow::PreTranslateKey(const MSG& msg) {
    if (!m_open || msg.message != WM_KEYDOWN) return false;
    // Keys typed into an edit box stay there.
    wchar_t cls[16] = {};
    if (HWND focus = ::GetFocus()) ::GetClassNameW(focus, cls, 16);
    if (_wcsicmp(cls, L"Edit") == 0) return false;
    using Key = CPlaybackReview::Key;
    Key key;
    switch (msg.wParam) {
    case VK_SPACE:
        if (m_host.pause) m_host.pause();
        return true;
    case VK_LEFT: key = Key::Left; break;
    case VK_RIGHT: key = Key::Right; break;
    case VK_HOME: key = Key::Home; break;
    case VK_END: key = Key::End; break;
    case VK_ADD:
    case VK_OEM_PLUS: key = Key::Faster; break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: key = Key::Slower; break;
    case 'N': key = Key::NextMark; break;
    case 'P': key = Key::PreviousMark; break;
    default: return false;
    }
    m_review.Refresh(m_model);
    const uint64_t before = m_model.Position();
    if (m_review.OnKey(key, m_model)) {
        if (m_model.Position() != before && m_host.clearView) m_host.clearView();
        m_bar.SetSpeedIndex(m_model.SpeedIndex());
        m_bar.SetPosition(m_model.Position());
    }
    return true;
}

void CPlaybackReviewWindow::OnTimelineSeek(uint64_t ms) {
    m_review.Refresh(m_model);
    if (m_review.SeekTo(ms, m_model) && m_host.clearView) m_host.clearView();
}

void CPlaybackReviewWindow::OnTimelineSpeed(int speedIndex) {
    m_model.SetSpeedIndex(speedIndex);
    m_review.ApplySpeed(speedIndex);
}

void CPlaybackReviewWindow::OnTimelineStep() {
    m_review.Refresh(m_model);
    m_review.Step();
}

void CPlaybackReviewWindow::OnTimelineLoop(bool loop) { m_review.ApplyLoop(loop); }
