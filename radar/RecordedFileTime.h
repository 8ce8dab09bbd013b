#pragma once
// What the header of a recorded file and its first frame say of its time: the start of the file
// (UTC) and the stream stamp of the first frame, as the library delivers it (ms, 32 bits).
#include <windows.h>

#include <cstdint>

struct RecordedFileTime {
    FILETIME start{};
    bool stampKnown = false;
    uint32_t firstStampMs = 0;
};

// Of the file at path (ANSI); all zero when it is no recorded file.
RecordedFileTime ReadFileTime(const char* path);
