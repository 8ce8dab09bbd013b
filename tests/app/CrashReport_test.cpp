#include "app/CrashReport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "TempFolder.h"

namespace {

// An access violation as the filter would get it: the dump and the line land under the folder,
// which is made when it is missing.
TEST(CrashReportTest, AnUnhandledExceptionLeavesADumpAndALine) {
    TempFolder dir;
    const std::wstring log = dir.file(L"Log");
    CONTEXT context{};
    ::RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
    EXCEPTION_POINTERS pointers{&record, &context};
    const std::wstring dump = WriteCrashReport(log, &pointers);
    ASSERT_FALSE(dump.empty());
    std::ifstream in(TempFolder::narrow(dump), std::ios::binary);
    char signature[4] = {};
    in.read(signature, 4);
    EXPECT_EQ(std::string(signature, 4), "MDMP");
    std::wstring textPath = dump.substr(0, dump.size() - 4) + L".txt";
    std::ifstream textIn(TempFolder::narrow(textPath), std::ios::binary);
    const std::string line((std::istreambuf_iterator<char>(textIn)), std::istreambuf_iterator<char>());
    EXPECT_NE(line.find("unhandled exception 0xC0000005"), std::string::npos) << line;
    EXPECT_NE(line.find("dump: ROVA_MTT_Crash_"), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

}  // namespace
