#include "settings/store_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
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

// Splits "a/b/c" into its folder ("a/b"; "/" for "/c", "." for "c") and its last name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string LinkText(int folder, const std::string& name) {
    std::string text(256, '\0');
    while (true) {
        const ssize_t n = ::readlinkat(folder, name.c_str(), text.data(), text.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < text.size()) {
            text.resize(static_cast<std::size_t>(n));
            return text;
        }
        if (text.size() >= 65536) return {};
        text.resize(text.size() * 2);
    }
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

Status SyncFolder(int folder, const IoFaults& faults) {
    if (Injected(faults, IoStep::kFolderSync)) return StatusFromErrno(errno);
    return SyncFd(folder) ? kErrorSuccess : StatusFromErrno(errno);
}

// "<name>.damaged" is copy 1, "<name>.damaged-N" copy N; 0 for any other name.
long long DamagedNumber(std::string_view entry, std::string_view stem) {
    if (entry.substr(0, stem.size()) != stem) return 0;
    entry.remove_prefix(stem.size());
    if (entry.empty()) return 1;
    // Up to 18 digits: far more copies than any folder sees, and no overflow.
    if (entry.front() != '-' || entry.size() < 2 || entry.size() > 19 || entry[1] == '0') return 0;
    long long n = 0;
    for (char c : entry.substr(1)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string DamagedName(const std::string& stem, long long n) {
    return n == 1 ? stem : stem + "-" + std::to_string(n);
}

// The numbers of the damaged copies in `folder`.
std::vector<long long> DamagedCopies(int folder, const std::string& stem) {
    std::vector<long long> numbers;
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return numbers;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return numbers;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const long long n = DamagedNumber(entry->d_name, stem);
        if (n > 0) numbers.push_back(n);
    }
    ::closedir(dir);
    return numbers;
}

// Writes `bytes` as the new file `name` in `folder`, synced; removes it again on failure.
Status WriteNewFile(int folder, const std::string& name, std::string_view bytes) {
    const int fd =
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return StatusFromErrno(errno);
    int error = 0;
    if (!WriteAll(fd, bytes) || !SyncFd(fd)) error = errno;
    if (!CloseChecked(fd) && error == 0) error = errno;
    if (error != 0) ::unlinkat(folder, name.c_str(), 0);
    return StatusFromErrno(error);
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
        case ELOOP:  // a link where none may be followed
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

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Fd::~Fd() {
    if (fd_ >= 0) ::close(fd_);
}

FileBytes ReadStoreFile(int folder, const std::string& name, bool followLinks,
                        const IoFaults& faults) {
    FileBytes result;
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            result.exists = true;
            result.status = StatusFromErrno(errno);
        }
        return result;
    }
    result.exists = true;
    // Only a regular file is opened: a FIFO would block the window, a device never end.
    if (!S_ISREG(st.st_mode)) {
        result.status = kErrorAccessDenied;
        return result;
    }
    // Non-blocking too, in case a FIFO took the file's place since.
    const Fd fd(
        ::openat(folder, name.c_str(),
                 O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW)));
    if (!fd.valid()) {
        result.exists = errno != ENOENT;
        result.status = result.exists ? StatusFromErrno(errno) : kErrorSuccess;
        return result;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.status = kErrorAccessDenied;
        return result;
    }
    result.device = st.st_dev;
    result.inode = st.st_ino;
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxStoreBytes) {
        result.oversized = true;
        return result;
    }
    char buffer[8192];
    while (true) {
        if (Injected(faults, IoStep::kRead)) {
            result.status = StatusFromErrno(errno);
            break;
        }
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.status = StatusFromErrno(errno);
            break;
        }
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(n));
        if (result.bytes.size() > kMaxStoreBytes) {  // grew while being read
            result.oversized = true;
            break;
        }
    }
    if (result.status != kErrorSuccess || result.oversized) result.bytes.clear();
    return result;
}

bool FileBytes::StillAt(int folder, const std::string& name) const {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT && !exists;
    }
    return exists && st.st_dev == device && st.st_ino == inode;
}

Status OpenTrustedFolder(int start, const std::string& path, bool create, const IoFaults& faults,
                         Fd& folder) {
    if (create && Injected(faults, IoStep::kMakeFolder)) return StatusFromErrno(errno);
    const uid_t me = ::geteuid();
    constexpr int kWalk = O_PATH | O_DIRECTORY | O_CLOEXEC;
    Fd at(::openat(path.starts_with('/') ? AT_FDCWD : start, path.starts_with('/') ? "/" : ".",
                   kWalk));
    if (!at.valid()) return StatusFromErrno(errno);
    // The names still to walk, the next one last.
    std::vector<std::string> names;
    const auto push = [&names](const std::string& text) {
        std::size_t end = text.size();
        while (end > 0) {
            const std::size_t slash = text.rfind('/', end - 1);
            const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
            if (end > begin) names.push_back(text.substr(begin, end - begin));
            if (slash == std::string::npos) break;
            end = slash;
        }
    };
    push(path);
    int links = 0;
    while (!names.empty()) {
        const std::string name = names.back();
        if (name == ".") {
            names.pop_back();
            continue;
        }
        Fd next(::openat(at.get(), name.c_str(), kWalk | O_NOFOLLOW));
        if (next.valid()) {
            at = std::move(next);
            names.pop_back();
            continue;
        }
        if (errno == ENOENT && create) {
            // Never a folder in someone else's: root with another user's home would leave
            // them a folder of root's they cannot write in.
            struct stat parent {};
            if (::fstat(at.get(), &parent) != 0) return StatusFromErrno(errno);
            if (parent.st_uid != me) return kErrorAccessDenied;
            if (::mkdirat(at.get(), name.c_str(), 0700) != 0 && errno != EEXIST) {
                return StatusFromErrno(errno);
            }
            continue;  // open what is there now
        }
        if (errno != ENOTDIR && errno != ELOOP) return StatusFromErrno(errno);
        struct stat st {};
        if (::fstatat(at.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return StatusFromErrno(errno);
        }
        if (!S_ISLNK(st.st_mode)) return kErrorPathNotFound;  // a file in the way
        // A link is as sure as the folder holding it: in a folder only this user or root can
        // change, they put it there. Whose the link is says nothing, as anyone may hard-link
        // root's links into their own folders.
        struct stat holder {};
        if (::fstat(at.get(), &holder) != 0) return StatusFromErrno(errno);
        if ((holder.st_uid != me && holder.st_uid != 0) ||
            (holder.st_mode & (S_IWGRP | S_IWOTH)) != 0 || ++links > 40) {
            return kErrorAccessDenied;
        }
        const std::string text = LinkText(at.get(), name);
        if (text.empty()) return kErrorAccessDenied;
        names.pop_back();
        if (text.starts_with('/')) {
            at = Fd(::openat(AT_FDCWD, "/", kWalk));
            if (!at.valid()) return StatusFromErrno(errno);
        }
        push(text);
    }
    Fd opened(::openat(at.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened.valid()) return StatusFromErrno(errno);
    struct stat st {};
    if (::fstat(opened.get(), &st) != 0) return StatusFromErrno(errno);
    if (st.st_uid != me || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return kErrorAccessDenied;
    folder = std::move(opened);
    return kErrorSuccess;
}

Status ResolveSaveTarget(int folder, const std::string& name, SaveTarget& target) {
    struct stat st {};
    const bool exists = ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) return StatusFromErrno(errno);
    if (!exists || S_ISREG(st.st_mode)) {
        // A file the user made read-only is not to be replaced.
        if (exists && (st.st_mode & S_IWUSR) == 0) return kErrorAccessDenied;
        target.folder = Fd(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
        target.name = name;
        target.linked = false;
        return target.folder.valid() ? kErrorSuccess : StatusFromErrno(errno);
    }
    // A folder, FIFO or device where the file should be is never replaced; a link is
    // followed only when the user made it, to the user's own file in a trusted folder.
    if (!S_ISLNK(st.st_mode) || st.st_uid != ::geteuid()) return kErrorAccessDenied;
    const std::string text = LinkText(folder, name);
    auto [linkFolder, linkName] = SplitPath(text);
    if (text.empty() || linkName.empty() || linkName == "." || linkName == "..") {
        return kErrorAccessDenied;
    }
    Fd targetFolder;
    const Status opened = OpenTrustedFolder(folder, linkFolder, false, {}, targetFolder);
    if (opened != kErrorSuccess) return opened == kErrorPathNotFound ? kErrorAccessDenied : opened;
    if (::fstatat(targetFolder.get(), linkName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR) == 0) {
        return kErrorAccessDenied;
    }
    target.folder = std::move(targetFolder);
    target.name = std::move(linkName);
    target.linked = true;
    return kErrorSuccess;
}

bool SaveTarget::SameAs(const SaveTarget& other) const {
    struct stat a {
    }, b{};
    return name == other.name && ::fstat(folder.get(), &a) == 0 &&
           ::fstat(other.folder.get(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Status LockExclusive(int fd, std::chrono::milliseconds timeout, const IoFaults& faults) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (Injected(faults, IoStep::kLock)) return StatusFromErrno(errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return kErrorSuccess;
        if (errno != EINTR && errno != EWOULDBLOCK) return StatusFromErrno(errno);
        if (std::chrono::steady_clock::now() >= deadline) return kErrorLockViolation;
        if (errno == EWOULDBLOCK) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Status WriteLock::Acquire(int folder, const std::string& name, bool create, const IoFaults& faults,
                          std::chrono::milliseconds timeout) {
    if (Injected(faults, IoStep::kLockOpen)) return StatusFromErrno(errno);
    folder_ = folder;
    name_ = name;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        // Never through a link, and never blocking on a FIFO planted in its place.
        fd_ = Fd(::openat(folder, name.c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0),
                          0600));
        if (!fd_.valid()) return StatusFromErrno(errno);
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0) return StatusFromErrno(errno);
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return kErrorAccessDenied;
        const auto left = std::max(std::chrono::steady_clock::duration::zero(),
                                   deadline - std::chrono::steady_clock::now());
        const Status locked = LockExclusive(
            fd_.get(), std::chrono::duration_cast<std::chrono::milliseconds>(left), faults);
        if (locked != kErrorSuccess) return locked;
        // A file removed or replaced while this process waited locks nothing any more.
        if (Current()) return kErrorSuccess;
        if (std::chrono::steady_clock::now() >= deadline) return kErrorLockViolation;
    }
}

bool WriteLock::Current() const {
    struct stat locked {
    }, named{};
    return fd_.valid() && ::fstat(fd_.get(), &locked) == 0 &&
           ::fstatat(folder_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

std::string TemporaryName(const std::string& name) {
    std::uint64_t bits = 0;
    while (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        if (errno != EINTR) {
            // Only uniqueness matters here, not secrecy.
            bits = static_cast<std::uint64_t>(::getpid()) << 32 ^
                   static_cast<std::uint64_t>(
                       std::chrono::steady_clock::now().time_since_epoch().count());
            break;
        }
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string temp = name + std::string(kTemporaryInfix);
    for (int shift = 60; shift >= 0; shift -= 4) temp += kDigits[(bits >> shift) & 0xF];
    return temp;
}

namespace {

// Removes the temporary files of killed writers beside `name`: files of the store's temporary
// names that nobody has written to for a minute. A live writer's is seconds old at most.
void RemoveLeftovers(int folder, const std::string& name) {
    const std::string stem = name + std::string(kTemporaryInfix);
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    const time_t old = ::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        if (entryName.size() != stem.size() + 16 || !entryName.starts_with(stem) ||
            entryName.find_first_not_of("0123456789abcdef", stem.size()) != std::string::npos) {
            continue;
        }
        struct stat st {};
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_mtime < old) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

Status ReplaceFileAtomically(int folder, const std::string& name, std::string_view bytes,
                             const IoFaults& faults, const std::function<Status()>& beforeRename) {
    // The old file's read and write bits; never execute or set-id bits.
    mode_t mode = 0600;
    struct stat old {};
    if (::fstatat(folder, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) mode = old.st_mode & 0666;

    if (Injected(faults, IoStep::kTempCreate)) return StatusFromErrno(errno);
    RemoveLeftovers(folder, name);
    // A name of this writer's own: a writer that got past the lock never touches it.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        temp = TemporaryName(name);
        fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return StatusFromErrno(errno);

    int error = 0;
    if (::fchmod(fd, mode) != 0) {
        error = errno;
    } else if (Injected(faults, IoStep::kTempWrite) || !WriteAll(fd, bytes)) {
        error = errno;
    } else if (Injected(faults, IoStep::kTempSync) || !SyncFd(fd)) {
        error = errno;
    }
    if (!CloseChecked(fd) && error == 0) error = errno;
    Status status = StatusFromErrno(error);
    if (status == kErrorSuccess && beforeRename) status = beforeRename();
    if (status == kErrorSuccess && (Injected(faults, IoStep::kRename) ||
                                    ::renameat(folder, temp.c_str(), folder, name.c_str()) != 0)) {
        status = StatusFromErrno(errno);
    }
    if (status != kErrorSuccess) {
        ::unlinkat(folder, temp.c_str(), 0);
        return status;
    }
    // The rename is durable only once the folder entry is on disk.
    return SyncFolder(folder, faults);
}

Status SetDamagedAside(int from, const std::string& name, int store, const std::string& storeName,
                       const std::string* bytes, const IoFaults& faults, std::string* keptAs) {
    if (Injected(faults, IoStep::kKeepDamaged)) return StatusFromErrno(errno);
    const std::string stem = storeName + ".damaged";
    std::vector<long long> numbers = DamagedCopies(store, stem);
    long long newest = 0;
    for (long long n : numbers) newest = std::max(newest, n);
    const std::string copy = DamagedName(stem, newest + 1);
    // A rename keeps a damaged file of any size at once; nothing is copied.
    if (::renameat2(from, name.c_str(), store, copy.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EXDEV || bytes == nullptr) return StatusFromErrno(errno);
        const Status written = WriteNewFile(store, copy, *bytes);
        if (written != kErrorSuccess) return written;
    }
    numbers.push_back(newest + 1);
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    for (std::size_t i = kDamagedCopiesKept; i < numbers.size(); ++i) {
        ::unlinkat(store, DamagedName(stem, numbers[i]).c_str(), 0);
    }
    if (keptAs != nullptr) *keptAs = copy;
    return SyncFolder(store, {});
}

}  // namespace aspect::settings
