// A sensor module on a serial port, spoken to in the protocol of SerialSensorProtocol.md.
// A reader thread of its own takes every byte from the port, cuts it into frames (resynchronising
// after line noise, counting damaged frames) and hands detection frames to ReadFrame and
// acknowledgements to the command that waits for them. A sensor that is unplugged (the port
// fails) or falls silent for kSilenceLimitMs while it should stream ends the run's data.
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
#include "ROVA_Common.h"
#include "SerialFrameParser.h"
#include "SerialSensorProtocol.h"

class CSerialRadarDevice : public IRadarDevice {
public:
    static constexpr uint32_t kSilenceLimitMs = 2000;
    static constexpr int kIdentifyTimeoutMs = 1000;
    static constexpr int kControlTimeoutMs = 1000;

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

    bool StartStream(std::string& error) override;
    void StopStream() override;
    RadarReadResult ReadFrame(RadarFrame& frame, uint32_t timeoutMs) override;
    bool EnterCommandMode(int param, int timeBaseMs) override;
    std::vector<uint8_t> Transact(int command, const uint8_t* payload, size_t length, int timeoutMs) override;
    bool LeaveCommandMode() override;

private:
    void ReaderLoop();
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
    uint64_t lastActivity_ = 0;    // GetTickCount64 of the last byte, or of the start of waiting
    bool haveSequence_ = false;
    uint32_t lastSequence_ = 0;
};
