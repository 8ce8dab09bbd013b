#pragma once
// Files and folders of a run are named after the local date and time of their start. A clock set
// back (by hand, or by the time service) can bring a name back that an older run already used:
// these never open or reuse what is there, they take the next free name instead
// ("<stem>_2<extension>", "<stem>_3<extension>", ...).
#include <string>

#include <windows.h>

// "<prefix>YYYYMMDD_HHMMSS_mmm" of the local time now; empty when it cannot be made.
std::wstring DatedStemW(const wchar_t* prefix);
// The same of a given local time.
std::wstring DatedStemW(const wchar_t* prefix, const SYSTEMTIME& local);

// Creates a new file folder\stem[_n]extension (the folder must exist) for writing with the given
// share mode. INVALID_HANDLE_VALUE when none can be made; *path is then empty.
HANDLE CreateFreshFileW(const std::wstring& folder, const std::wstring& stem, const wchar_t* extension, DWORD share,
                        std::wstring* path);

// Creates a new folder parent\stem[_n] (parent must exist). False when none can be made.
bool CreateFreshFolderW(const std::wstring& parent, const std::wstring& stem, std::wstring* path);
