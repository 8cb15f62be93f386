// profile.ini read and written the way the system's private-profile functions do it, for the
// native build, the tests and the command-line tools. Sections and keys compare without
// regard to case, the first match wins (a later section of the same name is never looked
// into, as the system does not), values are trimmed of blanks and of one pair of enclosing
// quotes, and a write changes only its own line: unknown sections, comments and the order
// of everything else stay as they were.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/profile_store.h"

namespace zv {

// Whether an entry can be written as one "key=value" line under "[section]" and be found
// again under the same names: no line breaks or NULs anywhere, no ']' in the section, no
// '=' in the key, neither name empty or padded with blanks, and no key that would read as
// a section header or a comment. A value may be anything without line breaks or NULs
// (blanks around it and enclosing quotes are dropped when it is read, as the system does).
bool isStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

// The text of an INI file, held as its lines.
class IniText {
public:
    IniText() = default;
    explicit IniText(std::string_view text);

    // The value of the first line with this key in the first section of this name; nothing
    // when there is no such line.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    // Replaces the value of the line find() reads, or adds the key at the end of the first
    // section of this name, or adds the section at the end of the text. False (and nothing
    // changed) for an entry isStorableProfileEntry refuses.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    // Section names as first spelled, each once, in order.
    std::vector<std::string> sectionNames() const;
    // Key names of the first section of this name as first spelled, each once, in order.
    std::vector<std::string> keyNames(std::string_view section) const;

    // The lines joined with CR LF, the last one terminated too.
    std::string text() const;

private:
    std::vector<std::string> lines_;
};

class IniProfileStore final : public ProfileStore {
public:
    explicit IniProfileStore(std::string path) : path_(std::move(path)) {}

    // A missing or unreadable file reads as empty.
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const override;
    // Creates the file when missing (its folder must exist). The new text replaces the old
    // file only once it is written whole, and a file that exists but cannot be read is left
    // alone rather than replaced by a file holding this one entry.
    bool setString(std::string_view section, std::string_view key, std::string_view value) override;
    bool contains(std::string_view section, std::string_view key) const override;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zv
