#include "areas/LightKeeper.h"

#include <utility>

CLightKeeper::CLightKeeper(std::unique_ptr<ILightPort> port) : m_light(std::move(port)) {}

void CLightKeeper::Open(int port, unsigned long baudRate, uint32_t now) {
    Close();
    m_port = port;
    if (port <= 0) return;
    m_open = true;
    m_lastCheck = now;
    m_light.OpenLight(port, baudRate);
    if (!m_light.Answering()) LoseAt(now);
}

void CLightKeeper::Close() {
    if (m_open) m_light.CloseLight();
    m_open = false;
    m_lost = false;
}

void CLightKeeper::Step(int32_t wanted, uint32_t now) {
    if (!m_open) return;
    if (!m_lost) {
        m_light.ShowLamp(wanted);
        if (m_light.Answering() && now - m_lastCheck >= kCheckMs) {
            m_lastCheck = now;
            m_light.CheckLine();
        }
        if (!m_light.Answering()) LoseAt(now);
        return;
    }
    if (now - m_lastTry < kRetryMs) return;
    m_lastTry = now;
    if (m_light.Reopen(wanted)) {
        m_lost = false;
        m_lastCheck = now;
        m_events.push_back(Event::Back);
    } else {
        m_light.ClosePort();
    }
}

std::vector<CLightKeeper::Event> CLightKeeper::TakeEvents() { return std::exchange(m_events, {}); }

void CLightKeeper::LoseAt(uint32_t now) {
    // The handle goes at once: a replugged adapter comes back under the same name only once
    // nothing holds the old one.
    m_light.ClosePort();
    m_lost = true;
    m_lastTry = now;
    m_events.push_back(Event::Lost);
}
