// Texts of the dialog library in English and Simplified Chinese, and the choice between them.
#pragma once

#include <windows.h>

enum class DlgTextId {
    WaitingTitle,
    DetectTitle,
    DetectSearching,
    DetectProbing,      // %ls = port
    DetectFound,        // %ls = port, %ls = description
    DetectNoAnswer,     // %ls = port
    DetectNothingFound,
    DetectNoSources,
    Retry,
    Ok,
    Close,
    Cancel,
    RegisterTitle,
    RegisterDefaults,
    RegisterBadValue,   // %ls = register label, %u = minimum, %u = maximum
    ErrorCaption,
};

class CDlgText {
public:
    // Chinese when the override, else the thread's UI language, else the process's first
    // preferred UI language, else the user's default UI language is a Chinese one.
    static bool IsChinese();
    static void SetOverride(LANGID language);
    static const wchar_t* Get(DlgTextId id);
    static const wchar_t* FontFace();
};
