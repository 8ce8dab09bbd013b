#include "framework/ProgramFolder.h"

#include <windows.h>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"

std::string ProgramFileA(const char* name) {
    // The exe's own folder may be named outside the code page (a profile folder): the narrow
    // name comes from the wide one, never from the library's ANSI program path.
    const std::wstring path = ProgramFileW(rova::AnsiToWide(name).c_str());
    return rova::AnsiPath(path.c_str()).value_or(std::string());
}

std::wstring ProgramFileW(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(path, folder, name);
    return path;
}
