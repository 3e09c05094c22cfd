#include "settings/reg_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "settings/registry_api.h"
#include "utf.h"

namespace aspect::settings {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 5> kHives = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                    "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                                    "HKEY_CURRENT_CONFIG"};
// regedit wraps hex data so that no line, continuation mark included, passes 80 columns.
constexpr std::size_t kWrapColumn = 80;

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Fold(c);
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads 1 to 8 hex digits as a 32-bit number.
bool ParseHex32(std::string_view digits, std::uint32_t& out) {
    if (digits.empty() || digits.size() > 8) return false;
    out = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

// Physical lines without their line ends; CR LF and LF both end a line.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (done_) return false;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            done_ = true;
        } else {
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

bool HasControl(std::string_view s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7F) return true;
    }
    return false;
}

// A quoted name or string starting at s[0] == '"'; only \\ and \" are escapes.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    out.clear();
    pos = 1;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\') {
            if (pos >= s.size() || (s[pos] != '\\' && s[pos] != '"')) return false;
            out += s[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

bool ValidKeyPath(std::string_view path) {
    const std::size_t slash = path.find('\\');
    const std::string_view hive = path.substr(0, slash);
    bool known = false;
    for (std::string_view h : kHives) known = known || NamesEqual(hive, h);
    if (!known) return false;
    if (slash == std::string_view::npos) return true;
    std::string_view rest = path.substr(slash + 1);
    while (true) {
        const std::size_t next = rest.find('\\');
        if (rest.substr(0, next).empty()) return false;
        if (next == std::string_view::npos) return true;
        rest = rest.substr(next + 1);
    }
}

// The comma-separated bytes of a hex value, after continuation lines were joined.
bool ParseBytes(std::string_view list, std::vector<std::uint8_t>& out) {
    out.clear();
    list = TrimRight(TrimLeft(list));
    if (list.empty()) return true;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view item = TrimRight(TrimLeft(list.substr(0, comma)));
        if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) return false;
        out.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
        if (comma == std::string_view::npos) return true;
        list = list.substr(comma + 1);
    }
}

// Parses the data after "name=", reading continuation lines of hex data from `lines`.
bool ParseData(std::string_view data, Lines& lines, RegValue& value) {
    if (!data.empty() && data.front() == '"') {
        std::size_t end = 0;
        std::string text;
        if (!ParseQuoted(data, end, text) || !TrimRight(data.substr(end)).empty()) return false;
        value.type = kRegSz;
        value.data = Utf8ToUtf16Le(text);
        value.data.insert(value.data.end(), {0, 0});
        return true;
    }
    if (StartsWithFolded(data, "dword:")) {
        std::uint32_t number = 0;
        if (!ParseHex32(TrimRight(data.substr(6)), number)) return false;
        value.type = kRegDword;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16),
                      static_cast<std::uint8_t>(number >> 24)};
        return true;
    }
    std::string_view rest;
    if (StartsWithFolded(data, "hex:")) {
        value.type = kRegBinary;
        rest = data.substr(4);
    } else if (StartsWithFolded(data, "hex(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos || !ParseHex32(data.substr(4, close - 4), value.type)) {
            return false;
        }
        rest = data.substr(close + 2);
    } else {
        return false;
    }
    std::string joined(rest);
    while (!TrimRight(joined).empty() && TrimRight(joined).back() == '\\') {
        joined.resize(TrimRight(joined).size() - 1);
        std::string_view next;
        if (!lines.Next(next) || HasControl(next)) return false;
        joined += TrimLeft(next);
    }
    return ParseBytes(joined, value.data);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHex32(std::string& out, std::uint32_t number, int minDigits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[number & 0xF]);
        number >>= 4;
    } while (number != 0);
    while (static_cast<int>(digits.size()) < minDigits) digits.insert(digits.begin(), '0');
    out += digits;
}

// The text of a REG_SZ value when it can be written as a quoted string: one terminating
// NUL, no other NUL, well-formed UTF-16, nothing that would break the line.
bool QuotableString(const RegValue& value, std::string& text) {
    const auto& d = value.data;
    if (value.type != kRegSz || d.size() < 2 || d.size() % 2 != 0 || d[d.size() - 1] != 0 ||
        d[d.size() - 2] != 0) {
        return false;
    }
    const std::vector<std::uint8_t> body(d.begin(), d.end() - 2);
    if (!Utf16LeToUtf8(body, true, text)) return false;
    return text.find('\0') == std::string::npos && !HasControl(text);
}

void AppendValue(std::string& out, const RegValue& value) {
    std::string line;
    if (value.name.empty()) {
        line = "@";
    } else {
        AppendQuoted(line, value.name);
    }
    line += '=';
    std::string text;
    if (QuotableString(value, text)) {
        AppendQuoted(line, text);
        out += line + '\n';
        return;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        const auto& d = value.data;
        line += "dword:";
        AppendHex32(line,
                    static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
                        (static_cast<std::uint32_t>(d[2]) << 16) |
                        (static_cast<std::uint32_t>(d[3]) << 24),
                    8);
        out += line + '\n';
        return;
    }
    if (value.type == kRegBinary) {
        line += "hex:";
    } else {
        line += "hex(";
        AppendHex32(line, value.type, 1);
        line += "):";
    }
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        std::string item;
        AppendHex32(item, value.data[i], 2);
        if (i + 1 < value.data.size()) item += ',';
        if (i > 0 && line.size() + item.size() + 1 > kWrapColumn) {
            out += line + "\\\n";
            line = "  ";
        }
        line += item;
    }
    out += line + '\n';
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

bool IsWritableName(std::string_view name) { return !HasControl(name); }

const RegValue* RegKey::FindValue(std::string_view name) const {
    for (const RegValue& v : values) {
        if (NamesEqual(v.name, name)) return &v;
    }
    return nullptr;
}

void RegKey::SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
    for (RegValue& v : values) {
        if (NamesEqual(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    values.push_back(RegValue{std::string(name), type, std::move(data)});
}

RegKey* RegDocument::FindKey(std::string_view path) {
    for (RegKey& k : keys) {
        if (NamesEqual(k.path, path)) return &k;
    }
    return nullptr;
}

const RegKey* RegDocument::FindKey(std::string_view path) const {
    return const_cast<RegDocument*>(this)->FindKey(path);
}

bool RegDocument::KeyExists(std::string_view path) const {
    for (const RegKey& k : keys) {
        const std::string_view p = k.path;
        if (NamesEqual(p, path) || (p.size() > path.size() && p[path.size()] == '\\' &&
                                    NamesEqual(p.substr(0, path.size()), path))) {
            return true;
        }
    }
    return false;
}

std::string RegDocument::Spelling(std::string_view path) const {
    std::size_t best = 0;
    std::string_view spelt;
    for (const RegKey& k : keys) {
        const std::string_view p = k.path;
        for (std::size_t len = std::min(p.size(), path.size()); len > best; --len) {
            const bool boundary =
                (len == p.size() || p[len] == '\\') && (len == path.size() || path[len] == '\\');
            if (boundary && NamesEqual(p.substr(0, len), path.substr(0, len))) {
                best = len;
                spelt = p.substr(0, len);
                break;
            }
        }
    }
    return std::string(spelt) + std::string(path.substr(best));
}

std::optional<RegDocument> ParseRegFile(std::string_view text) {
    if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
    if (!IsValidUtf8(text)) return std::nullopt;
    Lines lines(text);
    std::string_view line;
    if (!lines.Next(line) || TrimRight(line) != kHeader) return std::nullopt;
    RegDocument doc;
    // Sections and values by folded name, so that merging repeats costs no search over all the
    // others: parsing stays linear in the size of the file.
    std::unordered_map<std::string, std::size_t> keyAt;
    std::vector<std::unordered_map<std::string, std::size_t>> valueAt;
    std::size_t current = 0;
    bool inKey = false;
    while (lines.Next(line)) {
        if (HasControl(line)) return std::nullopt;
        line = TrimRight(line);
        if (TrimLeft(line).empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']') return std::nullopt;
            const std::string_view path = line.substr(1, line.size() - 2);
            if (!ValidKeyPath(path)) return std::nullopt;
            const auto [at, added] = keyAt.try_emplace(Folded(path), doc.keys.size());
            if (added) {
                doc.keys.push_back(RegKey{std::string(path), {}});
                valueAt.emplace_back();
            }
            current = at->second;
            inKey = true;
            continue;
        }
        if (!inKey) return std::nullopt;
        RegValue value;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() != '"' || !ParseQuoted(line, pos, value.name)) {
            return std::nullopt;
        }
        std::string_view rest = TrimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=') return std::nullopt;
        if (!ParseData(TrimLeft(rest.substr(1)), lines, value)) return std::nullopt;
        std::vector<RegValue>& values = doc.keys[current].values;
        const auto [at, added] = valueAt[current].try_emplace(Folded(value.name), values.size());
        if (added) {
            values.push_back(std::move(value));
        } else {
            // A repeated name keeps its first spelling and its last data, as SetValue does.
            values[at->second].type = value.type;
            values[at->second].data = std::move(value.data);
        }
    }
    return doc;
}

std::string SerializeRegFile(const RegDocument& doc) {
    std::string out(kHeader);
    out += "\n\n";
    for (const RegKey& key : doc.keys) {
        out += '[' + key.path + "]\n";
        for (const RegValue& value : key.values) AppendValue(out, value);
        out += '\n';
    }
    return out;
}

}  // namespace aspect::settings
