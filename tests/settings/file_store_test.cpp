// The file store under faults: atomic, durable, serialised writes that never lose, tear or
// silently replace the file.
#include "settings/file_registry.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "row_name.h"
#include "settings/reg_file.h"
#include "settings/registry.h"

namespace aspect::settings {
namespace {

namespace fs = std::filesystem;
constexpr const char* kKey = "Software\\Morlane";
constexpr int kSkipped = 77;

const std::string kSaved1 =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n"
    "\"Language\"=hex:01,00\n\n";

// A store another program shares: keys and values the program does not use, in the
// writer's own layout so that a rewrite must reproduce them byte for byte.
const std::string kShared =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n"
    "\"Language\"=hex:00,00\n"
    "\"Window\"=dword:00000102\n\n"
    "[HKEY_CURRENT_USER\\Software\\Other\\Deep]\n"
    "@=\"default \\\"text\\\"\"\n"
    "\"Paths\"=hex(7):61,00,00,00,00,00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Morlane]\n"
    "\"Language\"=hex:01,00\n\n";

// kShared with a large value of another program: each write then takes long enough for
// kills and rival writers to land inside it.
std::string LargeShared() {
    RegDocument doc = *ParseRegFile(kShared);
    doc.keys[1].SetValue("Blob", kRegBinary, std::vector<std::uint8_t>(8 * 1024, 0x5A));
    return SerializeRegFile(doc);
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Spit(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Runs `body` in a child process (for mount namespaces, limits and kills) and fails when
// the child's checks failed; skips when the child could not set itself up.
void InChild(const std::function<void()>& body) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        ::_exit(testing::Test::IsSkipped() ? kSkipped : testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child died with signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == kSkipped) GTEST_SKIP() << "needs a private mount namespace";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed (see above)";
}

class FileStore : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/aspect-store-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root = name;
        folder = root / "Morlane";
        file = folder / "registry.reg";
    }
    void TearDown() override { fs::remove_all(root); }

    // Stores `value` as "Language" and returns the status, as SaveLanguage sees it.
    Status Write(FileRegistry& store, std::int16_t value, const char* name = "Language") {
        return RegWriteValue(store, kHkeyCurrentUser, kKey, name, value);
    }
    Status Read(FileRegistry& store, std::int32_t& value, const char* name = "Language") {
        return RegReadValue(store, kHkeyCurrentUser, kKey, name, 0, value);
    }
    std::int32_t Stored(const char* name = "Language") {
        FileRegistry store(file.string());
        std::int32_t value = -1;
        EXPECT_EQ(Read(store, value, name), 0);
        return value;
    }

    fs::path root, folder, file;
};

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
    const char* xdg;  // nullptr: unset
    const char* expected;
};

const PathRow kPaths[] = {
    {"ConfigHomeSet", "/srv/cfg", "/srv/cfg/Morlane/registry.reg"},
    {"ConfigHomeUnset", nullptr, "/home/ana/.config/Morlane/registry.reg"},
    {"RelativeConfigHomeIgnored", "cfg", "/home/ana/.config/Morlane/registry.reg"},
};

class Location : public testing::TestWithParam<PathRow> {};

TEST_P(Location, FollowsTheXdgRule) {
    InChild([] {
        ::setenv("HOME", "/home/ana", 1);
        if (GetParam().xdg) {
            ::setenv("XDG_CONFIG_HOME", GetParam().xdg, 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        EXPECT_EQ(DefaultRegistryPath(), GetParam().expected);
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

struct FaultRow {
    const char* name;
    IoStep step;
    int error;
    Status status;
    bool replaced;  // the new file is in place although the write reports failure
};

const FaultRow kFaults[] = {
    {"FolderNotCreatable", IoStep::kMakeFolder, EACCES, kErrorAccessDenied, false},
    {"LockFileReadOnly", IoStep::kLockOpen, EROFS, kErrorAccessDenied, false},
    {"LockFails", IoStep::kLock, ENOLCK, kErrorRegistryIoFailed, false},
    {"ReadIoError", IoStep::kRead, EIO, kErrorRegistryIoFailed, false},
    {"TempNotCreatable", IoStep::kTempCreate, EACCES, kErrorAccessDenied, false},
    {"DiskFull", IoStep::kTempWrite, ENOSPC, kErrorDiskFull, false},
    {"QuotaExceeded", IoStep::kTempWrite, EDQUOT, kErrorDiskFull, false},
    {"FileSizeLimit", IoStep::kTempWrite, EFBIG, kErrorFileTooLarge, false},
    {"SyncFails", IoStep::kTempSync, EIO, kErrorRegistryIoFailed, false},
    {"RenameFails", IoStep::kRename, EXDEV, kErrorRegistryIoFailed, false},
    // Renamed but not known to be durable: reported as a failure.
    {"FolderSyncFails", IoStep::kFolderSync, EIO, kErrorRegistryIoFailed, true},
};

class Fault : public FileStore, public testing::WithParamInterface<FaultRow> {};

TEST_P(Fault, FailsTheWriteAndLeavesTheOldFile) {
    const FaultRow& row = GetParam();
    Spit(file, kShared);
    fs::create_directories(folder);
    FileRegistry store(file.string(),
                       [&](IoStep step) { return step == row.step ? row.error : 0; });
    EXPECT_EQ(Write(store, 1), row.status);
    EXPECT_FALSE(SaveLanguage(store, 1));
    EXPECT_EQ(store.OpenHandles(), 0u);
    if (row.replaced) {
        EXPECT_EQ(Stored(), 1);
    } else {
        EXPECT_EQ(Slurp(file), kShared) << "the old file changed";
    }
    std::set<std::string> left = Listing(folder);
    left.erase("registry.reg.lock");
    EXPECT_EQ(left, std::set<std::string>{"registry.reg"}) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(Steps, Fault, testing::ValuesIn(kFaults), testing_rows::RowName());

TEST_F(FileStore, DamagedCopyThatCannotBeKeptStopsTheWrite) {
    Spit(file, "damaged");
    FileRegistry store(file.string(),
                       [](IoStep step) { return step == IoStep::kKeepDamaged ? ENOSPC : 0; });
    EXPECT_EQ(Write(store, 1), kErrorDiskFull);
    EXPECT_EQ(Slurp(file), "damaged");
}

TEST_F(FileStore, LockHeldElsewhereTimesOut) {
    Spit(file, kShared);
    const int fd = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    FileRegistry store(file.string(), {}, std::chrono::milliseconds(50));
    EXPECT_EQ(Write(store, 1), kErrorLockViolation);
    ::close(fd);
    EXPECT_EQ(Write(store, 1), 0);
}

TEST_F(FileStore, TemporaryFileOfAKilledWriterIsRemoved) {
    Spit(file, kShared);
    Spit(folder / "registry.reg.tmp-Ab12Cd", "half a file");
    FileRegistry store(file.string());
    EXPECT_EQ(Write(store, 1), 0);
    EXPECT_FALSE(fs::exists(folder / "registry.reg.tmp-Ab12Cd"));
}

// The real thing, as root in a private mount namespace: a read-only folder and a full disk.
struct MountRow {
    const char* name;
    bool readOnly;  // else a tiny tmpfs filled up
    Status status;
};

const MountRow kMounts[] = {
    {"ReadOnlyFolder", true, kErrorAccessDenied},
    {"FullDisk", false, kErrorDiskFull},
};

class Mounted : public FileStore, public testing::WithParamInterface<MountRow> {};

TEST_P(Mounted, WriteFailsAndTheOldFileStays) {
    const MountRow& row = GetParam();
    InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            GTEST_SKIP();
        }
        fs::create_directories(folder);
        if (!row.readOnly) {
            ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
        }
        FileRegistry store(file.string());
        ASSERT_TRUE(SaveLanguage(store, 0));
        const std::string before = Slurp(file);
        if (row.readOnly) {
            ASSERT_EQ(::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr), 0);
            ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                              nullptr),
                      0);
        } else {
            const int filler = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
            const std::string block(512, 'x');
            while (::write(filler, block.data(), block.size()) > 0) {
            }
            ::close(filler);
        }
        EXPECT_EQ(Write(store, 1), row.status);
        EXPECT_FALSE(SaveLanguage(store, 1));
        EXPECT_EQ(Slurp(file), before);
        EXPECT_EQ(LoadLanguage(store), 0);
        for (const std::string& name : Listing(folder)) {
            EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Folders, Mounted, testing::ValuesIn(kMounts), testing_rows::RowName());

TEST_F(FileStore, FileSizeLimitFailsTheWrite) {
    Spit(file, kShared);
    InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};  // bytes; every new file is larger
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        FileRegistry store(file.string());
        EXPECT_EQ(Write(store, 1), kErrorFileTooLarge);
        EXPECT_EQ(Slurp(file), kShared);
        EXPECT_EQ(Listing(folder), (std::set<std::string>{"registry.reg", "registry.reg.lock"}));
    });
}

// Several processes adding values at once: with the lock and the re-read under it, no
// process's value is lost to another's rewrite of the file.
TEST_F(FileStore, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 4, kWrites = 30;
    const std::string shared = LargeShared();
    Spit(file, shared);
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char start = 0;
            ::close(go[1]);
            const bool started = ::read(go[0], &start, 1) == 0;  // all start when it closes
            FileRegistry store(file.string());
            int failures = 0;
            for (int n = 0; n < kWrites; ++n) {
                const std::string name = "W" + std::to_string(w) + "-" + std::to_string(n);
                failures += Write(store, static_cast<std::int16_t>(n), name.c_str()) != 0;
            }
            ::_exit(started && failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::optional<RegDocument> doc = ParseRegFile(Slurp(file));
    ASSERT_TRUE(doc.has_value());
    int lost = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int n = 0; n < kWrites; ++n) {
            const std::string name = "W" + std::to_string(w) + "-" + std::to_string(n);
            lost += doc->keys[0].FindValue(name) == nullptr;
        }
    }
    EXPECT_EQ(lost, 0) << "values lost to concurrent writers";
    EXPECT_EQ(doc->keys[1], ParseRegFile(shared)->keys[1]) << "another key changed";
}

// A writer killed at random moments leaves a file that parses and holds the old or the new
// value, with everything else intact.
TEST_F(FileStore, WriterKilledAnywhereLeavesOldOrNew) {
    const char* wanted = std::getenv("ASPECT_CRASH_ROUNDS");
    const int rounds = wanted ? std::atoi(wanted) : 200;
    const std::string shared = LargeShared();
    Spit(file, shared);
    const RegDocument others = *ParseRegFile(shared);
    // Kill anywhere from before the first write to after a few: time a save here first.
    long saveUs = 0;
    for (int i = 0; i < 3; ++i) {
        const auto started = std::chrono::steady_clock::now();
        FileRegistry store(file.string());
        ASSERT_TRUE(SaveLanguage(store, 0));
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
        saveUs = i == 0 ? us : std::min(saveUs, static_cast<long>(us));
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delayUs(0, 3 * saveUs);
    std::int32_t old = 0;
    int sawNew = 0, midWrite = 0;
    for (int round = 1; round <= rounds; ++round) {
        const auto value = static_cast<std::int16_t>(round);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FileRegistry store(file.string());
            while (true) SaveLanguage(store, value);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);

        for (const std::string& name : Listing(folder)) {
            midWrite += name.find(".tmp-") != std::string::npos;
        }
        std::optional<RegDocument> doc = ParseRegFile(Slurp(file));
        ASSERT_TRUE(doc.has_value()) << "torn file after round " << round << ", seed " << seed;
        std::int32_t now = Stored();
        ASSERT_TRUE(now == old || now == round) << "round " << round << " read " << now;
        sawNew += now == round;
        old = now;
        doc->keys[0].SetValue("Language", kRegBinary, {0, 0});
        ASSERT_EQ(*doc, others) << "other keys changed in round " << round;
    }
    std::cout << "[          ] one save " << saveUs << " us; " << rounds
              << " kills: new value after " << sawNew << ", a temporary file left by " << midWrite
              << ", seed " << seed << "\n";
    FileRegistry store(file.string());
    EXPECT_TRUE(SaveLanguage(store, 1)) << "a killed writer left the store locked";
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
