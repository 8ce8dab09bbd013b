#include "controls/KeyedRegion.h"

#include <algorithm>
#include <cstring>

#include "contracts/ROVA_Common.h"
#include "framework/Raii.h"

namespace {

// Regions made of very many rectangles are slow to build in one call; they are made in batches
// and united.
constexpr size_t kBatchRects = 2000;

HRGN RegionFromRects(const RECT* rects, size_t count, int width, int height) {
    std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    data->rdh.rcBound = RECT{0, 0, width, height};
    if (count) std::memcpy(data->Buffer, rects, count * sizeof(RECT));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

}  // namespace

void AppendShapeRuns(const uint32_t* pixels, int width, int height, std::vector<RECT>& runs) {
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * width;
        int x = 0;
        while (x < width) {
            while (x < width && IsKeyPixel(row[x]))
                ++x;
            if (x >= width) break;
            const int x0 = x;
            while (x < width && !IsKeyPixel(row[x]))
                ++x;
            runs.push_back(RECT{x0, y, x, y + 1});
        }
    }
}

HRGN RegionFromKeyedBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return nullptr;
    const int width = info.bmWidth;
    const int height = std::abs(info.bmHeight);

    // Read the picture as 32-bit top-down pixels whatever its own depth.
    void* bits = nullptr;
    rova::UniqueBitmap copy(CreateHBitmap(&bits, width, height, 32));
    rova::UniqueMemoryDc source(::CreateCompatibleDC(nullptr));
    rova::UniqueMemoryDc target(::CreateCompatibleDC(nullptr));
    if (!copy || !bits || !source || !target) return nullptr;
    {
        rova::SelectScope selectSource(source.get(), bitmap);
        rova::SelectScope selectTarget(target.get(), copy.get());
        if (!::BitBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return nullptr;
    }
    ::GdiFlush();

    std::vector<RECT> runs;
    AppendShapeRuns(static_cast<const uint32_t*>(bits), width, height, runs);

    rova::UniqueRgn result(::CreateRectRgn(0, 0, 0, 0));
    if (!result) return nullptr;
    for (size_t start = 0; start < runs.size(); start += kBatchRects) {
        const size_t count = std::min(kBatchRects, runs.size() - start);
        rova::UniqueRgn part(RegionFromRects(runs.data() + start, count, width, height));
        if (!part || ::CombineRgn(result.get(), result.get(), part.get(), RGN_OR) == ERROR) return nullptr;
    }
    return result.release();
}
