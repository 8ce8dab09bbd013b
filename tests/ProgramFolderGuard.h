#pragma once
// The console keeps appConfig.xml, Log and SaveData beside the exe. A test that runs the real
// dialog in the build's bin folder holds one of these: what the dialog made there goes again.
#include <windows.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "framework/ProgramFolder.h"

class ProgramFolderGuard {
public:
    ProgramFolderGuard() {
        for (const wchar_t* name : {L"appConfig.xml", L"Log", L"SaveData"}) {
            std::wstring path = ProgramFileW(name);
            if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) made_.push_back(std::move(path));
        }
    }
    ~ProgramFolderGuard() {
        for (const std::wstring& path : made_) {
            const DWORD attributes = ::GetFileAttributesW(path.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) continue;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                TempFolder::RemoveTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        }
    }
    ProgramFolderGuard(const ProgramFolderGuard&) = delete;
    ProgramFolderGuard& operator=(const ProgramFolderGuard&) = delete;

private:
    std::vector<std::wstring> made_;
};
