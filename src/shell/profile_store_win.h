// profile.ini through the system's private-profile functions.
#pragma once

#include <string>
#include <string_view>

#include "capture/profile_store.h"

namespace zv {

class PrivateProfileStore final : public ProfileStore {
public:
    explicit PrivateProfileStore(std::string path) : path_(std::move(path)) {}

    // The whole value however long; the default for a missing key.
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const override;
    // Refuses what would not read back as one entry (isStorableProfileEntry): a line break
    // in a value would otherwise write lines of its own into the file.
    bool setString(std::string_view section, std::string_view key, std::string_view value) override;
    bool contains(std::string_view section, std::string_view key) const override;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zv
