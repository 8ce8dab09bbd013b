// The serial line: the frame parser over any byte stream cut into any pieces, then every frame's
// payload through the decoders and the acknowledgement check. A decoded detection frame must hold
// finite numbers and no more points than the protocol allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "RadarProtocol.h"
#include "SerialFrameParser.h"
#include "SerialSensorProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = 1 + data[0] % 64;
    CSerialFrameParser parser(CSerialSensorProtocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    for (size_t at = 1; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        parser.Feed(data + at, n, frames);
    }
    if (parser.SkippedBytes() > size) abort();
    for (const CSerialFrameParser::Frame& f : frames) {
        if (f.payload.size() > CSerialSensorProtocol::kMaxPayload) abort();
        uint8_t type = 0;
        const uint8_t* payload = nullptr;
        uint16_t length = 0;
        if (!CRadarProtocol::ParseFrame(f.bytes.data(), static_cast<int>(f.bytes.size()), &type, &payload, &length))
            abort();  // the parser hands out only frames that check out
        RadarFrame frame;
        if (CSerialSensorProtocol::ParseDetections(payload, length, frame)) {
            if (frame.points.size() > CSerialSensorProtocol::kMaxPoints) abort();
            for (const RadarPoint& p : frame.points) {
                if (!IsFinitePoint(p)) abort();
            }
        }
        CSerialSensorProtocol::SensorInfo info;
        CSerialSensorProtocol::ParseIdentifyReply(payload, length, info);
        int32_t param = 0;
        uint32_t timeBase = 0;
        CSerialSensorProtocol::ParseEnterCommandMode(payload, length, param, timeBase);
        uint8_t command = 0;
        uint16_t code = 0;
        CSerialSensorProtocol::ParseAck(payload, length, command, code);
    }
    // The frame check on the raw bytes as well, at any length.
    uint8_t type = 0;
    const uint8_t* payload = nullptr;
    uint16_t length = 0;
    CRadarProtocol::ParseFrame(data, static_cast<int>(size), &type, &payload, &length);
    return 0;
}
