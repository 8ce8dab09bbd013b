#include "settings/RootSettings.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"

namespace {

RootSettings LoadFrom(const std::string& xml) {
    XMLParser doc;
    doc.LoadFromMemory(xml.data(), xml.size());
    RootSettings s;
    s.Reset(0.0, 31.0);
    s.Load(doc.AppConfig());
    return s;
}

TEST(RootSettingsTest, DefaultsWhenAttributesAreAbsentEmptyOrBroken) {
    for (const char* xml : {"<AppConfig/>", "<Other/>",
                            "<AppConfig SaveData=\"\" ObjectWnd_AngleStart=\"\" ObjectWnd_GateMax=\"abc\" "
                            "ObjectWnd_DisplayTime=\"12x\" ObjectWnd_SmoothCount=\"99999999999\"/>"}) {
        SCOPED_TRACE(xml);
        RootSettings s = LoadFrom(xml);
        EXPECT_EQ(s.saveData, 0);
        EXPECT_EQ(s.objectCountType, 1);
        EXPECT_EQ(s.topViewMode, 1);
        EXPECT_EQ(s.drawLocus, 1);
        EXPECT_EQ(s.angleStart, -150);
        EXPECT_EQ(s.angleStop, -30);
        EXPECT_EQ(s.angleStep, 10);
        EXPECT_EQ(s.sectorCount, 20);
        EXPECT_DOUBLE_EQ(s.gateMin, 0.0);
        EXPECT_DOUBLE_EQ(s.gateMax, 31.0);
        EXPECT_DOUBLE_EQ(s.radiusScale, 1.0);
        EXPECT_DOUBLE_EQ(s.locusRadiusScale, 0.5);
        EXPECT_EQ(s.displayTime, 2000);
        EXPECT_EQ(s.smoothCount, 3);
        EXPECT_EQ(s.algorithmAreaEnable, 0);
        EXPECT_EQ(s.logFileLimitKB, 64 * 1024);
        EXPECT_EQ(s.keepDays, 30);
        EXPECT_EQ(s.mostStorageMB, 20480);
        EXPECT_EQ(s.leastFreeMB, 2048);
    }
}

TEST(RootSettingsTest, ReadsEveryAttributeInAnyLetterCase) {
    RootSettings s = LoadFrom(
        "<appconfig savedata=\"7\" OBJECTCOUNTTYPE=\"3\" objectwnd_topviewmode=\"0\" ObjectWnd_DrawLocus=\"0\" "
        "ObjectWnd_AngleStart=\"-200\" ObjectWnd_AngleStop=\"-10\" ObjectWnd_AngleStep=\"-5\" "
        "ObjectWnd_SectorCount=\"8\" ObjectWnd_GateMin=\"2.5\" ObjectWnd_GateMax=\"20\" "
        "ObjectWnd_RadiusScale=\"1.5\" ObjectWnd_LocusRadiusScale=\"0.25\" ObjectWnd_DisplayTime=\"500\" "
        "ObjectWnd_SmoothCount=\"1000\" AlgorithmAreaEnable=\"1\" logfilelimitkb=\"48\" keepdays=\"7\" MOSTSTORAGEMB=\"500\" "
        "LeastFreeMB=\"0\"/>");
    EXPECT_EQ(s.saveData, 1);  // any nonzero flag reads as on
    EXPECT_EQ(s.objectCountType, 3);
    EXPECT_EQ(s.topViewMode, 0);
    EXPECT_EQ(s.drawLocus, 0);
    EXPECT_EQ(s.angleStart, -200);  // clamped only when applied to the view
    EXPECT_EQ(s.angleStop, -10);
    EXPECT_EQ(s.angleStep, -5);
    EXPECT_EQ(s.sectorCount, 8);
    EXPECT_DOUBLE_EQ(s.gateMin, 2.5);
    EXPECT_DOUBLE_EQ(s.gateMax, 20.0);
    EXPECT_DOUBLE_EQ(s.radiusScale, 1.5);
    EXPECT_DOUBLE_EQ(s.locusRadiusScale, 0.25);
    EXPECT_EQ(s.displayTime, 500);
    EXPECT_EQ(s.smoothCount, 1000);
    EXPECT_EQ(s.algorithmAreaEnable, 1);
    EXPECT_EQ(s.logFileLimitKB, 48);
    EXPECT_EQ(s.keepDays, 7);
    EXPECT_EQ(s.mostStorageMB, 500);
    EXPECT_EQ(s.leastFreeMB, 0);  // no floor
}

TEST(RootSettingsTest, NumbersAreClampedToRangesThatCannotExhaustMemoryOrTime) {
    const struct {
        const char* attributes;
        int RootSettings::*intField;
        double RootSettings::*realField;
        double expected;
    } cases[] = {
        {"ObjectWnd_RadiusScale=\"100000\"", nullptr, &RootSettings::radiusScale, 100.0},
        {"ObjectWnd_RadiusScale=\"-3\"", nullptr, &RootSettings::radiusScale, 0.0},
        {"ObjectWnd_LocusRadiusScale=\"1e300\"", nullptr, &RootSettings::locusRadiusScale, 100.0},
        {"ObjectWnd_GateMax=\"1e300\"", nullptr, &RootSettings::gateMax, 1e5},
        {"ObjectWnd_GateMin=\"-1e300\"", nullptr, &RootSettings::gateMin, -1e5},
        {"ObjectWnd_SectorCount=\"2000000000\"", &RootSettings::sectorCount, nullptr, 1000},
        {"ObjectWnd_SectorCount=\"0\"", &RootSettings::sectorCount, nullptr, 1},
        {"ObjectWnd_DisplayTime=\"2147483647\"", &RootSettings::displayTime, nullptr, 600000},
        {"ObjectWnd_DisplayTime=\"-5\"", &RootSettings::displayTime, nullptr, 0},
        {"ObjectWnd_SmoothCount=\"-7\"", &RootSettings::smoothCount, nullptr, 1},
        {"ObjectWnd_AngleStart=\"-2000000000\"", &RootSettings::angleStart, nullptr, -360},
        {"ObjectWnd_AngleStop=\"2000000000\"", &RootSettings::angleStop, nullptr, 360},
        {"ObjectWnd_AngleStep=\"99999\"", &RootSettings::angleStep, nullptr, 360},
        {"LogFileLimitKB=\"0\"", &RootSettings::logFileLimitKB, nullptr, 4},
        {"LogFileLimitKB=\"-64\"", &RootSettings::logFileLimitKB, nullptr, 4},
        {"LogFileLimitKB=\"2147483647\"", &RootSettings::logFileLimitKB, nullptr, 4 * 1024 * 1024},
        {"KeepDays=\"-1\"", &RootSettings::keepDays, nullptr, 0},
        {"KeepDays=\"2000000000\"", &RootSettings::keepDays, nullptr, 3650},
        {"MostStorageMB=\"-20\"", &RootSettings::mostStorageMB, nullptr, 0},
        {"MostStorageMB=\"2147483647\"", &RootSettings::mostStorageMB, nullptr, 16777216},
        {"LeastFreeMB=\"-1\"", &RootSettings::leastFreeMB, nullptr, 0},
        {"LeastFreeMB=\"2000000000\"", &RootSettings::leastFreeMB, nullptr, 1048576},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        const RootSettings s = LoadFrom(std::string("<AppConfig ") + c.attributes + "/>");
        if (c.intField) {
            EXPECT_EQ(s.*c.intField, static_cast<int>(c.expected));
        } else {
            EXPECT_DOUBLE_EQ(s.*c.realField, c.expected);
        }
    }
}

TEST(RootSettingsTest, ObjectCountTypeAcceptsOnlySingleOrMulti) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"1", 1}, {"3", 3}, {"2", 1}, {"0", 1}, {"-3", 1}, {"x", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LoadFrom(std::string("<AppConfig ObjectCountType=\"") + c.text + "\"/>").objectCountType, c.expected);
    }
}

TEST(RootSettingsTest, LongSaveDataPathIsCutTo259CharactersAndItsFolderCreated) {
    TempFolder dir;
    std::string path = TempFolder::narrow(dir.path()) + "\\";
    while (path.size() < 300) path += "abcdefghi\\";
    path.resize(300);
    RootSettings s = LoadFrom("<AppConfig SaveDataPath=\"" + path + "\"/>");
    EXPECT_EQ(std::wstring(s.saveDataPath).size(), 259u);
    EXPECT_EQ(TempFolder::narrow(s.saveDataPath), path.substr(0, 259));

    const std::string shortPath = TempFolder::narrow(dir.path()) + "\\made\\by\\load";
    LoadFrom("<AppConfig SaveDataPath=\"" + shortPath + "\"/>");
    DWORD attributes = ::GetFileAttributesA(shortPath.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The stored save folder survives a restart when it exists or can be made; otherwise the path is
// empty and the console falls back to its default folder.
TEST(RootSettingsTest, SaveDataPathIsKeptWhenItsFolderCanBeMade) {
    TempFolder dir;
    const std::string base = TempFolder::narrow(dir.path());
    ::CreateDirectoryA((base + "\\existing").c_str(), nullptr);
    FILE* blocker = fopen((base + "\\a file").c_str(), "wb");
    ASSERT_NE(blocker, nullptr);
    fclose(blocker);
    const struct {
        std::string stored;
        bool kept;
    } cases[] = {
        {base + "\\existing", true},
        {base + "\\new\\nested\\folder", true},
        {base + "\\a file", false},
        {base + "\\a file\\below", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const RootSettings s = LoadFrom("<AppConfig SaveDataPath=\"" + c.stored + "\"/>");
        EXPECT_EQ(TempFolder::narrow(s.saveDataPath), c.kept ? c.stored : "");
        if (c.kept) {
            const DWORD attributes = ::GetFileAttributesA(c.stored.c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
        }
    }
}

TEST(RootSettingsTest, SaveWritesFlagAndPathIntoTheExistingAttributes) {
    XMLParser doc;
    const std::string xml = "<AppConfig savedata=\"7\" Language=\"ENG\"/>";
    doc.LoadFromMemory(xml.data(), xml.size());
    RootSettings::Save(doc.AppConfig(), 1, L"C:\\data\\SaveData");
    EXPECT_EQ(doc.SaveToString(),
              "<?xml version=\"1.0\"?>\n<AppConfig savedata=\"1\" Language=\"ENG\" SaveDataPath=\"C:\\data\\SaveData\" />\n");
    XMLParser empty;
    RootSettings::Save(empty.AppConfig(), 1, L"x");  // no AppConfig: nothing set
    EXPECT_EQ(empty.SaveToString(), "<?xml version=\"1.0\"?>\n");
}

}  // namespace

TEST(RootSettingsTest, ASaveFolderNamedOutsideTheCodePageIsFoundAgainAfterASave) {
    // Profile folders of operators abroad; the ANSI code page holds none of these names.
    for (const wchar_t* name : {L"\u0141ukasz", L"\u6d4b\u8bd5", L"\u6d4b\u8bd5 \u0141ukasz"}) {
        SCOPED_TRACE(TempFolder::narrow(name));
        TempFolder dir;
        const std::wstring folder = dir.file(name);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring marker = folder + L"\\recorded.txt";
        const HANDLE made = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(made, INVALID_HANDLE_VALUE);
        ::CloseHandle(made);

        XMLParser doc;
        doc.LoadFromMemory("<AppConfig/>", 12);
        RootSettings::Save(doc.AppConfig(), 1, folder.c_str());
        const RootSettings s = LoadFrom(doc.SaveToString());
        // The folder read back is the operator's folder, not a look-alike or one full of "?".
        const std::wstring again = std::wstring(s.saveDataPath) + L"\\recorded.txt";
        EXPECT_NE(::GetFileAttributesW(again.c_str()), INVALID_FILE_ATTRIBUTES)
            << "stored as " << doc.AppConfig().GetAttributeText("SaveDataPath");
    }
}
