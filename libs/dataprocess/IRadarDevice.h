// A source of radar frames: the simulated sensor, a recording played back, and (later) a sensor
// on a serial port. The controller opens one at a time and drives it from two threads: the
// acquisition thread calls ReadFrame, the caller's thread uses command mode while not streaming.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RadarFrame.h"

class CLinkHealth;

enum class RadarReadResult {
    Frame,    // frame filled
    Timeout,  // nothing within the time-out; ask again
    End,      // no more data (end of a recording, or the device went away)
};

class IRadarDevice {
public:
    virtual ~IRadarDevice() = default;

    virtual bool IsFileSource() const { return false; }
    // The counters of the run about to start. A device that counts its own arriving frames
    // (it sees frames the run never reads) says so; for the others the run counts what it reads.
    virtual void AttachHealth(std::shared_ptr<CLinkHealth> health) { health_ = std::move(health); }
    virtual bool CountsArrivingFrames() const { return false; }
    // Stop is under way: every wait of the device ends now (from any thread).
    virtual void Interrupt() {}
    // Begins producing frames. False with error text for the operator.
    virtual bool StartStream(std::string& error) = 0;
    virtual void StopStream() = 0;
    // Waits up to timeoutMs for the next frame.
    virtual RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) = 0;

    // Command mode: the device stops streaming and answers commands.
    virtual bool EnterCommandMode(int param, int timeBaseMs) = 0;
    // Sends one command; returns the acknowledgement frame (empty when none came in time).
    virtual std::vector<uint8_t> Transact(int command, const uint8_t* payload, size_t length, int timeoutMs) = 0;
    virtual bool LeaveCommandMode() = 0;

protected:
    std::shared_ptr<CLinkHealth> health_;
};
