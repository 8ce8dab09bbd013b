#include "DlgText.h"

#include <atomic>
#include <cwchar>

namespace {

std::atomic<LANGID> gOverride{0};

struct Pair {
    const wchar_t* en;
    const wchar_t* zh;
};

const Pair kTexts[] = {
    {L"Please wait", L"请稍候"},
    {L"Detect Device", L"检测设备"},
    {L"Searching for the radar sensor...", L"正在搜索毫米波传感器..."},
    {L"Probing %ls ...", L"正在探测 %ls ..."},
    {L"%ls: %ls found", L"%ls: 找到 %ls"},
    {L"%ls: no answer", L"%ls: 无应答"},
    {L"No radar sensor found.", L"未找到毫米波传感器。"},
    {L"No source to search: connect a sensor or enable the simulated sensor.", L"没有可搜索的设备:请连接传感器或启用模拟传感器。"},
    {L"Search Again", L"重新搜索"},
    {L"OK", L"确定"},
    {L"Close", L"关闭"},
    {L"Cancel", L"取消"},
    {L"Register Settings", L"寄存器参数配置"},
    {L"Defaults", L"默认值"},
    {L"%ls: enter a whole number from %u to %u.", L"%ls: 请输入 %u 到 %u 之间的整数。"},
    {L"Error", L"错误"},
};

bool IsChineseLanguage(LANGID language) {
    return PRIMARYLANGID(language) == LANG_CHINESE;
}

}  // namespace

void CDlgText::SetOverride(LANGID language) {
    gOverride = language;
}

bool CDlgText::IsChinese() {
    if (const LANGID forced = gOverride.load()) return IsChineseLanguage(forced);
    const LANGID thread = GetThreadUILanguage();
    if (thread != GetUserDefaultUILanguage()) return IsChineseLanguage(thread);
    ULONG count = 0, size = 0;
    if (GetProcessPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && count > 0 && size > 0 && size < 512) {
        wchar_t names[512] = {};
        if (GetProcessPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names, &size) && count > 0)
            return wcsncmp(names, L"zh", 2) == 0;
    }
    return IsChineseLanguage(GetUserDefaultUILanguage());
}

const wchar_t* CDlgText::Get(DlgTextId id) {
    const Pair& p = kTexts[static_cast<int>(id)];
    return IsChinese() ? p.zh : p.en;
}

const wchar_t* CDlgText::FontFace() {
    return IsChinese() ? L"\x9ED1\x4F53" : L"MS Shell Dlg";  // 黑体
}
