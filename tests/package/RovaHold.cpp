// rova_hold.exe: keeps a program file of an installation busy, as an operator's machine does, so
// the package test can run setup against it.
//   rova_hold run <exe> <flag>   starts <exe> suspended (its image stays mapped, the process runs)
//   rova_hold lock <file> <flag> opens <file> for reading and lets nobody write or delete it
// Writes <flag> once the file is busy and keeps it so until <flag> is removed; then ends the
// program it started or closes the file. Exit code 0, or 1 when the file could not be made busy.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: rova_hold run|lock <file> <flag>\n");
        return 1;
    }
    const bool run = std::wcscmp(argv[1], L"run") == 0;
    HANDLE held = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process{};
    if (run) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(argv[2], nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &startup, &process)) {
            std::fwprintf(stderr, L"rova_hold: cannot start %ls (%lu)\n", argv[2], ::GetLastError());
            return 1;
        }
    } else {
        held = ::CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            std::fwprintf(stderr, L"rova_hold: cannot open %ls (%lu)\n", argv[2], ::GetLastError());
            return 1;
        }
    }
    HANDLE flag = ::CreateFileW(argv[3], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    if (flag != INVALID_HANDLE_VALUE) ::CloseHandle(flag);
    while (::GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES) ::Sleep(100);
    if (run) {
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    } else {
        ::CloseHandle(held);
    }
    return 0;
}
