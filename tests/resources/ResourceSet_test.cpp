// Checks the linked resource script: every id the console loads exists in English and in
// Simplified Chinese, with the exact texts, layouts and list items, and the artwork decodes.
#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <cstring>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "res/resource.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);             // 1033
constexpr LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);     // 2052
constexpr LANGID kLanguages[] = {kEnglish, kChinese};

constexpr UINT kStringIds[] = {
    IDS_ABOUTBOX, IDS_SOCKETS_INIT_FAILED, IDS_ERROR, IDS_PROMPT, IDS_ABOUT_TITLE, IDS_ABOUT_TEXT,
    IDS_LOAD_CONFIG_FAILED, IDS_CONFIG_NOT_LOADED, IDS_SETTINGS_DAMAGED, IDS_SETTINGS_DAMAGED_NO_COPY, IDS_FOLDER_WITHOUT_ANSI_NAME, IDS_COM_DEVICE_DETECTED, IDS_LIBUSB_DEVICE_DETECTED,
    IDS_ORBEL2_DEVICE_DETECTED, IDS_ORBEL4_DEVICE_DETECTED, IDS_USB_ADAPTER_DETECTED,
    IDS_NO_DEVICE_DETECTED, IDS_STARTING_SENSOR, IDS_START_DEVICE_FAILED, IDS_TARGET_INFO_FORMAT,
    IDS_LINK_SOURCE_SERIAL, IDS_LINK_SOURCE_SIMULATED, IDS_LINK_SOURCE_FILE, IDS_LINK_STREAMING, IDS_LINK_STALE,
    IDS_LINK_RECONNECTING, IDS_LINK_NO_DATA_LABEL, IDS_WRITE_FAILED, IDS_WRITE_WHAT_RESULTS, IDS_WRITE_WHAT_ZONES,
    IDS_WRITE_WHAT_EVENTS, IDS_WRITE_WHAT_RECORDING, IDS_WRITE_WHAT_SETTINGS, IDS_WRITE_WHY_DISK_FULL,
    IDS_WRITE_WHY_NOT_WRITABLE, IDS_WRITE_WHY_ERROR, IDS_LIGHT_LOST, IDS_RECORDING_PAUSED_LOW_SPACE,
    IDS_AUTOSTART_WAITING, IDS_AUTOSTART_NO_SOURCE, IDS_TIMELINE_STEP, IDS_TIMELINE_LOOP, IDS_TIMELINE_FASTEST,
    IDS_TIMELINE_MARK_ENTRY, IDS_TIMELINE_MARK_EXIT};

constexpr UINT kFaceIds[] = {187, 188, 189, 190, 191, 193, 194, 195, 196, 197, 198, 199,
                             200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210};

std::span<const BYTE> FindBytes(LPCWSTR type, UINT id, LANGID lang) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), lang);
    if (!info) return {};
    HGLOBAL data = ::LoadResource(module, info);
    const void* bytes = data ? ::LockResource(data) : nullptr;
    if (!bytes) return {};
    return {static_cast<const BYTE*>(bytes), ::SizeofResource(module, info)};
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR out) {
    reinterpret_cast<std::set<LANGID>*>(out)->insert(lang);
    return TRUE;
}

// The languages a resource exists in, by exact language (no fallback as with FindResourceEx).
std::set<LANGID> LanguagesOf(LPCWSTR type, UINT id) {
    std::set<LANGID> langs;
    ::EnumResourceLanguagesW(::GetModuleHandleW(nullptr), type, MAKEINTRESOURCEW(id), CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&langs));
    return langs;
}

// A string table entry in one language; nullopt-like empty with found=false when absent.
struct Text {
    bool found = false;
    std::wstring value;
};

Text LoadText(UINT id, LANGID lang) {
    auto block = FindBytes(RT_STRING, id / 16 + 1, lang);
    if (block.empty()) return {};
    const auto* p = reinterpret_cast<const WCHAR*>(block.data());
    const auto* end = p + block.size() / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
    if (p >= end || *p == 0 || p + 1 + *p > end) return {};
    return {true, std::wstring(p + 1, *p)};
}

std::wstring FromUtf8(std::string_view s) {
    std::wstring w(s.size(), L'\0');
    int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                                  w.data(), static_cast<int>(w.size()));
    w.resize(n > 0 ? n : 0);
    return w;
}

// ---- Dialog templates (DLGTEMPLATEEX) -------------------------------------------------------

struct DialogItem {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring className;  // "#128" style for an atom
    std::wstring text;
};

struct Dialog {
    bool valid = false;
    DWORD style = 0, exStyle = 0;
    short cx = 0, cy = 0;
    std::wstring className, caption, font;
    WORD pointSize = 0, weight = 0;
    std::vector<DialogItem> items;
};

class Reader {
public:
    explicit Reader(std::span<const BYTE> bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    template <class T> T Get() {
        T v{};
        if (pos_ + sizeof(T) > bytes_.size()) { ok_ = false; return v; }
        std::memcpy(&v, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }
    std::wstring String() {
        std::wstring s;
        for (WCHAR c = Get<WCHAR>(); ok_ && c; c = Get<WCHAR>()) s.push_back(c);
        return s;
    }
    // sz_Or_Ord: 0 = none, 0xFFFF + ordinal, else a string.
    std::wstring StringOrOrdinal() {
        WORD first = Get<WORD>();
        if (first == 0) return {};
        if (first == 0xFFFF) return L"#" + std::to_wstring(Get<WORD>());
        std::wstring s(1, static_cast<WCHAR>(first));
        return s + String();
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
    void Skip(size_t n) { pos_ += n; if (pos_ > bytes_.size()) ok_ = false; }

private:
    std::span<const BYTE> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

Dialog ParseDialog(UINT id, LANGID lang) {
    Dialog d;
    Reader r(FindBytes(RT_DIALOG, id, lang));
    if (r.Get<WORD>() != 1 || r.Get<WORD>() != 0xFFFF) return d;
    r.Get<DWORD>();  // help id
    d.exStyle = r.Get<DWORD>();
    d.style = r.Get<DWORD>();
    WORD count = r.Get<WORD>();
    r.Get<short>();
    r.Get<short>();
    d.cx = r.Get<short>();
    d.cy = r.Get<short>();
    r.StringOrOrdinal();  // menu
    d.className = r.StringOrOrdinal();
    d.caption = r.String();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.Get<WORD>();
        d.weight = r.Get<WORD>();
        r.Get<BYTE>();
        r.Get<BYTE>();
        d.font = r.String();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignDword();
        DialogItem item;
        r.Get<DWORD>();  // help id
        r.Get<DWORD>();  // extended style
        item.style = r.Get<DWORD>();
        item.x = r.Get<short>();
        item.y = r.Get<short>();
        item.cx = r.Get<short>();
        item.cy = r.Get<short>();
        item.id = r.Get<DWORD>();
        item.className = r.StringOrOrdinal();
        item.text = r.StringOrOrdinal();
        r.Skip(r.Get<WORD>());
        d.items.push_back(item);
    }
    d.valid = r.ok();
    return d;
}

const DialogItem* FindItem(const Dialog& d, int id) {
    auto it = std::find_if(d.items.begin(), d.items.end(),
                           [id](const DialogItem& i) { return static_cast<int>(i.id) == id; });
    return it == d.items.end() ? nullptr : &*it;
}

// ---- PNG artwork -----------------------------------------------------------------------------

struct PngHeader {
    bool valid = false;
    UINT width = 0, height = 0;
    BYTE colorType = 0;
};

PngHeader ReadPngHeader(std::span<const BYTE> b) {
    static constexpr BYTE kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader h;
    if (b.size() < 33 || std::memcmp(b.data(), kSignature, 8) != 0 || std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return h;
    auto be32 = [&](size_t at) { return UINT(b[at]) << 24 | UINT(b[at + 1]) << 16 | UINT(b[at + 2]) << 8 | b[at + 3]; };
    h.width = be32(16);
    h.height = be32(20);
    h.colorType = b[25];
    h.valid = true;
    return h;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

struct StreamRelease {
    void operator()(IStream* s) const { s->Release(); }
};

std::unique_ptr<Gdiplus::Bitmap> DecodePng(std::span<const BYTE> bytes) {
    std::unique_ptr<IStream, StreamRelease> stream(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return bitmap;
}

BYTE AlphaAt(Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return c.GetAlpha();
}

std::wstring Describe(LANGID lang) { return lang == kEnglish ? L"1033" : L"2052"; }

// ---- Presence in both languages ---------------------------------------------------------------

TEST(ResourcePresence, EveryStringExistsInBothLanguages) {
    for (LANGID lang : kLanguages)
        for (UINT id : kStringIds)
            EXPECT_TRUE(LoadText(id, lang).found) << "string " << id << " language " << lang;
}

TEST(ResourcePresence, EveryDialogAndPngExistsExactlyInBothLanguages) {
    struct Entry {
        LPCWSTR type;
        UINT id;
    };
    std::vector<Entry> entries = {{RT_DIALOG, IDD_ROVA_MTT_DIALOG}, {RT_DIALOG, IDD_AREA_MONITOR_DIALOG},
                                  {RT_DIALOG, IDD_CONFIG_DIALOG},   {MAKEINTRESOURCEW(RT_DLGINIT), IDD_CONFIG_DIALOG},
                                  {RT_DIALOG, IDD_NOTICE_DIALOG},
                                  {L"PNG", IDB_TITLE_SINGLE},       {L"PNG", IDB_TITLE_MULTI},
                                  {L"PNG", IDB_CLOSE}};
    for (UINT id : kFaceIds) entries.push_back({L"PNG", id});
    for (UINT id : kStringIds) entries.push_back({RT_STRING, id / 16 + 1});
    for (const Entry& e : entries) {
        std::set<LANGID> langs = LanguagesOf(e.type, e.id);
        EXPECT_TRUE(langs.count(kEnglish)) << "resource " << e.id << " lacks English";
        EXPECT_TRUE(langs.count(kChinese)) << "resource " << e.id << " lacks Chinese";
    }
    EXPECT_TRUE(LanguagesOf(L"PNG", 192).empty()) << "192 is not part of the face set";
}

TEST(ResourcePresence, IconManifestAndVersionAreLinked) {
    auto group = FindBytes(RT_GROUP_ICON, IDI_ROVA_MTT, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_GE(group.size(), 6u);
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, sizeof count);
    std::set<int> sizes;
    for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= group.size(); ++i) {
        BYTE w = group[6 + 14 * i];
        sizes.insert(w == 0 ? 256 : w);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));

    auto manifest = FindBytes(RT_MANIFEST, 1, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"amd64\""), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);

    WCHAR exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_GT(::GetFileVersionInfoSizeW(exe, nullptr), 0u);
}

// ---- Texts -----------------------------------------------------------------------------------

TEST(StringTexts, ExactTextsInBothLanguages) {
    struct Case {
        UINT id;
        std::wstring_view english;
        const char* chineseUtf8;
    };
    const Case cases[] = {
        {101, L"About(&A)...", "关于(&A)..."},
        {60000, L"Error", "错误"},
        {60101, L"Please Load Config. File", "请先加载配置文件"},
        {60103, L"COM Device Detected", "检测到串口设备"},
        {60104, L"LibUSB Device Detected", "检测到LibUSB设备"},
        {60105, L"Orbel2 Device Detected", "检测到Orbel2设备"},
        {60106, L"Orbel4 Device Detected", "检测到Orbel4设备"},
        {60107, L"USB Adapter Detected", "检测到USB转接板"},
        {60108, L"No Device Detected", "未检测到设备"},
        {60200, L"Starting Radar Sensor\u2026", "正在启动毫米波传感器..."},
        {60201, L"Fail to Start Device", "设备打开失败"},
        {60300, L"Object%s Information\r\ndistance:%5.2f m\r\nangle:%+5.1f \u00b0\r\nvelocity:%+6.2f m/s",
         "目标%s信息\r\n距离:%5.2f m\r\n角度:%+5.1f °\r\n速度:%+6.2f m/s"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadText(c.id, kEnglish).value, c.english) << "string " << c.id;
        EXPECT_EQ(LoadText(c.id, kChinese).value, FromUtf8(c.chineseUtf8)) << "string " << c.id;
    }
    EXPECT_EQ(LoadText(60100, kEnglish).value, L"Fail to Load Config. File");
    EXPECT_EQ(LoadText(60002, kEnglish).value, L"Prompt");
    EXPECT_EQ(LoadText(102, kEnglish).value, L"Windows socket init. failed.");
}

TEST(StringTexts, TargetInformationFormatsAsFourLines) {
    for (LANGID lang : kLanguages) {
        std::wstring format = LoadText(IDS_TARGET_INFO_FORMAT, lang).value;
        WCHAR out[256] = {};
        swprintf(out, 256, format.c_str(), L"", 1.5, -12.34, 0.5);
        std::wstring s(out);
        EXPECT_NE(s.find(L" 1.50 m\r\n"), std::wstring::npos) << Describe(lang);
        EXPECT_NE(s.find(L"-12.3 \u00b0\r\n"), std::wstring::npos) << Describe(lang);
        EXPECT_NE(s.find(L" +0.50 m/s"), std::wstring::npos) << Describe(lang);
        EXPECT_EQ(std::count(s.begin(), s.end(), L'\n'), 3) << Describe(lang);
    }
}

// ---- Dialog templates ---------------------------------------------------------------------------

TEST(DialogTemplates, MainWindowLayoutIsTheSameInBothLanguages) {
    struct Control {
        int id;
        short x, y, cx, cy;
        bool checkButton, visible;
    };
    const Control controls[] = {
        {IDC_STATIC_TITLE, 3, 0, 144, 16, false, true},       {IDC_BTN_CLOSE, 408, 0, 13, 13, false, true},
        {IDC_BTN_PAUSE, 366, 0, 38, 13, true, false},         {IDC_BTN_DETECT_DEVICE, 3, 20, 62, 20, false, true},
        {IDC_BTN_START, 3, 44, 62, 20, true, true},           {IDC_BTN_AREA_MONITOR, 3, 69, 62, 20, false, true},
        {IDC_BTN_MODE_SWITCH, 3, 94, 62, 20, true, true},     {IDC_BTN_PLAYBACK, 3, 119, 62, 20, true, true},
        {IDC_BTN_SAVE_DATA, 3, 144, 62, 20, true, true},      {IDC_BTN_SAVE_PATH, 3, 169, 62, 20, false, true},
        {IDC_STATIC_TARGET, 69, 17, 351, 39, false, true},    {IDC_STATIC_TARGET1, 69, 17, 115, 39, false, true},
        {IDC_STATIC_TARGET2, 188, 17, 115, 39, false, true},  {IDC_STATIC_TARGET3, 306, 17, 115, 39, false, true},
        {IDC_TARGET_VIEW, 69, 59, 352, 178, false, true},
        // Right of the title, clear of the (hidden) Pause button and of Close.
        {IDC_STATIC_LINK_STATUS, 150, 2, 212, 12, false, true},
    };
    for (LANGID lang : kLanguages) {
        Dialog d = ParseDialog(IDD_ROVA_MTT_DIALOG, lang);
        ASSERT_TRUE(d.valid) << Describe(lang);
        EXPECT_EQ(d.className, L"ROVA_MTT");
        EXPECT_EQ(d.font, FromUtf8("黑体"));
        EXPECT_EQ(d.pointSize, 9);
        EXPECT_EQ(d.weight, 400);
        EXPECT_EQ(d.cx, 423);
        EXPECT_EQ(d.cy, 240);
        EXPECT_EQ(d.style & (WS_POPUP | WS_VISIBLE | DS_CENTER | DS_SETFONT), DWORD(WS_POPUP | WS_VISIBLE | DS_CENTER | DS_SETFONT));
        EXPECT_EQ(d.style & WS_CAPTION, 0u) << "the main window is borderless";
        EXPECT_TRUE(d.exStyle & WS_EX_APPWINDOW);
        EXPECT_EQ(d.items.size(), std::size(controls));
        for (const Control& c : controls) {
            const DialogItem* item = FindItem(d, c.id);
            ASSERT_NE(item, nullptr) << "control " << c.id << " language " << Describe(lang);
            EXPECT_EQ((std::array{item->x, item->y, item->cx, item->cy}), (std::array{c.x, c.y, c.cx, c.cy})) << c.id;
            DWORD type = item->style & BS_TYPEMASK;
            if (item->className == L"#128") {
                EXPECT_EQ(c.checkButton, type == BS_AUTOCHECKBOX && (item->style & BS_PUSHLIKE)) << c.id;
            }
            EXPECT_EQ(c.visible, (item->style & WS_VISIBLE) != 0) << c.id;
        }
        EXPECT_TRUE(FindItem(d, IDC_TARGET_VIEW)->style & SS_NOTIFY);
        EXPECT_TRUE(FindItem(d, IDC_TARGET_VIEW)->style & WS_BORDER);
    }
}

TEST(DialogTemplates, AreaMonitorAndParameterDialogsPerLanguage) {
    struct Case {
        UINT dialog;
        LANGID lang;
        short cx, cy;
        const char* captionUtf8;
        size_t itemCount;
        int probeId;
        short probeX, probeY;
        const char* probeTextUtf8;
    };
    const Case cases[] = {
        {IDD_AREA_MONITOR_DIALOG, kEnglish, 142, 109, "Area Monitor", 13, IDC_BTN_CLEAR_LIGHT_AREA, 73, 69, "Clear Light Area"},
        {IDD_AREA_MONITOR_DIALOG, kChinese, 142, 109, "区域监控", 13, IDC_BTN_CLEAR_LIGHT_AREA, 72, 70, "移除所有亮灯区"},
        {IDD_CONFIG_DIALOG, kEnglish, 137, 62, "Parameter Setting", 5, IDOK, 97, 44, "Save"},
        {IDD_CONFIG_DIALOG, kChinese, 137, 59, "参数配置", 5, IDOK, 97, 40, "保存"},
        {IDD_CONFIG_DIALOG, kEnglish, 137, 62, "Parameter Setting", 5, IDC_CHECK_AUTO_START, 4, 22,
         "Start monitoring when the console starts"},
        {IDD_CONFIG_DIALOG, kChinese, 137, 59, "参数配置", 5, IDC_CHECK_AUTO_START, 4, 25, "控制台启动时开始监测"},
        {IDD_NOTICE_DIALOG, kEnglish, 300, 86, "Prompt", 2, IDOK, 124, 66, "OK"},
        {IDD_NOTICE_DIALOG, kChinese, 300, 86, "提示", 2, IDOK, 124, 66, "确定"},
    };
    for (const Case& c : cases) {
        Dialog d = ParseDialog(c.dialog, c.lang);
        ASSERT_TRUE(d.valid) << c.dialog << " " << Describe(c.lang);
        EXPECT_EQ(d.cx, c.cx);
        EXPECT_EQ(d.cy, c.cy);
        EXPECT_EQ(d.caption, FromUtf8(c.captionUtf8));
        EXPECT_EQ(d.font, FromUtf8("黑体"));
        EXPECT_EQ(d.pointSize, 9);
        EXPECT_EQ(d.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER),
                  DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER));
        EXPECT_EQ(d.style & WS_VISIBLE, 0u) << "created hidden";
        EXPECT_EQ(d.items.size(), c.itemCount);
        const DialogItem* probe = FindItem(d, c.probeId);
        ASSERT_NE(probe, nullptr);
        EXPECT_EQ(probe->x, c.probeX);
        EXPECT_EQ(probe->y, c.probeY);
        EXPECT_EQ(probe->text, FromUtf8(c.probeTextUtf8));
    }
    for (LANGID lang : kLanguages) {
        Dialog area = ParseDialog(IDD_AREA_MONITOR_DIALOG, lang);
        for (int id = IDC_EDIT_GATE_MIN; id <= IDC_BTN_DEL_DETECT_AREA; ++id)
            EXPECT_NE(FindItem(area, id), nullptr) << id << " " << Describe(lang);
        EXPECT_TRUE(FindItem(area, IDC_STATIC_INACTIVE_COLOR)->style & SS_NOTIFY);
        EXPECT_TRUE(FindItem(area, IDC_EDIT_GATE_MIN)->style & ES_AUTOHSCROLL);
        Dialog config = ParseDialog(IDD_CONFIG_DIALOG, lang);
        const DialogItem* list = FindItem(config, IDC_COMBO_ALGORITHM);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->style & 3u, DWORD(CBS_DROPDOWNLIST));
        ASSERT_NE(FindItem(config, IDOK), nullptr);
        EXPECT_EQ(FindItem(config, IDOK)->style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
        ASSERT_NE(FindItem(config, IDC_CHECK_AUTO_START), nullptr);
        EXPECT_EQ(FindItem(config, IDC_CHECK_AUTO_START)->style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX));
        Dialog notice = ParseDialog(IDD_NOTICE_DIALOG, lang);
        ASSERT_NE(FindItem(notice, IDC_STATIC_NOTICE_TEXT), nullptr) << Describe(lang);
    }
}

// Items of the algorithm list, read the way the dialog fills its combo box.
std::vector<std::wstring> AlgorithmItems(LANGID lang) {
    std::vector<std::wstring> items;
    Reader r(FindBytes(MAKEINTRESOURCEW(RT_DLGINIT), IDD_CONFIG_DIALOG, lang));
    for (WORD control = r.Get<WORD>(); r.ok() && control != 0; control = r.Get<WORD>()) {
        WORD message = r.Get<WORD>();
        DWORD size = r.Get<DWORD>();
        std::string bytes;
        for (DWORD i = 0; i < size && r.ok(); ++i) bytes.push_back(static_cast<char>(r.Get<BYTE>()));
        if (control != IDC_COMBO_ALGORITHM || message != DLGINIT_CB_ADDSTRING || bytes.empty() || bytes.back() != '\0')
            return {};
        bytes.pop_back();
        items.push_back(FromUtf8(bytes));
    }
    return r.ok() ? items : std::vector<std::wstring>{};
}

TEST(DialogTemplates, AlgorithmListItemsInIndexOrder) {
    EXPECT_EQ(AlgorithmItems(kEnglish), (std::vector<std::wstring>{L"PC MTT", L"PC MOD", L"MCU MTT", L"MCU MTT2"}));
    EXPECT_EQ(AlgorithmItems(kChinese), (std::vector<std::wstring>{FromUtf8("上位机MTT"), FromUtf8("上位机MOD"),
                                                                   FromUtf8("下位机MTT"), FromUtf8("下位机MTT2")}));
}

// ---- Artwork ---------------------------------------------------------------------------------

TEST(Artwork, FacesDecodeWithTransparentCornersAndLanguageCaptions) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.ok());
    for (UINT id : kFaceIds) {
        for (LANGID lang : kLanguages) {
            auto bytes = FindBytes(L"PNG", id, lang);
            PngHeader h = ReadPngHeader(bytes);
            ASSERT_TRUE(h.valid) << id << " " << Describe(lang);
            EXPECT_NEAR(h.width, 786u, 40u) << id;
            EXPECT_NEAR(h.height, 252u, 20u) << id;
            auto bitmap = DecodePng(bytes);
            ASSERT_NE(bitmap, nullptr) << id << " " << Describe(lang);
            const int w = static_cast<int>(bitmap->GetWidth()), hgt = static_cast<int>(bitmap->GetHeight());
            EXPECT_EQ(AlphaAt(*bitmap, 0, 0), 0) << id << ": corners let the window colour through";
            EXPECT_EQ(AlphaAt(*bitmap, w - 1, hgt - 1), 0) << id;
            EXPECT_EQ(AlphaAt(*bitmap, w / 2, hgt / 2), 255) << id << ": the face itself is opaque";
        }
        auto english = FindBytes(L"PNG", id, kEnglish), chinese = FindBytes(L"PNG", id, kChinese);
        EXPECT_FALSE(std::equal(english.begin(), english.end(), chinese.begin(), chinese.end()))
            << id << ": the caption is drawn in each language";
    }
}

TEST(Artwork, TitlesAndCloseButton) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.ok());
    for (LANGID lang : kLanguages) {
        for (UINT id : {IDB_TITLE_SINGLE, IDB_TITLE_MULTI}) {
            auto bytes = FindBytes(L"PNG", id, lang);
            PngHeader h = ReadPngHeader(bytes);
            ASSERT_TRUE(h.valid) << id;
            // The title label is 144 x 16 dialog units and stretches the image over it.
            EXPECT_NEAR(static_cast<double>(h.width) / h.height, 9.0, 0.5) << id;
            auto bitmap = DecodePng(bytes);
            ASSERT_NE(bitmap, nullptr) << id;
            EXPECT_EQ(AlphaAt(*bitmap, 0, 0), 255) << id << ": the label draws no backdrop under it";
        }
        auto single = FindBytes(L"PNG", IDB_TITLE_SINGLE, lang), multi = FindBytes(L"PNG", IDB_TITLE_MULTI, lang);
        EXPECT_FALSE(std::equal(single.begin(), single.end(), multi.begin(), multi.end()));

        auto close = FindBytes(L"PNG", IDB_CLOSE, lang);
        PngHeader h = ReadPngHeader(close);
        ASSERT_TRUE(h.valid);
        EXPECT_EQ(h.width, 30u);
        EXPECT_EQ(h.height, 30u);
        auto bitmap = DecodePng(close);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(AlphaAt(*bitmap, 0, 0), 0);
        EXPECT_EQ(AlphaAt(*bitmap, 15, 15), 255);
    }
}

}  // namespace
