#pragma once
// What an unhandled exception leaves behind, so a console found gone in the morning can tell why:
// a minidump "Log\ROVA_MTT_Crash_<date-time>.dmp" and a line in "Log\ROVA_MTT_Crash_<date-time>.txt"
// (time, exception code, address, the dump's name). Windows then ends the process; the restart
// registration brings it back.
#include <string>

#include <windows.h>

// Installs the process's unhandled-exception filter writing into logFolder (created when needed).
void InstallCrashReport(const std::wstring& logFolder);

// Writes the dump and the line for the exception; the dump's path, empty when it could not be
// written (the line is still tried).
std::wstring WriteCrashReport(const std::wstring& logFolder, EXCEPTION_POINTERS* exception);
