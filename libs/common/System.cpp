// Time, debug trace and the single-instance check.
#include "ROVA_Common.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {
std::atomic<int> gTraceLevel{3};
}

uint32_t MS_GetTime() { return static_cast<uint32_t>(GetTickCount64()); }

void MS_Sleep(uint32_t ms) { Sleep(ms); }

void DbgSetLevel(int level) { gTraceLevel.store(level); }

void DbgOutputA(int level, const char* format, ...) {
    if (!format || level > gTraceLevel.load()) return;
    char line[2048];
    int prefix = std::snprintf(line, sizeof(line), "[ROVA %d] ", level);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line + prefix, sizeof(line) - static_cast<size_t>(prefix) - 1, format, args);
    va_end(args);
    if (n < 0) return;
    // Long lines are cut; a trace line must never fail.
    size_t length = std::strlen(line);
    if (length == 0 || line[length - 1] != '\n') {
        line[length] = '\n';
        line[length + 1] = 0;
    }
    OutputDebugStringA(line);
}

int CheckSingleInstanceW(const wchar_t* name) {
    if (!name || !*name) return 0;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (!mutex) return 0;  // e.g. the name belongs to another kind of object
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return 0;
    }
    // Kept open on purpose: the name stays held until the process ends.
    return 1;
}
