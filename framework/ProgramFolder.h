#pragma once
// Files beside the executable: the console keeps its settings, configuration, logs and recordings
// there. The console opens them by their wide names; the ANSI form is for paths handed to the
// libraries (see rova::AnsiPath), empty when the folder has none.
#include <string>

std::string ProgramFileA(const char* name);
std::wstring ProgramFileW(const wchar_t* name);
