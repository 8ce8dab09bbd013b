#pragma once
// Files beside the executable: the console keeps its settings, configuration, logs and recordings
// there. ANSI for paths handed to the libraries, wide for the user interface.
#include <string>

std::string ProgramFileA(const char* name);
std::wstring ProgramFileW(const wchar_t* name);
