#include "controls/LabelLineLayout.h"

#include <numeric>

std::vector<std::wstring> LabelLineLayout::SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    for (size_t start = 0;;) {
        const size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

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
