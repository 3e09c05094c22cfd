#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aspect::settings {

// One registry value as the registry keeps it: strings are UTF-16LE with their terminator.
struct RegValue {
    std::string name;  // UTF-8; empty for the key's default value, written "@"
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RegValue&) const = default;
};

// One key section; `path` starts with its hive, e.g. "HKEY_CURRENT_USER\Software\Morlane".
struct RegKey {
    std::string path;
    std::vector<RegValue> values;
    bool operator==(const RegKey&) const = default;

    // The value of that name, compared case-insensitively; nullptr when absent.
    const RegValue* FindValue(std::string_view name) const;
    // Replaces the value of that name (keeping its spelling) or appends it.
    void SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
};

// The keys of a registry export file, in file order, each path listed once.
struct RegDocument {
    std::vector<RegKey> keys;
    bool operator==(const RegDocument&) const = default;

    // The section of exactly that path, compared case-insensitively; nullptr when absent.
    RegKey* FindKey(std::string_view path);
    const RegKey* FindKey(std::string_view path) const;
    // True when the path has a section or is the parent of one (keys exist with their subkeys).
    bool KeyExists(std::string_view path) const;
    // `path` spelt as the file already spells its existing leading part, so case stays as first
    // written.
    std::string Spelling(std::string_view path) const;
};

// ASCII case-insensitive equality, as key and value names compare.
bool NamesEqual(std::string_view a, std::string_view b);

// True when a key or value name can be written to the file (no control characters but tab).
bool IsWritableName(std::string_view name);

// Parses registry export text ("Windows Registry Editor Version 5.00", UTF-8, optional BOM).
// Returns nullopt for anything that is not a well-formed export; repeated sections merge and a
// repeated value name keeps its last data, as importing the file would.
std::optional<RegDocument> ParseRegFile(std::string_view text);

// Writes `doc` as export text that ParseRegFile reads back to an equal document.
std::string SerializeRegFile(const RegDocument& doc);

}  // namespace aspect::settings
