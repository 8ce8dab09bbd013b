#pragma once
// The one face the console writes its texts in. "黑体" as designed; a machine without it (an
// English Windows without the Chinese supplemental fonts, a Wine prefix without a font mapping)
// gets the first of the usual Chinese interface faces it has, else the platform's sans-serif
// face: a face GDI+ does not know draws nothing, or boxes.
#include <functional>
#include <string>

// The face for fonts of labels, buttons and balloons. Asks GDI+ once it runs; before that, the
// designed face.
const std::wstring& InterfaceFontFace();

// The first of the candidate faces that `installed` accepts, else `fallback`.
std::wstring ChooseInterfaceFace(const std::function<bool(const wchar_t*)>& installed, const std::wstring& fallback);
