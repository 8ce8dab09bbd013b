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
    : m_options(options),
      m_random(options.scene.seed ^ 0x5EED5EEDu),
      m_scene(options.scene),
      m_trackLimit(options.maxTargets),
      m_streaming(options.streamAtStart) {
    MttSettings mtt;
    mtt.gateSizeMeters = m_options.scene.gateSizeMeters;
    mtt.maxTargets = m_options.maxTargets;
    m_tracker.Configure(mtt);
}

void CSensorEmulator::Log(const char* format, ...) {
    if (!m_options.log) return;
    va_list args;
    va_start(args, format);
    vfprintf(m_options.log, format, args);
    va_end(args);
    fputc('\n', m_options.log);
    fflush(m_options.log);
}

bool CSensorEmulator::Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
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
    if (!m_options.fixedTargets.empty()) {
        points = m_options.fixedTargets;
        if (m_options.tracks) {
            for (size_t i = 0; i < points.size(); ++i) points[i].id = static_cast<int64_t>(i + 1);
            if (points.size() > static_cast<size_t>(m_trackLimit)) points.resize(static_cast<size_t>(m_trackLimit));
        }
    } else {
        points = m_scene.Step(dt);
        if (m_options.tracks) points = m_tracker.Process(points, dt, m_trackLimit);
    }
    frame.kind = m_options.tracks ? RadarFrameKind::Tracks : RadarFrameKind::Detections;
    frame.points = std::move(points);
    return frame;
}

void CSensorEmulator::SendFrame(uint64_t nowMs) {
    std::uniform_real_distribution<double> percent(0.0, 100.0);
    RadarFrame frame = NextFrame(1.0 / m_options.framesPerSecond);
    frame.sequence = m_sequence++;
    frame.timestampUs = (nowMs - m_streamStartMs) * 1000;
    ++m_framesProduced;
    const bool faults = frame.sequence > 0 && (m_options.faultsUntil < 0 || frame.sequence < m_options.faultsUntil);
    if (faults && m_options.dropPercent > 0 && percent(m_random) < m_options.dropPercent) {
        m_totals.framesDropped += 1;
        Log("DROP %u", frame.sequence);
        return;
    }
    std::vector<uint8_t> payload;
    CSerialSensorProtocol::DetectionsPayload(frame, payload);
    std::vector<uint8_t> bytes = CSerialSensorProtocol::Frame(CSerialSensorProtocol::kTypeDetections, payload);
    const bool corrupt = faults && m_options.corruptPercent > 0 && percent(m_random) < m_options.corruptPercent;
    if (corrupt) {
        // Damage one bit after the header, as a bit error on the line would: the checksum fails.
        std::uniform_int_distribution<size_t> at(4, bytes.size() - 1);
        bytes[at(m_random)] ^= 0x10;
        m_totals.framesCorrupted += 1;
    }
    // Noise goes between frames, so every frame the sensor sent intact can still be received.
    std::vector<uint8_t> noise;
    if (faults) {
        m_noiseBudget += bytes.size() * m_options.noisePercent / 100.0;
        // Any byte but the first sync byte: noise never starts a false frame.
        std::uniform_int_distribution<int> byte(0, 254);
        while (m_noiseBudget >= 1.0) {
            const int b = byte(m_random);
            noise.push_back(static_cast<uint8_t>(b >= 0xA5 ? b + 1 : b));
            m_noiseBudget -= 1.0;
        }
    }
    m_totals.noiseBytes += noise.size();
    if (!Write(noise) || !Write(bytes)) return;
    if (!corrupt) m_totals.framesSent += 1;
    Log("FRAME %u points=%zu bytes=%zu noise=%zu%s", frame.sequence, frame.points.size(), bytes.size(), noise.size(),
        corrupt ? " corrupted" : "");
}

void CSensorEmulator::Handle(const CSerialFrameParser::Frame& f, uint64_t nowMs) {
    uint16_t code = CSerialSensorProtocol::kAckAccepted;
    switch (f.type) {
    case CSerialSensorProtocol::kTypeIdentify: {
        CSerialSensorProtocol::SensorInfo info;
        info.gateCount = static_cast<uint16_t>(m_options.scene.gateCount);
        info.gateSizeMm = static_cast<uint16_t>(std::lround(m_options.scene.gateSizeMeters * 1000));
        info.halfFieldDeciDegrees = static_cast<uint16_t>(std::lround(m_options.scene.halfFieldDegrees * 10));
        info.maxTargets = static_cast<uint16_t>(m_options.maxTargets);
        info.model = m_options.model;
        Log("IDENTIFY");
        Write(CSerialSensorProtocol::Frame(CSerialSensorProtocol::kTypeIdentifyReply,
                                           CSerialSensorProtocol::IdentifyReplyPayload(info)));
        return;
    }
    case CSerialSensorProtocol::kTypeStartStream:
        if (!m_streaming) {
            m_streaming = true;
            m_streamStartMs = nowMs;
        }
        if (m_options.startAckDelayMs > 0) {
            m_startAckDueMs = nowMs + static_cast<uint64_t>(m_options.startAckDelayMs);
            Log("START 0x%02X ACK LATE %d", f.type, m_options.startAckDelayMs);
            return;
        }
        break;
    case CSerialSensorProtocol::kTypeStopStream:
        m_streaming = false;
        break;
    case CSerialSensorProtocol::kTypeEnterCommandMode: {
        int32_t param = 0;
        uint32_t timeBase = 0;
        if (!CSerialSensorProtocol::ParseEnterCommandMode(f.payload.data(), f.payload.size(), param, timeBase)) {
            code = CSerialSensorProtocol::kAckRejected;
            break;
        }
        m_commandMode = true;
        m_commandTimeBaseMs = timeBase;
        m_commandModeDeadlineMs = timeBase ? nowMs + timeBase : 0;
        Log("CMDMODE-ENTER param=%d timebase=%u", param, timeBase);
        break;
    }
    case CSerialSensorProtocol::kTypeLeaveCommandMode:
        code = m_commandMode ? CSerialSensorProtocol::kAckAccepted : CSerialSensorProtocol::kAckBusy;
        m_commandMode = false;
        break;
    case CSerialSensorProtocol::kTypeTrackOne:
    case CSerialSensorProtocol::kTypeTrackMany:
        if (!m_commandMode) {
            code = CSerialSensorProtocol::kAckBusy;
        } else {
            m_trackLimit = f.type == CSerialSensorProtocol::kTypeTrackOne ? 1 : m_options.maxTargets;
            if (m_commandTimeBaseMs) m_commandModeDeadlineMs = nowMs + m_commandTimeBaseMs;  // a command restarts it
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
    m_fd = open(m_options.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        fprintf(stderr, "sensor-emulator: cannot open %s: %s\n", m_options.device.c_str(), strerror(errno));
        return 2;
    }
    termios tio{};
    if (tcgetattr(m_fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    CSerialFrameParser parser(CSerialSensorProtocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    const double periodMs = 1000.0 / m_options.framesPerSecond;
    uint64_t start = NowMs();
    m_streamStartMs = start;
    double nextFrameMs = static_cast<double>(start);
    Log("READY %s", m_options.device.c_str());
    while (!stop) {
        const uint64_t now = NowMs();
        const bool silent = m_options.silenceAfterFrames >= 0 && m_framesProduced >= m_options.silenceAfterFrames;
        if (m_startAckDueMs && now >= m_startAckDueMs) {
            m_startAckDueMs = 0;
            Log("START-ACK sent late");
            Write(CSerialSensorProtocol::Ack(CSerialSensorProtocol::kTypeStartStream, CSerialSensorProtocol::kAckAccepted));
        }
        if (m_commandMode && m_commandModeDeadlineMs && now >= m_commandModeDeadlineMs) {
            m_commandMode = false;  // no command within the time base: back to normal by itself
            Log("CMDMODE-TIMEOUT");
        }
        if (m_streaming && !m_commandMode && !silent && now >= nextFrameMs) {
            SendFrame(now);
            nextFrameMs += periodMs;
            if (nextFrameMs < static_cast<double>(now)) nextFrameMs = static_cast<double>(now) + periodMs;
            continue;
        }
        if (!m_streaming || m_commandMode) nextFrameMs = static_cast<double>(now);
        const int wait = m_streaming && !m_commandMode && !silent ? static_cast<int>(std::max(0.0, nextFrameMs - now)) : 20;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, std::min(wait, 20));
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (p.revents & POLLIN)) {
            uint8_t buffer[1024];
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
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
    close(m_fd);
    Log("SUMMARY sent=%llu dropped=%llu corrupted=%llu noise=%llu", static_cast<unsigned long long>(m_totals.framesSent),
        static_cast<unsigned long long>(m_totals.framesDropped), static_cast<unsigned long long>(m_totals.framesCorrupted),
        static_cast<unsigned long long>(m_totals.noiseBytes));
    return 0;
}
