#pragma once
// The settings document "appConfig.xml" beside the exe. Text is kept as bytes of the ANSI code
// page; pugixml is never asked to convert it. The file itself is opened by its wide name: the
// exe's folder may be named outside the code page.
#include <cstdint>
#include <cstring>
#include <string.h>
#include <string>

#include "pugixml.hpp"

class XMLNode {
public:
    XMLNode() noexcept = default;
    explicit XMLNode(pugi::xml_node node) noexcept : m_node(node) {}
    virtual ~XMLNode() = default;
    XMLNode(const XMLNode&) = default;
    XMLNode& operator=(const XMLNode&) = default;

    bool IsNull() const noexcept { return !m_node; }
    pugi::xml_node Native() const noexcept { return m_node; }

    // First child element named `name`, ignoring case; null when none.
    XMLNode FindChild(const char* name) const;
    // Every child element named `name`, ignoring case, in document order.
    template <class F>
    void ForEachChild(const char* name, F&& visit) const;
    // Appends a child element; null when this node cannot hold one.
    XMLNode AppendChild(const char* name);
    // Removes a child element; false when it is not a child of this node.
    bool RemoveChild(const XMLNode& child);

    // Text of the first attribute named `name` (ignoring case); "" when it has no value, null when absent.
    const char* GetAttributeText(const char* name) const;
    // Sets the first matching attribute, appending one when missing (elements and declarations only).
    bool SetAttributeText(const char* name, const char* text);
    // "%.1f" into a 16-character buffer.
    bool SetAttributeReal(const char* name, double value);
    bool SetAttributeInt(const char* name, long long value);
    bool SetAttributeUInt(const char* name, unsigned long long value);
    // Splits the attribute at ';', parses each piece as ','-separated numbers of the given type and
    // stores pieces with exactly two numbers as pairs; null output only counts. 0 when absent.
    int ParsePointPairs(const char* name, int typeCode, void* output, int maxCount) const;

private:
    pugi::xml_attribute FindAttribute(const char* name) const;
    pugi::xml_node m_node;
};

class XMLParser {
public:
    XMLParser() = default;
    virtual ~XMLParser() = default;
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Reads "appConfig.xml" from the exe's folder; a missing or broken file leaves what the parser built.
    // A file that does not parse completely is first copied untouched beside itself (see
    // LoadFromFile), so the next save cannot cost the operator what came after the damage.
    void LoadConfig();
    // Writes the whole document to "appConfig.xml". The old file is replaced only once the new one
    // is completely on disk, so a failed write never leaves a truncated settings file.
    bool SaveConfig();
    // Same, for an explicit path (tests, tools; the narrow ones in the ANSI code page).
    // A file that exists but does not parse completely is copied byte for byte to
    // "<path>.damaged-<YYYYMMDD-HHMMSS>" before anything else happens; DamagedCopy() then names it.
    void LoadFromFile(const wchar_t* path);
    bool SaveToFile(const wchar_t* path);
    void LoadFromFile(const char* path);
    bool SaveToFile(const char* path);
    void LoadFromMemory(const void* data, size_t size);
    std::string SaveToString() const;

    // The document node; its children are the top-level elements.
    XMLNode Document() noexcept { return XMLNode(m_document); }
    // The "AppConfig" element, looked up afresh; null when missing.
    XMLNode AppConfig() { return Document().FindChild("AppConfig"); }
    static std::wstring ConfigPath();
    // Where the last load kept the damaged file; empty when the file parsed completely (or was
    // missing), or when the copy could not be made.
    const std::wstring& DamagedCopy() const noexcept { return m_damagedCopy; }
    // True when the last load found the file damaged, whether or not the copy succeeded.
    bool LoadedDamaged() const noexcept { return m_loadedDamaged; }

    // Whether the last save to a file failed, with the Win32 error of the failure. A failed save
    // is remembered with its path so that RetryFailedSave can write the same document there once
    // the disk takes it again (the operator's edits then reach the file without a second edit).
    struct SaveHealth {
        bool failing = false;
        uint32_t error = 0;
    };
    SaveHealth LastSave() const noexcept { return m_saveHealth; }
    // Saves again to where the failed save went; true when nothing is pending any more.
    bool RetryFailedSave();

private:
    // Writes the document to path through a sibling temporary file; the Win32 error, or 0.
    unsigned long WriteDocument(const wchar_t* path);
    pugi::xml_document m_document;
    std::wstring m_damagedCopy;
    bool m_loadedDamaged = false;
    SaveHealth m_saveHealth;
    std::wstring m_failedSavePath;
};

extern XMLParser gAppConfig;

template <class F>
void XMLNode::ForEachChild(const char* name, F&& visit) const {
    if (!m_node || !name) return;
    for (pugi::xml_node child = m_node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && _stricmp(child.name(), name) == 0) visit(XMLNode(child));
    }
}
