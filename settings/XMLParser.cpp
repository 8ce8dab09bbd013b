#include "settings/XMLParser.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"

XMLParser gAppConfig;

namespace {
constexpr wchar_t kConfigName[] = L"appConfig.xml";

struct FileWriter : pugi::xml_writer {
    HANDLE file = INVALID_HANDLE_VALUE;
    bool failed = false;
    DWORD error = ERROR_SUCCESS;
    void write(const void* data, size_t size) override {
        DWORD written = 0;
        if (failed) return;
        if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) {
            failed = true;
            error = ::GetLastError();
        } else if (written != size) {
            // A short write without an error is the disk running out of room.
            failed = true;
            error = ERROR_DISK_FULL;
        }
    }
};

// A failure whose error was lost still counts as one.
DWORD Failure(DWORD error) { return error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error; }

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};
}  // namespace

XMLNode XMLNode::FindChild(const char* name) const {
    if (!m_node || !name) return {};
    for (pugi::xml_node child = m_node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && _stricmp(child.name(), name) == 0) return XMLNode(child);
    }
    return {};
}

XMLNode XMLNode::AppendChild(const char* name) {
    if (!m_node || !name) return {};
    return XMLNode(m_node.append_child(name));
}

bool XMLNode::RemoveChild(const XMLNode& child) {
    return m_node && child.m_node && child.m_node.parent() == m_node && m_node.remove_child(child.m_node);
}

pugi::xml_attribute XMLNode::FindAttribute(const char* name) const {
    if (!m_node || !name) return {};
    for (pugi::xml_attribute a = m_node.first_attribute(); a; a = a.next_attribute()) {
        if (_stricmp(a.name(), name) == 0) return a;
    }
    return {};
}

const char* XMLNode::GetAttributeText(const char* name) const {
    pugi::xml_attribute a = FindAttribute(name);
    return a ? a.value() : nullptr;
}

bool XMLNode::SetAttributeText(const char* name, const char* text) {
    if (!m_node || !name) return true;
    pugi::xml_attribute a = FindAttribute(name);
    if (!a) {
        const pugi::xml_node_type type = m_node.type();
        if (type != pugi::node_element && type != pugi::node_declaration) return true;
        a = m_node.append_attribute(name);
    }
    if (a && text) a.set_value(text);
    return true;
}

bool XMLNode::SetAttributeReal(const char* name, double value) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%.1f", value);
    return SetAttributeText(name, buffer);
}

bool XMLNode::SetAttributeInt(const char* name, long long value) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%lld", value);
    return SetAttributeText(name, buffer);
}

bool XMLNode::SetAttributeUInt(const char* name, unsigned long long value) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%llu", value);
    return SetAttributeText(name, buffer);
}

int XMLNode::ParsePointPairs(const char* name, int typeCode, void* output, int maxCount) const {
    if (!m_node || !name || typeCode < 0 || typeCode >= kDigitalTypeCount) return 0;
    const char* text = GetAttributeText(name);
    if (!text) return 0;
    char** pieces = nullptr;
    const int pieceCount = DevideStringByCharListA(text, -1, ";", 1, 0, &pieces, -1);
    const int elementSize = gDigitalTypeSize[typeCode];
    int pairs = 0;
    for (int i = 0; i < pieceCount && (!output || pairs < maxCount); ++i) {
        // Counting first keeps a piece with three numbers from being taken as a pair.
        if (ParseDigitalArrayValue(pieces[i], -1, ",", 1, 0, typeCode, nullptr, -1) != 2) continue;
        if (output) {
            auto* slot = static_cast<unsigned char*>(output) + static_cast<size_t>(pairs) * 2 * elementSize;
            ParseDigitalArrayValue(pieces[i], -1, ",", 1, 0, typeCode, slot, 2);
        }
        ++pairs;
    }
    if (pieces) Internal_DelArrayA(pieces);
    return pairs;
}

std::wstring XMLParser::ConfigPath() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(path, folder, kConfigName);
    return path;
}

void XMLParser::LoadFromMemory(const void* data, size_t size) {
    m_document.reset();
    if (data && size) m_document.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto);
}

namespace {
// Keeps the damaged bytes beside the settings file under a name no later save touches.
std::wstring KeepDamagedCopy(const wchar_t* path, const void* data, size_t size) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    const std::wstring base = std::wstring(path) + L".damaged-" + rova::AnsiToWide(stamp);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring copy = attempt ? base + L"-" + std::to_wstring(attempt) : base;
        HANDLE file = ::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            return {};
        }
        DWORD written = 0;
        const bool ok = ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size &&
                        ::FlushFileBuffers(file);
        ::CloseHandle(file);
        if (ok) return copy;
        ::DeleteFileW(copy.c_str());
        return {};
    }
    return {};
}
}  // namespace

void XMLParser::LoadFromFile(const char* path) { LoadFromFile(rova::AnsiToWide(path).c_str()); }

void XMLParser::LoadFromFile(const wchar_t* path) {
    m_damagedCopy.clear();
    m_loadedDamaged = false;
    if (!path || !*path) return;
    void* block = nullptr;
    const int64_t size = ReadFileDataW(path, &block);
    if (block) {
        const size_t length = size > 0 ? static_cast<size_t>(size) : 0;
        m_document.reset();
        pugi::xml_parse_result result;
        if (length) result = m_document.load_buffer(block, length, pugi::parse_default, pugi::encoding_auto);
        // An empty file is damage too: a power cut during a save leaves one.
        if (!result || !length) {
            m_loadedDamaged = true;
            m_damagedCopy = KeepDamagedCopy(path, block, length);
        }
        ReleaseFileData(block);
    }
}

void XMLParser::LoadConfig() { LoadFromFile(ConfigPath().c_str()); }

std::string XMLParser::SaveToString() const {
    StringWriter writer;
    m_document.save(writer, "\t", pugi::format_default, pugi::encoding_auto);
    return writer.text;
}

bool XMLParser::SaveToFile(const char* path) {
    return path && *path && SaveToFile(rova::AnsiToWide(path).c_str());
}

bool XMLParser::SaveToFile(const wchar_t* path) {
    if (!path || !*path) return false;
    const DWORD error = WriteDocument(path);
    if (error == ERROR_SUCCESS) {
        if (m_saveHealth.failing && m_failedSavePath == path) {
            m_saveHealth = SaveHealth{};
            m_failedSavePath.clear();
        }
        return true;
    }
    m_saveHealth.failing = true;
    m_saveHealth.error = error;
    m_failedSavePath = path;
    return false;
}

bool XMLParser::RetryFailedSave() {
    if (!m_saveHealth.failing) return true;
    const std::wstring path = m_failedSavePath;
    return SaveToFile(path.c_str());
}

unsigned long XMLParser::WriteDocument(const wchar_t* path) {
    // A full disk or a crash mid-write must not cost the operator the settings: write a sibling
    // temporary file and swap it in only when it is complete.
    // A read-only settings file is the operator's decision to keep it; Wine would replace it anyway.
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    const std::wstring temp = std::wstring(path) + L".tmp";
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure(::GetLastError());
    FileWriter writer;
    writer.file = file;
    m_document.save(writer, "\t", pugi::format_default, pugi::encoding_auto);
    // Forced to the disk before the swap: otherwise a power cut can leave the new name pointing at
    // blocks never written.
    DWORD error = writer.failed ? Failure(writer.error) : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(file)) error = Failure(::GetLastError());
    if (!::CloseHandle(file) && error == ERROR_SUCCESS) error = Failure(::GetLastError());
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = Failure(::GetLastError());
    if (error != ERROR_SUCCESS) ::DeleteFileW(temp.c_str());
    return error;
}

bool XMLParser::SaveConfig() { return SaveToFile(ConfigPath().c_str()); }
