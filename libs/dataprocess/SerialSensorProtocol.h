// The sensor module's serial protocol (see SerialSensorProtocol.md): the frame types and the
// payloads carried in the command framing of CRadarProtocol. Plain C++ without Windows headers:
// the library's serial device and the native sensor emulator share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RadarFrame.h"

class CSerialSensorProtocol {
public:
    // Host to sensor.
    static constexpr uint8_t kTypeIdentify = 0x01;
    static constexpr uint8_t kTypeStartStream = 0x10;
    static constexpr uint8_t kTypeStopStream = 0x11;
    static constexpr uint8_t kTypeEnterCommandMode = 0x20;
    static constexpr uint8_t kTypeLeaveCommandMode = 0x21;
    static constexpr uint8_t kTypeTrackOne = 0x80;   // MCU tracking: report one target
    static constexpr uint8_t kTypeTrackMany = 0x90;  // MCU tracking: report several targets
    // Sensor to host.
    static constexpr uint8_t kTypeIdentifyReply = 0x02;
    static constexpr uint8_t kTypeDetections = 0x40;
    static constexpr uint8_t kTypeAck = 0x81;

    // Return codes of an acknowledgement.
    static constexpr uint16_t kAckAccepted = 0x0000;
    static constexpr uint16_t kAckRejected = 0x0001;
    static constexpr uint16_t kAckBusy = 0x0002;

    // Longest payload either side sends; a header announcing more is line noise.
    static constexpr uint16_t kMaxPayload = 1024;
    static constexpr size_t kMaxPoints = 64;
    static constexpr size_t kDetectionHeaderBytes = 14;
    static constexpr size_t kPointBytes = 12;
    static constexpr uint8_t kProtocolVersion = 1;

    struct SensorInfo {
        uint8_t protocolVersion = kProtocolVersion;
        uint16_t gateCount = 32;
        uint16_t gateSizeMm = 250;
        uint16_t halfFieldDeciDegrees = 600;
        uint16_t maxTargets = 8;
        std::string model;  // printable ASCII, at most 64 characters
    };

    // A complete frame of type with payload (framing, length and CRC included).
    static std::vector<uint8_t> Frame(uint8_t type, const std::vector<uint8_t>& payload = {});
    static std::vector<uint8_t> Ack(uint8_t command, uint16_t code);

    static std::vector<uint8_t> IdentifyReplyPayload(const SensorInfo& info);
    static bool ParseIdentifyReply(const uint8_t* payload, size_t length, SensorInfo& info);

    static std::vector<uint8_t> EnterCommandModePayload(int32_t param, uint32_t timeBaseMs);
    static bool ParseEnterCommandMode(const uint8_t* payload, size_t length, int32_t& param, uint32_t& timeBaseMs);

    // Values are rounded to the wire's resolution and clamped to its ranges; at most kMaxPoints
    // points are encoded (false when the frame held more).
    static bool DetectionsPayload(const RadarFrame& frame, std::vector<uint8_t>& payload);
    static bool ParseDetections(const uint8_t* payload, size_t length, RadarFrame& frame);

    // Command and code of an acknowledgement payload.
    static bool ParseAck(const uint8_t* payload, size_t length, uint8_t& command, uint16_t& code);
};
