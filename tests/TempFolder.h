#pragma once
// A fresh folder per test, removed afterwards, so tests never share files.
#include <windows.h>

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        static unsigned counter = 0;
        path_ = std::wstring(base) + L"rova_test_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                std::to_wstring(++counter);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::string fileA(const std::string& name) const { return narrow(path_) + "\\" + name; }
    static std::string narrow(const std::wstring& w) {
        std::string s(w.size() * 2 + 1, '\0');
        int n = ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
        s.resize(n > 0 ? n - 1 : 0);
        return s;
    }

    // Names of the files and folders in the sub-folder name (empty when it does not exist).
    std::vector<std::wstring> list(const std::wstring& name) const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = ::FindFirstFileW((file(name) + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0) names.push_back(fd.cFileName);
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
        return names;
    }

    // Removes dir and everything in it.
    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW fd;
        HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring full = dir + L"\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full);
                } else {
                    ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileW(full.c_str());
                }
            } while (::FindNextFileW(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryW(dir.c_str());
    }

private:
    std::wstring path_;
};
