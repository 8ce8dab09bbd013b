#pragma once
// A fake signal-light line for the tests of the light and of the run controller.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "areas/LightPort.h"

// A light on a line shared with the test: what the port does, in order, as seen from both
// threads; a write may be held at a gate (at most holdMs) and the light may stop answering.
struct LightLine {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> events;
    size_t taken_ = 0;
    bool gateOpen = true;
    bool answers = true;
    bool opens = true;
    bool gone = false;  // the far end closed: reads and writes fail
    int holdMs = 500;

    void Note(const std::string& event) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
        changed.notify_all();
    }
    void SetGate(bool open) {
        std::lock_guard<std::mutex> lock(mutex);
        gateOpen = open;
        changed.notify_all();
    }
    void SetAnswers(bool on) {
        std::lock_guard<std::mutex> lock(mutex);
        answers = on;
    }
    void SetGone(bool on) {
        std::lock_guard<std::mutex> lock(mutex);
        gone = on;
    }
    void SetOpens(bool on) {
        std::lock_guard<std::mutex> lock(mutex);
        opens = on;
    }
    // The events since the last call.
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> taken(events.begin() + static_cast<long>(taken_), events.end());
        taken_ = events.size();
        return taken;
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    // Waits (at most 10 s) until event has been noted count times; false when it never was.
    bool WaitFor(const std::string& event, long count = 1) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return std::count(events.begin(), events.end(), event) >= count; });
    }
};

class LineLightPort : public ILightPort {
public:
    explicit LineLightPort(std::shared_ptr<LightLine> line) : m_line(std::move(line)) {}
    int Open(int port, unsigned long) override {
        m_line->Note("open COM" + std::to_string(port));
        std::lock_guard<std::mutex> lock(m_line->mutex);
        m_open = m_line->opens;
        return m_open ? 1 : 0;
    }
    int IsOpened() const override { return m_open ? 1 : 0; }
    void Close() override {
        m_line->Note("close");
        m_open = false;
    }
    int Write(const void* bytes, int length, DWORD) override {
        const auto* b = static_cast<const uint8_t*>(bytes);
        const std::string coil = length == 8 ? "coil " + std::to_string(b[3]) + (b[4] ? " on" : " off") : "?";
        m_line->Note("write " + coil);
        if (Gone()) return -1;
        {
            std::unique_lock<std::mutex> lock(m_line->mutex);
            m_line->changed.wait_for(lock, std::chrono::milliseconds(m_line->holdMs), [&] { return m_line->gateOpen; });
            m_echo = m_line->answers ? std::vector<uint8_t>(b, b + length) : std::vector<uint8_t>();
        }
        m_line->Note("written " + coil);
        return length;
    }
    int Read(void* bytes, int length, DWORD) override {
        if (!m_open || Gone()) return -1;
        const int n = std::min(length, static_cast<int>(m_echo.size()));
        std::copy(m_echo.begin(), m_echo.begin() + n, static_cast<uint8_t*>(bytes));
        m_echo.clear();
        return n;
    }
    void Pause(uint32_t) override {}

private:
    bool Gone() const {
        std::lock_guard<std::mutex> lock(m_line->mutex);
        return m_line->gone;
    }
    std::shared_ptr<LightLine> m_line;
    bool m_open = false;
    std::vector<uint8_t> m_echo;
};

