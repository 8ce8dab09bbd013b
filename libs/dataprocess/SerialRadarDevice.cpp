#include "SerialRadarDevice.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "ROVA_DataProcess.h"
#include "SimulationControl.h"

static_assert(CSerialSensorProtocol::kAckAccepted == kRadarAckAccepted);
static_assert(CSerialSensorProtocol::kAckRejected == kRadarAckRejected);
static_assert(CSerialSensorProtocol::kAckBusy == kRadarAckBusy);

namespace {
constexpr size_t kFrameQueueLimit = 256;
constexpr size_t kAckQueueLimit = 16;
constexpr DWORD kWriteTimeoutMs = 500;
}  // namespace

CSerialRadarDevice::CSerialRadarDevice(int port, unsigned long baud) : port_(port), baud_(baud) {}

CSerialRadarDevice::~CSerialRadarDevice() {
    ClosePort();
}

void CSerialRadarDevice::AttachHealth(std::shared_ptr<CLinkHealth> health) {
    std::lock_guard lock(mutex_);
    linkHealth_ = std::move(health);
}

void CSerialRadarDevice::Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    changed_.notify_all();
}

std::string CSerialRadarDevice::PortName() const {
    return "COM" + std::to_string(port_);
}

void CSerialRadarDevice::StartReader() {
    quit_ = false;
    {
        std::lock_guard lock(mutex_);
        lost_ = false;
        identified_ = false;
        frames_.clear();
        acks_.clear();
    }
    reader_ = std::thread(&CSerialRadarDevice::ReaderLoop, this);
}

void CSerialRadarDevice::ClosePort() {
    quit_ = true;
    // Closing wakes a reader blocked in the port.
    serial_.CloseSerial();
    if (reader_.joinable()) reader_.join();
}

bool CSerialRadarDevice::Identify(int timeoutMs) {
    Send(CSerialSensorProtocol::kTypeIdentify, {});
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return identified_ || lost_ || interrupted_; });
    return identified_;
}

bool CSerialRadarDevice::Open(std::string& error) {
    if (!serial_.OpenSerial(port_, baud_)) {
        error = "The sensor port " + PortName() +
                " cannot be opened: it does not exist, or another program is using it. Check the cable and run Detect Device again.";
        return false;
    }
    StartReader();
    if (Identify(kIdentifyTimeoutMs)) return true;
    char text[200];
    snprintf(text, sizeof text,
             "No radar sensor answers on %s (%lu baud): check that the sensor is connected and powered, then run Detect Device again.",
             PortName().c_str(), baud_);
    error = text;
    ClosePort();
    return false;
}

bool CSerialRadarDevice::Probe(int port, unsigned long baud, int timeoutMs, std::string* description) {
    CSerialUtil serial;
    if (!serial.OpenSerial(port, baud)) return false;
    const std::vector<uint8_t> request = CSerialSensorProtocol::Frame(CSerialSensorProtocol::kTypeIdentify);
    if (serial.Write(request.data(), static_cast<int>(request.size()), static_cast<DWORD>(std::max(timeoutMs, 1))) !=
        static_cast<int>(request.size()))
        return false;
    CSerialFrameParser parser(CSerialSensorProtocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    uint8_t buffer[512];
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        const int got = serial.Read(buffer, sizeof buffer, static_cast<DWORD>(deadline - now));
        if (got < 0) return false;
        frames.clear();
        parser.Feed(buffer, static_cast<size_t>(got), frames);
        for (const CSerialFrameParser::Frame& f : frames) {
            CSerialSensorProtocol::SensorInfo info;
            if (f.type == CSerialSensorProtocol::kTypeIdentifyReply &&
                CSerialSensorProtocol::ParseIdentifyReply(f.payload.data(), f.payload.size(), info)) {
                if (description) *description = info.model.empty() ? "radar sensor" : info.model;
                return true;
            }
        }
    }
}

bool CSerialRadarDevice::Send(uint8_t type, const std::vector<uint8_t>& payload) {
    if (!serial_.IsOpened()) return false;  // nothing goes to a port that is gone
    const std::vector<uint8_t> frame = CSerialSensorProtocol::Frame(type, payload);
    return serial_.Write(frame.data(), static_cast<int>(frame.size()), kWriteTimeoutMs) == static_cast<int>(frame.size());
}

std::vector<uint8_t> CSerialRadarDevice::Request(uint8_t type, const std::vector<uint8_t>& payload, int timeoutMs) {
    {
        std::lock_guard lock(mutex_);
        // Acknowledgements of earlier requests that came too late must not answer this one.
        acks_.clear();
    }
    if (!Send(type, payload)) return {};
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        while (!acks_.empty()) {
            std::vector<uint8_t> ack = std::move(acks_.front());
            acks_.pop_front();
            if (ack.size() > 5 && ack[5] == type) return ack;
        }
        if (lost_ || interrupted_) return {};
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && acks_.empty()) return {};
    }
}

uint16_t CSerialRadarDevice::AckCode(const std::vector<uint8_t>& ack) {
    uint8_t command = 0;
    uint16_t code = kRadarAckInvalid;
    if (ack.size() != 10 || !CSerialSensorProtocol::ParseAck(ack.data() + 5, 3, command, code)) return kRadarAckInvalid;
    return code;
}

bool CSerialRadarDevice::StartStream(std::string& error) {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
        frames_.clear();
        haveSequence_ = false;
        damagedSinceFrame_ = 0;
        streaming_ = true;
        lastActivity_ = GetTickCount64();
        // A link lost in an earlier run comes back through the reconnect attempts of this one.
        if (linkDown_ || lost_) return true;
    }
    const std::vector<uint8_t> ack = Request(CSerialSensorProtocol::kTypeStartStream, {}, kControlTimeoutMs);
    if (AckCode(ack) == kRadarAckAccepted) return true;
    {
        std::lock_guard lock(mutex_);
        streaming_ = false;
        frames_.clear();
        error = ack.empty() ? "The sensor on " + PortName() + " does not answer the start request."
                            : "The sensor on " + PortName() + " refused to start.";
    }
    // An acknowledgement too late for us may still mean the sensor streams: take the start back.
    if (ack.empty()) Request(CSerialSensorProtocol::kTypeStopStream, {}, 300);
    return false;
}

void CSerialRadarDevice::StopStream() {
    {
        std::lock_guard lock(mutex_);
        // The run's threads are gone: waiting for the stop's acknowledgement is allowed again.
        interrupted_ = false;
        const bool was = streaming_;
        streaming_ = false;
        if (linkHealth_) linkHealth_->AddDropped(frames_.size());  // read by no run any more
        frames_.clear();
        if (!was || lost_ || linkDown_) return;
    }
    Request(CSerialSensorProtocol::kTypeStopStream, {}, 300);
}

RadarReadResult CSerialRadarDevice::ReadFrame(RadarFrame& frame, uint32_t timeoutMs) {
    if (linkDown_) {
        Reconnect(timeoutMs);
        return RadarReadResult::Timeout;
    }
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !frames_.empty() || lost_ || interrupted_; });
    if (!frames_.empty()) {
        frame = std::move(frames_.front());
        frames_.pop_front();
        return RadarReadResult::Frame;
    }
    if (interrupted_) return RadarReadResult::Timeout;
    if (lost_) {
        lock.unlock();
        DropLink("port failed");
        return RadarReadResult::Timeout;
    }
    if (streaming_ && !commandMode_ && GetTickCount64() - lastActivity_ > kSilenceLimitMs) {
        lock.unlock();
        DropLink("silent");
        return RadarReadResult::Timeout;
    }
    return RadarReadResult::Timeout;
}

void CSerialRadarDevice::DropLink(const char* why) {
    DbgOutputA(2, "radar sensor on %s lost (%s): port closed, reconnecting every %u ms\r\n", PortName().c_str(), why,
               static_cast<unsigned>(kReconnectIntervalMs));
    ClosePort();
    std::lock_guard lock(mutex_);
    CSimulationControl::Instance().liveDataEnds += 1;
    if (linkHealth_) linkHealth_->LinkLost();
    linkDown_ = true;
    commandMode_ = false;
    nextAttemptMs_ = GetTickCount64();
}

void CSerialRadarDevice::Reconnect(uint32_t timeoutMs) {
    const uint64_t now = GetTickCount64();
    if (now < nextAttemptMs_) {
        std::unique_lock lock(mutex_);
        const uint64_t wait = std::min<uint64_t>(nextAttemptMs_ - now, timeoutMs);
        changed_.wait_for(lock, std::chrono::milliseconds(wait), [&] { return interrupted_.load(); });
        return;
    }
    if (interrupted_) return;
    nextAttemptMs_ = now + kReconnectIntervalMs;
    std::shared_ptr<CLinkHealth> health;
    {
        std::lock_guard lock(mutex_);
        health = linkHealth_;
    }
    if (health) health->ReconnectStarted();
    const eRADAR_RECONNECT_FAILURE failure = TryReconnect();
    if (failure == RADAR_RECONNECT_OK) {
        std::lock_guard lock(mutex_);
        linkDown_ = false;
        lastActivity_ = GetTickCount64();
        if (health) health->Reconnected(lastActivity_);
        DbgOutputA(2, "radar sensor on %s is back\r\n", PortName().c_str());
        return;
    }
    ClosePort();
    if (health) health->ReconnectFailed(failure);
}

eRADAR_RECONNECT_FAILURE CSerialRadarDevice::TryReconnect() {
    if (!serial_.OpenSerial(port_, baud_)) return RADAR_RECONNECT_PORT_MISSING;
    StartReader();
    if (!Identify(kIdentifyTimeoutMs)) return RADAR_RECONNECT_NO_ANSWER;
    {
        std::lock_guard lock(mutex_);
        haveSequence_ = false;
        damagedSinceFrame_ = 0;
        commandMode_ = false;
    }
    if (AckCode(Request(CSerialSensorProtocol::kTypeStartStream, {}, kControlTimeoutMs)) != kRadarAckAccepted)
        return RADAR_RECONNECT_START_REFUSED;
    const int trackingCommand = trackingCommand_;
    if (trackingCommand < 0) return RADAR_RECONNECT_OK;
    // The sensor lost the number of targets it was told to report: the same command again.
    bool accepted = false;
    {
        std::lock_guard lock(mutex_);
        commandMode_ = true;
    }
    if (AckCode(Request(CSerialSensorProtocol::kTypeEnterCommandMode,
                        CSerialSensorProtocol::EnterCommandModePayload(commandParam_, static_cast<uint32_t>(commandTimeBaseMs_)),
                        kControlTimeoutMs)) == kRadarAckAccepted) {
        accepted = AckCode(Request(static_cast<uint8_t>(trackingCommand), {}, kControlTimeoutMs)) == kRadarAckAccepted;
        Request(CSerialSensorProtocol::kTypeLeaveCommandMode, {}, kControlTimeoutMs);
    }
    std::lock_guard lock(mutex_);
    commandMode_ = false;
    return accepted ? RADAR_RECONNECT_OK : RADAR_RECONNECT_COMMAND_REFUSED;
}

bool CSerialRadarDevice::EnterCommandMode(int param, int timeBaseMs) {
    {
        std::lock_guard lock(mutex_);
        if (lost_ || linkDown_) return false;
        commandMode_ = true;
        commandParam_ = param;
        commandTimeBaseMs_ = std::max(timeBaseMs, 0);
    }
    const std::vector<uint8_t> ack =
        Request(CSerialSensorProtocol::kTypeEnterCommandMode,
                CSerialSensorProtocol::EnterCommandModePayload(param, static_cast<uint32_t>(std::max(timeBaseMs, 0))),
                kControlTimeoutMs);
    if (AckCode(ack) == kRadarAckAccepted) return true;
    std::lock_guard lock(mutex_);
    commandMode_ = false;
    lastActivity_ = GetTickCount64();
    return false;
}

std::vector<uint8_t> CSerialRadarDevice::Transact(int command, const uint8_t* payload, size_t length, int timeoutMs) {
    if (command < 0 || command > 0xFF || length > CSerialSensorProtocol::kMaxPayload) return {};
    std::vector<uint8_t> body;
    if (payload && length) body.assign(payload, payload + length);
    std::vector<uint8_t> ack = Request(static_cast<uint8_t>(command), body, timeoutMs);
    const bool tracking = command == CSerialSensorProtocol::kTypeTrackOne || command == CSerialSensorProtocol::kTypeTrackMany;
    if (tracking && AckCode(ack) == kRadarAckAccepted) trackingCommand_ = command;
    return ack;
}

bool CSerialRadarDevice::LeaveCommandMode() {
    bool was;
    {
        std::lock_guard lock(mutex_);
        was = commandMode_;
    }
    const std::vector<uint8_t> ack = Request(CSerialSensorProtocol::kTypeLeaveCommandMode, {}, kControlTimeoutMs);
    std::lock_guard lock(mutex_);
    commandMode_ = false;
    lastActivity_ = GetTickCount64();  // the sensor needs a moment to stream again
    return was && AckCode(ack) == kRadarAckAccepted;
}

void CSerialRadarDevice::Dispatch(CSerialFrameParser::Frame& f) {
    CSimulationControl& counters = CSimulationControl::Instance();
    const uint64_t now = GetTickCount64();
    lastActivity_ = now;
    switch (f.type) {
    case CSerialSensorProtocol::kTypeDetections: {
        RadarFrame frame;
        if (!CSerialSensorProtocol::ParseDetections(f.payload.data(), f.payload.size(), frame)) {
            // A good checksum around contents that make no sense: it arrived, and is dropped.
            if (linkHealth_) {
                linkHealth_->FrameReceived(now);
                linkHealth_->AddDropped(1);
            }
            return;
        }
        frame.ticks = [] {
            LARGE_INTEGER t;
            QueryPerformanceCounter(&t);
            return t.QuadPart;
        }();
        counters.serialFramesReceived += 1;
        if (linkHealth_) linkHealth_->FrameReceived(now);
        if (haveSequence_ && frame.sequence - lastSequence_ > 1 && frame.sequence - lastSequence_ < 0x80000000u) {
            const uint64_t gap = frame.sequence - lastSequence_ - 1;
            counters.serialLostFrames += gap;
            // Damaged frames not yet matched with a gap explain it first: they are counted as
            // bad checksums already. The rest of the gap never came.
            const uint64_t damaged = std::min(gap, damagedSinceFrame_);
            damagedSinceFrame_ -= damaged;
            if (linkHealth_) linkHealth_->AddLost(gap - damaged);
        }
        haveSequence_ = true;
        lastSequence_ = frame.sequence;
        if (!streaming_ || commandMode_) {
            if (linkHealth_) linkHealth_->AddDropped(1);
            return;
        }
        if (frames_.size() >= kFrameQueueLimit) {
            frames_.pop_front();
            if (linkHealth_) linkHealth_->AddDropped(1);
        }
        frames_.push_back(std::move(frame));
        break;
    }
    case CSerialSensorProtocol::kTypeAck:
        if (acks_.size() >= kAckQueueLimit) acks_.pop_front();
        acks_.push_back(std::move(f.bytes));
        break;
    case CSerialSensorProtocol::kTypeIdentifyReply: {
        CSerialSensorProtocol::SensorInfo info;
        if (CSerialSensorProtocol::ParseIdentifyReply(f.payload.data(), f.payload.size(), info)) {
            info_ = info;
            identified_ = true;
        }
        break;
    }
    default:
        break;
    }
}

void CSerialRadarDevice::ReaderLoop() {
    CSimulationControl& counters = CSimulationControl::Instance();
    CSerialFrameParser parser(CSerialSensorProtocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    uint8_t buffer[4096];
    uint64_t crcErrors = 0, skipped = 0;
    while (!quit_) {
        const int got = serial_.Read(buffer, sizeof buffer, 50);
        if (got < 0) {
            if (!quit_) DbgOutputA(2, "radar sensor port %s failed\r\n", PortName().c_str());
            std::lock_guard lock(mutex_);
            lost_ = true;
            changed_.notify_all();
            return;
        }
        if (got == 0) continue;
        frames.clear();
        parser.Feed(buffer, static_cast<size_t>(got), frames);
        const uint64_t newCrcErrors = parser.CrcErrors() - crcErrors;
        const uint64_t newSkipped = parser.SkippedBytes() - skipped;
        crcErrors = parser.CrcErrors();
        skipped = parser.SkippedBytes();
        counters.serialCrcErrors += newCrcErrors;
        counters.serialSkippedBytes += newSkipped;
        std::lock_guard lock(mutex_);
        damagedSinceFrame_ += newCrcErrors;
        if (linkHealth_) {
            linkHealth_->AddBadChecksums(newCrcErrors);
            linkHealth_->AddDiscardedBytes(newSkipped);
        }
        for (CSerialFrameParser::Frame& f : frames) Dispatch(f);
        changed_.notify_all();
    }
}
