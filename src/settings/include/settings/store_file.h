#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/registry_api.h"

namespace aspect::settings {

// The largest store file that is read: the program's own files are about a hundred bytes,
// so anything larger counts as damaged without being read.
inline constexpr std::size_t kMaxStoreBytes = 64 * 1024;
// How many damaged files are kept aside, the newest; older copies are removed.
inline constexpr int kDamagedCopiesKept = 3;

// The file operations a write goes through, in order.
enum class IoStep {
    kMakeFolder,
    kLockOpen,
    kLock,
    kRead,
    kKeepDamaged,
    kTempCreate,
    kTempWrite,
    kTempSync,
    kRename,
    kFolderSync,
};

// Returns the errno a step fails with before it runs, or 0 to run it; empty runs every step.
// Tests use it to fail one step at a time.
using IoFaults = std::function<int(IoStep)>;

// The Windows error code for a failed file operation's errno.
Status StatusFromErrno(int error);

// An open file descriptor, closed when destroyed.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept;
    ~Fd();
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

struct FileBytes {
    Status status = kErrorSuccess;  // non-zero: something is there but cannot be read
    bool exists = false;
    bool oversized = false;  // larger than kMaxStoreBytes, so not read
    std::string bytes;
    // The file read; a save replaces it only while it is still the one at its name.
    std::uint64_t device = 0, inode = 0;

    // True while `name` in `folder` is the file read, or still missing when none was.
    bool StillAt(int folder, const std::string& name) const;
};

// Reads `name` in the folder `folder` (AT_FDCWD for the working folder) when it is a regular
// file, following a link only when `followLinks`. Anything else there (a folder, a FIFO, a
// device) is never opened and gives 5, so a read never blocks nor runs without end. A missing
// file (or folder) is not an error.
FileBytes ReadStoreFile(int folder, const std::string& name, bool followLinks,
                        const IoFaults& faults);

// Opens the folder at `path` (absolute, or relative to `start`) for the store to write in,
// creating missing folders (mode 0700) when `create`, but only inside folders of this user's.
// As ssh checks a user's files: a symbolic link on the way is followed only from a folder of
// this user or root that nobody else can write to, and the folder itself must belong to this
// user, not writable by group or others, so nobody else can change what is in it. Gives 5
// when it cannot be trusted.
Status OpenTrustedFolder(int start, const std::string& path, bool create, const IoFaults& faults,
                         Fd& folder);

// The file a save replaces: the store file itself, or the user's own regular file that a
// link in the store folder points to, in a folder trusted as above.
struct SaveTarget {
    Fd folder;
    std::string name;
    bool linked = false;  // reached through a link, which other folders may share

    // The same name in the same folder.
    bool SameAs(const SaveTarget& other) const;
};

// Finds where a save of `name` in the trusted `folder` goes; gives 5 for a link to anything
// but the user's own regular file in a trusted folder, for a store that is not a regular
// file, and for a file without its owner's write permission (the user made it read-only).
Status ResolveSaveTarget(int folder, const std::string& name, SaveTarget& target);

// Takes an exclusive flock on `fd`, a file or a folder, waiting up to `timeout`; 33
// (ERROR_LOCK_VIOLATION) when it stays taken. Released when the descriptor is closed.
Status LockExclusive(int fd, std::chrono::milliseconds timeout, const IoFaults& faults);

// An exclusive advisory lock on a file, released when destroyed or when the process dies, so
// a killed writer never leaves the store locked.
class WriteLock {
  public:
    // Opens `name` in `folder` (creating it when `create`) without following a link; it must
    // be a regular file of this user (5 otherwise). Waits up to `timeout` for the lock; 33
    // (ERROR_LOCK_VIOLATION) when it stays taken. A file that lost its name while this
    // process waited is let go and the one at the name locked instead.
    Status Acquire(int folder, const std::string& name, bool create, const IoFaults& faults,
                   std::chrono::milliseconds timeout);
    // True while the locked file is still the one at its name: a cleaner may delete it, and
    // a writer then locks another, so a save also checks that the file it read is still there
    // (FileBytes::StillAt).
    bool Current() const;

  private:
    Fd fd_;  // closing the last descriptor releases the flock
    int folder_ = -1;
    std::string name_;
};

// What a temporary file's name adds to the name of the file it replaces, before 16 random
// hexadecimal digits.
inline constexpr std::string_view kTemporaryInfix = ".tmp-save-";

// A fresh temporary name beside `name`, of this writer's alone.
std::string TemporaryName(const std::string& name);

// Replaces `name` in `folder` with `bytes` so that a crash leaves the old or the new file,
// never a mix: a temporary file in the same folder is written, synced and renamed over it,
// then the folder is synced. `beforeRename`, when given, runs just before the rename and stops
// the write when it fails. On failure before the rename the old file is untouched and the
// temporary file removed. Keeps the old file's permission bits (0600 for a new file).
Status ReplaceFileAtomically(int folder, const std::string& name, std::string_view bytes,
                             const IoFaults& faults,
                             const std::function<Status()>& beforeRename = {});

// Moves the damaged file `name` in `from` into the store folder `store` as
// "<storeName>.damaged", "-2", "-3", ... (one past the highest kept), by rename, not by copy;
// `bytes` (null when not read) is written instead when the two folders lie on different file
// systems. Then removes all but the newest kDamagedCopiesKept copies. Returns the copy's name
// in `keptAs`.
Status SetDamagedAside(int from, const std::string& name, int store, const std::string& storeName,
                       const std::string* bytes, const IoFaults& faults, std::string* keptAs);

}  // namespace aspect::settings
