// The main window's side of the run's link health: the status right of the title, stale data on
// the labels, the view and the signal light, and the event log beside the result file. The
// decisions are CLinkStatus', CLinkEventTracker's and ChooseLamp's; this is the glue.
#include <string>

#include "app/ROVAMTTDlg.h"
#include "contracts/ROVA_LinkHealth.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {
constexpr COLORREF kLinkTextColor = RGB(200, 220, 200);

std::string NarrowSource(const tagRADARLINKHEALTH& h) {
    switch (h.source) {
    case RADAR_LINK_SOURCE_SERIAL: return "COM" + std::to_string(h.port);
    case RADAR_LINK_SOURCE_SIMULATED: return "the simulated sensor";
    case RADAR_LINK_SOURCE_FILE: return "the played folder";
    default: return "no source";
    }
}

tagRADARLINKHEALTH ReadLinkHealth() {
    tagRADARLINKHEALTH health{};
    health.structSize = sizeof health;
    ROVA_Interface_RadarCtrl_GetLinkHealth(&health);
    return health;
}
}  // namespace

void CROVAMTTDlg::InitLinkStatus() {
    m_linkTexts.serialSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SERIAL);
    m_linkTexts.simulatedSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SIMULATED);
    m_linkTexts.fileSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_FILE);
    m_linkTexts.streaming = CResourceLoader::LoadString(IDS_LINK_STREAMING);
    m_linkTexts.stale = CResourceLoader::LoadString(IDS_LINK_STALE);
    m_linkTexts.reconnecting = CResourceLoader::LoadString(IDS_LINK_RECONNECTING);
    m_linkTexts.noDataLabel = CResourceLoader::LoadString(IDS_LINK_NO_DATA_LABEL);
    m_linkStatus.SetLabelStyle(nullptr, static_cast<int>(7 * m_scale), -1, Gdiplus::StringAlignmentNear);
    m_linkStatus.SetBackgroundColor(kBackgroundColor);
    m_linkStatus.SetTextColor(kLinkTextColor);
}

void CROVAMTTDlg::BeginLinkWatch() {
    m_linkEvents.Reset();
    m_linkStale = false;
    m_linkLog.OpenBeside(m_results.Path());
    m_linkLog.Write("run started: " + NarrowSource(ReadLinkHealth()));
    ::SetTimer(m_hWnd, kLinkTimer, kLinkTimerMs, nullptr);
    OnLinkTimer();
}

void CROVAMTTDlg::EndLinkWatch() {
    ::KillTimer(m_hWnd, kLinkTimer);
    if (m_linkLog.IsOpen()) {
        const tagRADARLINKHEALTH h = ReadLinkHealth();
        char line[200];
        snprintf(line, sizeof line, "run stopped: %llu frames, %llu errors, %u reconnects",
                 static_cast<unsigned long long>(h.framesReceived),
                 static_cast<unsigned long long>(CLinkStatus::ErrorCount(h)), h.reconnects);
        m_linkLog.Write(line);
        m_linkLog.Close();
    }
    m_linkStale = false;
    m_targetView.SetTargetsDimmed(false);
    m_linkStatus.SetBackgroundColor(kBackgroundColor);
    ::SetWindowTextW(m_linkStatus, L"");
    ::InvalidateRect(m_linkStatus, nullptr, FALSE);
}

void CROVAMTTDlg::OnLinkTimer() {
    const tagRADARLINKHEALTH h = ReadLinkHealth();
    const bool running = ROVA_Interface_RadarCtrl_IsStarted() != 0;
    const bool paused = ROVA_Interface_RadarCtrl_IsPaused() != 0;
    wchar_t folder[MAX_PATH] = {};
    AnsiToWide(gRadarParameter.dataPath, folder, MAX_PATH);
    const LinkStatusView view = CLinkStatus::Describe(h, running, paused, folder, m_linkTexts);
    for (const std::string& line : m_linkEvents.Update(h, view.stale, NarrowSource(h))) m_linkLog.Write(line);

    ::SetWindowTextW(m_linkStatus, view.text.c_str());
    m_linkStatus.SetBackgroundColor(view.stale ? kLinkStaleColor : kBackgroundColor);
    m_linkStatus.SetTextColor(view.stale ? RGB(255, 255, 255) : kLinkTextColor);
    if (view.stale != m_linkStale) {
        m_linkStale = view.stale;
        m_targetView.SetTargetsDimmed(m_linkStale);
        UpdateTargetLabels();
    }
    // The fault lamp as soon as the data is stale; off again once it flows (presence decides next).
    ApplyLamp(ChooseLamp(LampRequest::None, m_linkStale, m_light.State() == CSerialLightCtrl_YSL::LightFault));
}
