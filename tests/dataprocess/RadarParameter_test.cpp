#include <cstring>
#include <memory>

#include "DataProcessTestSupport.h"
#include "RadarRegisters.h"

namespace {

std::unique_ptr<tagRADARPARAMETER> DefaultRecord() {
    auto r = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Init(r.get());
    return r;
}

TEST(RadarParameter, DefaultsAreTheDocumentedOnes) {
    auto r = DefaultRecord();
    EXPECT_EQ(r->gateCount, 32);
    EXPECT_EQ(r->gateMinDefault, 0);
    EXPECT_EQ(r->gateMaxDefault, 31);
    EXPECT_EQ(r->boundLimit, 32);
    EXPECT_EQ(r->angleSlope, 1.0);
    EXPECT_EQ(r->angleOffset, 0.0);
    EXPECT_EQ(r->lightPort, 0);
    EXPECT_EQ(r->isFileSource, 0);
    EXPECT_EQ(r->saveRawData, 0);
    EXPECT_STREQ(r->dataPath, "");
    EXPECT_EQ(r->sourceType, 0);
    EXPECT_EQ(r->pcAlgorithm, 3);
    EXPECT_EQ(r->algorithmOnMcu, 0);
    EXPECT_EQ(r->simulatedSensor, 1);
    EXPECT_EQ(r->extraEntries.GetCount(), 0);
    EXPECT_EQ(r->registerValues[kRegFramePeriod], 66u);  // 15 frames per second
}

// Every field written to a file and read back into a fresh record comes back equal.
TEST(RadarParameter, IniRoundTripKeepsEveryField) {
    const std::string folder = MakeScratchFolder("roundtrip");
    const std::string path = folder + "\\Radar_Config.ini";
    auto a = DefaultRecord();
    a->isFileSource = 1;
    a->cmdModeParam = 3;
    a->algorithmSetFlag = 1;
    a->detectedDeviceValue = 7;
    a->lightPort = 4;
    a->lightBaudRate = 19200;
    a->saveRawData = 1;
    strcpy(a->dataPath, "C:\\data;with semicolon\\and spaces");
    a->pcAlgoFlagA = 0;
    a->pcAlgoFlagB = 2;
    a->pcAlgoFlagC = 5;
    a->modFlag = 1;
    a->modValue = 32;
    a->gateCount = 64;
    a->gateMinDefault = 3;
    a->gateMaxDefault = 60;
    a->pcAlgorithm = 1;
    a->mcuVariant = 1;
    a->mcuVariantAux = -4;
    a->angleSlope = -1.1;
    a->angleOffset = 0.1;
    a->sourceType = 1;
    a->algorithmOnMcu = 10;
    a->cmdModeTimeBase = 20;
    a->mcuAlgoValue = 30;
    a->boundLimit = 48;
    a->simSeed = 4000000000u;
    a->simNoiseMeters = 0.125;
    a->registerValues[kRegMaxTargets] = 3;
    a->registerValues[40] = 0xDEADBEEF;  // an unnamed slot
    ASSERT_TRUE(ROVA_Interface_RadarParameter_SaveToFile(path.c_str(), a.get()));

    auto b = DefaultRecord();
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile(path.c_str(), b.get()));
    // The plain bytes before the first embedded list hold every named field and the registers.
    EXPECT_EQ(0, memcmp(a.get(), b.get(), 6472));
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("; Number of range gates N."), std::string::npos) << "keys are commented";
    // The clamps are documented beside the keys they bound.
    for (const char* range : {"; Number of range gates N. From 1 to 1024.\r\nGateCount=",
                              "From 0.001 to 100.\r\nGateSizeMeters=", "From 1 to 65536.\r\nBoundLimit=",
                              "From 0 to 16.\r\nTargetCount="})
        EXPECT_NE(text.find(range), std::string::npos) << range;
}

TEST(RadarParameter, UnknownKeysAndSectionsSurviveLoadAndSave) {
    const std::string folder = MakeScratchFolder("unknown");
    const std::string path = folder + "\\Radar_Config.ini";
    WriteText(path,
              "[Geometry]\r\nGateCount=40\r\nFutureKey=abc = def\r\n"
              "[Vendor]\r\nSerial=XYZ-1\r\nEmpty=\r\n"
              "[Registers]\r\nTxPower=2\r\nNoSuchRegister=9\r\n");
    auto r = DefaultRecord();
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile(path.c_str(), r.get()));
    EXPECT_EQ(r->gateCount, 40);
    EXPECT_EQ(r->registerValues[kRegTxPower], 2u);
    const std::string saved = folder + "\\saved.ini";
    ASSERT_TRUE(ROVA_Interface_RadarParameter_SaveToFile(saved.c_str(), r.get()));
    const std::string text = ReadText(saved);
    for (const char* line : {"FutureKey=abc = def\r\n", "[Vendor]\r\nSerial=XYZ-1\r\nEmpty=\r\n", "NoSuchRegister=9\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // The unknown key stays in its section.
    EXPECT_LT(text.find("[Geometry]"), text.find("FutureKey"));
    EXPECT_GT(text.find("[Light]"), text.find("FutureKey"));
}

// A failed load returns 0 and leaves every byte of the target as it was.
TEST(RadarParameter, BadFilesAreRejectedAndLeaveTheRecordUnchanged) {
    const std::string folder = MakeScratchFolder("bad");
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"empty", ""},
        {"comments only", "; nothing here\r\n"},
        {"key before section", "GateCount=40\r\n[Geometry]\r\n"},
        {"not key=value", "[Geometry]\r\nGateCount 40\r\n"},
        {"bad header", "[Geometry\r\nGateCount=40\r\n"},
        {"not a number", "[Geometry]\r\nGateCount=forty\r\n"},
        {"out of range", "[Geometry]\r\nGateCount=0\r\n"},
        {"real for an integer", "[Geometry]\r\nGateCount=3.5\r\n"},
        {"binary", std::string("[Geometry]\r\nGateCount=40\r\n\0\x01\x02", 29)},
        {"path too long", "[Data]\r\nDataPath=" + std::string(300, 'x') + "\r\n"},
        {"bad value after good ones", "[Geometry]\r\nGateCount=40\r\nAngleSlope=nan\r\n"},
    };
    for (const Case& c : cases) {
        const std::string path = folder + "\\bad.ini";
        WriteText(path, c.content);
        auto r = DefaultRecord();
        r->gateCount = 77;
        auto before = DefaultRecord();
        ROVA_Interface_RadarParameter_Copy(before.get(), r.get());
        EXPECT_EQ(0, ROVA_Interface_RadarParameter_LoadFromFile(path.c_str(), r.get())) << c.name;
        EXPECT_EQ(0, memcmp(before.get(), r.get(), 6472)) << c.name;
    }
    auto r = DefaultRecord();
    EXPECT_EQ(0, ROVA_Interface_RadarParameter_LoadFromFile((folder + "\\missing.ini").c_str(), r.get()));
    EXPECT_EQ(0, ROVA_Interface_RadarParameter_LoadFromFile(folder.c_str(), r.get())) << "a folder";
}

TEST(RadarParameter, FailedConfigLoadKeepsTheCurrentRecord) {
    const std::string folder = MakeScratchFolder("cfg");
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.gateCount = 50;
    EXPECT_EQ(0, ROVA_Interface_RadarCtrl_LoadConfigFromFile((folder + "\\none.ini").c_str()));
    EXPECT_EQ(gRadarParameter.gateCount, 50);
    WriteText(folder + "\\ok.ini", "[Geometry]\r\nBoundLimit=20\r\n");
    EXPECT_EQ(1, ROVA_Interface_RadarCtrl_LoadConfigFromFile((folder + "\\ok.ini").c_str()));
    EXPECT_EQ(gRadarParameter.boundLimit, 20);
    EXPECT_EQ(gRadarParameter.gateCount, 32) << "a configuration load starts from the defaults";
    EXPECT_EQ(1, ROVA_Interface_RadarCtrl_IsConfigLoad());
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
}

TEST(RadarParameter, CopyIsDeepAndADestroyedCopyLeavesTheSourceIntact) {
    const std::string folder = MakeScratchFolder("copy");
    WriteText(folder + "\\in.ini", "[Geometry]\r\nGateCount=16\r\n[Vendor]\r\nA=1\r\nB=2\r\n");
    auto source = DefaultRecord();
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile((folder + "\\in.ini").c_str(), source.get()));
    {
        auto copy = DefaultRecord();
        ROVA_Interface_RadarParameter_Copy(copy.get(), source.get());
        EXPECT_EQ(copy->gateCount, 16);
        ASSERT_EQ(copy->extraEntries.GetCount(), source->extraEntries.GetCount());
        EXPECT_NE(copy->extraEntries.GetAt(0), source->extraEntries.GetAt(0)) << "entries are copied, not shared";
        ROVA_Interface_RadarParameter_Copy(copy.get(), copy.get());  // self-copy is harmless
        EXPECT_EQ(copy->extraEntries.GetCount(), source->extraEntries.GetCount());
    }
    ASSERT_TRUE(ROVA_Interface_RadarParameter_SaveToFile((folder + "\\out.ini").c_str(), source.get()));
    EXPECT_NE(ReadText(folder + "\\out.ini").find("[Vendor]\r\nA=1\r\nB=2\r\n"), std::string::npos);
}

TEST(RadarParameter, ShippedConfigurationSelectsTheSimulatedSensor) {
    auto r = DefaultRecord();
    r->simulatedSensor = 0;
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile(ROVA_SHIPPED_CONFIG, r.get()));
    EXPECT_EQ(r->simulatedSensor, 1);
    EXPECT_EQ(r->detectedDeviceValue, kSimulatedSensorDeviceValue);
    EXPECT_EQ(r->gateCount, 32);
}

}  // namespace
