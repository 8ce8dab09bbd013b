// Framing of the sensor's command protocol (version 1), shared by every device:
//
//   A5 5A | length (uint16 LE, payload bytes) | type (uint8) | payload | CRC-16 (uint16 LE)
//
// The CRC is CRC-16/CCITT-FALSE (polynomial 0x1021, initial 0xFFFF) over length, type and
// payload. Acknowledgement: type 0x81 with payload command (uint8) and return code (uint16 LE,
// kRadarAckAccepted, kRadarAckRejected or kRadarAckBusy). Plain C++: the native sensor emulator
// shares it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CRadarProtocol {
public:
    static constexpr uint8_t kSync0 = 0xA5;
    static constexpr uint8_t kSync1 = 0x5A;
    static constexpr uint8_t kTypeAck = 0x81;

    static uint16_t Crc16(const uint8_t* data, size_t length);
    static std::vector<uint8_t> BuildFrame(uint8_t type, const uint8_t* payload, uint16_t length);
    static std::vector<uint8_t> BuildAck(uint8_t command, uint16_t code);
    // Validates one complete frame; on success returns true with type and payload span.
    static bool ParseFrame(const uint8_t* data, int length, uint8_t* type, const uint8_t** payload,
                           uint16_t* payloadLength);
};
