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

TEST_F(FileStore, RewriteKeepsEverythingElseAsItWas) {
    Spit(file, kShared);
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    FileRegistry store(file.string());
    EXPECT_TRUE(SaveLanguage(store, 1));
    std::string expected = kShared;
    expected.replace(expected.find("\"Language\"=hex:00,00"), 20, "\"Language\"=hex:01,00");
    EXPECT_EQ(Slurp(file), expected);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

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
    {"CutInsideAValue", kSaved1.substr(0, kSaved1.size() - 9) + ",\\"},
    {"InvalidUtf8", kSaved1 + "\"x\"=\"\xFF\"\n"},
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
