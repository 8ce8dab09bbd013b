#pragma once
// The signal light of a run, its line on a thread of its own: a frame waits for the light's echo
// and the light's pause, and a light being reopened waits for the retry interval, but the
// interface thread only says which lamp it wants and goes on. The newest wanted lamp wins; lamps
// wanted in between may never be sent. What the light does is read back with Report and
// TakeEvents (the link timer polls them): the worker never touches a window.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "areas/LightKeeper.h"
#include "areas/LightPort.h"

class CSignalLight {
public:
    // How long CloseLight waits for the lamp off, the closing frame and the port closed.
    static constexpr uint32_t kCloseWaitMs = 1000;
    // How often the worker looks at the clock while nothing is asked of it.
    static constexpr uint32_t kIdleStepMs = 50;
    using Clock = std::function<uint32_t()>;

    struct LightReport {
        int port = 0;       // 0: no light opened
        bool lost = false;  // opened, and does not answer
    };

    // clock: milliseconds for the retry interval (null: MS_GetTime).
    explicit CSignalLight(std::unique_ptr<ILightPort> port, Clock clock = nullptr);
    ~CSignalLight();
    CSignalLight(const CSignalLight&) = delete;
    CSignalLight& operator=(const CSignalLight&) = delete;

    // Closes, opens COM<port> and lights the no-target lamp (port 0: no light). Returns at once.
    void OpenLight(int port, unsigned long baudRate);
    // LightNoTarget, LightTarget, LightFault or LightOff, as CSerialLightCtrl_YSL::ShowLamp has
    // them. Returns at once.
    void ShowLamp(int32_t state);
    // Lamp off, closing frame, port closed: returns once the light is closed, or after
    // kCloseWaitMs (the light then closes as soon as its line lets it).
    void CloseLight();

    // The lamp wanted last (LightOff after CloseLight).
    int32_t State() const;
    LightReport Report() const;
    std::vector<CLightKeeper::Event> TakeEvents();

private:
    struct Command {
        bool open = false;  // false: close
        int port = 0;
        unsigned long baudRate = 0;
        uint64_t closeId = 0;
    };
    void Run();
    uint32_t Now() const;

    CLightKeeper m_keeper;  // the worker's alone
    Clock m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_closed;
    std::deque<Command> m_commands;
    int32_t m_wanted = CSerialLightCtrl_YSL::LightOff;
    uint64_t m_closeAsked = 0;
    uint64_t m_closeDone = 0;
    bool m_stop = false;
    LightReport m_report;
    std::vector<CLightKeeper::Event> m_events;
    std::thread m_thread;
};
