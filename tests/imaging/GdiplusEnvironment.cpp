// GDI+ runs for the whole test program, started and ended through the library's own pair.
#include <gtest/gtest.h>

#include "imaging/ImageHelpers.h"

namespace {

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override {
        record_ = Gdiplus_Init();
        ASSERT_NE(record_, nullptr);
        ASSERT_NE(record_->token, 0u);
    }
    void TearDown() override { Gdiplus_DeInit(record_); }

private:
    GdiplusStartupRecord* record_ = nullptr;
};

const testing::Environment* const gEnvironment = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
