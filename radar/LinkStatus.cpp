#include "radar/LinkStatus.h"

#include <cstdio>

namespace {
std::wstring Decimal(double value) {
    wchar_t text[32];
    swprintf(text, 32, L"%.1f", value);
    return text;
}
}  // namespace

std::wstring CLinkStatus::Fill(std::wstring text, const wchar_t* name, const std::wstring& value) {
    const std::wstring token = std::wstring(L"{") + name + L"}";
    for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    return text;
}

bool CLinkStatus::IsStale(const tagRADARLINKHEALTH& h, bool running, bool paused) {
    // A played folder is not live: it pauses and ends as it pleases.
    if (!running || paused || h.source == RADAR_LINK_SOURCE_FILE || h.source == RADAR_LINK_SOURCE_NONE) return false;
    return h.msSinceLastFrame > kStaleMs || h.state == RADAR_LINK_LOST || h.state == RADAR_LINK_RECONNECTING;
}

uint64_t CLinkStatus::ErrorCount(const tagRADARLINKHEALTH& h) {
    return h.badChecksumFrames + h.framesLost + h.framesDropped;
}

std::wstring CLinkStatus::SourceText(const tagRADARLINKHEALTH& h, const std::wstring& folder,
                                     const LinkStatusTexts& texts) {
    switch (h.source) {
    case RADAR_LINK_SOURCE_SERIAL: return Fill(texts.serialSource, L"port", std::to_wstring(h.port));
    case RADAR_LINK_SOURCE_SIMULATED: return texts.simulatedSource;
    case RADAR_LINK_SOURCE_FILE: {
        // The folder's own name: the full path would crowd the title bar.
        const size_t slash = folder.find_last_of(L"\\/", folder.size() > 1 ? folder.size() - 2 : 0);
        std::wstring name = slash == std::wstring::npos ? folder : folder.substr(slash + 1);
        while (!name.empty() && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
        return Fill(texts.fileSource, L"folder", name);
    }
    default: return std::wstring();
    }
}

LinkStatusView CLinkStatus::Describe(const tagRADARLINKHEALTH& h, bool running, bool paused,
                                     const std::wstring& folder, const LinkStatusTexts& texts) {
    LinkStatusView view;
    if (!running) return view;
    view.stale = IsStale(h, running, paused);
    const std::wstring source = SourceText(h, folder, texts);
    const std::wstring errors = std::to_wstring(ErrorCount(h));
    std::wstring text;
    if (!view.stale) {
        text = Fill(texts.streaming, L"fps", Decimal(h.framesPerSecond));
    } else if (h.reconnectAttempts > 0 && (h.state == RADAR_LINK_LOST || h.state == RADAR_LINK_RECONNECTING)) {
        text = Fill(texts.reconnecting, L"attempts", std::to_wstring(h.reconnectAttempts));
    } else {
        text = texts.stale;
    }
    text = Fill(text, L"seconds", std::to_wstring(h.msSinceLastFrame / 1000));
    text = Fill(text, L"errors", errors);
    view.text = Fill(text, L"source", source);
    return view;
}

void CLinkEventTracker::Reset() {
    m_first = true;
    m_stale = false;
    m_last = tagRADARLINKHEALTH{};
}

const char* CLinkEventTracker::FailureText(int32_t failure) {
    switch (failure) {
    case RADAR_RECONNECT_PORT_MISSING: return "the port cannot be opened";
    case RADAR_RECONNECT_NO_ANSWER: return "no answer from the sensor";
    case RADAR_RECONNECT_START_REFUSED: return "the sensor did not start";
    case RADAR_RECONNECT_COMMAND_REFUSED: return "the sensor refused the tracking command";
    default: return "unknown reason";
    }
}

std::vector<std::string> CLinkEventTracker::Update(const tagRADARLINKHEALTH& h, bool stale, const std::string& source) {
    std::vector<std::string> lines;
    char line[256];
    if (m_first) {
        m_first = false;
        m_last = h;
        m_last.linkLosses = m_last.reconnectAttempts = m_last.reconnectFailures = m_last.reconnects = 0;
    }
    if (stale && !m_stale) {
        snprintf(line, sizeof line, "no data from %s for %.1f s", source.c_str(), h.msSinceLastFrame / 1000.0);
        lines.emplace_back(line);
    }
    if (h.linkLosses > m_last.linkLosses) {
        snprintf(line, sizeof line, "link lost: %s closed, reconnecting every 2 s", source.c_str());
        lines.emplace_back(line);
    }
    // Attempts that ended since the last look, failures first: a success ends the series.
    const uint32_t newFailures = h.reconnectFailures - m_last.reconnectFailures;
    for (uint32_t i = 0; i < newFailures; ++i) {
        snprintf(line, sizeof line, "reconnect attempt %u failed: %s", m_last.reconnectFailures + i + 1 + m_last.reconnects,
                 FailureText(h.lastReconnectFailure));
        lines.emplace_back(line);
    }
    if (h.reconnects > m_last.reconnects) {
        snprintf(line, sizeof line, "reconnect attempt %u succeeded: link back", h.reconnectFailures + h.reconnects);
        lines.emplace_back(line);
    }
    if (!stale && m_stale) {
        snprintf(line, sizeof line, "data from %s again", source.c_str());
        lines.emplace_back(line);
    }
    m_stale = stale;
    m_last = h;
    return lines;
}
