#pragma once
// The retention's file system on the disk, by wide paths (folder names need not be ANSI). A
// reparse point is reported as one and never listed into.
#include <windows.h>

#include "radar/Retention.h"

class CRetentionFiles : public IRetentionFileSystem {
public:
    std::vector<RetentionEntry> List(const std::wstring& folder) override;
    bool FreeBytes(const std::wstring& folder, uint64_t* bytes) override;
    bool RemoveFile(const std::wstring& path, uint32_t* error) override;
    bool RemoveFolder(const std::wstring& path, uint32_t* error) override;

    // Local wall-clock milliseconds since 1601 of a file time, and of now.
    static int64_t LocalMs(const FILETIME& utc);
    static int64_t NowLocalMs();
};
