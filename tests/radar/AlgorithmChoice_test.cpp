#include "radar/AlgorithmChoice.h"

#include <gtest/gtest.h>

namespace {

// A record with recognisable values in every field the choices may write.
void Fill(tagRADARPARAMETER& r) {
    r.pcAlgorithm = -1;
    r.pcAlgoFlagA = r.pcAlgoFlagB = r.pcAlgoFlagC = -1;
    r.modFlag = r.modValue = -1;
    r.algorithmOnMcu = -1;
    r.mcuVariant = r.mcuVariantAux = -1;
    r.mcuAlgoValue = -1;
    r.algorithmSetFlag = -1;
}

TEST(AlgorithmChoiceTest, EachEntryWritesExactlyItsFields) {
    struct Expect {
        int index;
        int pcAlgorithm, flagA, flagB, flagC, modFlag, modValue, onMcu, variant, variantAux, mcuValue;
    };
    const Expect cases[] = {
        {kAlgorithmPcMtt, 3, 1, 1, 1, -1, -1, 0, -1, -1, -1},
        {kAlgorithmPcMod, 1, 1, 1, 1, 1, 64, 0, -1, -1, -1},
        {kAlgorithmMcuMtt, 0, -1, -1, -1, -1, -1, 10, 0, 0, 20},
        {kAlgorithmMcuMtt2, 0, -1, -1, -1, -1, -1, 10, 1, -1, 30},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.index);
        tagRADARPARAMETER r;
        Fill(r);
        ApplyAlgorithmChoice(r, e.index);
        EXPECT_EQ(r.pcAlgorithm, e.pcAlgorithm);
        EXPECT_EQ(r.pcAlgoFlagA, e.flagA);
        EXPECT_EQ(r.pcAlgoFlagB, e.flagB);
        EXPECT_EQ(r.pcAlgoFlagC, e.flagC);
        EXPECT_EQ(r.modFlag, e.modFlag);
        EXPECT_EQ(r.modValue, e.modValue);
        EXPECT_EQ(r.algorithmOnMcu, e.onMcu);
        EXPECT_EQ(r.mcuVariant, e.variant);
        EXPECT_EQ(r.mcuVariantAux, e.variantAux);
        EXPECT_EQ(r.mcuAlgoValue, e.mcuValue);
        EXPECT_EQ(r.algorithmSetFlag, 1);
        EXPECT_EQ(AlgorithmChoiceFromRecord(r), e.index);
    }
    tagRADARPARAMETER untouched;
    Fill(untouched);
    ApplyAlgorithmChoice(untouched, -1);
    EXPECT_EQ(untouched.algorithmSetFlag, -1);
}

TEST(AlgorithmChoiceTest, RecordToInitialSelection) {
    const struct {
        int onMcu, variant, pcAlgorithm, expected;
    } cases[] = {
        {10, 0, 0, kAlgorithmMcuMtt}, {10, 1, 0, kAlgorithmMcuMtt2}, {10, 7, 3, kAlgorithmPcMtt},
        {0, 1, 1, kAlgorithmPcMod},   {0, 0, 3, kAlgorithmPcMtt},    {0, 0, 5, kAlgorithmPcMod},
    };
    for (const auto& c : cases) {
        tagRADARPARAMETER r;
        Fill(r);
        r.algorithmOnMcu = c.onMcu;
        r.mcuVariant = c.variant;
        r.pcAlgorithm = c.pcAlgorithm;
        EXPECT_EQ(AlgorithmChoiceFromRecord(r), c.expected) << c.onMcu << "/" << c.variant << "/" << c.pcAlgorithm;
    }
}

}  // namespace
