#include "settings/reg_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "settings/registry_api.h"
#include "utf.h"

namespace aspect::settings {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
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

// Physical lines as offsets into the text, without their line ends; CR, LF and CR LF each
// end a line.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool Next(std::size_t& begin, std::size_t& end) {
        if (pos_ > text_.size()) return false;
        begin = pos_;
        end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
            pos_ = end + 1;
        } else {
            pos_ = end + (text_.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
        return true;
    }
    std::string_view Line(std::size_t begin, std::size_t end) const {
        return text_.substr(begin, end - begin);
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// `s` without one line end at its end.
std::string_view WithoutEol(std::string_view s) {
    if (s.ends_with("\r\n")) return s.substr(0, s.size() - 2);
    if (s.ends_with('\n') || s.ends_with('\r')) return s.substr(0, s.size() - 1);
    return s;
}

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

// Parses the data after "name=", reading continuation lines of hex data from `lines` and
// moving `end` past them. "-" deletes the value (`deleted`).
bool ParseData(std::string_view data, Lines& lines, std::size_t& end, RegValue& value,
               bool& deleted) {
    deleted = false;
    if (TrimRight(data) == "-") {
        deleted = true;
        return true;
    }
    if (!data.empty() && data.front() == '"') {
        std::size_t close = 0;
        std::string text;
        if (!ParseQuoted(data, close, text) || !TrimRight(data.substr(close)).empty() ||
            !IsValidUtf8(text)) {
            return false;
        }
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
        std::size_t begin = 0;
        if (!lines.Next(begin, end)) return false;
        const std::string_view next = lines.Line(begin, end);
        if (HasControl(next)) return false;
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

// The line (lines, for wrapped hex) of `value`, without the last line end.
std::string ValueText(const RegValue& value, std::string_view eol) {
    std::string out;
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
        return line;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        const auto& d = value.data;
        line += "dword:";
        AppendHex32(line,
                    static_cast<std::uint32_t>(d[0]) | (static_cast<std::uint32_t>(d[1]) << 8) |
                        (static_cast<std::uint32_t>(d[2]) << 16) |
                        (static_cast<std::uint32_t>(d[3]) << 24),
                    8);
        return line;
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
            ((out += line) += '\\') += eol;
            line = "  ";
        }
        line += item;
    }
    return out + line;
}

// Equal keys and values whatever their order and the spelling of their names; the registry
// shows no order.
bool SameContent(const RegDocument& a, const RegDocument& b) {
    using Value = std::tuple<std::string, std::uint32_t, const std::vector<std::uint8_t>*>;
    using Key = std::pair<std::string, std::vector<Value>>;
    const auto sorted = [](const RegDocument& doc) {
        std::vector<Key> keys;
        for (const RegKey& key : doc.keys) {
            std::vector<Value> values;
            for (const RegValue& v : key.values)
                values.emplace_back(Folded(v.name), v.type, &v.data);
            std::sort(values.begin(), values.end());
            keys.emplace_back(Folded(key.path), std::move(values));
        }
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    const std::vector<Key> x = sorted(a), y = sorted(b);
    const auto same = [](const Value& v, const Value& w) {
        return std::get<0>(v) == std::get<0>(w) && std::get<1>(v) == std::get<1>(w) &&
               *std::get<2>(v) == *std::get<2>(w);
    };
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [&](const Key& k, const Key& l) {
        return k.first == l.first &&
               std::equal(k.second.begin(), k.second.end(), l.second.begin(), l.second.end(), same);
    });
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

bool RegFile::Scan(std::string_view text, RegDocument& doc, std::vector<std::vector<Span>>& spans,
                   std::vector<std::size_t>& insertAt) {
    doc = {};
    spans.clear();
    insertAt.clear();
    Lines lines(text);
    std::size_t begin = 0, end = 0;
    bool header = false;
    while (!header && lines.Next(begin, end)) {
        std::string_view line = lines.Line(begin, end);
        if (begin == 0 && line.starts_with(kBom)) line.remove_prefix(kBom.size());
        line = TrimLeft(TrimRight(line));
        if (line.empty() || line.front() == ';') continue;
        if (line != kHeader && line != kOldHeader) return false;
        header = true;
    }
    if (!header) return false;
    // Sections and values by folded name, so that merging repeats costs no search over all the
    // others. Sections are ordered, so that a deletion finds a key's subkeys side by side:
    // parsing stays O(n log n) in the size of the file. Deleted keys and values stay in place,
    // marked, until the end.
    std::map<std::string, std::size_t> keyAt;
    std::vector<bool> keyAlive;
    std::vector<std::unordered_map<std::string, std::size_t>> valueAt;
    std::vector<std::vector<bool>> valueAlive;
    const auto remove = [&](std::map<std::string, std::size_t>::iterator at) {
        const std::size_t k = at->second;
        keyAlive[k] = false;
        doc.keys[k].values.clear();
        spans[k].clear();
        valueAt[k].clear();
        valueAlive[k].clear();
        return keyAt.erase(at);
    };
    const std::size_t kNone = SIZE_MAX;
    std::size_t current = kNone;
    while (lines.Next(begin, end)) {
        const std::string_view raw = TrimLeft(lines.Line(begin, end));
        const std::size_t first = end - raw.size();  // the line's indentation stays
        const std::string_view line = TrimRight(raw);
        if (line.empty() || line.front() == ';' || HasControl(line)) continue;
        if (line.front() == '[') {
            current = kNone;
            if (line.back() != ']' || line.size() < 2) continue;
            std::string_view path = line.substr(1, line.size() - 2);
            const bool deletion = path.starts_with('-');
            if (deletion) path.remove_prefix(1);
            if (!ValidKeyPath(path)) continue;
            std::string key = Folded(path);
            if (deletion) {
                // The key goes with its subkeys, as importing the line deletes them; a later
                // section of the same name makes a new key.
                const auto same = keyAt.find(key);
                if (same != keyAt.end()) remove(same);
                key += '\\';
                for (auto at = keyAt.lower_bound(key);
                     at != keyAt.end() && at->first.starts_with(key);) {
                    at = remove(at);
                }
                continue;
            }
            const auto [at, added] = keyAt.try_emplace(key, doc.keys.size());
            if (added) {
                doc.keys.push_back(RegKey{std::string(path), {}});
                keyAlive.push_back(true);
                valueAt.emplace_back();
                valueAlive.emplace_back();
                spans.emplace_back();
                insertAt.push_back(0);
            }
            current = at->second;
            insertAt[current] = end;
            continue;
        }
        RegValue value;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() != '"' || !ParseQuoted(line, pos, value.name) ||
                   !IsValidUtf8(value.name)) {
            continue;
        }
        const std::string_view rest = TrimLeft(line.substr(pos));
        bool deleted = false;
        if (rest.empty() || rest.front() != '=' ||
            !ParseData(TrimLeft(rest.substr(1)), lines, end, value, deleted) || current == kNone) {
            continue;
        }
        insertAt[current] = end;
        std::vector<RegValue>& values = doc.keys[current].values;
        const auto [at, added] = valueAt[current].try_emplace(Folded(value.name), values.size());
        if (added) {
            values.push_back(std::move(value));
            spans[current].push_back({first, end});
            valueAlive[current].push_back(!deleted);
        } else if (!deleted) {
            // A repeated name keeps its first spelling and its last data, as SetValue does.
            values[at->second].type = value.type;
            values[at->second].data = std::move(value.data);
            spans[current][at->second] = {first, end};
            valueAlive[current][at->second] = true;
        } else {
            valueAlive[current][at->second] = false;
        }
    }
    // Drop what was deleted, keeping the spans beside their values.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < doc.keys.size(); ++k) {
        if (!keyAlive[k]) continue;
        std::size_t v2 = 0;
        for (std::size_t v = 0; v < doc.keys[k].values.size(); ++v) {
            if (!valueAlive[k][v]) continue;
            if (v2 != v) {
                doc.keys[k].values[v2] = std::move(doc.keys[k].values[v]);
                spans[k][v2] = spans[k][v];
            }
            ++v2;
        }
        doc.keys[k].values.resize(v2);
        spans[k].resize(v2);
        if (kept != k) {
            doc.keys[kept] = std::move(doc.keys[k]);
            spans[kept] = std::move(spans[k]);
            insertAt[kept] = insertAt[k];
        }
        ++kept;
    }
    doc.keys.resize(kept);
    spans.resize(kept);
    insertAt.resize(kept);
    return true;
}

RegFile::RegFile() : text_(std::string(kHeader) + "\n\n") {}

std::optional<RegFile> RegFile::Parse(std::string_view bytes) {
    RegFile file;
    file.utf16_ = bytes.starts_with(kUtf16Bom);
    if (file.utf16_) {
        bytes.remove_prefix(kUtf16Bom.size());
        if (bytes.size() % 2 != 0) {
            file.tail_ = bytes.substr(bytes.size() - 1);
            bytes.remove_suffix(1);
        }
        file.text_ = Utf16LeToWtf8(bytes);
    } else {
        file.text_ = bytes;
    }
    if (!Scan(file.text_, file.doc_, file.spans_, file.insertAt_)) return std::nullopt;
    const std::size_t eol = file.text_.find_first_of("\r\n");
    if (eol != std::string::npos) {
        file.eol_ = file.text_.compare(eol, 2, "\r\n") == 0 ? "\r\n" : file.text_.substr(eol, 1);
    }
    return file;
}

bool RegFile::Adopt(std::string text, const RegDocument& expected) {
    RegDocument doc;
    std::vector<std::vector<Span>> spans;
    std::vector<std::size_t> insertAt;
    if (!Scan(text, doc, spans, insertAt) || !SameContent(doc, expected)) return false;
    text_ = std::move(text);
    doc_ = std::move(doc);
    spans_ = std::move(spans);
    insertAt_ = std::move(insertAt);
    return true;
}

std::string RegFile::WithSection(std::string_view path) const {
    std::string text = text_;
    // A blank line before the section, as the registry editor separates them.
    if (WithoutEol(text).size() == text.size()) text += eol_;
    const std::string_view body = WithoutEol(text);
    if (WithoutEol(body).size() == body.size()) text += eol_;
    return ((text += '[') += path) += ']';
}

bool RegFile::AddKey(std::string_view path) {
    RegDocument expected = doc_;
    expected.keys.push_back(RegKey{std::string(path), {}});
    return Adopt(WithSection(path) + eol_ + eol_, expected);
}

bool RegFile::SetValue(std::string_view path, const RegValue& value) {
    RegDocument expected = doc_;
    RegKey* key = expected.FindKey(path);
    if (key == nullptr) key = &expected.keys.emplace_back(RegKey{std::string(path), {}});
    key->SetValue(value.name, value.type, value.data);
    const RegValue* spelt = key->FindValue(value.name);
    const std::string line = ValueText(*spelt, eol_);
    const RegKey* section = doc_.FindKey(path);
    if (section != nullptr) {
        const auto k = static_cast<std::size_t>(section - doc_.keys.data());
        const RegValue* old = section->FindValue(value.name);
        std::string text = text_;
        if (old != nullptr) {
            const Span span = spans_[k][static_cast<std::size_t>(old - section->values.data())];
            text.replace(span.begin, span.end - span.begin, line);
        } else {
            text.insert(insertAt_[k], eol_ + line);
        }
        if (Adopt(std::move(text), expected)) return true;
    }
    // Whatever the old lines held, a section at the end is read last.
    return Adopt(WithSection(path) + eol_ + line + eol_ + eol_, expected);
}

std::string RegFile::Bytes() const {
    if (!utf16_) return text_;
    return std::string(kUtf16Bom) + Wtf8ToUtf16Le(text_) + tail_;
}

std::optional<RegDocument> ParseRegFile(std::string_view bytes) {
    std::optional<RegFile> file = RegFile::Parse(bytes);
    if (!file) return std::nullopt;
    return file->Document();
}

}  // namespace aspect::settings
