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
// the others.
struct ScaleRow {
    const char* name;
    std::string (*text)();
    std::size_t keys;
    std::size_t values;  // of the first key
};

std::string Numbered(std::string_view head, std::string_view before, std::string_view after,
                     int count) {
    std::string text = "Windows Registry Editor Version 5.00\n\n" + std::string(head);
    for (int n = 0; n < count; ++n) ((text += before) += std::to_string(n)) += after;
    return text;
}

const ScaleRow kScales[] = {
    {"FortyThousandSections",
     [] { return Numbered("", "[HKEY_CURRENT_USER\\K", "]\n\"v\"=hex:01\n", 40000); }, 40000, 1},
    {"EightyThousandValues",
     [] { return Numbered("[HKEY_CURRENT_USER\\K]\n", "\"v", "\"=hex:01\n", 80000); }, 1, 80000},
    {"SectionsRepeatedInTurn",
     [] {
         std::string text = Numbered("", "[HKEY_CURRENT_USER\\K", "]\n\"v\"=hex:01\n", 20000);
         return text + Numbered("", "[hkey_current_user\\k", "]\n\"V\"=hex:02\n", 20000).substr(38);
     },
     20000, 1},
};

class Scale : public testing::TestWithParam<ScaleRow> {};

TEST_P(Scale, ParsesInLinearTime) {
    const std::string text = GetParam().text();
    const auto started = std::chrono::steady_clock::now();
    const std::optional<RegDocument> doc = ParseRegFile(text);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(doc->keys.size(), GetParam().keys);
    EXPECT_EQ(doc->keys[0].values.size(), GetParam().values);
    EXPECT_LT(ms, 1000) << text.size() << " bytes";
}

INSTANTIATE_TEST_SUITE_P(Files, Scale, testing::ValuesIn(kScales), testing_rows::RowName());

}  // namespace
}  // namespace aspect::settings
