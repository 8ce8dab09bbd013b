#include "controls/TimelineBar.h"

#include <windowsx.h>

#include <algorithm>

#include "contracts/ROVA_Common.h"
#include "controls/InterfaceFont.h"

namespace {
// The skin of the console's window and buttons.
constexpr COLORREF kBackground = RGB(42, 50, 60);
constexpr COLORREF kGroove = RGB(78, 90, 104);
constexpr COLORREF kPlayed = RGB(0, 120, 215);
constexpr COLORREF kText = RGB(255, 255, 255);
constexpr COLORREF kButton = RGB(58, 68, 80);
constexpr COLORREF kButtonOn = RGB(0, 120, 215);
constexpr int kTimeWidth = 250;
constexpr int kButtonWidth = 64;
constexpr UINT kSpeedMenuFirst = 100;
}  // namespace

CTimelineBar::~CTimelineBar() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CTimelineBar::Create(HWND parent, const RECT& rect, UINT id, ITimelineListener* listener) noexcept {
    m_listener = listener;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &existing) &&
        !CWnd::RegisterClass(kClassName, 0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr)) {
        return false;
    }
    if (!CreateEx(0, kClassName, L"", WS_CHILD | WS_CLIPSIBLINGS, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)))) {
        return false;
    }
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy_s(lf.lfFaceName, InterfaceFontFace().c_str(), _TRUNCATE);
    m_font.reset(::CreateFontIndirectW(&lf));
    return true;
}

void CTimelineBar::SetTexts(const Texts& texts) {
    m_texts = texts;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetRange(uint64_t firstMs, uint64_t lastMs, FILETIME startUtc) {
    m_model.SetRange(firstMs, lastMs);
    m_model.SetStartUtc(startUtc);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetSpan(uint64_t firstMs, uint64_t lastMs) {
    if (firstMs == m_model.First() && lastMs == m_model.Last()) return;
    m_model.SetRange(firstMs, lastMs);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetPosition(uint64_t ms) {
    if (m_dragging) return;  // the operator holds the thumb
    const uint64_t before = m_model.Position();
    m_model.SetPosition(ms);
    if (m_hWnd && m_model.Position() != before) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetMarks(std::vector<TimelineMark> marks) {
    m_model.SetMarks(std::move(marks));
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetSpeedIndex(int index) {
    m_model.SetSpeedIndex(index);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimelineBar::SetLoop(bool loop) {
    if (loop == m_model.Loop()) return;
    m_model.SetLoop(loop);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

TimelineModel::Parts CTimelineBar::Parts() const noexcept {
    const RECT client = GetClientRect();
    return TimelineModel::Arrange(client.right, client.bottom, kTimeWidth, kButtonWidth);
}

COLORREF CTimelineBar::MarkColour(int area) noexcept {
    // Distinct on the dark skin; areas past the palette take its colours again.
    static constexpr COLORREF kPalette[] = {RGB(255, 196, 0),  RGB(0, 220, 120),  RGB(255, 90, 90),
                                            RGB(90, 200, 255), RGB(220, 120, 255), RGB(255, 150, 40),
                                            RGB(160, 255, 60), RGB(255, 110, 200)};
    return kPalette[static_cast<unsigned>(std::max(0, area - 1)) % (sizeof kPalette / sizeof kPalette[0])];
}

void CTimelineBar::ChooseSpeed(int index) {
    m_model.SetSpeedIndex(index);
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_listener) m_listener->OnTimelineSpeed(m_model.SpeedIndex());
}

LRESULT CTimelineBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_LBUTTONDOWN:
        OnButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_LBUTTON) != 0);
        return 0;
    case WM_LBUTTONUP:
        if (m_dragging) {
            m_dragging = false;
            ::ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_dragging = false;
        return 0;
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (!m_hoverText.empty()) {
            m_hoverText.clear();
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}

void CTimelineBar::OnButtonDown(int x, int y) {
    const TimelineModel::Parts p = Parts();
    const POINT at{x, y};
    if (::PtInRect(&p.track, at)) {
        const int mark = m_model.MarkAt(x, p.track, kMarkTolerance);
        if (mark >= 0) {
            // A mark: two seconds before it, so the approach is seen.
            const uint64_t target = m_model.MarkTarget(mark);
            m_model.SetPosition(target);
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
            if (m_listener) m_listener->OnTimelineSeek(target);
            return;
        }
        m_dragging = true;
        ::SetCapture(m_hWnd);
        SeekToX(x);
    } else if (::PtInRect(&p.speed, at)) {
        ShowSpeedMenu();
    } else if (::PtInRect(&p.step, at)) {
        if (m_listener) m_listener->OnTimelineStep();
    } else if (::PtInRect(&p.loop, at)) {
        m_model.SetLoop(!m_model.Loop());
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        if (m_listener) m_listener->OnTimelineLoop(m_model.Loop());
    }
}

void CTimelineBar::SeekToX(int x) {
    const TimelineModel::Parts p = Parts();
    const uint64_t target = m_model.XToMs(x, p.track);
    if (target == m_model.Position() && m_dragging) return;
    m_model.SetPosition(target);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_listener) m_listener->OnTimelineSeek(target);
}

void CTimelineBar::OnMouseMove(int x, int y, bool dragging) {
    if (m_dragging && dragging) {
        SeekToX(x);
        return;
    }
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
    const TimelineModel::Parts p = Parts();
    const POINT at{x, y};
    std::wstring text;
    if (::PtInRect(&p.track, at)) {
        const int mark = m_model.MarkAt(x, p.track, kMarkTolerance);
        if (mark >= 0) {
            const TimelineMark& m = m_model.Marks()[static_cast<size_t>(mark)];
            text = TimelineModel::MarkText(m.entry ? m_texts.entry : m_texts.exit, m);
        }
    }
    if (text != m_hoverText) {
        m_hoverText = std::move(text);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CTimelineBar::ShowSpeedMenu() {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    for (int i = TimelineModel::kSpeedCount - 1; i >= 0; --i) {
        const UINT flags = MF_STRING | (i == m_model.SpeedIndex() ? MF_CHECKED : 0);
        ::AppendMenuW(menu, flags, kSpeedMenuFirst + i, TimelineModel::SpeedText(i, m_texts.fastest).c_str());
    }
    const RECT box = Parts().speed;
    POINT at{box.left, box.top};
    ::ClientToScreen(m_hWnd, &at);
    const UINT chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN | TPM_NONOTIFY,
                                         at.x, at.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
    if (chosen >= kSpeedMenuFirst && chosen < kSpeedMenuFirst + TimelineModel::kSpeedCount) {
        ChooseSpeed(static_cast<int>(chosen - kSpeedMenuFirst));
    }
}

void CTimelineBar::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (!dc) return;
    const RECT client = GetClientRect();
    // Off-screen, then one copy: the bar repaints several times a second while playing.
    HDC memory = ::CreateCompatibleDC(dc);
    rova::UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom)));
    if (memory && bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap.get());
        Draw(memory, client);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
    } else {
        Draw(dc, client);
    }
    if (memory) ::DeleteDC(memory);
    ::EndPaint(m_hWnd, &ps);
}

void CTimelineBar::Draw(HDC dc, const RECT& client) {
    auto fill = [dc](const RECT& r, COLORREF colour) {
        rova::UniqueBrush brush(::CreateSolidBrush(colour));
        ::FillRect(dc, &r, brush.get());
    };
    fill(client, kBackground);
    const TimelineModel::Parts p = TimelineModel::Arrange(client.right, client.bottom, kTimeWidth, kButtonWidth);
    HGDIOBJ oldFont = m_font ? ::SelectObject(dc, m_font.get()) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kText);

    // The time, or the mark under the cursor.
    RECT time = p.time;
    const std::wstring text = m_hoverText.empty() ? m_model.TimeText() : m_hoverText;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &time,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

    // The groove, the part played, the marks, the thumb.
    const int mid = (p.track.top + p.track.bottom) / 2;
    if (p.track.right > p.track.left) {
        fill(RECT{p.track.left, mid - 2, p.track.right, mid + 2}, kGroove);
        const int x = m_model.MsToX(m_model.Position(), p.track);
        fill(RECT{p.track.left, mid - 2, x + 1, mid + 2}, kPlayed);
        for (const TimelineMark& m : m_model.Marks()) {
            const int mx = m_model.MsToX(m.ms, p.track);
            // Entries stand above the groove, exits below it.
            const RECT tick = m.entry ? RECT{mx, p.track.top + 3, mx + 2, mid} : RECT{mx, mid, mx + 2, p.track.bottom - 3};
            fill(tick, MarkColour(m.area));
        }
        fill(RECT{x - 3, mid - 8, x + 4, mid + 9}, kText);
    }

    auto button = [&](const RECT& r, const std::wstring& label, bool on) {
        fill(r, on ? kButtonOn : kButton);
        RECT inside = r;
        ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &inside,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    button(p.speed, TimelineModel::SpeedText(m_model.SpeedIndex(), m_texts.fastest), false);
    button(p.step, m_texts.step, false);
    button(p.loop, m_texts.loop, m_model.Loop());
    if (oldFont) ::SelectObject(dc, oldFont);
}
