// profile.ini is outside input: a user or another program may have written anything into
// it. The input is the file's text; its last line, when it has two '=' after a '[', names
// an entry to write. Checked: every key found reads the same after any write to another
// key and after the text is written out and read again, and a written entry reads back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "shell/config_store.h"
#include "shell/ini_profile_store.h"

namespace {

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

std::vector<Entry> allEntries(const zv::IniText& ini) {
    std::vector<Entry> entries;
    for (const std::string& section : ini.sectionNames())
        for (const std::string& key : ini.keyNames(section)) {
            const auto value = ini.find(section, key);
            if (!value) std::abort();  // a listed key must be found
            entries.push_back({section, key, *value});
        }
    return entries;
}

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A profile store over the fuzzed text, for the configuration reader.
class TextStore final : public zv::ProfileStore {
public:
    explicit TextStore(const zv::IniText& ini) : ini_(ini) {}
    std::string getString(std::string_view section, std::string_view key, std::string_view d) const override {
        auto v = ini_.find(section, key);
        return v ? *v : std::string(d);
    }
    bool setString(std::string_view section, std::string_view key, std::string_view value) override {
        return ini_.set(section, key, value);
    }
    bool contains(std::string_view section, std::string_view key) const override {
        return ini_.find(section, key).has_value();
    }

private:
    zv::IniText ini_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const zv::IniText ini(input);
    const std::vector<Entry> before = allEntries(ini);

    // Written out and read again, the text holds the same entries.
    const zv::IniText reread(ini.text());
    const std::vector<Entry> again = allEntries(reread);
    if (again.size() != before.size()) std::abort();
    for (size_t i = 0; i < before.size(); ++i)
        if (again[i].section != before[i].section || again[i].key != before[i].key || again[i].value != before[i].value)
            std::abort();

    // The entry to write: "[section=key=value" on the last line.
    const size_t lastLine = input.rfind('\n');
    std::string_view lastLineText = input.substr(lastLine == input.npos ? 0 : lastLine + 1);
    if (!lastLineText.empty() && lastLineText.front() == '[') {
        lastLineText.remove_prefix(1);
        const size_t eq1 = lastLineText.find('=');
        const size_t eq2 = eq1 == lastLineText.npos ? lastLineText.npos : lastLineText.find('=', eq1 + 1);
        if (eq2 != lastLineText.npos) {
            const std::string section(lastLineText.substr(0, eq1));
            const std::string key(lastLineText.substr(eq1 + 1, eq2 - eq1 - 1));
            const std::string value(lastLineText.substr(eq2 + 1));
            zv::IniText changed = ini;
            const bool storable = zv::isStorableProfileEntry(section, key, value);
            if (changed.set(section, key, value) != storable) std::abort();
            if (storable) {
                const zv::IniText written(changed.text());
                const auto got = written.find(section, key);
                if (!got) std::abort();
                // Blanks around a value and a pair of quotes are dropped on reading.
                const bool plain = value.find_first_of(" \t\"'") == value.npos;
                if (plain && *got != value) std::abort();
                for (const Entry& e : before) {
                    if (sameNoCase(e.section, section) && sameNoCase(e.key, key)) continue;
                    if (written.find(e.section, e.key) != e.value) std::abort();
                }
            } else if (changed.text() != ini.text()) {
                std::abort();
            }
        }
    }

    // The configuration read from any text stays inside its ranges. (Creating the missing
    // keys is left out: it is the same writing as above, 68 times over, and would slow the
    // search down without reaching new code.)
    const TextStore store(ini);
    const zv::AppFolders folders =
        zv::resolveFolders({"C:\\ZV\\ZVLK5MQ.exe", "C:\\AppData", "C:\\Docs", "D:\\"}, '\\');
    zv::AppSettings settings;
    zv::readConfiguration(store, folders, settings);
    const ConnectionSettings& c = settings.connection;
    if (c.recordSize != 1396 || c.minusOne != -1) std::abort();
    if (c.method != 0 && c.method != 2 && c.method != 9) std::abort();
    if (c.parity > 2 || c.xControl > 1 || c.baudRate == 0) std::abort();
    if (zv::fieldText(c.host).size() > 1024 || zv::fieldText(c.dataService).size() > 31 ||
        zv::fieldText(c.controlService).size() > 31 || zv::fieldText(c.usbSerialNumber).size() > 15 ||
        zv::fieldText(c.serialPort).size() > 15)
        std::abort();
    if (!zv::isSupportedBoard(settings.model.boardType)) std::abort();
    if (settings.buffer.blockSizeIndex > 3 || settings.buffer.blockCount < 2 || settings.buffer.blockCount > 2000)
        std::abort();
    if (settings.buffer.folder.empty() || settings.buffer.folder.size() > zv::kMaxPathChars) std::abort();
    if (settings.screenshotFolder.empty() || settings.screenshotFolder.size() > zv::kMaxPathChars) std::abort();
    return 0;
}
