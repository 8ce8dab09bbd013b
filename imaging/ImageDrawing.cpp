// Drawing on a target: text, images in placing modes, translucent images, fills and outlines.
#include <vector>

#include "framework/GdiplusRaii.h"
#include "imaging/ImageHelpers.h"
#include "imaging/ImagingSupport.h"

using namespace Gdiplus;
using namespace rova::imaging;

namespace {

using GdipImageAttributesPtr = rova::GdipPtr<GpImageAttributes, DllExports::GdipDisposeImageAttributes>;

Box SourceBox(CGdipBitmap& image, const RECT* source) {
    return source ? ToBox(*source) : Box{0, 0, image.Width(), image.Height()};
}

}  // namespace

int Gdiplus_GetStringFormat(int languageId) {
    const int language = languageId & 0xFFFF;
    return language == 0x401 || language == 0x40D ? 1 : 0;
}

void Gdiplus_DrawText(CGdipGraphics* graphics, const wchar_t* text, const RectF* layout, ARGB color,
                      GpStringFormat* format, GpFont* font) {
    if (!graphics || !text || !*text || !layout) return;
    rova::GdipBrushPtr brush;
    GpSolidFill* fill = nullptr;
    if (graphics->Record(DllExports::GdipCreateSolidFill(color, &fill)) != Ok) return;
    brush.reset(fill);
    TextRenderingHint previous = TextRenderingHintSystemDefault;
    DllExports::GdipGetTextRenderingHint(graphics->Native(), &previous);
    graphics->Record(DllExports::GdipSetTextRenderingHint(graphics->Native(), TextRenderingHintAntiAlias));
    graphics->Record(DllExports::GdipDrawString(graphics->Native(), text, -1, font, layout, format, brush.get()));
    // The target keeps its own setting for whatever it draws next.
    DllExports::GdipSetTextRenderingHint(graphics->Native(), previous);
}

void Gdiplus_DrawBitmap(CGdipGraphics* graphics, const RECT* destination, CGdipBitmap* image, const RECT* source,
                        int mode) {
    if (!graphics || !image || !destination) return;
    for (const Placement& part : PlanDrawBitmap(ToBox(*destination), SourceBox(*image, source), mode))
        DrawPart(*graphics, *image, part.target, part.source);
}

void Gdiplus_DrawAlphaBitmap(CGdipGraphics* graphics, const RECT* destination, CGdipBitmap* image, const RECT* source,
                             int stretch, int alpha) {
    if (!graphics || !image || !destination) return;
    GdipImageAttributesPtr attributes;
    if (graphics->Record(DllExports::GdipCreateImageAttributes(attributes.out())) != Ok) return;
    ColorMatrix matrix{};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    // Over 256, as the callers' alpha values have always been scaled.
    matrix.m[3][3] = static_cast<REAL>(alpha & 0xFF) / 256.0f;
    if (graphics->Record(DllExports::GdipSetImageAttributesColorMatrix(attributes.get(), ColorAdjustTypeBitmap, TRUE,
                                                                       &matrix, nullptr, ColorMatrixFlagsDefault)) != Ok)
        return;
    DllExports::GdipSetImageAttributesWrapMode(attributes.get(), WrapModeTileFlipXY, 0, FALSE);
    const Placement part = PlanAlphaDraw(ToBox(*destination), SourceBox(*image, source), stretch != 0);
    DrawPart(*graphics, *image, part.target, part.source, attributes.get());
}

void Gdiplus_FillRect(CGdipGraphics* graphics, const RECT* rect, GpBrush* brush) {
    if (!graphics || !rect) return;
    const Box box = ToBox(*rect);
    graphics->Record(DllExports::GdipFillRectangleI(graphics->Native(), brush, box.x, box.y, box.width, box.height));
}

void Gdiplus_FillPolygon(CGdipGraphics* graphics, const POINT* points, int count, GpBrush* brush) {
    if (!graphics || !points || count < 1) return;
    std::vector<Point> corners;
    corners.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) corners.emplace_back(static_cast<INT>(points[i].x), static_cast<INT>(points[i].y));
    graphics->Record(DllExports::GdipFillPolygonI(graphics->Native(), brush, corners.data(), count, FillModeAlternate));
}

void Gdiplus_DrawRect(CGdipGraphics* graphics, const RECT* rect, ARGB color, float penWidth) {
    if (!graphics || !rect) return;
    rova::GdipPenPtr pen;
    if (graphics->Record(DllExports::GdipCreatePen1(color, penWidth, UnitWorld, pen.out())) != Ok) return;
    const REAL width = static_cast<REAL>(rect->right - rect->left) - penWidth;
    const REAL height = static_cast<REAL>(rect->bottom - rect->top) - penWidth;
    graphics->Record(DllExports::GdipDrawRectangle(graphics->Native(), pen.get(), static_cast<REAL>(rect->left),
                                                   static_cast<REAL>(rect->top), width, height));
}
