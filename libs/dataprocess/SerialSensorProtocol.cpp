#include "SerialSensorProtocol.h"

#include <algorithm>
#include <cmath>

#include "RadarProtocol.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | (static_cast<uint32_t>(Get16(p + 2)) << 16);
}
// Fixed point with saturation: the wire cannot carry more, and a wrapped value would be a lie.
uint16_t ToU16(double v, double scale) {
    return static_cast<uint16_t>(std::clamp(std::lround(v * scale), 0L, 65535L));
}
uint16_t ToS16(double v, double scale) {
    return static_cast<uint16_t>(static_cast<int16_t>(std::clamp(std::lround(v * scale), -32768L, 32767L)));
}
double FromS16(uint16_t v, double scale) {
    return static_cast<int16_t>(v) / scale;
}

}  // namespace

std::vector<uint8_t> CSerialSensorProtocol::Frame(uint8_t type, const std::vector<uint8_t>& payload) {
    return CRadarProtocol::BuildFrame(type, payload.data(), static_cast<uint16_t>(payload.size()));
}

std::vector<uint8_t> CSerialSensorProtocol::Ack(uint8_t command, uint16_t code) {
    return CRadarProtocol::BuildAck(command, code);
}

std::vector<uint8_t> CSerialSensorProtocol::IdentifyReplyPayload(const SensorInfo& info) {
    std::vector<uint8_t> out;
    out.push_back(info.protocolVersion);
    Put16(out, info.gateCount);
    Put16(out, info.gateSizeMm);
    Put16(out, info.halfFieldDeciDegrees);
    Put16(out, info.maxTargets);
    for (size_t i = 0; i < info.model.size() && i < 64; ++i) {
        const char c = info.model[i];
        out.push_back(static_cast<uint8_t>(c >= 0x20 && c < 0x7F ? c : '?'));
    }
    return out;
}

bool CSerialSensorProtocol::ParseIdentifyReply(const uint8_t* payload, size_t length, SensorInfo& info) {
    if (!payload || length < 9 || length > 9 + 64) return false;
    info.protocolVersion = payload[0];
    info.gateCount = Get16(payload + 1);
    info.gateSizeMm = Get16(payload + 3);
    info.halfFieldDeciDegrees = Get16(payload + 5);
    info.maxTargets = Get16(payload + 7);
    info.model.clear();
    for (size_t i = 9; i < length; ++i) {
        const char c = static_cast<char>(payload[i]);
        info.model.push_back(c >= 0x20 && c < 0x7F ? c : '?');
    }
    return info.protocolVersion == kProtocolVersion && info.gateCount > 0 && info.gateSizeMm > 0;
}

std::vector<uint8_t> CSerialSensorProtocol::EnterCommandModePayload(int32_t param, uint32_t timeBaseMs) {
    std::vector<uint8_t> out;
    Put32(out, static_cast<uint32_t>(param));
    Put32(out, timeBaseMs);
    return out;
}

bool CSerialSensorProtocol::ParseEnterCommandMode(const uint8_t* payload, size_t length, int32_t& param,
                                                  uint32_t& timeBaseMs) {
    if (!payload || length != 8) return false;
    param = static_cast<int32_t>(Get32(payload));
    timeBaseMs = Get32(payload + 4);
    return true;
}

bool CSerialSensorProtocol::DetectionsPayload(const RadarFrame& frame, std::vector<uint8_t>& out) {
    const size_t count = std::min(frame.points.size(), kMaxPoints);
    out.clear();
    out.reserve(kDetectionHeaderBytes + count * kPointBytes);
    Put32(out, frame.sequence);
    Put32(out, static_cast<uint32_t>(frame.timestampUs & 0xFFFFFFFFu));
    Put32(out, static_cast<uint32_t>(frame.timestampUs >> 32));
    out.push_back(static_cast<uint8_t>(frame.kind));
    out.push_back(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const RadarPoint& p = frame.points[i];
        Put16(out, static_cast<uint16_t>(std::clamp<int64_t>(p.id, 0, 65535)));
        Put16(out, ToU16(p.gate, 100));
        Put16(out, ToU16(p.distance, 1000));
        Put16(out, ToS16(p.velocity, 1000));
        Put16(out, ToS16(p.angle, 100));
        Put16(out, ToS16(p.snr, 100));
    }
    return count == frame.points.size();
}

bool CSerialSensorProtocol::ParseDetections(const uint8_t* payload, size_t length, RadarFrame& frame) {
    if (!payload || length < kDetectionHeaderBytes) return false;
    const uint8_t kind = payload[12];
    const size_t count = payload[13];
    if (kind != static_cast<uint8_t>(RadarFrameKind::Detections) && kind != static_cast<uint8_t>(RadarFrameKind::Tracks))
        return false;
    if (count > kMaxPoints || length != kDetectionHeaderBytes + count * kPointBytes) return false;
    frame.sequence = Get32(payload);
    frame.timestampUs = Get32(payload + 4) | (static_cast<uint64_t>(Get32(payload + 8)) << 32);
    frame.kind = static_cast<RadarFrameKind>(kind);
    frame.points.resize(count);
    const uint8_t* p = payload + kDetectionHeaderBytes;
    for (size_t i = 0; i < count; ++i, p += kPointBytes) {
        RadarPoint& point = frame.points[i];
        point.id = Get16(p);
        point.gate = Get16(p + 2) / 100.0;
        point.distance = Get16(p + 4) / 1000.0;
        point.velocity = FromS16(Get16(p + 6), 1000);
        point.angle = FromS16(Get16(p + 8), 100);
        point.snr = FromS16(Get16(p + 10), 100);
    }
    return true;
}

bool CSerialSensorProtocol::ParseAck(const uint8_t* payload, size_t length, uint8_t& command, uint16_t& code) {
    if (!payload || length != 3) return false;
    command = payload[0];
    code = Get16(payload + 1);
    return true;
}
