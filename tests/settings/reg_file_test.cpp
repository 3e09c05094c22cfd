#include "settings/reg_file.h"

#include <chrono>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "row_name.h"
#include "settings/registry_api.h"

namespace aspect::settings {
namespace {

// Every form the writer uses, with a hex value whose first line is exactly 80 columns.
const RegDocument kDocument = {{
    {"HKEY_CURRENT_USER\\Software\\Morlane",
     {{"Language", kRegBinary, {1, 0}},
      {"", kRegSz, {'d', 0, 0, 0}},
      {"Quote \"and\" \\", kRegSz, {'a', 0, '\\', 0, '"', 0, 0xE1, 0, 0, 0}},
      {"Count", kRegDword, {0x78, 0x56, 0x34, 0x12}},
      {"Nothing", kRegNone, {}},
      {"Unterminated", kRegSz, {'x', 0}},
      {"Longer", 0x0b, std::vector<std::uint8_t>(30, 0xAB)}}},
    {"HKEY_LOCAL_MACHINE\\Software\\Other]Name", {}},
}};

constexpr const char* kText =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n"
    "\"Language\"=hex:01,00\n"
    "@=\"d\"\n"
    "\"Quote \\\"and\\\" \\\\\"=\"a\\\\\\\"\xC3\xA1\"\n"
    "\"Count\"=dword:12345678\n"
    "\"Nothing\"=hex(0):\n"
    "\"Unterminated\"=hex(1):78,00\n"
    "\"Longer\"=hex(b):ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
    "  ab,ab,ab,ab,ab,ab,ab,ab,ab\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]Name]\n"
    "\n";

TEST(RegFile, WritesTheExportFormat) {
    RegFile file;
    for (const RegKey& key : kDocument.keys) {
        ASSERT_TRUE(file.AddKey(key.path));
        for (const RegValue& value : key.values) ASSERT_TRUE(file.SetValue(key.path, value));
    }
    EXPECT_EQ(file.Bytes(), kText);
}

TEST(RegFile, ReadsBackWhatItWrites) { EXPECT_EQ(ParseRegFile(kText), kDocument); }

std::string Utf16(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) (bytes += c) += '\0';  // ASCII only
    return bytes;
}

struct AcceptRow {
    const char* name;
    std::string text;
    std::optional<RegValue> value;  // that of HKEY_CURRENT_USER\K; nullopt: no "v" there
};

const std::string kHead = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";

const AcceptRow kAccepted[] = {
    {"CrLfAndBom", "\xEF\xBB\xBF" + kHead + "\"v\"=hex:01,00\r\n", {{"v", 3, {1, 0}}}},
    {"UpperCaseAndBlanks", kHead + "\"v\" = HEX(3): 0A , FF \t\r\n", {{"v", 3, {10, 255}}}},
    {"ContinuationLines", kHead + "\"v\"=hex:01,\\\r\n    02,\\\n03\n", {{"v", 3, {1, 2, 3}}}},
    {"ShortDword", kHead + "\"v\"=dword:1\n", {{"v", 4, {1, 0, 0, 0}}}},
    {"LastRepeatWins", kHead + "\"v\"=hex:01\n\"V\"=hex:02\n", {{"v", 3, {2}}}},
    {"RepeatedSectionsMerge", kHead + "[HKEY_CURRENT_USER\\k]\n\"v\"=hex:07\n", {{"v", 3, {7}}}},
    {"QuotedEmptyNameIsDefault", kHead + "\"\"=hex:05\n", {{"", 3, {5}}}},
    {"OldHeader", "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:01\n", {{"v", 3, {1}}}},
    {"Utf16WithBom", Utf16(kHead + "\"v\"=hex:01\r\n"), {{"v", 3, {1}}}},
    {"CrLineEnds",
     "Windows Registry Editor Version 5.00\r\r[HKEY_CURRENT_USER\\K]\r\"v\"=hex:01\r",
     {{"v", 3, {1}}}},
    {"CommentsBlankLinesAndIndents",
     "\n; by hand\n Windows Registry Editor Version 5.00\n;\n\t[HKEY_CURRENT_USER\\K]\n ; x\n "
     "\"v\"=hex:01\n",
     {{"v", 3, {1}}}},
    {"DeletedValue", kHead + "\"v\"=hex:01\n\"V\"=-\n", std::nullopt},
    {"DeletedWithItsParent", kHead + "\"v\"=hex:01\n[-HKEY_CURRENT_USER]\n", std::nullopt},
    {"KeyMadeAgainAfterItsDeletion",
     kHead + "\"v\"=hex:01\n\"w\"=hex:01\n[-HKEY_CURRENT_USER\\K]\n[HKEY_CURRENT_USER\\K]\n\"v\"="
             "hex:02",
     {{"v", 3, {2}}}},
    // Each line after the first sets "v" in a way the store cannot read, or outside the key.
    {"UnreadableLinesAreSkipped",
     kHead + "\"v\"=hex:03\ngarbage\n\"v\"=\"\xC3\"\n\"v=hex:01\n\"v\"=\"a\\n\"\n\"v\"=hex:1,00\n"
             "\"v\"=hex:01,\n\"v\"=dword:123456789\n\"v\"=\"a\x01\"\n\"v\"=\"a\" b\n"
             "[HKEY_NOWHERE\\K]\n\"v\"=hex:04\n[HKEY_CURRENT_USER\\\\K]\n\"v\"=hex:05\n"
             "[HKEY_CURRENT_USER\\K\n\"v\"=hex:06\n[HKEY_CURRENT_USER\\K]\n\"v\"=hex:01,\\",
     {{"v", 3, {3}}}},
};

class Accepts : public testing::TestWithParam<AcceptRow> {};

TEST_P(Accepts, WhatAnImportWouldRead) {
    const std::optional<RegFile> file = RegFile::Parse(GetParam().text);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->Bytes(), GetParam().text);
    const RegKey* key = file->Document().FindKey("HKEY_CURRENT_USER\\K");
    const std::optional<RegValue>& wanted = GetParam().value;
    const RegValue* value = key == nullptr ? nullptr : key->FindValue(wanted ? wanted->name : "v");
    ASSERT_EQ(value != nullptr, GetParam().value.has_value());
    if (value != nullptr) {
        EXPECT_EQ(*value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Accepts, testing::ValuesIn(kAccepted), testing_rows::RowName());

struct RejectRow {
    const char* name;
    std::string text;
};

// Nothing in these can be read: no header comes first.
const RejectRow kRejected[] = {
    {"Empty", ""},
    {"OnlyComments", "; Windows Registry Editor Version 5.00\n\n"},
    {"Binary", std::string("\x7F"
                           "ELF\x02\x01\0\0",
                           8)},
    {"Utf16WithoutBom", std::string("W\0i\0n\0", 6)},
    {"ValueBeforeTheHeader", "\"v\"=hex:01\nWindows Registry Editor Version 5.00\n"},
};

class Rejects : public testing::TestWithParam<RejectRow> {};

TEST_P(Rejects, AsNotAnExport) { EXPECT_EQ(ParseRegFile(GetParam().text), std::nullopt); }

INSTANTIATE_TEST_SUITE_P(Texts, Rejects, testing::ValuesIn(kRejected), testing_rows::RowName());

// A file cut short anywhere, in either encoding, is written back byte for byte, and setting a
// value changes only that value.
TEST(RegFile, EveryTruncationIsKeptAndTakesAnEdit) {
    const std::string crlf =
        "; note\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\"
        "Morlane]\r\n  \"Language\"=hex:00,00\r\n\"x\"=hex:01,\\\r\n  02\r\n[-HKEY_USERS]\r\n";
    const RegValue english{"Language", kRegBinary, {1, 0}};
    for (const std::string& text : {std::string(kText), Utf16(crlf)}) {
        for (std::size_t length = 0; length <= text.size(); ++length) {
            std::optional<RegFile> file = RegFile::Parse(text.substr(0, length));
            if (!file) continue;
            EXPECT_EQ(file->Bytes(), text.substr(0, length));
            RegDocument expected = file->Document();
            if (!file->SetValue("HKEY_CURRENT_USER\\Software\\Morlane", english)) {
                ADD_FAILURE() << "no edit after a cut at " << length;
                continue;
            }
            const std::optional<RegDocument> edited = ParseRegFile(file->Bytes());
            ASSERT_TRUE(edited.has_value()) << length;
            RegKey* key = expected.FindKey("HKEY_CURRENT_USER\\Software\\Morlane");
            if (key == nullptr) {
                key =
                    &expected.keys.emplace_back(RegKey{"HKEY_CURRENT_USER\\Software\\Morlane", {}});
            }
            key->SetValue(english.name, english.type, english.data);
            EXPECT_EQ(*edited, expected) << "cut at " << length;
        }
    }
}

TEST(RegFile, KeysExistWithTheirSubkeysAndKeepTheirSpelling) {
    const RegDocument doc = *ParseRegFile(kText);
    EXPECT_TRUE(doc.KeyExists("hkey_current_user\\SOFTWARE"));
    EXPECT_FALSE(doc.KeyExists("HKEY_CURRENT_USER\\Soft"));
    EXPECT_EQ(doc.Spelling("HKEY_CURRENT_USER\\SOFTWARE\\MORLANE\\New"),
              "HKEY_CURRENT_USER\\Software\\Morlane\\New");
    EXPECT_EQ(doc.Spelling("HKEY_CURRENT_USER\\Softwarex"), "HKEY_CURRENT_USER\\Softwarex");
}

// Large files parse in time linear in their size: no search per section or value over all
// the others. 32 times the text may take some 32 to 110 times as long (caches), not the 1000
// and more of a quadratic parser; a ratio rather than a time, so that it holds in sanitizer
// builds too.
struct ScaleRow {
    const char* name;
    std::string (*text)(int count);
    bool countsKeys;  // else values of the one key
};

std::string Numbered(std::string_view head, std::string_view before, std::string_view after,
                     int count) {
    std::string text = "Windows Registry Editor Version 5.00\n\n" + std::string(head);
    for (int n = 0; n < count; ++n) ((text += before) += std::to_string(n)) += after;
    return text;
}

const ScaleRow kScales[] = {
    {"Sections",
     [](int count) { return Numbered("", "[HKEY_CURRENT_USER\\K", "]\n\"v\"=hex:01\n", count); },
     true},
    {"ValuesInOneKey",
     [](int count) { return Numbered("[HKEY_CURRENT_USER\\K]\n", "\"v", "\"=hex:01\n", count); },
     false},
    {"SectionsAndDeletionsInTurn",
     [](int count) {
         return Numbered("", "[HKEY_CURRENT_USER\\K", "]\n\"v\"=hex:01\n[-HKEY_USERS\\K]\n", count);
     },
     true},
    {"SectionsRepeatedInTurn",
     [](int count) {
         return Numbered("", "[HKEY_CURRENT_USER\\K", "]\n\"v\"=hex:01\n", count) +
                Numbered("", "[hkey_current_user\\k", "]\n\"V\"=hex:02\n", count)
                    .substr(38);  // without the second header
     },
     true},
};

class Scale : public testing::TestWithParam<ScaleRow> {};

// Keeps the timed parses from being optimised away.
bool parsedSink = false;

TEST_P(Scale, ParsesInLinearTime) {
    constexpr int kLarge = 40000, kSmall = kLarge / 32;
    const auto fastest = [](const std::string& text, int runs) {
        auto best = std::chrono::steady_clock::duration::max();
        for (int run = 0; run < runs; ++run) {
            const auto started = std::chrono::steady_clock::now();
            parsedSink = ParseRegFile(text).has_value();
            best = std::min(best, std::chrono::steady_clock::now() - started);
        }
        return std::chrono::duration<double>(best).count();
    };
    const std::string large = GetParam().text(kLarge);
    const std::optional<RegDocument> doc = ParseRegFile(large);
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->keys.size(), GetParam().countsKeys ? std::size_t{kLarge} : 1u);
    EXPECT_EQ(doc->keys[0].values.size(), GetParam().countsKeys ? 1u : std::size_t{kLarge});
    const double ratio = fastest(large, 2) / fastest(GetParam().text(kSmall), 9);
    EXPECT_LT(ratio, 300) << "32 times the text took " << ratio << " times as long";
}

INSTANTIATE_TEST_SUITE_P(Files, Scale, testing::ValuesIn(kScales), testing_rows::RowName());

}  // namespace
}  // namespace aspect::settings
