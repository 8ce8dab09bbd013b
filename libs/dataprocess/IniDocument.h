// A strict reader of INI text: "[Section]" headers, "key=value" lines, blank lines and full-line
// comments (';' or '#'). Anything else, a key before the first section, or a NUL byte makes the
// text malformed. Values are taken verbatim (trimmed), so paths may contain ';'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CIniDocument {
public:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    // Replaces the content with text. False (content emptied) when the text is malformed;
    // error then names the line.
    bool Parse(std::string_view text, std::string* error = nullptr);

    const std::vector<Section>& Sections() const { return sections_; }
    // Value of key in section (both case-insensitive), null when absent.
    const std::string* Find(std::string_view section, std::string_view key) const;

    static bool EqualNoCase(std::string_view a, std::string_view b);

private:
    std::vector<Section> sections_;
};
