#pragma once
// Vertical placement of the lines of a colour label: the gap between lines and the top of each
// line inside the layout rectangle, with no window involved.
#include <string>
#include <vector>

class LabelLineLayout {
public:
    // The lines of a label text: split at LF, a CR before it dropped (texts end their lines with
    // CR LF, and a face that does not treat CR as a control draws it as a box).
    static std::vector<std::wstring> SplitLines(const std::wstring& text);
    // Line alignment of the label's string format (GDI+ StringAlignment values).
    enum Alignment { Near = 0, Center = 1, Far = 2 };

    // Gap between lines: `lineGap` when positive, else spread evenly: (H - S) / (n + 1).
    static float Gap(int lineGap, float height, const std::vector<float>& lineHeights) noexcept;
    // Top of every line for a layout rectangle starting at `top` with `height`.
    static std::vector<float> LineTops(float top, float height, const std::vector<float>& lineHeights, int lineGap,
                                       Alignment alignment);
};
