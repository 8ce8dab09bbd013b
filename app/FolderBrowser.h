#pragma once
// The shell's folder browser as the console uses it for Playback and Save Path: opens on a
// folder, centred over its owner.
#include <windows.h>

// The chosen folder in chosen (MAX_PATH), or false when the operator cancelled. A selection
// without a file-system path comes back as an empty path.
bool BrowseForFolder(HWND owner, const wchar_t* initial, wchar_t* chosen);
