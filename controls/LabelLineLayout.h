#pragma once
// Vertical placement of the lines of a colour label: the gap between lines and the top of each
// line inside the layout rectangle, with no window involved.
#include <vector>

class LabelLineLayout {
public:
    // Line alignment of the label's string format (GDI+ StringAlignment values).
    enum Alignment { Near = 0, Center = 1, Far = 2 };

    // Gap between lines: `lineGap` when positive, else spread evenly: (H - S) / (n + 1).
    static float Gap(int lineGap, float height, const std::vector<float>& lineHeights) noexcept;
    // Top of every line for a layout rectangle starting at `top` with `height`.
    static std::vector<float> LineTops(float top, float height, const std::vector<float>& lineHeights, int lineGap,
                                       Alignment alignment);
};
