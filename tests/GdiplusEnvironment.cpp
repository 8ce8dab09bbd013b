// GDI+ runs for the whole test program of a suite that draws with it (linked by those suites).
#include <gtest/gtest.h>

#include "framework/GdiplusRaii.h"

namespace {

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(session_.ok()); }

private:
    rova::GdiplusSession session_;
};

const testing::Environment* const gEnvironment = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
