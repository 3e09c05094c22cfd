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

TEST(RegFile, WritesTheExportFormat) { EXPECT_EQ(SerializeRegFile(kDocument), kText); }

TEST(RegFile, ReadsBackWhatItWrites) { EXPECT_EQ(ParseRegFile(kText), kDocument); }

struct AcceptRow {
    const char* name;
    std::string text;
    RegValue value;  // the one value of HKEY_CURRENT_USER\K
};

const std::string kHead = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";

const AcceptRow kAccepted[] = {
    {"CrLfAndBom", "\xEF\xBB\xBF" + kHead + "\"v\"=hex:01,00\r\n", {"v", 3, {1, 0}}},
    {"UpperCaseAndBlanks", kHead + "\"v\" = HEX(3): 0A , FF \t\r\n", {"v", 3, {10, 255}}},
    {"ContinuationLines", kHead + "\"v\"=hex:01,\\\r\n    02,\\\n03\n", {"v", 3, {1, 2, 3}}},
    {"ShortDword", kHead + "\"v\"=dword:1\n", {"v", 4, {1, 0, 0, 0}}},
    {"LastRepeatWins", kHead + "\"v\"=hex:01\n\"V\"=hex:02\n", {"v", 3, {2}}},
    {"RepeatedSectionsMerge", kHead + "[HKEY_CURRENT_USER\\k]\n\"v\"=hex:07\n", {"v", 3, {7}}},
    {"QuotedEmptyNameIsDefault", kHead + "\"\"=hex:05\n", {"", 3, {5}}},
};

class Accepts : public testing::TestWithParam<AcceptRow> {};

TEST_P(Accepts, WhatAnImportWouldRead) {
    const std::optional<RegDocument> doc = ParseRegFile(GetParam().text);
    ASSERT_TRUE(doc.has_value());
    ASSERT_EQ(doc->keys.size(), 1u);
    EXPECT_EQ(doc->keys[0].path, "HKEY_CURRENT_USER\\K");
    EXPECT_EQ(doc->keys[0].values, std::vector<RegValue>{GetParam().value});
}

INSTANTIATE_TEST_SUITE_P(Texts, Accepts, testing::ValuesIn(kAccepted), testing_rows::RowName());

struct RejectRow {
    const char* name;
    std::string text;
};

const RejectRow kRejected[] = {
    {"Empty", ""},
    {"OldHeader", "REGEDIT4\n"},
    {"Utf16Export", std::string("\xFF\xFEW\0i\0", 6)},
    {"InvalidUtf8", kHead + "\"v\"=\"\xC3\"\n"},
    {"ValueBeforeAnyKey", "Windows Registry Editor Version 5.00\n\"v\"=hex:01\n"},
    {"UnknownHive", "Windows Registry Editor Version 5.00\n[HKEY_NOWHERE\\K]\n"},
    {"DeletionSection", "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\K]\n"},
    {"EmptyKeyName", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\\\K]\n"},
    {"UnclosedSection", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K\n"},
    {"DeletedValue", kHead + "\"v\"=-\n"},
    {"UnclosedName", kHead + "\"v=hex:01\n"},
    {"UnknownEscape", kHead + "\"v\"=\"a\\n\"\n"},
    {"OneDigitByte", kHead + "\"v\"=hex:1,00\n"},
    {"TrailingComma", kHead + "\"v\"=hex:01,\n"},
    {"ContinuationAtEnd", kHead + "\"v\"=hex:01,\\"},
    {"LongDword", kHead + "\"v\"=dword:123456789\n"},
    {"Comment", kHead + "; a note\n"},
    {"ControlCharacter", kHead + "\"v\"=\"a\x01\"\n"},
    {"TextAfterString", kHead + "\"v\"=\"a\" b\n"},
};

class Rejects : public testing::TestWithParam<RejectRow> {};

TEST_P(Rejects, AsNotAnExport) { EXPECT_EQ(ParseRegFile(GetParam().text), std::nullopt); }

INSTANTIATE_TEST_SUITE_P(Texts, Rejects, testing::ValuesIn(kRejected), testing_rows::RowName());

// A file cut short anywhere parses to something the writer can write back, or not at all.
TEST(RegFile, EveryTruncationParsesOrIsRejected) {
    const std::string text = kText;
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::optional<RegDocument> doc = ParseRegFile(text.substr(0, length));
        if (doc) {
            EXPECT_EQ(ParseRegFile(SerializeRegFile(*doc)), doc) << "cut at " << length;
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
