#include "RadarProtocol.h"

uint16_t CRadarProtocol::Crc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= static_cast<uint16_t>(data[i]) << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

std::vector<uint8_t> CRadarProtocol::BuildFrame(uint8_t type, const uint8_t* payload, uint16_t length) {
    std::vector<uint8_t> frame(5 + static_cast<size_t>(length) + 2, 0);
    frame[0] = kSync0;
    frame[1] = kSync1;
    frame[2] = static_cast<uint8_t>(length & 0xFF);
    frame[3] = static_cast<uint8_t>(length >> 8);
    frame[4] = type;
    for (uint16_t i = 0; payload && i < length; ++i) frame[5 + i] = payload[i];
    const uint16_t crc = Crc16(frame.data() + 2, 3 + static_cast<size_t>(length));
    frame[5 + length] = static_cast<uint8_t>(crc & 0xFF);
    frame[6 + length] = static_cast<uint8_t>(crc >> 8);
    return frame;
}

std::vector<uint8_t> CRadarProtocol::BuildAck(uint8_t command, uint16_t code) {
    const uint8_t payload[3] = {command, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
    return BuildFrame(kTypeAck, payload, 3);
}

bool CRadarProtocol::ParseFrame(const uint8_t* data, int length, uint8_t* type, const uint8_t** payload,
                                uint16_t* payloadLength) {
    if (!data || length < 7 || data[0] != kSync0 || data[1] != kSync1) return false;
    const uint16_t n = static_cast<uint16_t>(data[2] | (data[3] << 8));
    if (length != 7 + n) return false;
    const uint16_t crc = static_cast<uint16_t>(data[5 + n] | (data[6 + n] << 8));
    if (crc != Crc16(data + 2, 3 + static_cast<size_t>(n))) return false;
    *type = data[4];
    *payload = data + 5;
    *payloadLength = n;
    return true;
}
