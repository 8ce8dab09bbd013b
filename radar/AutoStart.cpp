#include "radar/AutoStart.h"

#include <cstdlib>
#include <utility>

#include "framework/AnsiText.h"
#include "radar/LinkStatus.h"

namespace {
// The detect dialog names the simulated sensor by this port.
constexpr char kSimulatedSensorPort[] = "COM9999";

int ReadInt(const XMLNode& node, const char* name) {
    const char* text = node.GetAttributeText(name);
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    // A damaged number is no source rather than some other port.
    if (*end != '\0' || value < 0 || value > 0x7FFFFFFFL) return 0;
    return static_cast<int>(value);
}
}  // namespace

AutoStartSettings AutoStartSettings::Load(const XMLNode& appConfig) {
    AutoStartSettings settings;
    if (appConfig.IsNull()) return settings;
    settings.enabled = ReadInt(appConfig, "AutoStart") != 0;
    settings.sourceType = ReadInt(appConfig, "LastSourceType");
    settings.deviceValue = ReadInt(appConfig, "LastDeviceValue");
    if (const char* port = appConfig.GetAttributeText("LastDevicePort")) settings.port = port;
    if (!settings.HasSource()) settings.sourceType = 0;
    return settings;
}

void AutoStartSettings::SaveEnabled(XMLNode appConfig, bool enabled) {
    if (!appConfig.IsNull()) appConfig.SetAttributeInt("AutoStart", enabled ? 1 : 0);
}

void AutoStartSettings::SaveSource(XMLNode appConfig, int sourceType, int deviceValue, const char* port) {
    if (appConfig.IsNull()) return;
    appConfig.SetAttributeInt("LastSourceType", sourceType);
    appConfig.SetAttributeInt("LastDeviceValue", deviceValue);
    appConfig.SetAttributeText("LastDevicePort", port ? port : "");
}

CAutoStart::CAutoStart(AutoStartHost host, AutoStartTexts texts) : m_host(std::move(host)), m_texts(std::move(texts)) {}

std::wstring CAutoStart::SourceText() const {
    if (m_settings.port == kSimulatedSensorPort) return m_texts.simulatedSource;
    if (!m_settings.port.empty() && m_settings.sourceType != 1) return rova::AnsiToWide(m_settings.port.c_str(), 64);
    return CLinkStatus::Fill(m_texts.serialSource, L"port", std::to_wstring(m_settings.deviceValue));
}

void CAutoStart::Begin(const AutoStartSettings& settings) {
    m_settings = settings;
    m_attempts = 0;
    m_lastWhy.clear();
    if (!settings.enabled) {
        m_state = State::Off;
        return;
    }
    if (!settings.HasSource()) {
        // Nothing to start: the operator sees why nothing runs, and Detect Device makes it work
        // from the next start on.
        m_state = State::NoSource;
        m_host.showStatus(m_texts.noSource);
        m_host.log(L"auto-start: on, but no sensor was ever detected; use Detect Device");
        return;
    }
    m_state = State::Waiting;
    m_host.log(L"auto-start: starting on " + SourceText());
    Attempt();
}

void CAutoStart::OnRetryTimer() {
    if (m_state != State::Waiting) {
        m_host.stopRetryTimer();
        return;
    }
    Attempt();
}

void CAutoStart::Attempt() {
    ++m_attempts;
    std::wstring why;
    if (m_host.tryStartRun(m_settings, &why)) {
        m_state = State::Started;
        m_host.stopRetryTimer();
        // The run's own status takes the place of the waiting text.
        m_host.log(L"auto-start: run started on " + SourceText() + L" (attempt " +
                            std::to_wstring(m_attempts) + L")");
        return;
    }
    // The reason once, and again only when it changes: a sensor away for a night must not fill
    // the disk.
    if (m_attempts == 1 || why != m_lastWhy) {
        m_host.log(L"auto-start: " + SourceText() + L" does not answer (attempt " +
                            std::to_wstring(m_attempts) + L"): " + why + L"; trying again every " +
                            std::to_wstring(kRetryMs / 1000) + L" s");
        m_lastWhy = why;
    }
    std::wstring text = CLinkStatus::Fill(m_texts.waiting, L"source", SourceText());
    m_host.showStatus(CLinkStatus::Fill(text, L"attempts", std::to_wstring(m_attempts)));
    if (m_attempts == 1) m_host.startRetryTimer(kRetryMs);
}

bool CAutoStart::Cancel(const wchar_t* how) {
    if (m_state != State::Waiting) return false;
    m_state = State::Cancelled;
    m_host.stopRetryTimer();
    m_host.showStatus(L"");
    m_host.log(L"auto-start: waiting for " + SourceText() + L" ended " + (how ? how : L"") + L" after " +
                        std::to_wstring(m_attempts) + L" attempts");
    return true;
}
