#pragma once
// The signal light kept in step with the console: the lamp the console wants goes to the light,
// and a light that stops answering (its USB adapter pulled, its line cut) has its port closed and
// opened again every kRetryMs until it answers; then it gets the wanted lamp again. Plain logic
// on the caller's thread and clock; CSignalLight runs it on a thread of its own.
#include <cstdint>
#include <memory>
#include <vector>

#include "areas/LightPort.h"
#include "areas/SerialLightCtrl_YSL.h"

class CLightKeeper {
public:
    static constexpr uint32_t kRetryMs = 2000;
    // How often the line of an idle light is looked at.
    static constexpr uint32_t kCheckMs = 1000;
    enum class Event { Lost, Back };

    explicit CLightKeeper(std::unique_ptr<ILightPort> port);
    CLightKeeper(const CLightKeeper&) = delete;
    CLightKeeper& operator=(const CLightKeeper&) = delete;

    // Closes, then opens COM<port> with the no-target lamp; port 0 is no light at all.
    void Open(int port, unsigned long baudRate, uint32_t now);
    // Lamp off and closing frame when the light answers; the port closed in every case.
    void Close();
    // Brings the light to wanted and looks at its line every kCheckMs; a lost light is tried
    // again once kRetryMs have passed since the last try (now: milliseconds of any wrapping clock).
    void Step(int32_t wanted, uint32_t now);

    // A light was opened and does not answer.
    bool Lost() const noexcept { return m_lost; }
    // The port of the last Open (0: none).
    int Port() const noexcept { return m_port; }
    // Losses and returns since the last call, oldest first.
    std::vector<Event> TakeEvents();
    const CSerialLightCtrl_YSL& Light() const noexcept { return m_light; }

private:
    void LoseAt(uint32_t now);

    CSerialLightCtrl_YSL m_light;
    bool m_open = false;
    bool m_lost = false;
    int m_port = 0;
    uint32_t m_lastTry = 0;
    uint32_t m_lastCheck = 0;
    std::vector<Event> m_events;
};
