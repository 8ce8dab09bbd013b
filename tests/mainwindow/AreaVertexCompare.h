#pragma once
// Vertices compared and printed in test expectations.
#include <ostream>

#include "areas/AreaVertex.h"

inline bool operator==(const AreaVertex& a, const AreaVertex& b) { return a.row == b.row && a.column == b.column; }
inline std::ostream& operator<<(std::ostream& out, const AreaVertex& v) {
    return out << "(row " << v.row << ", column " << v.column << ")";
}
