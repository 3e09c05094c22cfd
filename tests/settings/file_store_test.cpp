// The file store's everyday promises: the export format on disk, other programs' keys kept,
// the location rule, damaged and unreadable files.
#include "file_store_support.h"

#include <pwd.h>

#include "row_name.h"
#include "settings/reg_file.h"
#include "settings/registry.h"

namespace aspect::settings {
namespace {

using namespace testing_file;

TEST_F(FileStore, FirstSaveWritesAReadableExportFile) {
    FileRegistry store(file.string());
    EXPECT_EQ(LoadLanguage(store), 0);
    EXPECT_FALSE(fs::exists(root / "Morlane")) << "reading created the folder";
    EXPECT_TRUE(SaveLanguage(store, 1));
    EXPECT_EQ(Slurp(file), kSaved1);
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Listing(folder), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
    EXPECT_EQ(store.OpenHandles(), 0u);
}

std::string Utf16(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) (bytes += c) += '\0';  // ASCII only
    return bytes;
}

// A file of about `size` bytes holding another program's key, with "Language" after it.
std::string Padded(std::size_t size, const std::string& language) {
    const std::string head =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Pad\"=\"";
    const std::string tail = "\"\n\n" + language;
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

const std::string kEnglishSection =
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n\"Language\"=hex:01,00\n";

struct KeptRow {
    const char* name;
    std::string before;  // ASCII, written as UTF-16LE when `utf16`
    bool utf16;
    std::int32_t language;  // read before the save, which stores the other one
    std::string after;      // empty: `before` with only the language's bytes changed
    Status status;
};

std::string Compact() {
    std::string text = kSaved1 + "[HKEY_CURRENT_USER\\Software\\Other]\n\"w\"=hex:01,02,\\\n 03\n";
    for (int n = 0; n < 300; ++n) text += "\"x" + std::to_string(n) + "\"=dword:0\n";
    return text;
}

const KeptRow kKept[] = {
    {"AnotherProgramsLayout", kShared, false, 0, "", 0},
    {"WindowsExportInUtf16",
     "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morlane]\r\n"
     "\"Language\"=hex:01,00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"s\"=\"t\"\r\n\r\n",
     true, 1, "", 0},
    {"Regedit4CommentsDeletionsIndents",
     "\n; by hand\r\nREGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
     " [HKEY_CURRENT_USER\\Software\\Morlane]\r\n\t\"Language\" = hex:00,00\r\n\"Old\"=-\r\n",
     false, 0,
     "\n; by hand\r\nREGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
     " [HKEY_CURRENT_USER\\Software\\Morlane]\r\n\t\"Language\"=hex:01,00\r\n\"Old\"=-\r\n",
     0},
    {"CrLineEnds",
     "Windows Registry Editor Version 5.00\r\r[HKEY_CURRENT_USER\\Software\\Morlane]\r"
     "\"Language\"=hex:00,00\r",
     false, 0, "", 0},
    {"Latin1InAnotherValue",
     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n"
     "\"s\"=\"caf\xE9\"\n\n[HKEY_CURRENT_USER\\Software\\Morlane]\n\"Language\"=hex:00,00\n",
     false, 0, "", 0},
    {"CompactLinesStayCompact", Compact(), false, 1, "", 0},
    {"ValueAddedToItsSection",
     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Morlane]\n"
     "\"Window\"=dword:1\n; mine\n",
     false, 0,
     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Morlane]\n"
     "\"Window\"=dword:1\n\"Language\"=hex:01,00\n; mine\n",
     0},
    {"CutInsideAValue", kSaved1.substr(0, kSaved1.size() - 4) + "\\", false, 0,
     "Windows Registry Editor Version 5.00\n\n" + kEnglishSection + "\"Language\"=hex:01,\\", 0},
    // The store never writes a file it would then refuse to read.
    {"SaveWouldPassTheReadCap", Padded(65530, ""), false, 0, Padded(65530, ""), kErrorFileTooLarge},
    {"SameSizeAtTheReadCap", Padded(65530, kEnglishSection), false, 1, "", 0},
};

class Kept : public FileStore, public testing::WithParamInterface<KeptRow> {};

TEST_P(Kept, SaveChangesOnlyTheLanguage) {
    const KeptRow& row = GetParam();
    std::string after = row.after;
    if (after.empty()) {
        after = row.before;
        const std::size_t at = after.find("hex:0" + std::to_string(row.language) + ",00");
        ASSERT_NE(at, std::string::npos);
        after[at + 5] = static_cast<char>('1' - row.language);
    }
    Spit(file, row.utf16 ? Utf16(row.before) : row.before);
    // Set-id and execute bits never reach a written file.
    fs::permissions(file, static_cast<fs::perms>(06755));
    FileRegistry store(file.string());
    EXPECT_EQ(LoadLanguage(store), row.language);
    EXPECT_EQ(Write(store, static_cast<std::int16_t>(1 - row.language)), row.status);
    EXPECT_EQ(Slurp(file), row.utf16 ? Utf16(after) : after);
    EXPECT_EQ(static_cast<int>(fs::status(file).permissions() & fs::perms::mask),
              row.status == 0 ? 0644 : 06755);
    EXPECT_EQ(Listing(folder), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
    if (row.status == 0) {
        EXPECT_EQ(Stored(), 1 - row.language);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Kept, testing::ValuesIn(kKept), testing_rows::RowName());

TEST_F(FileStore, LinkedFileStaysLinked) {
    Spit(root / "dotfiles" / "registry.reg", kShared);
    fs::create_directories(folder);
    fs::create_symlink(root / "dotfiles" / "registry.reg", file);
    FileRegistry store(file.string());
    EXPECT_TRUE(SaveLanguage(store, 1));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(Stored(), 1);
}

struct PathRow {
    const char* name;
    const char* home;      // nullptr: unset
    const char* xdg;       // nullptr: unset
    const char* expected;  // nullptr: below the home folder of the password database
};

const PathRow kPaths[] = {
    {"ConfigHomeSet", "/home/ana", "/srv/cfg", "/srv/cfg/Morlane/registry.reg"},
    {"ConfigHomeUnset", "/home/ana", nullptr, "/home/ana/.config/Morlane/registry.reg"},
    {"RelativeConfigHomeIgnored", "/home/ana", "cfg", "/home/ana/.config/Morlane/registry.reg"},
    {"HomeUnset", nullptr, nullptr, nullptr},
    {"RelativeHomeIgnored", "ana", nullptr, nullptr},
    {"RelativeHomeAndConfigHome", "ana", "cfg", nullptr},
};

class Location : public testing::TestWithParam<PathRow> {};

TEST_P(Location, FollowsTheXdgRule) {
    const PathRow& row = GetParam();
    const passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    const std::string fromDatabase = std::string(user->pw_dir) + "/.config/Morlane/registry.reg";
    InChild([&] {
        const auto set = [](const char* name, const char* value) {
            if (value) {
                ::setenv(name, value, 1);
            } else {
                ::unsetenv(name);
            }
        };
        set("HOME", row.home);
        set("XDG_CONFIG_HOME", row.xdg);
        EXPECT_EQ(DefaultRegistryPath(), row.expected ? row.expected : fromDatabase);
    });
}

INSTANTIATE_TEST_SUITE_P(Rules, Location, testing::ValuesIn(kPaths), testing_rows::RowName());

struct DamagedRow {
    const char* name;
    std::string text;
};

const DamagedRow kDamaged[] = {
    {"Garbage",
     "\x7F"
     "ELF\x01\x02"},
    {"EmptyFile", ""},
    {"NoHeader", kEnglishSection},
};

class Damaged : public FileStore, public testing::WithParamInterface<DamagedRow> {};

TEST_P(Damaged, ReadsAsMissingAndIsKeptBeforeTheNextWrite) {
    const std::string text = GetParam().text;
    Spit(file, text);
    FileRegistry store(file.string());
    std::int32_t value = 0;
    EXPECT_EQ(Read(store, value), 2);
    EXPECT_EQ(LoadLanguage(store), 0);
    EXPECT_EQ(Slurp(file), text) << "reading changed the file";

    EXPECT_TRUE(SaveLanguage(store, 1));
    EXPECT_EQ(Slurp(file), kSaved1);
    EXPECT_EQ(Slurp(folder / "registry.reg.damaged"), text);

    Spit(file, text + "again");  // damaged a second time: the first copy stays
    EXPECT_TRUE(SaveLanguage(store, 0));
    EXPECT_EQ(Slurp(folder / "registry.reg.damaged"), text);
    EXPECT_EQ(Slurp(folder / "registry.reg.damaged-2"), text + "again");
}

INSTANTIATE_TEST_SUITE_P(Files, Damaged, testing::ValuesIn(kDamaged), testing_rows::RowName());

TEST_F(FileStore, UnreadableFileFailsAndIsNeverReplaced) {
    fs::create_directories(file / "inside");  // a folder where the file should be: EISDIR
    FileRegistry store(file.string());
    std::int32_t value = 0;
    EXPECT_EQ(Read(store, value), kErrorAccessDenied);
    EXPECT_EQ(Write(store, 1), kErrorAccessDenied);
    EXPECT_TRUE(fs::is_directory(file / "inside"));
    EXPECT_EQ(store.OpenHandles(), 0u);
}

TEST_F(FileStore, FileCutAtEveryByteParsesOrReadsAsMissing) {
    const std::string text = kShared;
    for (std::size_t length = 0; length <= text.size(); ++length) {
        Spit(file, text.substr(0, length));
        FileRegistry store(file.string());
        std::int32_t value = 0;
        const Status status = Read(store, value);
        EXPECT_TRUE(status == 0 || status == kErrorFileNotFound) << length << ": " << status;
        EXPECT_TRUE(value == 0 || status != 0) << length;
        EXPECT_EQ(store.OpenHandles(), 0u);
    }
}

}  // namespace
}  // namespace aspect::settings
