#pragma once
// The geometry and pixel arithmetic of the image helpers, free of GDI+ so it can be checked on
// its own.
#include <cstdint>
#include <optional>
#include <vector>

namespace rova::imaging {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// A part of a source drawn into a part of a target.
struct Placement {
    Box source;
    Box target;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// Grey level of a colour: weights 77, 150, 29 over 256, fraction dropped.
inline std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<std::uint8_t>((77u * red + 150u * green + 29u * blue) / 256u);
}

// Gdiplus_ResizeBitmap: output size and the source area drawn over all of it, for an image of
// sw x sh fitted to w x h; nothing for a mode out of 0..4 or an empty request.
struct ResizePlan {
    int outWidth = 0;
    int outHeight = 0;
    Box source;
    friend bool operator==(const ResizePlan&, const ResizePlan&) = default;
};
std::optional<ResizePlan> PlanResize(int sw, int sh, int w, int h, int mode);

// Centre part of an sw x sh image with the aspect of w x h (cropping fit).
std::optional<Box> PlanCentreCrop(int sw, int sh, int w, int h);

// Unscaled centring of an sw x sh source in a w x h area: the overlapping part of the source and
// where it lands, both relative to their own corners.
Placement PlanCentreUnscaled(int sw, int sh, int w, int h);

// Tiles of tileW x tileH laid from (0, 0) until w x h is covered. With clip, the last column and
// row end at the area's edge; without, every tile has the full tile size.
std::vector<Box> PlanTiles(int tileW, int tileH, int w, int h, bool clip);

// Gdiplus_DrawBitmap: where the parts of src (a box in the image) go for a target box dst.
std::vector<Placement> PlanDrawBitmap(const Box& dst, const Box& src, int mode);

// Gdiplus_DrawAlphaBitmap: the part of src drawn and where.
Placement PlanAlphaDraw(const Box& dst, const Box& src, bool stretch);

}  // namespace rova::imaging
