#include "controls/LabelLineLayout.h"

#include <numeric>

float LabelLineLayout::Gap(int lineGap, float height, const std::vector<float>& lineHeights) noexcept {
    if (lineGap != 0) return static_cast<float>(lineGap);
    const float sum = std::accumulate(lineHeights.begin(), lineHeights.end(), 0.0f);
    return (height - sum) / static_cast<float>(lineHeights.size() + 1);
}

std::vector<float> LabelLineLayout::LineTops(float top, float height, const std::vector<float>& lineHeights,
                                             int lineGap, Alignment alignment) {
    std::vector<float> tops;
    if (lineHeights.empty()) return tops;
    const float sum = std::accumulate(lineHeights.begin(), lineHeights.end(), 0.0f);
    const float n = static_cast<float>(lineHeights.size());
    const float g = Gap(lineGap, height, lineHeights);
    float y = top + g;
    if (alignment == Center) {
        y = top + g + ((height - sum) - (n + 1) * g) * 0.5f;
    } else if (alignment == Far) {
        y = top + height - sum - n * g;
    }
    tops.reserve(lineHeights.size());
    for (float h : lineHeights) {
        tops.push_back(y);
        y += h + g;
    }
    return tops;
}
