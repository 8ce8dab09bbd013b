#include "radar/WriteStatus.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

WriteStatusTexts Texts() {
    WriteStatusTexts t;
    t.failed = L"{what} cannot be written: {why}";
    t.what[static_cast<int>(WriteTarget::Results)] = L"Results";
    t.what[static_cast<int>(WriteTarget::Recording)] = L"Raw data";
    t.diskFull = L"the disk is full";
    t.notWritable = L"the folder is not writable";
    t.otherError = L"error {code}";
    return t;
}

TEST(WriteStatusTest, TheStatusNamesWhatCannotBeWrittenAndWhy) {
    const struct {
        std::vector<WriteState> states;
        const wchar_t* expected;
    } cases[] = {
        {{}, L""},
        {{{WriteTarget::Results, false, 0, 0}}, L""},
        {{{WriteTarget::Results, true, ERROR_DISK_FULL, 3}}, L"Results cannot be written: the disk is full"},
        {{{WriteTarget::Recording, true, ERROR_ACCESS_DENIED, 0}}, L"Raw data cannot be written: the folder is not writable"},
        {{{WriteTarget::Recording, true, 1117, 0}}, L"Raw data cannot be written: error 1117"},
        {{{WriteTarget::Results, true, ERROR_HANDLE_DISK_FULL, 0}, {WriteTarget::Recording, true, ERROR_DISK_FULL, 0}},
         L"Results cannot be written: the disk is full   Raw data cannot be written: the disk is full"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CWriteStatus::Describe(c.states, Texts()), c.expected);
        EXPECT_EQ(CWriteStatus::AnyFailing(c.states), c.expected[0] != L'\0');
    }
}

TEST(WriteStatusTest, TheEventLogGetsALineWhenWritingStopsAndWhenItWorksAgain) {
    CWriteStatus status;
    EXPECT_TRUE(status.Update({{WriteTarget::Results, false, 0, 0}}).empty());
    const std::vector<std::string> stopped = status.Update({{WriteTarget::Results, true, ERROR_DISK_FULL, 0}});
    ASSERT_EQ(stopped.size(), 1u);
    EXPECT_EQ(stopped[0], "result file cannot be written: the disk is full (error 112)");
    EXPECT_TRUE(status.Update({{WriteTarget::Results, true, ERROR_DISK_FULL, 5}}).empty()) << "said once";
    const std::vector<std::string> back = status.Update({{WriteTarget::Results, false, 0, 7}});
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], "result file is written again; 7 lost so far");
    status.Update({{WriteTarget::Recording, true, ERROR_DISK_FULL, 0}});
    status.Reset();
    EXPECT_TRUE(status.Update({{WriteTarget::Recording, false, 0, 0}}).empty()) << "a new run starts clean";
}

}  // namespace
