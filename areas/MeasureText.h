#pragma once
// A measured value as it stands in the result and zone event lines: two decimals for every value
// a sensor measures; beyond that (a damaged or forged recording) the exponent form, and inf/nan,
// so that a line stays short enough for its buffer and never loses a column or its end.
#include <cmath>
#include <cstdio>
#include <string>

inline std::string MeasureText(double v) {
    constexpr double kPlainLimit = 1e15;
    char text[32];
    if (std::isnan(v)) {
        snprintf(text, sizeof text, "nan");
    } else if (std::isinf(v)) {
        snprintf(text, sizeof text, "%s", v < 0 ? "-inf" : "inf");
    } else {
        snprintf(text, sizeof text, std::fabs(v) < kPlainLimit ? "%.2f" : "%.6e", v);
    }
    return text;
}
