#include "framework/AnsiText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "TempFolder.h"

namespace {

bool WriteWide(const std::wstring& path, const std::string& text) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    ::CloseHandle(file);
    return ok && written == text.size();
}

// What the libraries' narrow functions see: a file opened by its ANSI name.
std::string ReadAnsi(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open " + path + ">";
    char buffer[256] = {};
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, read);
}

// The plain conversion's form of a name, which may be a look-alike ("Lukasz") or hold "?".
std::wstring LossyRoundTrip(const std::wstring& name) {
    return rova::AnsiToWide(rova::WideToAnsi(name.c_str()).c_str());
}

// Names of profile folders seen in the field; only UTF-8 as the ANSI code page holds any of them.
const wchar_t* const kForeignNames[] = {L"\u0141ukasz", L"\u6d4b\u8bd5", L"\u6d4b\u8bd5 \u0141ukasz"};

TEST(AnsiPathTest, CodePageOfThisSystem) {
    const UINT acp = ::GetACP();
    std::printf("ANSI code page: %u\n", acp);
    RecordProperty("AnsiCodePage", static_cast<int>(acp));
    // The other cases prove something only when the names do not convert as they are.
    if (acp != CP_UTF8) {
        for (const wchar_t* name : kForeignNames) EXPECT_NE(LossyRoundTrip(name), name);
    }
}

TEST(AnsiPathTest, PlainPathsAreKeptAsTheyAre) {
    TempFolder dir;
    for (const wchar_t* name : {L"appConfig.xml", L"Log\\ROVA_MTT_Result_1.txt", L"not here\\SaveData"}) {
        const std::wstring path = dir.file(name);
        const auto narrow = rova::AnsiPath(path.c_str());
        ASSERT_TRUE(narrow.has_value());
        EXPECT_EQ(*narrow, TempFolder::narrow(path));
    }
    EXPECT_FALSE(rova::AnsiPath(nullptr).has_value());
    EXPECT_FALSE(rova::AnsiPath(L"").has_value());
}

TEST(AnsiPathTest, AForeignFolderIsReachedThroughANarrowNameOfTheSameFile) {
    TempFolder dir;
    for (const wchar_t* name : kForeignNames) {
        SCOPED_TRACE(TempFolder::narrow(name));
        const std::wstring folder = dir.file(name);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring file = folder + L"\\appConfig.xml";
        ASSERT_TRUE(WriteWide(file, "the operator's settings"));
        // A decoy where the plain conversion leads, when that names a folder at all.
        const std::wstring lookAlike = dir.file(LossyRoundTrip(name));
        if (lookAlike != folder && ::CreateDirectoryW(lookAlike.c_str(), nullptr)) {
            ASSERT_TRUE(WriteWide(lookAlike + L"\\appConfig.xml", "someone else's settings"));
        }

        const auto existing = rova::AnsiPath(file.c_str());
        ASSERT_TRUE(existing.has_value()) << "no narrow form of an existing file";
        EXPECT_EQ(existing->find('?'), std::string::npos) << *existing;
        EXPECT_EQ(ReadAnsi(*existing), "the operator's settings") << *existing;
        std::printf("narrow form: %s\n", existing->c_str());

        // A file still to be made in that folder (the first save, a new result file).
        const std::wstring fresh = folder + L"\\Log\\ROVA_MTT_Result_1.txt";
        ASSERT_TRUE(::CreateDirectoryW((folder + L"\\Log").c_str(), nullptr));
        const auto toMake = rova::AnsiPath(fresh.c_str());
        ASSERT_TRUE(toMake.has_value()) << "no narrow form of a file to be made";
        const HANDLE made = ::CreateFileA(toMake->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(made, INVALID_HANDLE_VALUE) << *toMake;
        ::CloseHandle(made);
        EXPECT_NE(::GetFileAttributesW(fresh.c_str()), INVALID_FILE_ATTRIBUTES) << "made elsewhere: " << *toMake;
    }
}

TEST(AnsiPathTest, ANameToBeMadeOutsideTheCodePageHasNoNarrowForm) {
    if (::GetACP() == CP_UTF8) GTEST_SKIP() << "UTF-8 holds every name";
    TempFolder dir;
    for (const wchar_t* name : kForeignNames) {
        SCOPED_TRACE(TempFolder::narrow(name));
        // Nothing exists under that name yet, so there is no short name to stand in for it.
        const std::wstring path = dir.file(name) + L"\\SaveData";
        EXPECT_FALSE(rova::AnsiPath(path.c_str()).has_value());
    }
}

}  // namespace
