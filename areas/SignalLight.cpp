#include "areas/SignalLight.h"

#include <chrono>
#include <utility>

#include "contracts/ROVA_Common.h"

CSignalLight::CSignalLight(std::unique_ptr<ILightPort> port, Clock clock)
    : m_keeper(std::move(port)), m_clock(std::move(clock)) {
    m_thread = std::thread([this] { Run(); });
}

CSignalLight::~CSignalLight() {
    CloseLight();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

uint32_t CSignalLight::Now() const { return m_clock ? m_clock() : MS_GetTime(); }

void CSignalLight::OpenLight(int port, unsigned long baudRate) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_commands.push_back(Command{true, port, baudRate, 0});
        m_wanted = CSerialLightCtrl_YSL::LightNoTarget;
    }
    m_wake.notify_all();
}

void CSignalLight::ShowLamp(int32_t state) {
    if (state != CSerialLightCtrl_YSL::LightOff && state != CSerialLightCtrl_YSL::LightNoTarget &&
        state != CSerialLightCtrl_YSL::LightTarget && state != CSerialLightCtrl_YSL::LightFault)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_wanted == state) return;
        m_wanted = state;
    }
    m_wake.notify_all();
}

void CSignalLight::CloseLight() {
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t id = ++m_closeAsked;
    m_commands.push_back(Command{false, 0, 0, id});
    m_wanted = CSerialLightCtrl_YSL::LightOff;
    m_wake.notify_all();
    m_closed.wait_for(lock, std::chrono::milliseconds(kCloseWaitMs), [&] { return m_closeDone >= id; });
}

int32_t CSignalLight::State() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_wanted;
}

CSignalLight::LightReport CSignalLight::Report() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_report;
}

std::vector<CLightKeeper::Event> CSignalLight::TakeEvents() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_events, {});
}

void CSignalLight::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    int32_t applied = m_wanted;
    for (;;) {
        m_wake.wait_for(lock, std::chrono::milliseconds(kIdleStepMs),
                        [&] { return m_stop || !m_commands.empty() || m_wanted != applied; });
        if (m_stop && m_commands.empty()) break;
        std::deque<Command> commands = std::exchange(m_commands, {});
        const int32_t wanted = m_wanted;
        lock.unlock();

        uint64_t closed = 0;
        for (const Command& c : commands) {
            if (c.open) {
                m_keeper.Open(c.port, c.baudRate, Now());
            } else {
                m_keeper.Close();
                closed = c.closeId;
            }
        }
        m_keeper.Step(wanted, Now());
        std::vector<CLightKeeper::Event> events = m_keeper.TakeEvents();

        lock.lock();
        applied = wanted;
        m_report.port = m_keeper.Port();
        m_report.lost = m_keeper.Lost();
        m_events.insert(m_events.end(), events.begin(), events.end());
        if (closed) {
            m_closeDone = closed;
            m_closed.notify_all();
        }
    }
    lock.unlock();
    m_keeper.Close();
}
