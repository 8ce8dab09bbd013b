// The serial port against a linked pair of ports (COM21 <-> COM22), made by serial_pair.sh.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPortA = 21;
constexpr int kPortB = 22;

class SerialPairTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!a.OpenSerial(kPortA, 115200) || !b.OpenSerial(kPortB, 115200)) {
            GTEST_SKIP() << "COM21/COM22 are not present: run the serial cases through "
                            "tests/common/serial_pair.sh (ctest entry common_serial_tests)";
        }
        // The pair outlives the port objects: drop what an earlier case left in transit.
        Drain(a);
        Drain(b);
    }
    static void Drain(CSerialUtil& port) {
        char buffer[4096];
        while (port.Read(buffer, sizeof(buffer), 100) > 0) {
        }
    }
    // Reads until `count` bytes arrived or a read comes back empty.
    std::string ReadAll(CSerialUtil& port, size_t count) {
        std::string got;
        char buffer[512];
        while (got.size() < count) {
            int n = port.Read(buffer, sizeof(buffer), 3000);
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
    CSerialUtil a;
    CSerialUtil b;
};

TEST_F(SerialPairTest, BytesTravelBothWays) {
    EXPECT_NE(a.IsOpened(), 0);
    const unsigned char frame[8] = {0x01, 0x05, 0x00, 0x00, 0xFF, 0x00, 0x8C, 0x3A};
    ASSERT_EQ(a.Write(frame, 8, 500, 0, 0, 0), 8);
    std::string got = ReadAll(b, 8);
    EXPECT_EQ(got, std::string(reinterpret_cast<const char*>(frame), 8));

    std::string reply;
    for (int i = 0; i < 3000; ++i) reply.push_back(static_cast<char>(i * 7));  // every byte value
    ASSERT_EQ(b.Write(reply.data(), static_cast<int>(reply.size()), 2000, 0, 0, 0),
              static_cast<int>(reply.size()));
    EXPECT_EQ(ReadAll(a, reply.size()), reply);
}

TEST_F(SerialPairTest, ReadTimesOutEmpty) {
    char buffer[16];
    EXPECT_EQ(a.Read(buffer, sizeof(buffer), 200), 0);
}

TEST_F(SerialPairTest, WriteTimeOutEndsABlockedWrite) {
    // Nobody reads port B: once the buffers along the pair are full the write must return at its
    // time-out with what was sent, instead of hanging.
    std::vector<char> block(8 * 1024 * 1024, 'x');
    int written = a.Write(block.data(), static_cast<int>(block.size()), 300, 0, 0, 0);
    EXPECT_GE(written, 0);
    EXPECT_LT(written, static_cast<int>(block.size()));
}

TEST_F(SerialPairTest, CloseAndReopen) {
    a.CloseSerial();
    EXPECT_EQ(a.IsOpened(), 0);
    EXPECT_EQ(a.Write("x", 1, 100, 0, 0, 0), -1);
    char c;
    EXPECT_EQ(a.Read(&c, 1, 10), -1);
    ASSERT_NE(a.OpenSerial(kPortA, 9600), 0);
    ASSERT_EQ(a.Write("z", 1, 500, 0, 0, 0), 1);
    EXPECT_EQ(ReadAll(b, 1), "z");
}

TEST_F(SerialPairTest, CloseWakesABlockedReader) {
    struct Reader {
        CSerialUtil* port;
        int result;
    } reader{&a, 0};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* r = static_cast<Reader*>(p);
            char buffer[16];
            r->result = r->port->Read(buffer, sizeof(buffer), 60000);
            return 0;
        },
        &reader, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Sleep(100);  // let the reader start waiting; the result does not depend on it
    a.CloseSerial();
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);  // not left waiting a minute
    CloseHandle(thread);
    EXPECT_EQ(reader.result, -1);
}

TEST(SerialUtil, MissingPortFailsCleanly) {
    CSerialUtil port;
    EXPECT_EQ(port.OpenSerial(199, 9600), 0);
    EXPECT_EQ(port.IsOpened(), 0);
    EXPECT_EQ(port.OpenSerial(0, 9600), 0);
    EXPECT_EQ(port.Write("x", 1, 100, 0, 0, 0), -1);
    port.CloseSerial();  // closing a closed port is harmless
}

}  // namespace
