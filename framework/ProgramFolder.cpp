#include "framework/ProgramFolder.h"

#include <windows.h>

#include "contracts/ROVA_Common.h"

std::string ProgramFileA(const char* name) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetProgramPathA(0, folder);
    CombinePathNameA(path, folder, name);
    return path;
}

std::wstring ProgramFileW(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(path, folder, name);
    return path;
}
