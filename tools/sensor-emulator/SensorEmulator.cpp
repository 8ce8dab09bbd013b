#include "SensorEmulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstring>

namespace {

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

const char* TypeName(uint8_t type) {
    switch (type) {
    case CSerialSensorProtocol::kTypeIdentify: return "IDENTIFY";
    case CSerialSensorProtocol::kTypeStartStream: return "START";
    case CSerialSensorProtocol::kTypeStopStream: return "STOP";
    case CSerialSensorProtocol::kTypeEnterCommandMode: return "CMDMODE-ENTER";
    case CSerialSensorProtocol::kTypeLeaveCommandMode: return "CMDMODE-LEAVE";
    default: return "COMMAND";
    }
}

}  // namespace

CSensorEmulator::CSensorEmulator(const EmulatorOptions& options)
    : options_(options),
      random_(options.scene.seed ^ 0x5EED5EEDu),
      scene_(options.scene),
      trackLimit_(options.maxTargets),
      streaming_(options.streamAtStart) {
    MttSettings mtt;
    mtt.gateSizeMeters = options_.scene.gateSizeMeters;
    mtt.maxTargets = options_.maxTargets;
    tracker_.Configure(mtt);
}

void CSensorEmulator::Log(const char* format, ...) {
    if (!options_.log) return;
    va_list args;
    va_start(args, format);
    vfprintf(options_.log, format, args);
    va_end(args);
    fputc('\n', options_.log);
    fflush(options_.log);
}

bool CSensorEmulator::Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            poll(&p, 1, 100);
            continue;
        }
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

RadarFrame CSensorEmulator::NextFrame(double dt) {
    RadarFrame frame;
    std::vector<RadarPoint> points;
    if (!options_.fixedTargets.empty()) {
        points = options_.fixedTargets;
        if (options_.tracks) {
            for (size_t i = 0; i < points.size(); ++i) points[i].id = static_cast<int64_t>(i + 1);
            if (points.size() > static_cast<size_t>(trackLimit_)) points.resize(static_cast<size_t>(trackLimit_));
        }
    } else {
        points = scene_.Step(dt);
        if (options_.tracks) points = tracker_.Process(points, dt, trackLimit_);
    }
    frame.kind = options_.tracks ? RadarFrameKind::Tracks : RadarFrameKind::Detections;
    frame.points = std::move(points);
    return frame;
}

void CSensorEmulator::SendFrame(uint64_t nowMs) {
    std::uniform_real_distribution<double> percent(0.0, 100.0);
    RadarFrame frame = NextFrame(1.0 / options_.framesPerSecond);
    frame.sequence = sequence_++;
    frame.timestampUs = (nowMs - streamStartMs_) * 1000;
    ++framesProduced_;
    const bool faults = frame.sequence > 0 && (options_.faultsUntil < 0 || frame.sequence < options_.faultsUntil);
    if (faults && options_.dropPercent > 0 && percent(random_) < options_.dropPercent) {
        totals_.framesDropped += 1;
        Log("DROP %u", frame.sequence);
        return;
    }
    std::vector<uint8_t> payload;
    CSerialSensorProtocol::DetectionsPayload(frame, payload);
    std::vector<uint8_t> bytes = CSerialSensorProtocol::Frame(CSerialSensorProtocol::kTypeDetections, payload);
    const bool corrupt = faults && options_.corruptPercent > 0 && percent(random_) < options_.corruptPercent;
    if (corrupt) {
        // Damage one bit after the header, as a bit error on the line would: the checksum fails.
        std::uniform_int_distribution<size_t> at(4, bytes.size() - 1);
        bytes[at(random_)] ^= 0x10;
        totals_.framesCorrupted += 1;
    }
    // Noise goes between frames, so every frame the sensor sent intact can still be received.
    std::vector<uint8_t> noise;
    if (faults) {
        noiseBudget_ += bytes.size() * options_.noisePercent / 100.0;
        // Any byte but the first sync byte: noise never starts a false frame.
        std::uniform_int_distribution<int> byte(0, 254);
        while (noiseBudget_ >= 1.0) {
            const int b = byte(random_);
            noise.push_back(static_cast<uint8_t>(b >= 0xA5 ? b + 1 : b));
            noiseBudget_ -= 1.0;
        }
    }
    totals_.noiseBytes += noise.size();
    if (!Write(noise) || !Write(bytes)) return;
    if (!corrupt) totals_.framesSent += 1;
    Log("FRAME %u points=%zu bytes=%zu noise=%zu%s", frame.sequence, frame.points.size(), bytes.size(), noise.size(),
        corrupt ? " corrupted" : "");
}

void CSensorEmulator::Handle(const CSerialFrameParser::Frame& f, uint64_t nowMs) {
    uint16_t code = CSerialSensorProtocol::kAckAccepted;
    switch (f.type) {
    case CSerialSensorProtocol::kTypeIdentify: {
        CSerialSensorProtocol::SensorInfo info;
        info.gateCount = static_cast<uint16_t>(options_.scene.gateCount);
        info.gateSizeMm = static_cast<uint16_t>(std::lround(options_.scene.gateSizeMeters * 1000));
        info.halfFieldDeciDegrees = static_cast<uint16_t>(std::lround(options_.scene.halfFieldDegrees * 10));
        info.maxTargets = static_cast<uint16_t>(options_.maxTargets);
        info.model = options_.model;
        Log("IDENTIFY");
        Write(CSerialSensorProtocol::Frame(CSerialSensorProtocol::kTypeIdentifyReply,
                                           CSerialSensorProtocol::IdentifyReplyPayload(info)));
        return;
    }
    case CSerialSensorProtocol::kTypeStartStream:
        if (!streaming_) {
            streaming_ = true;
            streamStartMs_ = nowMs;
        }
        if (options_.startAckDelayMs > 0) {
            startAckDueMs_ = nowMs + static_cast<uint64_t>(options_.startAckDelayMs);
            Log("START 0x%02X ACK LATE %d", f.type, options_.startAckDelayMs);
            return;
        }
        break;
    case CSerialSensorProtocol::kTypeStopStream:
        streaming_ = false;
        break;
    case CSerialSensorProtocol::kTypeEnterCommandMode: {
        int32_t param = 0;
        uint32_t timeBase = 0;
        if (!CSerialSensorProtocol::ParseEnterCommandMode(f.payload.data(), f.payload.size(), param, timeBase)) {
            code = CSerialSensorProtocol::kAckRejected;
            break;
        }
        commandMode_ = true;
        commandTimeBaseMs_ = timeBase;
        commandModeDeadlineMs_ = timeBase ? nowMs + timeBase : 0;
        Log("CMDMODE-ENTER param=%d timebase=%u", param, timeBase);
        break;
    }
    case CSerialSensorProtocol::kTypeLeaveCommandMode:
        code = commandMode_ ? CSerialSensorProtocol::kAckAccepted : CSerialSensorProtocol::kAckBusy;
        commandMode_ = false;
        break;
    case CSerialSensorProtocol::kTypeTrackOne:
    case CSerialSensorProtocol::kTypeTrackMany:
        if (!commandMode_) {
            code = CSerialSensorProtocol::kAckBusy;
        } else {
            trackLimit_ = f.type == CSerialSensorProtocol::kTypeTrackOne ? 1 : options_.maxTargets;
            if (commandTimeBaseMs_) commandModeDeadlineMs_ = nowMs + commandTimeBaseMs_;  // a command restarts it
        }
        break;
    default:
        code = CSerialSensorProtocol::kAckRejected;
        break;
    }
    if (f.type != CSerialSensorProtocol::kTypeEnterCommandMode)
        Log("%s 0x%02X ACK %u", TypeName(f.type), f.type, code);
    Write(CSerialSensorProtocol::Ack(f.type, code));
}

int CSensorEmulator::Run(volatile int& stop) {
    fd_ = open(options_.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        fprintf(stderr, "sensor-emulator: cannot open %s: %s\n", options_.device.c_str(), strerror(errno));
        return 2;
    }
    termios tio{};
    if (tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    CSerialFrameParser parser(CSerialSensorProtocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    const double periodMs = 1000.0 / options_.framesPerSecond;
    uint64_t start = NowMs();
    streamStartMs_ = start;
    double nextFrameMs = static_cast<double>(start);
    Log("READY %s", options_.device.c_str());
    while (!stop) {
        const uint64_t now = NowMs();
        const bool silent = options_.silenceAfterFrames >= 0 && framesProduced_ >= options_.silenceAfterFrames;
        if (startAckDueMs_ && now >= startAckDueMs_) {
            startAckDueMs_ = 0;
            Log("START-ACK sent late");
            Write(CSerialSensorProtocol::Ack(CSerialSensorProtocol::kTypeStartStream, CSerialSensorProtocol::kAckAccepted));
        }
        if (commandMode_ && commandModeDeadlineMs_ && now >= commandModeDeadlineMs_) {
            commandMode_ = false;  // no command within the time base: back to normal by itself
            Log("CMDMODE-TIMEOUT");
        }
        if (streaming_ && !commandMode_ && !silent && now >= nextFrameMs) {
            SendFrame(now);
            nextFrameMs += periodMs;
            if (nextFrameMs < static_cast<double>(now)) nextFrameMs = static_cast<double>(now) + periodMs;
            continue;
        }
        if (!streaming_ || commandMode_) nextFrameMs = static_cast<double>(now);
        const int wait = streaming_ && !commandMode_ && !silent ? static_cast<int>(std::max(0.0, nextFrameMs - now)) : 20;
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, std::min(wait, 20));
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (p.revents & POLLIN)) {
            uint8_t buffer[1024];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                frames.clear();
                parser.Feed(buffer, static_cast<size_t>(n), frames);
                if (silent) continue;  // a hung sensor hears nothing either
                for (const CSerialFrameParser::Frame& f : frames) Handle(f, NowMs());
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                // The other side of the pseudo terminal is gone: wait for it to come back.
                usleep(20000);
            }
        } else if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
            usleep(20000);
        }
    }
    close(fd_);
    Log("SUMMARY sent=%llu dropped=%llu corrupted=%llu noise=%llu", static_cast<unsigned long long>(totals_.framesSent),
        static_cast<unsigned long long>(totals_.framesDropped), static_cast<unsigned long long>(totals_.framesCorrupted),
        static_cast<unsigned long long>(totals_.noiseBytes));
    return 0;
}
