// Reads the state of the running console's main window for test scripts.
//   rova_probe rect <id> [hwnd]  screen rectangle "left top width height" of control <id> of the main
//                             window, or of the window <hwnd> (a dialog listed by "dialogs"); 0: the window
//   rova_probe text <id>      text of control <id>
//   rova_probe state <id>     "visible enabled checked" as 0/1 of control <id>
//   rova_probe dialogs        one line per other visible top-level window of the console's process:
//                             "<hwnd> <class> <caption> | <static texts>"
//   rova_probe class <hwnd>   class of a window
//   rova_probe endsession     what Windows sends at a logoff: WM_QUERYENDSESSION, then WM_ENDSESSION
//                             when it was granted; prints "granted <ms>" or "refused" (ms: the time
//                             WM_ENDSESSION took)
//   rova_probe resources      "<handles> <gdi objects> <user objects>" of the console's process
//                             (-1 where the system does not count them)
// Exit code 2 when the main window is not found, 3 when the control is not found.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/AnsiText.h"

namespace {

HWND MainWindow() { return ::FindWindowW(L"ROVA_MTT", nullptr); }

void PrintUtf8(const std::wstring& text) {
    const std::string out = rova::WideToUtf8(text);
    fwrite(out.data(), 1, out.size(), stdout);
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[4096] = {};
    // WM_GETTEXT works across processes for the text of any window.
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

struct DialogSearch {
    DWORD process;
    HWND main;
};

BOOL CALLBACK CollectStatics(HWND child, LPARAM param) {
    auto* texts = reinterpret_cast<std::wstring*>(param);
    wchar_t cls[64] = {};
    ::GetClassNameW(child, cls, 64);
    if (_wcsicmp(cls, L"Static") == 0 && ::IsWindowVisible(child)) {
        const std::wstring t = WindowText(child);
        if (!t.empty()) *texts += L" | " + t;
    }
    return TRUE;
}

BOOL CALLBACK PrintDialog(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != search->process || hwnd == search->main || !::IsWindowVisible(hwnd)) return TRUE;
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    std::wstring line = std::to_wstring(reinterpret_cast<uintptr_t>(hwnd)) + L" " + cls + L" " + WindowText(hwnd);
    std::wstring statics;
    ::EnumChildWindows(hwnd, CollectStatics, reinterpret_cast<LPARAM>(&statics));
    line += statics;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    PrintUtf8(line + L"\n");
    return TRUE;
}

// The handle count of the process list's entry for process; -1 when it has none.
long long HandlesFromProcessList(DWORD process) {
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    constexpr int kSystemProcessInformation = 5;
    if (query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) < 0) return -1;
    for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
        if (reinterpret_cast<uintptr_t>(entry->UniqueProcessId) == process)
            return entry->HandleCount ? static_cast<long long>(entry->HandleCount) : -1;
        if (!entry->NextEntryOffset) return -1;
        at += entry->NextEntryOffset;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: rova_probe rect|text|state <id> | dialogs\n");
        return 1;
    }
    const std::wstring command = argv[1];
    HWND main = MainWindow();
    if (!main) return 2;
    if (command == L"dialogs") {
        DialogSearch search{0, main};
        ::GetWindowThreadProcessId(main, &search.process);
        ::EnumWindows(PrintDialog, reinterpret_cast<LPARAM>(&search));
        return 0;
    }
    if (command == L"endsession") {
        DWORD_PTR granted = 0;
        ::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &granted);
        if (!granted) {
            printf("refused\n");
            return 0;
        }
        const ULONGLONG start = ::GetTickCount64();
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &ignored);
        printf("granted %llu\n", ::GetTickCount64() - start);
        return 0;
    }
    if (command == L"resources") {
        DWORD process = 0;
        ::GetWindowThreadProcessId(main, &process);
        HANDLE handle = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process);
        if (!handle) return 2;
        DWORD handles = 0;
        // A running console holds handles; a count of none is a system that does not count them
        // this way, and the process list may count them instead.
        long long handleCount = ::GetProcessHandleCount(handle, &handles) && handles ? static_cast<long long>(handles) : -1;
        if (handleCount < 0) handleCount = HandlesFromProcessList(process);
        const DWORD gdi = ::GetGuiResources(handle, GR_GDIOBJECTS);
        const DWORD user = ::GetGuiResources(handle, GR_USEROBJECTS);
        ::CloseHandle(handle);
        // Zero GDI objects cannot be true of a window that paints: the system does not count them.
        printf("%lld %ld %ld\n", handleCount, gdi ? static_cast<long>(gdi) : -1L, user ? static_cast<long>(user) : -1L);
        return 0;
    }
    if (argc < 3) return 1;
    const int id = _wtoi(argv[2]);
    HWND owner = argc > 3 ? reinterpret_cast<HWND>(static_cast<uintptr_t>(_wcstoui64(argv[3], nullptr, 10))) : main;
    HWND target = id == 0 ? owner : ::GetDlgItem(owner, id);
    if (!target) return 3;
    if (command == L"rect") {
        RECT rc{};
        ::GetWindowRect(target, &rc);
        printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    } else if (command == L"text") {
        PrintUtf8(WindowText(target) + L"\n");
    } else if (command == L"state") {
        DWORD_PTR checked = 0;
        ::SendMessageTimeoutW(target, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
        printf("%d %d %d\n", ::IsWindowVisible(target) ? 1 : 0, ::IsWindowEnabled(target) ? 1 : 0, checked == BST_CHECKED ? 1 : 0);
    } else {
        return 1;
    }
    return 0;
}
