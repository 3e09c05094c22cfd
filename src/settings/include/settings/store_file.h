#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "settings/registry_api.h"

namespace aspect::settings {

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

struct FileBytes {
    Status status = kErrorSuccess;  // non-zero: the file exists but could not be read
    bool exists = false;
    std::string bytes;
};

// Reads the whole file; a missing file (or folder) is not an error.
FileBytes ReadFileBytes(const std::string& path, const IoFaults& faults);

// Creates the folder and its missing parents (mode 0700).
Status MakeFolders(const std::string& folder, const IoFaults& faults);

// An exclusive advisory lock on a separate lock file, released when destroyed or when the
// process dies, so a killed writer never leaves the store locked.
class WriteLock {
  public:
    WriteLock() = default;
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    ~WriteLock();
    // Waits up to `timeout` for the lock; 33 (ERROR_LOCK_VIOLATION) when it stays taken.
    Status Acquire(const std::string& lockPath, const IoFaults& faults,
                   std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
};

// Replaces `path` with `bytes` so that a crash leaves the old or the new file, never a mix:
// a temporary file in the same folder is written, synced and renamed over `path`, then the
// folder is synced. On failure before the rename the old file is untouched and the
// temporary file removed. Keeps the old file's permission bits (0600 for a new file).
Status ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                             const IoFaults& faults);

// Stores `bytes` durably beside `path` as "<path>.damaged" (or "-2", "-3", ... when taken);
// an earlier copy is never replaced. Returns the copy's path in `keptAs`.
Status KeepDamagedCopy(const std::string& path, std::string_view bytes, const IoFaults& faults,
                       std::string* keptAs);

// Removes temporary files that a writer killed mid-write left beside `path`. Call with the
// write lock held: temporary files exist only while a writer holds it.
void RemoveStaleTemporaries(const std::string& path);

// The prefix of the temporary files beside `path`.
std::string TemporaryPrefix(const std::string& path);

}  // namespace aspect::settings
