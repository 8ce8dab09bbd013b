// The raw data reader on damaged and hostile files: what a cut or a forged file may cost.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DataProcessTestSupport.h"
#include "RawDataReader.h"
#include "RawFrameCodec.h"
#include "RawFrameScanner.h"

namespace {

RadarFrame MakeFrame(uint32_t sequence, int points) {
    RadarFrame f;
    f.kind = sequence % 3 ? RadarFrameKind::Detections : RadarFrameKind::Tracks;
    f.sequence = sequence;
    f.timestampUs = 1000ull * sequence;
    for (int i = 0; i < points; ++i) {
        RadarPoint p;
        p.id = i;
        p.distance = 1.5 + sequence + 0.25 * i;
        p.angle = -10.0 * i;
        p.velocity = 0.5;
        p.snr = 20;
        f.points.push_back(p);
    }
    return f;
}

struct Recording {
    std::vector<uint8_t> bytes;
    std::vector<size_t> frameEnds;  // file offset just past each frame
};

Recording MakeRecording(int frames) {
    Recording r;
    r.bytes = CRawFrameCodec::EncodeFileHeader(64, 0);
    for (int i = 0; i < frames; ++i) {
        const std::vector<uint8_t> f = CRawFrameCodec::EncodeFrame(MakeFrame(static_cast<uint32_t>(i), i % 4));
        r.bytes.insert(r.bytes.end(), f.begin(), f.end());
        r.frameEnds.push_back(r.bytes.size());
    }
    return r;
}

// Every frame the scanner finds in bytes (complete), with the work it took.
std::vector<uint32_t> ScanAll(const uint8_t* data, size_t size, size_t* workUsed = nullptr) {
    CRawFrameScanner scanner;
    scanner.Reset(CRawFrameCodec::kFileHeaderSize);
    std::vector<uint32_t> sequences;
    size_t used = 0;
    for (;;) {
        size_t allowance = 1u << 20;
        RadarFrame frame;
        const CRawFrameScanner::Step step = scanner.Next(data, size, true, frame, &allowance);
        used += (1u << 20) - allowance;
        if (step == CRawFrameScanner::Step::Frame) sequences.push_back(frame.sequence);
        if (step == CRawFrameScanner::Step::End) break;
        EXPECT_NE(step, CRawFrameScanner::Step::NeedMore) << "complete data never needs more";
        if (step == CRawFrameScanner::Step::NeedMore) break;
    }
    if (workUsed) *workUsed = used;
    return sequences;
}

std::vector<uint32_t> Sequence(size_t count) {
    std::vector<uint32_t> s(count);
    for (size_t i = 0; i < count; ++i) s[i] = static_cast<uint32_t>(i);
    return s;
}

TEST(RawScan, AFileCutAtAnyByteGivesBackEveryCompleteFrame) {
    const Recording r = MakeRecording(12);
    for (size_t cut = CRawFrameCodec::kFileHeaderSize; cut <= r.bytes.size(); ++cut) {
        size_t complete = 0;
        while (complete < r.frameEnds.size() && r.frameEnds[complete] <= cut) ++complete;
        ASSERT_EQ(ScanAll(r.bytes.data(), cut), Sequence(complete)) << "cut at " << cut;
    }
    // The same through the file reader, for a spread of cuts.
    const std::string folder = MakeScratchFolder("rawcut");
    for (size_t cut = CRawFrameCodec::kFileHeaderSize; cut <= r.bytes.size(); cut += 37) {
        const std::string path = folder + "\\cut.rvraw";
        WriteText(path, std::string(reinterpret_cast<const char*>(r.bytes.data()), cut));
        CRawDataReader reader;
        ASSERT_TRUE(reader.Open(path));
        std::vector<uint32_t> got;
        for (RadarFrame f; reader.Next(f);) got.push_back(f.sequence);
        size_t complete = 0;
        while (complete < r.frameEnds.size() && r.frameEnds[complete] <= cut) ++complete;
        EXPECT_EQ(got, Sequence(complete)) << "cut at " << cut;
    }
}

// A frame header that checks out in every field but the CRC, repeated back to back and claiming
// the largest payload: a naive resynchronisation reads 48 KiB for each 28 bytes.
std::vector<uint8_t> ForgedHeaders(size_t size) {
    std::vector<uint8_t> bytes = CRawFrameCodec::EncodeFileHeader(64, 0);
    RadarFrame big = MakeFrame(7, CRawFrameCodec::kMaxPoints);
    std::vector<uint8_t> header = CRawFrameCodec::EncodeFrame(big);
    header.resize(CRawFrameCodec::kFrameHeaderSize);
    header[24] ^= 0xFF;
    while (bytes.size() < size) bytes.insert(bytes.end(), header.begin(), header.end());
    return bytes;
}

TEST(RawScan, ResynchronisingReadsEachByteABoundedNumberOfTimes) {
    std::vector<uint8_t> bytes = ForgedHeaders(1u << 20);
    // One real frame after the forgery is still found.
    const std::vector<uint8_t> good = CRawFrameCodec::EncodeFrame(MakeFrame(42, 3));
    bytes.insert(bytes.end(), good.begin(), good.end());
    size_t work = 0;
    EXPECT_EQ(ScanAll(bytes.data(), bytes.size(), &work), std::vector<uint32_t>{42});
    EXPECT_LE(work, 4 * bytes.size()) << "work per byte must not grow with the claimed payload";
}

TEST(RawScan, DataHandedOverInPiecesGivesTheSameFramesAsAtOnce) {
    Recording r = MakeRecording(40);
    // Damage: a flipped payload bit, junk between frames, a forged header in the middle.
    r.bytes[r.frameEnds[5] + 40] ^= 0x10;
    const std::vector<uint8_t> forged = ForgedHeaders(CRawFrameCodec::kFileHeaderSize + 28 * 3);
    r.bytes.insert(r.bytes.begin() + static_cast<ptrdiff_t>(r.frameEnds[20]), forged.begin() + 32, forged.end());
    const std::vector<uint32_t> whole = ScanAll(r.bytes.data(), r.bytes.size());
    EXPECT_EQ(whole.size(), 39u);
    for (size_t piece : {1u, 7u, 28u, 1000u}) {
        CRawFrameScanner scanner;
        scanner.Reset(CRawFrameCodec::kFileHeaderSize);
        std::vector<uint32_t> got;
        size_t given = std::min(r.bytes.size(), CRawFrameCodec::kFileHeaderSize + piece);
        for (int guard = 0; guard < 1000000; ++guard) {
            size_t allowance = 64;  // small: Busy on the way must not lose anything either
            RadarFrame frame;
            const bool complete = given == r.bytes.size();
            const CRawFrameScanner::Step step = scanner.Next(r.bytes.data(), given, complete, frame, &allowance);
            if (step == CRawFrameScanner::Step::Frame) got.push_back(frame.sequence);
            if (step == CRawFrameScanner::Step::End) break;
            if (step == CRawFrameScanner::Step::NeedMore) given = std::min(r.bytes.size(), given + piece);
        }
        EXPECT_EQ(got, whole) << "pieces of " << piece;
    }
}

}  // namespace

// A long file is read piece by piece: what the reader holds stays near one piece, not the file,
// also across damage, and every frame still comes back.
TEST(RawScan, ReaderHoldsAPieceOfTheFileNotTheWhole) {
    Recording r = MakeRecording(0);
    uint32_t sequence = 0;
    while (r.bytes.size() < (24u << 20)) {
        const std::vector<uint8_t> f = CRawFrameCodec::EncodeFrame(MakeFrame(sequence++, 60));
        r.bytes.insert(r.bytes.end(), f.begin(), f.end());
    }
    r.bytes[r.bytes.size() / 2] ^= 0x40;  // one damaged frame in the middle
    const std::string folder = MakeScratchFolder("rawlong");
    const std::string path = folder + "\\long.rvraw";
    WriteText(path, std::string(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size()));
    CRawDataReader reader;
    ASSERT_TRUE(reader.Open(path));
    size_t frames = 0, mostHeld = 0;
    for (RadarFrame f; reader.Next(f);) {
        ++frames;
        mostHeld = std::max(mostHeld, reader.HeldBytes());
    }
    EXPECT_EQ(frames, sequence - 1);
    EXPECT_EQ(reader.DamagedFrames(), 1);
    EXPECT_LE(mostHeld, 4u << 20) << "held " << mostHeld << " bytes of a " << r.bytes.size() << "-byte file";
    reader.Close();
    DeleteFileA(path.c_str());
}
