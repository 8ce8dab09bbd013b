// Paths, files and date-based names, in a temporary folder of their own.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root_ = std::wstring(temp) + L"rova_common_paths_" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        char narrow[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, root_.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
        rootA_ = narrow;
    }
    void TearDown() override {
        // Depth-first removal of what the tests made.
        RemoveTree(root_);
    }
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring path = folder + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
                else DeleteFileW(path.c_str());
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }
    void WriteFile(const std::string& path, const std::string& bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::wstring root_;
    std::string rootA_;
};

TEST(CombinePathName, Joins) {
    struct Case {
        const char* folder;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\a", "b.txt", "C:\\a\\b.txt"},
        {"C:\\a\\", "b.txt", "C:\\a\\b.txt"},
        {"C:\\a", "\\b.txt", "C:\\a\\b.txt"},
        {"C:\\a\\", "\\b.txt", "C:\\a\\b.txt"},
        {"C:\\a/", "b", "C:\\a/b"},
        {"", "b.txt", "b.txt"},
        {"C:\\a", "", "C:\\a"},
        {"C:\\", "Log", "C:\\Log"},
    };
    for (const Case& c : cases) {
        char out[MAX_PATH];
        EXPECT_NE(CombinePathNameA(out, c.folder, c.name), 0);
        EXPECT_STREQ(out, c.expected) << c.folder << " + " << c.name;
    }
}

TEST(CombinePathName, OutputMayBeAnInput) {
    char buffer[MAX_PATH] = "Radar_Config.ini";
    EXPECT_NE(CombinePathNameA(buffer, "C:\\data", buffer), 0);
    EXPECT_STREQ(buffer, "C:\\data\\Radar_Config.ini");
    wchar_t wide[MAX_PATH] = L"C:\\exe";
    EXPECT_NE(CombinePathNameW(wide, wide, L"SaveData"), 0);
    EXPECT_STREQ(wide, L"C:\\exe\\SaveData");
}

TEST(CombinePathName, RefusesWhatDoesNotFit) {
    std::string longFolder(250, 'f');
    char out[MAX_PATH];
    EXPECT_EQ(CombinePathNameA(out, longFolder.c_str(), "0123456789.txt"), 0);
    EXPECT_STREQ(out, "");
}

TEST(ProgramPath, IsTheFolderOfThisExecutable) {
    wchar_t folder[MAX_PATH];
    ASSERT_NE(GetProgramPathW(0, folder), 0);
    size_t n = wcslen(folder);
    ASSERT_GT(n, 0u);
    EXPECT_NE(folder[n - 1], L'\\');
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const wchar_t* name = wcsrchr(exe, L'\\') + 1;
    wchar_t joined[MAX_PATH];
    ASSERT_NE(CombinePathNameW(joined, folder, name), 0);
    EXPECT_NE(IsFileExistW(joined), 0);

    wchar_t byId[MAX_PATH];
    ASSERT_NE(GetProgramPathW(GetCurrentProcessId(), byId), 0);
    EXPECT_STREQ(byId, folder);
    char narrow[MAX_PATH];
    ASSERT_NE(GetProgramPathA(0, narrow), 0);
    EXPECT_NE(IsDirA(narrow), 0);
}

TEST(ProgramPath, OfAnotherProcess) {
    // A suspended copy of this executable: same folder, different process.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + exe + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &process));
    wchar_t other[MAX_PATH] = L"";
    int ok = GetProgramPathW(process.dwProcessId, other);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    wchar_t own[MAX_PATH];
    ASSERT_NE(GetProgramPathW(0, own), 0);
    ASSERT_NE(ok, 0);
    EXPECT_EQ(lstrcmpiW(other, own), 0) << other;
    EXPECT_EQ(GetProgramPathW(0xFFFFFFF0u, other), 0);  // no such process
}

TEST_F(PathsTest, CreatesNestedFoldersAndTellsFilesFromFolders) {
    std::string nested = rootA_ + "\\one\\two\\three";
    EXPECT_EQ(IsDirA(nested.c_str()), 0);
    EXPECT_NE(RecursiveCreateDirectoryA(nested.c_str()), 0);
    EXPECT_NE(IsDirA(nested.c_str()), 0);
    EXPECT_NE(RecursiveCreateDirectoryA((nested + "\\").c_str()), 0);  // existing, trailing separator
    std::wstring wideNested = root_ + L"\\\x6570\x636E\\sub";  // non-ASCII folder name
    EXPECT_NE(RecursiveCreateDirectoryW(wideNested.c_str()), 0);
    EXPECT_NE(IsDirW(wideNested.c_str()), 0);
    EXPECT_EQ(RecursiveCreateDirectoryA(""), 0);
    EXPECT_EQ(RecursiveCreateDirectoryW(nullptr), 0);

    std::string file = rootA_ + "\\one\\file.bin";
    WriteFile(file, "x");
    EXPECT_EQ(IsDirA(file.c_str()), 0);
    std::wstring wideFile = root_ + L"\\one\\file.bin";
    EXPECT_NE(IsFileExistW(wideFile.c_str()), 0);
    EXPECT_EQ(IsFileExistW(root_.c_str()), 0);  // a folder is not a file
    EXPECT_EQ(IsFileExistW((root_ + L"\\missing").c_str()), 0);
    // A file in the way of a folder is a failure, not success.
    EXPECT_EQ(RecursiveCreateDirectoryA((file + "\\below").c_str()), 0);
}

TEST_F(PathsTest, ReadsWholeFilesWithTerminator) {
    std::string path = rootA_ + "\\data.xml";
    std::string bytes("<a>\0b</a>", 9);
    WriteFile(path, bytes);
    void* block = nullptr;
    int64_t size = ReadFileDataA(path.c_str(), &block);
    ASSERT_EQ(size, 9);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, bytes.data(), 9), 0);
    EXPECT_EQ(static_cast<char*>(block)[9], '\0');
    ReleaseFileData(block);

    std::string empty = rootA_ + "\\empty.xml";
    WriteFile(empty, "");
    EXPECT_EQ(ReadFileDataA(empty.c_str(), &block), 0);
    ASSERT_NE(block, nullptr);
    ReleaseFileData(block);

    block = reinterpret_cast<void*>(1);
    EXPECT_LT(ReadFileDataA((rootA_ + "\\missing.xml").c_str(), &block), 0);
    EXPECT_EQ(block, nullptr);
    block = reinterpret_cast<void*>(1);
    EXPECT_LT(ReadFileDataA(rootA_.c_str(), &block), 0);  // a folder
    EXPECT_EQ(block, nullptr);
}

TEST(FileExtName, WithoutDot) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\p\\a.png", L"png"},
        {L"a.b.JPEG", L"JPEG"},
        {L"C:\\dir.d\\noext", L""},
        {L"C:\\p\\trailing.", L""},
        {L"", L""},
        {L"x.tif", L"tif"},
    };
    for (const Case& c : cases) {
        wchar_t out[260] = L"junk";
        GetFileExtNameW(c.path, out, 260);
        EXPECT_STREQ(out, c.expected) << c.path;
    }
    char narrow[4];
    EXPECT_EQ(GetFileExtNameA("f.toolong", narrow, 4), 0);  // does not overflow the buffer
    EXPECT_STREQ(narrow, "");
    EXPECT_NE(GetFileExtNameA("f.txt", narrow, 4), 0);
    EXPECT_STREQ(narrow, "txt");
}

TEST(FileNameByDate, FormAndUniqueness) {
    char first[MAX_PATH];
    char second[MAX_PATH];
    ASSERT_GT(GetFileNameByDateA(first, ".txt", "ROVA_MTT_Result_", "", 0, 1, 0), 0);
    ASSERT_GT(GetFileNameByDateA(second, ".txt", "ROVA_MTT_Result_", "", 0, 1, 0), 0);
    std::regex form("ROVA_MTT_Result_20[0-9]{6}_[0-2][0-9][0-5][0-9][0-5][0-9]_[0-9]{3}\\.txt");
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_TRUE(std::regex_match(second, form)) << second;
    EXPECT_STRNE(first, second);

    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof(today), "%04u", now.wYear);
    EXPECT_EQ(std::string(first).substr(16, 4), today);

    wchar_t wide[MAX_PATH];
    ASSERT_GT(GetFileNameByDateW(wide, L"png", L"Temp_", L"_s", 0, 0, 0), 0);
    std::wstring w = wide;
    EXPECT_EQ(w.substr(0, 5), L"Temp_");
    EXPECT_EQ(w.substr(w.size() - 6), L"_s.png");
    EXPECT_EQ(w.size(), 5 + 19 + 6);
}

}  // namespace
