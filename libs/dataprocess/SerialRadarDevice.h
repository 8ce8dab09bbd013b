// A sensor module on a serial port, spoken to in the protocol of SerialSensorProtocol.md.
// A reader thread of its own takes every byte from the port, cuts it into frames (resynchronising
// after line noise, counting damaged frames) and hands detection frames to ReadFrame and
// acknowledgements to the command that waits for them. A sensor that is unplugged (the port
// fails) or falls silent for kSilenceLimitMs while it should stream loses its link: the port is
// closed and, every kReconnectIntervalMs, opened again, the sensor identified, started and given
// the tracking command it had, until it answers or the run stops. The run goes on across the gap.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "IRadarDevice.h"
#include "LinkHealth.h"
#include "ROVA_Common.h"
#include "SerialFrameParser.h"
#include "SerialSensorProtocol.h"

class CSerialRadarDevice : public IRadarDevice {
public:
    static constexpr uint32_t kSilenceLimitMs = 2000;
    static constexpr int kIdentifyTimeoutMs = 1000;
    static constexpr int kControlTimeoutMs = 1000;
    static constexpr uint64_t kReconnectIntervalMs = 2000;

    CSerialRadarDevice(int port, unsigned long baud);
    ~CSerialRadarDevice() override;
    CSerialRadarDevice(const CSerialRadarDevice&) = delete;
    CSerialRadarDevice& operator=(const CSerialRadarDevice&) = delete;

    // Opens the port and identifies the sensor; false with the text for the operator.
    bool Open(std::string& error);
    const CSerialSensorProtocol::SensorInfo& Info() const { return info_; }

    // Whether a sensor answers the identify request on port within timeoutMs; description
    // (may be null) receives its model text.
    static bool Probe(int port, unsigned long baud, int timeoutMs, std::string* description);

    void AttachHealth(std::shared_ptr<CLinkHealth> health) override;
    bool CountsArrivingFrames() const override { return true; }
    void Interrupt() override;
    bool StartStream(std::string& error) override;
    void StopStream() override;
    RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) override;
    bool EnterCommandMode(int param, int timeBaseMs) override;
    std::vector<uint8_t> Transact(int command, const uint8_t* payload, size_t length, int timeoutMs) override;
    bool LeaveCommandMode() override;

private:
    void ReaderLoop();
    // Starts the reader on the opened port.
    void StartReader();
    // Ends the reader and closes the port.
    void ClosePort();
    // Closes the port of a failed link; the next attempt is due at once.
    void DropLink(const char* why);
    // One step of the link's recovery on the acquisition thread: waits for the next attempt or
    // makes it.
    void Reconnect(uint32_t timeoutMs);
    eRADAR_RECONNECT_FAILURE TryReconnect();
    bool Identify(int timeoutMs);
    void Dispatch(CSerialFrameParser::Frame& frame);
    bool Send(uint8_t type, const std::vector<uint8_t>& payload);
    // Sends a frame and waits for its acknowledgement: the ack frame, empty when none came.
    std::vector<uint8_t> Request(uint8_t type, const std::vector<uint8_t>& payload, int timeoutMs);
    static uint16_t AckCode(const std::vector<uint8_t>& ack);
    std::string PortName() const;

    const int port_;
    const unsigned long baud_;
    CSerialUtil serial_;
    std::thread reader_;
    std::atomic<bool> quit_{false};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<RadarFrame> frames_;
    std::deque<std::vector<uint8_t>> acks_;
    bool identified_ = false;
    CSerialSensorProtocol::SensorInfo info_;
    bool streaming_ = false;
    bool commandMode_ = false;
    bool lost_ = false;            // the port failed
    uint64_t lastActivity_ = 0;    // GetTickCount64 of the last valid frame, or of the start of waiting
    bool haveSequence_ = false;
    uint32_t lastSequence_ = 0;
    uint64_t damagedSinceFrame_ = 0;  // damaged frames not yet matched with a sequence gap
    std::shared_ptr<CLinkHealth> linkHealth_;
    std::atomic<bool> interrupted_{false};
    bool linkDown_ = false;        // the port was closed after a failure; reconnect attempts run
    uint64_t nextAttemptMs_ = 0;
    // What a reconnect must tell the sensor again: the tracking command it accepted last.
    // Set by the caller's thread, read by a reconnect on the acquisition thread.
    std::atomic<int> trackingCommand_{-1};
    std::atomic<int> commandParam_{1};
    std::atomic<int> commandTimeBaseMs_{0};
};
