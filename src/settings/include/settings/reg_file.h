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

// A registry export file as read, kept whole: lines the store does not understand (comments,
// deletions, values of other encodings) stay as they are, and an edit changes only the line of
// the value it sets, so every other byte is written back as it was read, in the encoding read.
class RegFile {
  public:
    // A new export: the header and nothing else.
    RegFile();

    // Reads what the registry editor writes: the "Windows Registry Editor Version 5.00" or
    // "REGEDIT4" header after any blank or comment lines, UTF-8 (BOM optional) or UTF-16LE
    // with its byte-order mark, CR, LF or CR LF line ends, indented lines, `[-key]` and
    // `"v"=-` deletions. A line it cannot read is skipped (and kept). nullopt when there is no
    // header: nothing in the file can be read.
    static std::optional<RegFile> Parse(std::string_view bytes);

    // The keys and values as importing the file would leave them.
    const RegDocument& Document() const { return doc_; }

    // Adds an empty section for `path` at the end.
    bool AddKey(std::string_view path);
    // Sets a value of the key `path`: its last definition is rewritten in place, or a line is
    // added to the key's last section (a section is added when there is none). Each edit is
    // read back first; false, with nothing changed, when the file would not read as intended.
    bool SetValue(std::string_view path, const RegValue& value);

    // The file's bytes, in the encoding it was read in.
    std::string Bytes() const;

  private:
    struct Span {
        std::size_t begin = 0, end = 0;
    };
    // Parses `text` into `doc`, with where each value was last defined (parallel to `doc`) and
    // where a line can be added to each key's last section. False without a header.
    static bool Scan(std::string_view text, RegDocument& doc, std::vector<std::vector<Span>>& spans,
                     std::vector<std::size_t>& insertAt);
    // Takes `text` when it reads as `expected`.
    bool Adopt(std::string text, const RegDocument& expected);
    // `text_` with a new section for `path` appended, the section's header line last.
    std::string WithSection(std::string_view path) const;

    bool utf16_ = false;
    std::string tail_;  // an odd last byte of a UTF-16 file, kept as it was
    std::string text_;  // the file as UTF-8; a UTF-16 file's unpaired surrogates stay encoded
    std::string eol_ = "\n";
    RegDocument doc_;
    std::vector<std::vector<Span>> spans_;
    std::vector<std::size_t> insertAt_;
};

// The document of `bytes` as RegFile::Parse reads it; nullopt when nothing can be read.
std::optional<RegDocument> ParseRegFile(std::string_view bytes);

}  // namespace aspect::settings
