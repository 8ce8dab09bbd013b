// The serial sensor protocol shared by the library and the sensor emulator: payload round trips
// at the wire's resolution, and the frame parser's resynchronisation on a noisy line.
#include <gtest/gtest.h>

#include <random>

#include "ROVA_DataProcess.h"
#include "SerialFrameParser.h"
#include "SerialSensorProtocol.h"

namespace {

using Protocol = CSerialSensorProtocol;

RadarFrame MakeFrame(uint32_t sequence, size_t points) {
    RadarFrame f;
    f.kind = sequence % 2 ? RadarFrameKind::Tracks : RadarFrameKind::Detections;
    f.sequence = sequence;
    f.timestampUs = 0x1'2345'6789ull + sequence;
    for (size_t i = 0; i < points; ++i) {
        RadarPoint p;
        p.id = static_cast<int64_t>(i + 1);
        p.distance = 0.5 + 0.731 * static_cast<double>(i);
        p.gate = p.distance / 0.25;
        p.angle = -59.5 + 1.75 * static_cast<double>(i);
        p.velocity = -1.234 + 0.5 * static_cast<double>(i);
        p.snr = 12.5 + static_cast<double>(i);
        f.points.push_back(p);
    }
    return f;
}

std::vector<uint8_t> DetectionFrameBytes(const RadarFrame& f) {
    std::vector<uint8_t> payload;
    Protocol::DetectionsPayload(f, payload);
    return Protocol::Frame(Protocol::kTypeDetections, payload);
}

std::vector<CSerialFrameParser::Frame> FeedInPieces(CSerialFrameParser& parser, const std::vector<uint8_t>& bytes, size_t piece) {
    std::vector<CSerialFrameParser::Frame> frames;
    for (size_t at = 0; at < bytes.size(); at += piece)
        parser.Feed(bytes.data() + at, std::min(piece, bytes.size() - at), frames);
    return frames;
}

TEST(SerialSensorProtocol, DetectionFramesSurviveTheWire) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{7}, Protocol::kMaxPoints}) {
        SCOPED_TRACE(count);
        const RadarFrame sent = MakeFrame(static_cast<uint32_t>(count) + 40, count);
        std::vector<uint8_t> payload;
        ASSERT_TRUE(Protocol::DetectionsPayload(sent, payload));
        ASSERT_LE(payload.size(), Protocol::kMaxPayload);
        RadarFrame got;
        ASSERT_TRUE(Protocol::ParseDetections(payload.data(), payload.size(), got));
        EXPECT_EQ(got.sequence, sent.sequence);
        EXPECT_EQ(got.timestampUs, sent.timestampUs);
        EXPECT_EQ(got.kind, sent.kind);
        ASSERT_EQ(got.points.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(got.points[i].id, sent.points[i].id);
            EXPECT_NEAR(got.points[i].distance, sent.points[i].distance, 0.0005);
            EXPECT_NEAR(got.points[i].gate, sent.points[i].gate, 0.005);
            EXPECT_NEAR(got.points[i].angle, sent.points[i].angle, 0.005);
            EXPECT_NEAR(got.points[i].velocity, sent.points[i].velocity, 0.0005);
            EXPECT_NEAR(got.points[i].snr, sent.points[i].snr, 0.005);
        }
    }
}

TEST(SerialSensorProtocol, OutOfRangeValuesSaturateAndExtraPointsAreRefused) {
    RadarFrame f = MakeFrame(1, 2);
    f.points[0].distance = 1000;   // beyond 65.535 m
    f.points[0].velocity = -50;    // beyond -32.768 m/s
    f.points[1].angle = 400;
    std::vector<uint8_t> payload;
    ASSERT_TRUE(Protocol::DetectionsPayload(f, payload));
    RadarFrame got;
    ASSERT_TRUE(Protocol::ParseDetections(payload.data(), payload.size(), got));
    EXPECT_DOUBLE_EQ(got.points[0].distance, 65.535);
    EXPECT_DOUBLE_EQ(got.points[0].velocity, -32.768);
    EXPECT_DOUBLE_EQ(got.points[1].angle, 327.67);

    EXPECT_FALSE(Protocol::DetectionsPayload(MakeFrame(2, Protocol::kMaxPoints + 1), payload));
    ASSERT_TRUE(Protocol::ParseDetections(payload.data(), payload.size(), got));
    EXPECT_EQ(got.points.size(), Protocol::kMaxPoints);
}

TEST(SerialSensorProtocol, MalformedPayloadsAreRefused) {
    std::vector<uint8_t> good;
    Protocol::DetectionsPayload(MakeFrame(3, 2), good);
    struct Case {
        const char* name;
        std::vector<uint8_t> payload;
    } cases[] = {
        {"empty", {}},
        {"one point missing", std::vector<uint8_t>(good.begin(), good.end() - 12)},
        {"one byte too many", [&] { auto p = good; p.push_back(0); return p; }()},
        {"unknown kind", [&] { auto p = good; p[12] = 9; return p; }()},
        {"count beyond the limit", [&] { auto p = good; p[13] = 200; return p; }()},
    };
    for (const Case& c : cases) {
        RadarFrame got;
        EXPECT_FALSE(Protocol::ParseDetections(c.payload.data(), c.payload.size(), got)) << c.name;
    }
    Protocol::SensorInfo info;
    info.model = "MR60\x01";
    const std::vector<uint8_t> reply = Protocol::IdentifyReplyPayload(info);
    Protocol::SensorInfo back;
    ASSERT_TRUE(Protocol::ParseIdentifyReply(reply.data(), reply.size(), back));
    EXPECT_EQ(back.model, "MR60?");
    EXPECT_EQ(back.gateCount, 32);
    EXPECT_FALSE(Protocol::ParseIdentifyReply(reply.data(), 8, back));
    int32_t param = 0;
    uint32_t timeBase = 0;
    const std::vector<uint8_t> enter = Protocol::EnterCommandModePayload(-1, 1500);
    ASSERT_TRUE(Protocol::ParseEnterCommandMode(enter.data(), enter.size(), param, timeBase));
    EXPECT_EQ(param, -1);
    EXPECT_EQ(timeBase, 1500u);
}

TEST(SerialSensorProtocol, AcknowledgementsAreReadByTheLibraryChecker) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint64_t user;
        uint16_t expected;
    } cases[] = {
        {Protocol::Ack(0x90, Protocol::kAckAccepted), 0, kRadarAckAccepted},
        {Protocol::Ack(0x80, Protocol::kAckBusy), 0x80, kRadarAckBusy},
        {Protocol::Ack(0x80, Protocol::kAckAccepted), 0x90, kRadarAckInvalid},  // answers another command
        {Protocol::Frame(Protocol::kTypeIdentifyReply, {1, 2, 3}), 0, kRadarAckInvalid},
        {[] { auto a = Protocol::Ack(0x90, 0); a[6] ^= 1; return a; }(), 0, kRadarAckInvalid},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, c.bytes.data(), static_cast<int>(c.bytes.size()), c.user), c.expected);
    }
}

TEST(SerialFrameParser, EveryIntactFrameArrivesThroughNoiseInAnyPieces) {
    // Noise between the frames, with sync pairs and long false headers in it.
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> line;
    const uint32_t kFrames = 200;
    size_t noise = 0;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const size_t n = static_cast<size_t>(byte(random) % 6);
        for (size_t k = 0; k < n; ++k) line.push_back(static_cast<uint8_t>(byte(random)));
        if (i % 10 == 3) line.insert(line.end(), {0xA5, 0x5A, 0xF0, 0x03});  // header of 1008 bytes that never come
        if (i % 10 == 7) line.insert(line.end(), {0xA5, 0x5A});
        noise += n;
        const std::vector<uint8_t> frame = DetectionFrameBytes(MakeFrame(i, i % 5));
        line.insert(line.end(), frame.begin(), frame.end());
    }
    for (size_t piece : {size_t{1}, size_t{3}, size_t{64}, line.size()}) {
        SCOPED_TRACE(piece);
        CSerialFrameParser parser(Protocol::kMaxPayload);
        const auto frames = FeedInPieces(parser, line, piece);
        ASSERT_EQ(frames.size(), kFrames);
        for (uint32_t i = 0; i < kFrames; ++i) {
            RadarFrame got;
            ASSERT_EQ(frames[i].type, Protocol::kTypeDetections);
            ASSERT_TRUE(Protocol::ParseDetections(frames[i].payload.data(), frames[i].payload.size(), got));
            EXPECT_EQ(got.sequence, i);
        }
        EXPECT_EQ(parser.SkippedBytes(), noise + 20 * 4 + 20 * 2);
        EXPECT_EQ(parser.FramesParsed(), kFrames);
    }
}

TEST(SerialFrameParser, DamagedAndCutFramesAreCountedAndSkipped) {
    const std::vector<uint8_t> a = DetectionFrameBytes(MakeFrame(1, 3));
    const std::vector<uint8_t> b = DetectionFrameBytes(MakeFrame(2, 3));
    const std::vector<uint8_t> c = DetectionFrameBytes(MakeFrame(3, 3));
    struct Case {
        const char* name;
        std::vector<uint8_t> line;
        std::vector<uint32_t> sequences;
        uint64_t crcErrors;
    } cases[] = {
        {"payload bit error", [&] { auto d = b; d[20] ^= 0x10; std::vector<uint8_t> l = a; l.insert(l.end(), d.begin(), d.end()); l.insert(l.end(), c.begin(), c.end()); return l; }(), {1, 3}, 1},
        {"CRC byte damaged", [&] { auto d = b; d.back() ^= 0xFF; std::vector<uint8_t> l = d; l.insert(l.end(), c.begin(), c.end()); return l; }(), {3}, 1},
        {"frame cut short", [&] { std::vector<uint8_t> l(b.begin(), b.begin() + 15); l.insert(l.end(), c.begin(), c.end()); return l; }(), {3}, 1},
        {"length grown by a bit error", [&] { auto d = b; d[3] = 0x02; std::vector<uint8_t> l = d; l.insert(l.end(), c.begin(), c.end()); return l; }(), {3}, 1},
        {"length beyond the limit is noise", [&] { auto d = b; d[3] = 0x40; std::vector<uint8_t> l = d; l.insert(l.end(), c.begin(), c.end()); return l; }(), {3}, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        CSerialFrameParser parser(Protocol::kMaxPayload);
        std::vector<CSerialFrameParser::Frame> frames;
        parser.Feed(k.line.data(), k.line.size(), frames);
        std::vector<uint32_t> sequences;
        for (const auto& f : frames) {
            RadarFrame got;
            if (Protocol::ParseDetections(f.payload.data(), f.payload.size(), got)) sequences.push_back(got.sequence);
        }
        EXPECT_EQ(sequences, k.sequences);
        EXPECT_EQ(parser.CrcErrors(), k.crcErrors);
    }
}

TEST(SerialFrameParser, AFrameSplitAfterItsSyncPairWaitsForItsRest) {
    const std::vector<uint8_t> a = DetectionFrameBytes(MakeFrame(9, 2));
    CSerialFrameParser parser(Protocol::kMaxPayload);
    std::vector<CSerialFrameParser::Frame> frames;
    const std::vector<uint8_t> noise = {0x00, 0xA5, 0x13};
    parser.Feed(noise.data(), noise.size(), frames);
    parser.Feed(a.data(), 2, frames);
    EXPECT_TRUE(frames.empty());
    parser.Feed(a.data() + 2, a.size() - 2, frames);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, a);
    EXPECT_EQ(parser.SkippedBytes(), noise.size());
    EXPECT_EQ(parser.CrcErrors(), 0u);
}

}  // namespace
