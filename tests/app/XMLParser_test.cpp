#include "settings/XMLParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "contracts/ROVA_Common.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Parse(XMLParser& doc, const std::string& text) { doc.LoadFromMemory(text.data(), text.size()); }

TEST(XMLNodeTest, FindsChildrenAndAttributesIgnoringCase) {
    XMLParser doc;
    Parse(doc, "<appconfig LANGUAGE=\"eng\" Empty=\"\"><monitorarea/></appconfig>");
    XMLNode root = doc.AppConfig();
    ASSERT_FALSE(root.IsNull());
    EXPECT_FALSE(root.FindChild("MonitorArea").IsNull());
    EXPECT_TRUE(root.FindChild("MonitorPoint").IsNull());
    EXPECT_STREQ(root.GetAttributeText("Language"), "eng");
    EXPECT_STREQ(root.GetAttributeText("empty"), "");
    EXPECT_EQ(root.GetAttributeText("Missing"), nullptr);
    EXPECT_TRUE(XMLNode().FindChild("x").IsNull());
    EXPECT_EQ(XMLNode().GetAttributeText("x"), nullptr);
}

TEST(XMLNodeTest, SetAttributeUpdatesTheMatchingAttributeInsteadOfAddingOne) {
    XMLParser doc;
    Parse(doc, "<AppConfig savedata=\"0\"/>");
    XMLNode root = doc.AppConfig();
    EXPECT_TRUE(root.SetAttributeText("SaveData", "1"));
    EXPECT_TRUE(root.SetAttributeReal("ObjectWnd_GateMax", 12.345));
    EXPECT_TRUE(root.SetAttributeText("Language", nullptr));  // appended, value untouched
    EXPECT_TRUE(XMLNode().SetAttributeText("a", "b"));      // null node: nothing happens
    EXPECT_EQ(doc.SaveToString(),
              "<?xml version=\"1.0\"?>\n<AppConfig savedata=\"1\" ObjectWnd_GateMax=\"12.3\" Language=\"\" />\n");
}

TEST(XMLNodeTest, ParsePointPairsTakesOnlyPiecesWithTwoNumbers) {
    XMLParser doc;
    Parse(doc, "<A Points=\"1,2;3,4,5;x,6;7,8;;9,10\" Empty=\"\"/>");
    XMLNode node = doc.Document().FindChild("A");
    EXPECT_EQ(node.ParsePointPairs("Points", kDigitalTypeInt32, nullptr, 100), 3);
    std::vector<int32_t> pairs(6, -1);
    EXPECT_EQ(node.ParsePointPairs("Points", kDigitalTypeInt32, pairs.data(), 2), 2);
    EXPECT_EQ(pairs, (std::vector<int32_t>{1, 2, 7, 8, -1, -1}));
    EXPECT_EQ(node.ParsePointPairs("Missing", kDigitalTypeInt32, pairs.data(), 2), 0);
    EXPECT_EQ(node.ParsePointPairs("Empty", kDigitalTypeInt32, pairs.data(), 2), 0);
    EXPECT_EQ(XMLNode().ParsePointPairs("Points", kDigitalTypeInt32, nullptr, 2), 0);
}

TEST(XMLParserTest, SaveWritesDefaultFormattingWithTabsAndKeepsUnknownContent) {
    TempFolder dir;
    const std::string path = dir.fileA("appConfig.xml");
    XMLParser doc;
    Parse(doc, "<AppConfig Foo=\"bar\"><Unknown x=\"1\"><Deep/></Unknown></AppConfig>");
    doc.AppConfig().SetAttributeText("SaveData", "1");
    ASSERT_TRUE(doc.SaveToFile(path.c_str()));
    EXPECT_EQ(ReadAll(path),
              "<?xml version=\"1.0\"?>\n<AppConfig Foo=\"bar\" SaveData=\"1\">\n\t<Unknown x=\"1\">\n\t\t<Deep />\n"
              "\t</Unknown>\n</AppConfig>\n");
    XMLParser again;
    again.LoadFromFile(path.c_str());
    EXPECT_EQ(again.SaveToString(), doc.SaveToString());
}

TEST(XMLParserTest, AFileThatCannotBeReplacedIsLeftIntact) {
    TempFolder dir;
    const std::string path = dir.fileA("appConfig.xml");
    {
        std::ofstream out(path, std::ios::binary);
        out << "<AppConfig Keep=\"1\"/>";
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    XMLParser doc;
    Parse(doc, "<AppConfig Other=\"2\"/>");
    EXPECT_FALSE(doc.SaveToFile(path.c_str()));
    EXPECT_TRUE(doc.LastSave().failing);
    EXPECT_EQ(doc.LastSave().error, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadAll(path), "<AppConfig Keep=\"1\"/>");
    EXPECT_EQ(::GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A save the disk refuses is remembered with its error and reaches the file by itself once the
// folder takes it, with the edits made meanwhile; a save elsewhere does not hide it.
TEST(XMLParserTest, AFailedSaveIsToldAndRetriedUntilTheFileTakesIt) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"gone");
    const std::wstring path = folder + L"\\appConfig.xml";
    XMLParser doc;
    Parse(doc, "<AppConfig First=\"1\"/>");
    EXPECT_FALSE(doc.LastSave().failing);
    EXPECT_FALSE(doc.SaveToFile(path.c_str()));
    XMLParser::SaveHealth health = doc.LastSave();
    EXPECT_TRUE(health.failing);
    EXPECT_EQ(health.error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));

    EXPECT_FALSE(doc.RetryFailedSave());
    EXPECT_TRUE(doc.LastSave().failing);
    EXPECT_TRUE(doc.SaveToFile(dir.file(L"other.xml").c_str()));
    EXPECT_TRUE(doc.LastSave().failing) << "a save to another file hid the failed one";

    doc.AppConfig().SetAttributeInt("Second", 2);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_TRUE(doc.RetryFailedSave());
    EXPECT_FALSE(doc.LastSave().failing);
    const std::string saved = ReadAll(TempFolder::narrow(path));
    EXPECT_NE(saved.find("First=\"1\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("Second=\"2\""), std::string::npos) << saved;
    EXPECT_TRUE(doc.RetryFailedSave()) << "nothing left to retry";
}

// The damaged files in folder, by name.
std::vector<std::string> DamagedCopies(const TempFolder& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(dir.fileA("appConfig.xml.damaged-*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

TEST(XMLParserTest, APartlyReadableFileIsKeptUntouchedBeforeTheNextSave) {
    TempFolder dir;
    const std::string path = dir.fileA("appConfig.xml");
    // A hand edit: 30 monitor areas, one of them closed with the wrong end tag.
    std::string text = "<?xml version=\"1.0\"?>\n<AppConfig Language=\"ENG\">\n";
    for (int i = 0; i < 30; ++i) {
        text += "\t<MonitorArea Points=\"" + std::to_string(i) + ",1;5,6;7,8\">";
        text += i == 2 ? "</MonitorAera>\n" : "</MonitorArea>\n";
    }
    text += "</AppConfig>\n";
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    // What the start does: load, add AppConfig when none came out, save.
    XMLParser doc;
    doc.LoadFromFile(path.c_str());
    EXPECT_TRUE(doc.LoadedDamaged());
    ASSERT_FALSE(doc.AppConfig().IsNull());
    ASSERT_TRUE(doc.SaveToFile(path.c_str()));

    const std::vector<std::string> copies = DamagedCopies(dir);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(dir.fileA(copies[0]), TempFolder::narrow(doc.DamagedCopy()));
    EXPECT_EQ(ReadAll(TempFolder::narrow(doc.DamagedCopy())), text) << "the copy holds every byte of the damaged file";

    // A second damaged load in the same second keeps the first copy and adds another.
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "<AppConfig><Broken></AppConfig>";
    }
    XMLParser again;
    again.LoadFromFile(path.c_str());
    EXPECT_TRUE(again.LoadedDamaged());
    EXPECT_EQ(DamagedCopies(dir).size(), 2u);
    EXPECT_EQ(ReadAll(dir.fileA(copies[0])), text);
    EXPECT_EQ(ReadAll(TempFolder::narrow(again.DamagedCopy())), "<AppConfig><Broken></AppConfig>");

    // A sound file leaves no copy and no damage behind.
    ASSERT_TRUE(again.SaveToFile(path.c_str()));
    XMLParser sound;
    sound.LoadFromFile(path.c_str());
    EXPECT_FALSE(sound.LoadedDamaged());
    EXPECT_TRUE(sound.DamagedCopy().empty());
    EXPECT_EQ(DamagedCopies(dir).size(), 2u);
    XMLParser missing;
    missing.LoadFromFile(dir.fileA("absent.xml").c_str());
    EXPECT_FALSE(missing.LoadedDamaged());
}

TEST(XMLParserTest, HostileFilesNeverCrashTheLoad) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131 + 7);
    std::string huge = "<AppConfig>";
    for (int i = 0; i < 20000; ++i) huge += "<MonitorArea Points=\"1,2;3,4;5,6\"/>";
    const Case cases[] = {
        {"empty", ""},
        {"binary", binary},
        {"truncated", "<AppConfig SaveData=\"1\" <Mon"},
        {"no root element", "<?xml version=\"1.0\"?>"},
        {"unbalanced", huge},  // no closing tag
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.fileA("appConfig.xml");
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << c.bytes;
        }
        // What the start does: load, add AppConfig when none came out, save, and read it back.
        XMLParser doc;
        doc.LoadFromFile(path.c_str());
        if (doc.AppConfig().IsNull()) doc.Document().AppendChild("AppConfig");
        ASSERT_TRUE(doc.SaveToFile(path.c_str()));
        XMLParser reread;
        reread.LoadFromFile(path.c_str());
        EXPECT_FALSE(reread.AppConfig().IsNull());
    }
    XMLParser missing;
    missing.LoadFromFile(dir.fileA("absent.xml").c_str());
    EXPECT_TRUE(missing.AppConfig().IsNull());
}

TEST(XMLParserTest, AFolderNamedOutsideTheCodePageKeepsItsSettingsAndTheirDamagedCopy) {
    TempFolder dir;
    for (const wchar_t* name : {L"\u0141ukasz", L"\u6d4b\u8bd5 \u0141ukasz"}) {
        SCOPED_TRACE(TempFolder::narrow(name));
        const std::wstring folder = dir.file(name);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring path = folder + L"\\appConfig.xml";
        XMLParser doc;
        Parse(doc, "<AppConfig SaveData=\"1\"/>");
        ASSERT_TRUE(doc.SaveToFile(path.c_str()));
        XMLParser again;
        again.LoadFromFile(path.c_str());
        EXPECT_STREQ(again.AppConfig().GetAttributeText("SaveData"), "1");

        // A damaged file there is copied beside itself, and the copy is named as it is.
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, "<AppConfig", 10, &written, nullptr);
        ::CloseHandle(file);
        XMLParser damaged;
        damaged.LoadFromFile(path.c_str());
        EXPECT_TRUE(damaged.LoadedDamaged());
        ASSERT_FALSE(damaged.DamagedCopy().empty());
        EXPECT_EQ(damaged.DamagedCopy().rfind(path + L".damaged-", 0), 0u);
        EXPECT_NE(::GetFileAttributesW(damaged.DamagedCopy().c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
