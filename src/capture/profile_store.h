// String settings by section and key, the shape of a private-profile file. The Win32 side
// backs it with the private-profile functions on profile.ini; tests and tools use the map.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace zv {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The stored text, or defaultValue when the key is absent.
    virtual std::string getString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const = 0;
    virtual bool setString(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Whether the key exists, even with an empty value: missing keys get their defaults
    // written at start-up, empty ones are left as the user made them.
    virtual bool contains(std::string_view section, std::string_view key) const = 0;
};

class MapProfileStore final : public ProfileStore {
public:
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const override {
        const auto it = values_.find({std::string(section), std::string(key)});
        return it == values_.end() ? std::string(defaultValue) : it->second;
    }
    bool setString(std::string_view section, std::string_view key, std::string_view value) override {
        values_[{std::string(section), std::string(key)}] = std::string(value);
        return true;
    }
    bool contains(std::string_view section, std::string_view key) const override {
        return values_.count({std::string(section), std::string(key)}) != 0;
    }
    size_t size() const { return values_.size(); }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace zv
