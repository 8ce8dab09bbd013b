#include "radar/AlgorithmChoice.h"

void ApplyAlgorithmChoice(tagRADARPARAMETER& r, int index) noexcept {
    switch (index) {
    case kAlgorithmPcMtt:
        r.pcAlgorithm = 3;
        r.pcAlgoFlagC = 1;
        r.algorithmOnMcu = 0;
        r.pcAlgoFlagB = 1;
        r.pcAlgoFlagA = 1;
        r.algorithmSetFlag = 1;
        break;
    case kAlgorithmPcMod:
        r.pcAlgorithm = 1;
        r.modFlag = 1;
        r.modValue = 64;
        r.pcAlgoFlagC = 1;
        r.algorithmOnMcu = 0;
        r.pcAlgoFlagB = 1;
        r.pcAlgoFlagA = 1;
        r.algorithmSetFlag = 1;
        break;
    case kAlgorithmMcuMtt:
        r.algorithmOnMcu = 10;
        r.pcAlgorithm = 0;
        r.mcuVariant = 0;
        r.mcuVariantAux = 0;
        r.mcuAlgoValue = 20;
        r.algorithmSetFlag = 1;
        break;
    case kAlgorithmMcuMtt2:
        r.algorithmOnMcu = 10;
        r.pcAlgorithm = 0;
        r.mcuVariant = 1;
        r.mcuAlgoValue = 30;
        r.algorithmSetFlag = 1;
        break;
    default:
        break;
    }
}

int AlgorithmChoiceFromRecord(const tagRADARPARAMETER& r) noexcept {
    if (r.algorithmOnMcu == 10) {
        if (r.mcuVariant == 0) return kAlgorithmMcuMtt;
        if (r.mcuVariant == 1) return kAlgorithmMcuMtt2;
        return kAlgorithmPcMtt;
    }
    return r.pcAlgorithm == 3 ? kAlgorithmPcMtt : kAlgorithmPcMod;
}
