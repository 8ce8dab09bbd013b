#include "IniDocument.h"

#include <cctype>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

bool CIniDocument::EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool CIniDocument::Parse(std::string_view text, std::string* error) {
    sections_.clear();
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos) {
        if (error) *error = "binary content";
        return false;
    }
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                if (error) *error = "bad section header in line " + std::to_string(lineNumber);
                sections_.clear();
                return false;
            }
            sections_.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        size_t equals = line.find('=');
        std::string_view key = equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
        if (key.empty() || sections_.empty()) {
            if (error) *error = "not a key=value line in line " + std::to_string(lineNumber);
            sections_.clear();
            return false;
        }
        sections_.back().entries.push_back({std::string(key), std::string(Trim(line.substr(equals + 1)))});
    }
    return true;
}

const std::string* CIniDocument::Find(std::string_view section, std::string_view key) const {
    for (const Section& s : sections_) {
        if (!EqualNoCase(s.name, section)) continue;
        for (const Entry& e : s.entries) {
            if (EqualNoCase(e.key, key)) return &e.value;
        }
    }
    return nullptr;
}
