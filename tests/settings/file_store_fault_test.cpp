// The file store under failing steps: every failed write leaves the old file and no
// temporary file behind.
#include "file_store_support.h"

#include "row_name.h"
#include "settings/registry.h"

namespace aspect::settings {
namespace {

using namespace testing_file;

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

// Removed when a minute old, by the pattern of the names writers use; a newer one may be a
// live writer's, and a look-alike name is someone else's file.
TEST_F(FileStore, TemporaryFileOfAKilledWriterIsRemoved) {
    Spit(file, kShared);
    for (const char* name : {"registry.reg.tmp-save-0123456789abcdef", "registry.reg.tmp-Ab12Cd",
                             "registry.reg.tmp-save-0123456789abcdeg"}) {
        Spit(folder / name, "half a file");
        fs::last_write_time(folder / name,
                            fs::file_time_type::clock::now() - std::chrono::minutes(2));
    }
    Spit(folder / "registry.reg.tmp-save-fedcba9876543210", "a live writer's");
    FileRegistry store(file.string());
    EXPECT_EQ(Write(store, 1), 0);
    EXPECT_EQ(Listing(folder),
              (std::set<std::string>{"registry.reg", "registry.reg.lock", "registry.reg.tmp-Ab12Cd",
                                     "registry.reg.tmp-save-0123456789abcdeg",
                                     "registry.reg.tmp-save-fedcba9876543210"}));
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
            ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0700"), 0);
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

}  // namespace
}  // namespace aspect::settings
