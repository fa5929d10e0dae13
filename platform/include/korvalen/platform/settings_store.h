#ifndef KORVALEN_PLATFORM_SETTINGS_STORE_H
#define KORVALEN_PLATFORM_SETTINGS_STORE_H

#include <cstdint>
#include <string>
#include <string_view>

namespace korvalen::platform {

// The per-user settings: keys such as "Software\vex\Korvalen_1", sections
// under a key, text values under a section. Names of sections and values
// match ignoring ASCII case, as the settings of the original platform do.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or `fallback` when the value does not exist. A value
    // that exists but is empty reads as empty.
    virtual std::string Read(std::string_view key, std::string_view section, std::string_view name,
                             std::string_view fallback = {}) const = 0;
    // Throws PlatformError when the value cannot be stored.
    virtual void Write(std::string_view key, std::string_view section, std::string_view name,
                       std::string_view value) = 0;
    // Removing a value that does not exist is no error.
    virtual void Remove(std::string_view key, std::string_view section, std::string_view name) = 0;
};

// One INI file per key under a root folder: "Software\vex\Korvalen_1" is
// <root>/vex/Korvalen_1.ini, each section an INI group. Files are UTF-8.
class IniSettingsStore final : public SettingsStore {
public:
    // The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
    IniSettingsStore();
    // Any other root folder, for instance a temporary one in tests.
    explicit IniSettingsStore(std::string rootFolder);

    // The file that holds `key`. Throws std::invalid_argument for a key that
    // would leave the root folder.
    std::string FileFor(std::string_view key) const;

    std::string Read(std::string_view key, std::string_view section, std::string_view name,
                     std::string_view fallback = {}) const override;
    void Write(std::string_view key, std::string_view section, std::string_view name, std::string_view value) override;
    void Remove(std::string_view key, std::string_view section, std::string_view name) override;

private:
    std::string root_;
};

// One section of one key, read and written by the conventions of the
// settings: numbers as decimal text, Booleans as "0"/"1", options as
// "YES"/"NO" where any text other than "NO" counts as on.
class SettingsSection {
public:
    SettingsSection(SettingsStore& store, std::string key, std::string section);

    std::string Text(std::string_view name, std::string_view fallback = {}) const;
    void SetText(std::string_view name, std::string_view value);

    // `fallback` when the value is missing or is not a decimal number.
    std::int64_t Number(std::string_view name, std::int64_t fallback) const;
    void SetNumber(std::string_view name, std::int64_t value);

    // "0" is false, any other number true; `fallback` when missing or not a number.
    bool Flag(std::string_view name, bool fallback) const;
    void SetFlag(std::string_view name, bool value);

    // A missing value reads as `fallback`.
    bool Option(std::string_view name, bool fallback = false) const;
    void SetOption(std::string_view name, bool on);

    void Remove(std::string_view name);

private:
    SettingsStore* store_;
    std::string key_;
    std::string section_;
};

}  // namespace korvalen::platform

#endif
