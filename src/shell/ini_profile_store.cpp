#include "shell/ini_profile_store.h"

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "base/file_io.h"

namespace zv {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool hasLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

enum class LineKind : uint8_t { Other, Section, Key };

struct Line {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // key lines: trimmed, one pair of enclosing quotes dropped
};

Line classify(std::string_view text, bool first) {
    // An editor may have saved the file with a UTF-8 byte-order mark.
    if (first && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string_view t = trim(text);
    Line line;
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        const size_t close = t.find(']');
        line.kind = LineKind::Section;
        line.name = trim(t.substr(1, close == t.npos ? t.npos : close - 1));
        return line;
    }
    const size_t eq = t.find('=');
    if (eq == t.npos) return line;
    line.kind = LineKind::Key;
    line.name = trim(t.substr(0, eq));
    std::string_view v = trim(t.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    line.value = v;
    return line;
}

}  // namespace

bool isStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || trim(section).size() != section.size()) return false;
    if (key.empty() || trim(key).size() != key.size()) return false;
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(key) || hasLineBreakOrNul(value)) return false;
    if (section.find(']') != section.npos) return false;
    if (key.find('=') != key.npos || key.front() == '[' || key.front() == ';') return false;
    return true;
}

IniText::IniText(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        if (nl == text.npos) nl = text.size();
        std::string_view line = text.substr(at, nl - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        at = nl + 1;
    }
}

namespace {

// The lines of the first section of this name, after its header: [begin, end). Like the
// system, the program never looks into a later section of the same name.
struct SectionLines {
    bool found = false;
    size_t begin = 0;
    size_t end = 0;
};

SectionLines firstSection(const std::vector<std::string>& lines, std::string_view section) {
    SectionLines s;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line line = classify(lines[i], i == 0);
        if (line.kind != LineKind::Section) continue;
        if (s.found) {
            s.end = i;
            return s;
        }
        if (equalNoCase(line.name, section)) {
            s.found = true;
            s.begin = i + 1;
        }
    }
    s.end = lines.size();
    return s;
}

}  // namespace

std::optional<std::string> IniText::find(std::string_view section, std::string_view key) const {
    const SectionLines s = firstSection(lines_, section);
    if (!s.found) return std::nullopt;
    for (size_t i = s.begin; i < s.end; ++i) {
        const Line line = classify(lines_[i], false);
        if (line.kind == LineKind::Key && equalNoCase(line.name, key)) return std::string(line.value);
    }
    return std::nullopt;
}

bool IniText::set(std::string_view section, std::string_view key, std::string_view value) {
    if (!isStorableProfileEntry(section, key, value)) return false;
    const SectionLines s = firstSection(lines_, section);
    if (!s.found) {
        if (!lines_.empty() && !trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return true;
    }
    // After the section's last non-blank line, so that a blank line before the next section
    // stays where it is.
    size_t insertAt = s.begin;
    for (size_t i = s.begin; i < s.end; ++i) {
        const Line line = classify(lines_[i], false);
        if (line.kind == LineKind::Key && equalNoCase(line.name, key)) {
            // Keep the key as the file spells it, and whatever stood before it on the line.
            std::string& text = lines_[i];
            text.resize(text.find('=') + 1);
            text += value;
            return true;
        }
        if (!trim(lines_[i]).empty()) insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::string(key) + "=" + std::string(value));
    return true;
}

std::vector<std::string> IniText::sectionNames() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line line = classify(lines_[i], i == 0);
        if (line.kind != LineKind::Section) continue;
        bool seen = false;
        for (const std::string& n : names) seen = seen || equalNoCase(n, line.name);
        if (!seen) names.emplace_back(line.name);
    }
    return names;
}

std::vector<std::string> IniText::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    const SectionLines s = firstSection(lines_, section);
    if (!s.found) return names;
    for (size_t i = s.begin; i < s.end; ++i) {
        const Line line = classify(lines_[i], false);
        if (line.kind != LineKind::Key) continue;
        bool seen = false;
        for (const std::string& n : names) seen = seen || equalNoCase(n, line.name);
        if (!seen) names.emplace_back(line.name);
    }
    return names;
}

std::string IniText::text() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {

// The file's text; an absent file is an empty text, any other failure is nothing.
std::optional<IniText> readIni(const std::string& path) {
    FileImage image;
    errno = 0;
    if (!readWholeFile(path, image)) {
        if (errno == ENOENT) return IniText{};
        return std::nullopt;
    }
    return IniText(std::string_view(reinterpret_cast<const char*>(image.bytes.get()), image.size));
}

}  // namespace

std::string IniProfileStore::getString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
    const std::optional<IniText> ini = readIni(path_);
    if (!ini) return std::string(defaultValue);
    std::optional<std::string> value = ini->find(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

bool IniProfileStore::contains(std::string_view section, std::string_view key) const {
    const std::optional<IniText> ini = readIni(path_);
    return ini && ini->find(section, key).has_value();
}

bool IniProfileStore::setString(std::string_view section, std::string_view key, std::string_view value) {
    std::optional<IniText> ini = readIni(path_);
    if (!ini || !ini->set(section, key, value)) return false;
    const std::string text = ini->text();
    // writeWholeFile writes beside the file and renames over it: a full disk or a crash
    // half-way leaves the old settings, never a truncated file.
    if (failed(writeWholeFile(path_, reinterpret_cast<const uint8_t*>(text.data()), text.size()))) return false;
    return true;
}

}  // namespace zv
