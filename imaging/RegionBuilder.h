#pragma once
// Builds a GDI region from many one-row rectangles. Creating a region per rectangle is slow and
// one region of a whole image's rectangles can be huge, so rectangles are collected in region
// data (grown 100 at a time) and united into the result every kBatch rectangles.
#include <windows.h>

#include <vector>

class CRegionBuilder {
public:
    static constexpr DWORD kBatch = 2000;
    static constexpr DWORD kGrowth = 100;

    CRegionBuilder() noexcept;
    ~CRegionBuilder();
    CRegionBuilder(const CRegionBuilder&) = delete;
    CRegionBuilder& operator=(const CRegionBuilder&) = delete;

    bool IsValid() const noexcept { return m_result != nullptr; }
    void AddRect(LONG left, LONG top, LONG right, LONG bottom);
    // Unites the last batch and hands the region over (null if any batch failed); the builder
    // is empty afterwards.
    HRGN Release();

    // How many batches were united so far.
    int FlushCount() const noexcept { return m_flushes; }

private:
    void Flush();
    RGNDATA* Data() noexcept { return reinterpret_cast<RGNDATA*>(m_buffer.data()); }

    std::vector<BYTE> m_buffer;
    DWORD m_capacity = 0;
    HRGN m_result = nullptr;
    int m_flushes = 0;
    bool m_failed = false;
};
