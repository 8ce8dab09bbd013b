#include "imaging/RegionBuilder.h"

#include <algorithm>

CRegionBuilder::CRegionBuilder() noexcept : m_buffer(sizeof(RGNDATAHEADER)) {
    m_result = ::CreateRectRgn(0, 0, 0, 0);
    RGNDATAHEADER& header = Data()->rdh;
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
}

CRegionBuilder::~CRegionBuilder() {
    if (m_result) ::DeleteObject(m_result);
}

void CRegionBuilder::AddRect(LONG left, LONG top, LONG right, LONG bottom) {
    if (Data()->rdh.nCount == m_capacity) {
        m_capacity += kGrowth;
        m_buffer.resize(sizeof(RGNDATAHEADER) + m_capacity * sizeof(RECT));
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
    if (!part || !m_result || ::CombineRgn(m_result, m_result, part, RGN_OR) == ERROR) m_failed = true;
    if (part) ::DeleteObject(part);
    ++m_flushes;
    header.nCount = 0;
    header.nRgnSize = 0;
    header.rcBound = RECT{};
}

HRGN CRegionBuilder::Release() {
    Flush();
    HRGN region = m_result;
    m_result = nullptr;
    if (m_failed && region) {
        ::DeleteObject(region);
        region = nullptr;
    }
    return region;
}
