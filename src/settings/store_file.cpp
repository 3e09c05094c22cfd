#include "settings/store_file.h"

#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aspect::settings {
namespace {

// Runs the step's injected fault, if any: true when the step is to fail, with errno set.
bool Injected(const IoFaults& faults, IoStep step) {
    if (!faults) return false;
    const int error = faults(step);
    if (error == 0) return false;
    errno = error;
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SyncFd(int fd) {
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// Closes and reports a deferred write error (some file systems report it only here).
bool CloseChecked(int fd) { return ::close(fd) == 0 || errno == EINTR; }

Status SyncFolder(const std::string& folder, const IoFaults& faults) {
    if (Injected(faults, IoStep::kFolderSync)) return StatusFromErrno(errno);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return StatusFromErrno(errno);
    const bool synced = SyncFd(fd);
    const int error = errno;
    ::close(fd);
    return synced ? kErrorSuccess : StatusFromErrno(error);
}

}  // namespace

Status StatusFromErrno(int error) {
    switch (error) {
        case 0:
            return kErrorSuccess;
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return kErrorAccessDenied;
        case ENOSPC:
        case EDQUOT:
            return kErrorDiskFull;
        case EFBIG:
            return kErrorFileTooLarge;
        case ENAMETOOLONG:
            return kErrorFilenameTooLong;
        case EMFILE:
        case ENFILE:
            return 4;  // ERROR_TOO_MANY_OPEN_FILES
        case ENOMEM:
            return kErrorOutOfMemory;
        default:
            return kErrorRegistryIoFailed;
    }
}

FileBytes ReadFileBytes(const std::string& path, const IoFaults& faults) {
    FileBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) result.status = StatusFromErrno(errno);
        result.exists = result.status != kErrorSuccess;
        return result;
    }
    result.exists = true;
    char buffer[8192];
    while (true) {
        if (Injected(faults, IoStep::kRead)) {
            result.status = StatusFromErrno(errno);
            break;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.status = StatusFromErrno(errno);
            break;
        }
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (result.status != kErrorSuccess) result.bytes.clear();
    return result;
}

Status MakeFolders(const std::string& folder, const IoFaults& faults) {
    if (Injected(faults, IoStep::kMakeFolder)) return StatusFromErrno(errno);
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (part.empty() || ::mkdir(part.c_str(), 0700) == 0) continue;
        if (errno != EEXIST) return StatusFromErrno(errno);
        struct stat st {};
        if (::stat(part.c_str(), &st) != 0) return StatusFromErrno(errno);
        if (!S_ISDIR(st.st_mode)) return kErrorPathNotFound;
    }
    return kErrorSuccess;
}

WriteLock::~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the flock
}

Status WriteLock::Acquire(const std::string& lockPath, const IoFaults& faults,
                          std::chrono::milliseconds timeout) {
    if (Injected(faults, IoStep::kLockOpen)) return StatusFromErrno(errno);
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return StatusFromErrno(errno);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (Injected(faults, IoStep::kLock)) return StatusFromErrno(errno);
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return kErrorSuccess;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return StatusFromErrno(errno);
        if (std::chrono::steady_clock::now() >= deadline) return kErrorLockViolation;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string TemporaryPrefix(const std::string& path) { return path + ".tmp-"; }

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                             const IoFaults& faults) {
    mode_t mode = 0600;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;

    if (Injected(faults, IoStep::kTempCreate)) return StatusFromErrno(errno);
    std::string temp = TemporaryPrefix(path) + "XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return StatusFromErrno(errno);
    temp.assign(name.data());

    int error = 0;
    if (::fchmod(fd, mode) != 0) {
        error = errno;
    } else if (Injected(faults, IoStep::kTempWrite) || !WriteAll(fd, bytes)) {
        error = errno;
    } else if (Injected(faults, IoStep::kTempSync) || !SyncFd(fd)) {
        error = errno;
    }
    if (!CloseChecked(fd) && error == 0) error = errno;
    if (error == 0 &&
        (Injected(faults, IoStep::kRename) || ::rename(temp.c_str(), path.c_str()) != 0)) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return StatusFromErrno(error);
    }
    // The rename is durable only once the folder entry is on disk.
    return SyncFolder(FolderOf(path), faults);
}

Status KeepDamagedCopy(const std::string& path, std::string_view bytes, const IoFaults& faults,
                       std::string* keptAs) {
    if (Injected(faults, IoStep::kKeepDamaged)) return StatusFromErrno(errno);
    for (int n = 1; n <= 1000; ++n) {
        const std::string copy = path + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return StatusFromErrno(errno);
        int error = 0;
        if (!WriteAll(fd, bytes) || !SyncFd(fd)) error = errno;
        if (!CloseChecked(fd) && error == 0) error = errno;
        if (error != 0) {
            ::unlink(copy.c_str());
            return StatusFromErrno(error);
        }
        if (keptAs != nullptr) *keptAs = copy;
        return SyncFolder(FolderOf(path), {});
    }
    return 183;  // ERROR_ALREADY_EXISTS: a thousand copies kept already
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = BaseOf(TemporaryPrefix(path));
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) == prefix) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace aspect::settings
