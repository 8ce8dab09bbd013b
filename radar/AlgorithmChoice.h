#pragma once
// The algorithm list of the Parameter Setting dialog and what each entry writes into a record.
#include "contracts/RadarParameter.h"

enum AlgorithmChoice { kAlgorithmPcMtt = 0, kAlgorithmPcMod = 1, kAlgorithmMcuMtt = 2, kAlgorithmMcuMtt2 = 3 };

// Writes the fields of the chosen entry; any other index leaves the record alone.
void ApplyAlgorithmChoice(tagRADARPARAMETER& record, int index) noexcept;
// The entry a record shows when the dialog opens.
int AlgorithmChoiceFromRecord(const tagRADARPARAMETER& record) noexcept;
