#include "imaging/RegionBuilder.h"

#include <algorithm>

CRegionBuilder::CRegionBuilder() noexcept : buffer_(sizeof(RGNDATAHEADER)) {
    result_ = ::CreateRectRgn(0, 0, 0, 0);
    RGNDATAHEADER& header = Data()->rdh;
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
}

CRegionBuilder::~CRegionBuilder() {
    if (result_) ::DeleteObject(result_);
}

void CRegionBuilder::AddRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (Data()->rdh.nCount == capacity_) {
        capacity_ += kGrowth;
        buffer_.resize(sizeof(RGNDATAHEADER) + capacity_ * sizeof(RECT));
    }
    RGNDATAHEADER& header = Data()->rdh;
    RECT* rects = reinterpret_cast<RECT*>(Data()->Buffer);
    rects[header.nCount] = RECT{left, top, right, bottom};
    RECT& bound = header.rcBound;
    if (header.nCount == 0) {
        bound = rects[0];
    } else {
        bound.left = std::min(bound.left, left);
        bound.top = std::min(bound.top, top);
        bound.right = std::max(bound.right, right);
        bound.bottom = std::max(bound.bottom, bottom);
    }
    ++header.nCount;
    if (header.nCount == kBatch) Flush();
}

void CRegionBuilder::Flush() {
    RGNDATAHEADER& header = Data()->rdh;
    if (header.nCount == 0) return;
    header.nRgnSize = header.nCount * sizeof(RECT);
    const DWORD size = sizeof(RGNDATAHEADER) + header.nRgnSize;
    HRGN part = ::ExtCreateRegion(nullptr, size, Data());
    // A lost batch would leave holes in the shape: the whole result is then refused.
    if (!part || !result_ || ::CombineRgn(result_, result_, part, RGN_OR) == ERROR) failed_ = true;
    if (part) ::DeleteObject(part);
    ++flushes_;
    header.nCount = 0;
    header.nRgnSize = 0;
    header.rcBound = RECT{};
}

HRGN CRegionBuilder::Release() {
    Flush();
    HRGN region = result_;
    result_ = nullptr;
    if (failed_ && region) {
        ::DeleteObject(region);
        region = nullptr;
    }
    return region;
}
