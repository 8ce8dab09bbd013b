#include "SerialPortList.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

constexpr int kHighestPort = 255;

int PortNumber(const wchar_t* name) {
    if (_wcsnicmp(name, L"COM", 3) != 0) return 0;
    const int n = _wtoi(name + 3);
    return n >= 1 && n <= kHighestPort ? n : 0;
}

void AddRegistered(std::vector<int>& ports) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[64] = {};
        DWORD nameLength = 256, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        const LONG result = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        if (const int n = PortNumber(data)) ports.push_back(n);
    }
    RegCloseKey(key);
}

bool Exists(int port) {
    wchar_t name[32];
    swprintf(name, 32, L"\\\\.\\COM%d", port);
    HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return true;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_BUSY;
}

}  // namespace

std::vector<int> CSerialPortList::Enumerate() {
    std::vector<int> ports;
    AddRegistered(ports);
    for (int port = 1; port <= kHighestPort; ++port) {
        if (std::find(ports.begin(), ports.end(), port) == ports.end() && Exists(port)) ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}
