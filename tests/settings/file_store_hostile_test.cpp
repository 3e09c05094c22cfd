// The file store in a hostile or careless home: links planted by others, files that block
// or never end, a lock held elsewhere, damaged copies piling up.
#include "file_store_support.h"

#include <map>

#include <grp.h>
#include <sys/types.h>

#include "row_name.h"
#include "settings/registry.h"

namespace aspect::settings {
namespace {

using namespace testing_file;
using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr uid_t kUser = 65534;   // whose save it is, in rows run as another user
constexpr uid_t kOther = 65533;  // someone else on the machine

long Millis(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

// One line of /proc/self/status in KiB, e.g. "VmHWM" (peak resident) or "VmSize".
long StatusKib(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Everything under `top` as lstat shows it, links not followed: type, owner, mode, and the
// contents of small files or the text of links.
std::map<std::string, std::string> Tree(const fs::path& top) {
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
         ++it) {
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        std::string entry = std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + " " +
                            std::to_string(st.st_size) + " ";
        if (S_ISLNK(st.st_mode)) entry += fs::read_symlink(it->path()).string();
        if (S_ISREG(st.st_mode) && st.st_size < 4096) entry += Slurp(it->path());
        tree[fs::relative(it->path(), top).string()] = entry;
    }
    return tree;
}

void Own(const fs::path& path, uid_t uid, mode_t mode) {
    ASSERT_EQ(::lchown(path.c_str(), uid, uid), 0) << path;
    if (!fs::is_symlink(path)) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
    }
}

// Becomes `uid` for good (in a child).
void Become(uid_t uid) {
    ASSERT_EQ(::setgroups(0, nullptr), 0);
    ASSERT_EQ(::setresgid(uid, uid, uid), 0);
    ASSERT_EQ(::setresuid(uid, uid, uid), 0);
}

struct TrustRow {
    const char* name;
    bool needsRoot;
    uid_t runAs;  // 0: the test's own user
    bool saves;   // else the save fails with 5 and nothing under the test folder changes
    fs::path (*setUp)(const fs::path& root);  // builds the scene, returns the store's path
};

const TrustRow kTrust[] = {
    // A dotfile manager's link to the user's own file; the careless variant of it links a
    // document whose neighbours must survive.
    {"OwnLinkIsFollowed", false, 0, true,
     [](const fs::path& r) {
         Spit(r / "docs" / "report.odt", kShared);
         Spit(r / "docs" / "report.odt.tmp-4711", "unrelated");
         fs::create_directories(r / "Morlane");
         fs::create_symlink("../docs/report.odt", r / "Morlane" / "registry.reg");
         return r / "Morlane" / "registry.reg";
     }},
    // ... or links the whole folder, as GNU Stow folds a tree.
    {"OwnFolderLinkIsFollowed", false, 0, true,
     [](const fs::path& r) {
         Spit(r / "dotfiles" / "Morlane" / "registry.reg", kShared);
         fs::create_symlink("dotfiles/Morlane", r / "Morlane");
         return r / "Morlane" / "registry.reg";
     }},
    {"LinkIntoFolderOthersCanWrite", false, 0, false,
     [](const fs::path& r) {
         Spit(r / "drop" / "registry.reg", kShared);
         fs::permissions(r / "drop", fs::perms::all);
         fs::create_directories(r / "Morlane");
         fs::create_symlink(r / "drop" / "registry.reg", r / "Morlane" / "registry.reg");
         return r / "Morlane" / "registry.reg";
     }},
    {"StoreFolderOthersCanWrite", false, 0, false,
     [](const fs::path& r) {
         Spit(r / "Morlane" / "registry.reg", kShared);
         fs::permissions(r / "Morlane", fs::perms::all);
         return r / "Morlane" / "registry.reg";
     }},
    {"DanglingLockLink", false, 0, false,
     [](const fs::path& r) {
         Spit(r / "Morlane" / "registry.reg", kShared);
         fs::create_symlink(r / "nologin", r / "Morlane" / "registry.reg.lock");
         return r / "Morlane" / "registry.reg";
     }},
    // Root with a user's configuration folder, the `sudo -E` case: a link to the
    // password-hash file (a scratch copy) must not replace it.
    {"RootInAUsersFolder", true, 0, false,
     [](const fs::path& r) {
         Spit(r / "etc" / "shadow", "root:$6$salt$hash:19000::::::\n");
         Own(r / "etc" / "shadow", 0, 0640);
         fs::create_directories(r / "home" / "Morlane");
         Own(r / "home", kUser, 0755);
         Own(r / "home" / "Morlane", kUser, 0700);
         fs::create_symlink("../../etc/shadow", r / "home" / "Morlane" / "registry.reg");
         Own(r / "home" / "Morlane" / "registry.reg", kUser, 0);
         return r / "home" / "Morlane" / "registry.reg";
     }},
    {"LinkToAnotherUsersFile", true, 0, false,
     [](const fs::path& r) {
         Spit(r / "other" / "registry.reg", kShared);
         Own(r / "other" / "registry.reg", kOther, 0644);
         fs::create_directories(r / "Morlane");
         fs::create_symlink(r / "other" / "registry.reg", r / "Morlane" / "registry.reg");
         return r / "Morlane" / "registry.reg";
     }},
    {"LockFileOfAnotherUser", true, 0, false,
     [](const fs::path& r) {
         Spit(r / "Morlane" / "registry.reg", kShared);
         Spit(r / "Morlane" / "registry.reg.lock", "");
         Own(r / "Morlane" / "registry.reg.lock", kOther, 0666);
         return r / "Morlane" / "registry.reg";
     }},
    // The owner of a shared configuration folder links the victim's ~/.bashrc.
    {"SharedFolderOwnersLink", true, kUser, false,
     [](const fs::path& r) {
         Spit(r / "home" / ".bashrc", "alias ll='ls -l'\n");
         Own(r / "home", kUser, 0755);
         Own(r / "home" / ".bashrc", kUser, 0644);
         fs::create_directories(r / "cfg" / "Morlane");
         Own(r / "cfg", kOther, 0755);
         Own(r / "cfg" / "Morlane", kOther, 0755);
         fs::create_symlink(r / "home" / ".bashrc", r / "cfg" / "Morlane" / "registry.reg");
         Own(r / "cfg" / "Morlane" / "registry.reg", kOther, 0);
         Spit(r / "cfg" / "Morlane" / "registry.reg.lock", "");  // open to all, to get that far
         Own(r / "cfg" / "Morlane" / "registry.reg.lock", kOther, 0666);
         return r / "cfg" / "Morlane" / "registry.reg";
     }},
    // ... or plants a link on the way to a folder of the victim's.
    {"SharedFolderOwnersLinkOnTheWay", true, kUser, false,
     [](const fs::path& r) {
         fs::create_directories(r / "home");
         fs::create_directories(r / "shared");
         Own(r / "home", kUser, 0755);
         Own(r / "shared", kOther, 0755);
         fs::create_symlink(r / "home", r / "shared" / "cfg");
         Own(r / "shared" / "cfg", kOther, 0);
         return r / "shared" / "cfg" / "Morlane" / "registry.reg";
     }},
    // Root with another user's home and no configuration folder there (`sudo -E`), or with
    // their configuration folder: a folder of root's in it would lock them out of their own.
    {"RootMakesNoFolderInAUsersHome", true, 0, false,
     [](const fs::path& r) {
         fs::create_directories(r / "home");
         Own(r / "home", kUser, 0755);
         return r / "home" / ".config" / "Morlane" / "registry.reg";
     }},
    {"RootMakesNoFolderInAUsersConfig", true, 0, false,
     [](const fs::path& r) {
         fs::create_directories(r / "home" / ".config");
         Own(r / "home", kUser, 0755);
         Own(r / "home" / ".config", kUser, 0700);
         return r / "home" / ".config" / "Morlane" / "registry.reg";
     }},
    // A link of root's in a user's folder, as a hard link to one of root's links would be
    // (fs.protected_hardlinks=0): the user chose where it sits, so root does not follow it.
    {"RootsLinkInAUsersFolder", true, 0, false,
     [](const fs::path& r) {
         fs::create_directories(r / "home" / ".config");
         fs::create_directories(r / "rootonly");
         Own(r / "home", kUser, 0755);
         Own(r / "home" / ".config", kUser, 0700);
         Own(r / "rootonly", 0, 0700);
         fs::create_symlink(r / "rootonly", r / "home" / ".config" / "Morlane");
         return r / "home" / ".config" / "Morlane" / "registry.reg";
     }},
    // ... while root's links in root's folders above a home (/home -> /var/home) are followed.
    {"RootsLinkAboveTheHome", true, kUser, true,
     [](const fs::path& r) {
         fs::create_directories(r / "sys");
         Spit(r / "var" / "ana" / "Morlane" / "registry.reg", kShared);
         Own(r / "sys", 0, 0755);
         Own(r / "var", 0, 0755);
         Own(r / "var" / "ana", kUser, 0755);
         Own(r / "var" / "ana" / "Morlane", kUser, 0700);
         Own(r / "var" / "ana" / "Morlane" / "registry.reg", kUser, 0600);
         fs::create_symlink(r / "var" / "ana", r / "sys" / "home");
         return r / "sys" / "home" / "Morlane" / "registry.reg";
     }},
    {"ReadOnlyFile", false, 0, false,
     [](const fs::path& r) {
         Spit(r / "Morlane" / "registry.reg", kShared);
         fs::permissions(r / "Morlane" / "registry.reg", static_cast<fs::perms>(0444));
         return r / "Morlane" / "registry.reg";
     }},
};

class Trust : public FileStore, public testing::WithParamInterface<TrustRow> {};

TEST_P(Trust, SaveWritesOnlyThroughTheUsersOwnLinks) {
    const TrustRow& row = GetParam();
    if (row.needsRoot && ::geteuid() != 0) GTEST_SKIP() << "needs root to own files as others";
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path store = row.setUp(root);
    const std::map<std::string, std::string> before = Tree(root);
    InChild([&] {
        if (row.runAs != 0) Become(row.runAs);
        FileRegistry registry(store.string());
        EXPECT_EQ(Write(registry, 1), row.saves ? kErrorSuccess : kErrorAccessDenied);
    });
    const std::map<std::string, std::string> after = Tree(root);
    if (!row.saves) {
        EXPECT_EQ(after, before) << "a refused save changed files";
        return;
    }
    FileRegistry registry(store.string());
    EXPECT_EQ(LoadLanguage(registry), 1);
    const fs::path target = fs::relative(fs::canonical(store), root);
    for (const auto& [name, entry] : before) {
        if (name != target) {
            EXPECT_EQ(after.at(name), entry) << name;
        }
    }
    for (const auto& [name, entry] : after) {
        EXPECT_TRUE(before.count(name) || name.ends_with(".lock")) << "new file " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, Trust, testing::ValuesIn(kTrust), testing_rows::RowName());

struct HostileFileRow {
    const char* name;
    void (*setUp)(const fs::path& file);
    bool setAside;  // a save moves it aside and succeeds; else the save fails with 5
};

const HostileFileRow kHostileFiles[] = {
    {"Fifo", [](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }, false},
    {"LinkToDevZero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, false},
    {"SparseGigabyte",
     [](const fs::path& f) {
         Spit(f, kSaved1);
         fs::resize_file(f, std::uintmax_t{1} << 30);
     },
     true},
    // Well formed, but larger than any store the program writes: read as damaged.
    {"JustOverTheCap", [](const fs::path& f) { Spit(f, kSaved1 + std::string(65536, '\n')); },
     true},
};

class HostileFile : public FileStore, public testing::WithParamInterface<HostileFileRow> {};

TEST_P(HostileFile, StartAndClickTakeLittleTimeAndMemory) {
    const HostileFileRow& row = GetParam();
    fs::create_directories(folder);
    row.setUp(file);
    struct stat original {};
    ASSERT_EQ(::stat(file.c_str(), &original), 0);
    InChild([&] {
        ::alarm(10);  // a store that blocks ends here, reported as a signal
        if (!kAddressSanitizer) {
            // The sanitizer reserves terabytes of address space; there only the peak counts.
            const rlim_t bytes = static_cast<rlim_t>(StatusKib("VmSize") + 512 * 1024) * 1024;
            const rlimit limit{bytes, bytes};
            ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
        }
        const long peak = StatusKib("VmHWM");
        FileRegistry store(file.string());
        auto started = Clock::now();
        std::int32_t value = -1;
        EXPECT_EQ(Read(store, value), row.setAside ? kErrorFileNotFound : kErrorAccessDenied);
        const long readMs = Millis(Clock::now() - started);
        started = Clock::now();
        EXPECT_EQ(Write(store, 1), row.setAside ? kErrorSuccess : kErrorAccessDenied);
        const long saveMs = Millis(Clock::now() - started);
        EXPECT_LT(readMs, 500);
        EXPECT_LT(saveMs, 500);
        EXPECT_LT(StatusKib("VmHWM") - peak, 16 * 1024) << "KiB more resident";
        std::cout << "[          ] read " << readMs << " ms, save " << saveMs << " ms" << std::endl;
    });
    if (row.setAside) {
        EXPECT_EQ(Stored(), 1);
        struct stat kept {};
        ASSERT_EQ(::stat((folder / "registry.reg.damaged").c_str(), &kept), 0);
        EXPECT_EQ(kept.st_ino, original.st_ino) << "copied rather than renamed";
    } else {
        struct stat now {};
        ASSERT_EQ(::stat(file.c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, original.st_ino);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFile, testing::ValuesIn(kHostileFiles),
                         testing_rows::RowName());

TEST_F(FileStore, HeldLockFailsAClickWithinTwoHundredMilliseconds) {
    Spit(file, kShared);
    // Another open file description conflicts as another process's would, like
    // `flock registry.reg.lock sleep 1000`.
    const int fd = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    FileRegistry store(file.string());
    const auto started = Clock::now();
    EXPECT_FALSE(SaveLanguage(store, 1));
    const long ms = Millis(Clock::now() - started);
    ::close(fd);
    EXPECT_LE(ms, 200);
    EXPECT_EQ(Slurp(file), kShared);
    std::cout << "[          ] a click under a held lock returned after " << ms << " ms\n";
}

// Damaged files arrive one after another; only the newest few copies stay, old naming
// included, and saving goes on.
TEST_F(FileStore, OnlyTheNewestDamagedCopiesAreKept) {
    for (int n = 1; n <= 1000; ++n) {
        Spit(folder / ("registry.reg.damaged" + (n == 1 ? "" : "-" + std::to_string(n))),
             "old " + std::to_string(n));
    }
    FileRegistry store(file.string());
    for (int round = 1; round <= 5; ++round) {
        Spit(file, "damaged " + std::to_string(round));
        EXPECT_TRUE(SaveLanguage(store, 1)) << round;
    }
    std::set<std::string> kept;
    for (const std::string& name : Listing(folder)) {
        if (name.find(".damaged") != std::string::npos) kept.insert(Slurp(folder / name));
    }
    EXPECT_EQ(kept, (std::set<std::string>{"damaged 3", "damaged 4", "damaged 5"}));
    EXPECT_EQ(Stored(), 1);
}

}  // namespace
}  // namespace aspect::settings
