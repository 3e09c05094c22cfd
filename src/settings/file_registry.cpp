#include "settings/file_registry.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <fcntl.h>

#include "utf.h"

namespace aspect::settings {
namespace {

constexpr std::string_view kUserHive = "HKEY_CURRENT_USER";

// 64-bit Windows code passes predefined keys sign-extended; take both spellings.
std::uint32_t PredefinedIndex(Hkey key) {
    const auto wide = static_cast<std::uint64_t>(key);
    const auto low = static_cast<std::uint32_t>(wide);
    const bool extended = (wide >> 32) == 0 || (wide >> 32) == 0xFFFFFFFFu;
    return extended && (low & 0xFFFFFF00u) == 0x80000000u ? low : 0;
}

bool IsCurrentUser(Hkey key) { return PredefinedIndex(key) == kHkeyCurrentUser; }

bool IsPredefined(Hkey key) { return PredefinedIndex(key) != 0; }

// Appends the components of `subKey` to `path`. Empty components are skipped, as the
// registry does; a leading backslash is a bad path name there too.
Status Join(std::string& path, const char* subKey) {
    if (subKey == nullptr || *subKey == '\0') return kErrorSuccess;
    std::string_view rest = subKey;
    if (rest.front() == '\\') return kErrorBadPathname;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        // The file keeps one name per line; names that would break a line cannot be stored.
        if (!IsWritableName(part)) return kErrorInvalidParameter;
        if (!part.empty()) (path += '\\') += part;
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return kErrorSuccess;
}

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

bool KeyExists(const RegDocument& doc, const std::string& path) {
    return NamesEqual(path, kUserHive) || doc.KeyExists(path);
}

template <class F>
Status Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kErrorOutOfMemory;
    } catch (...) {
        return kErrorRegistryIoFailed;
    }
}

}  // namespace

FileRegistry::FileRegistry(std::string path, IoFaults faults, std::chrono::milliseconds lockTimeout)
    : path_(std::move(path)), faults_(std::move(faults)), lockTimeout_(lockTimeout) {}

std::size_t FileRegistry::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return handles_.size();
}

Status FileRegistry::Resolve(Hkey key, Handle& handle) const {
    if (IsCurrentUser(key)) {
        // Predefined keys carry every access right.
        handle = Handle{std::string(kUserHive), ~0u};
        return kErrorSuccess;
    }
    std::lock_guard lock(mutex_);
    const auto found = handles_.find(key);
    if (found == handles_.end()) return kErrorInvalidHandle;
    handle = found->second;
    return kErrorSuccess;
}

Hkey FileRegistry::AddHandle(Handle handle) {
    std::lock_guard lock(mutex_);
    const Hkey key = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(key, std::move(handle));
    return key;
}

Status FileRegistry::Read(RegDocument& doc) const {
    const FileBytes file = ReadStoreFile(AT_FDCWD, path_, true, faults_);
    if (file.status != kErrorSuccess) return file.status;
    const std::optional<RegFile> parsed = RegFile::Parse(file.bytes);
    doc = parsed ? parsed->Document() : RegDocument{};
    return kErrorSuccess;
}

Status FileRegistry::Modify(const std::function<Status(RegFile&, bool&)>& change) {
    // Without a home there is no place that is surely the user's.
    const std::size_t slash = path_.rfind('/');
    if (!path_.starts_with('/') || slash + 1 == path_.size()) return kErrorPathNotFound;
    const std::string name = path_.substr(slash + 1);
    Fd folder;
    Status status = OpenTrustedFolder(AT_FDCWD, slash == 0 ? "/" : path_.substr(0, slash), true,
                                      faults_, folder);
    if (status != kErrorSuccess) return status;
    const auto deadline = std::chrono::steady_clock::now() + lockTimeout_;
    while (true) {
        // Refuse a foreign target before even the lock file is made.
        SaveTarget target;
        status = ResolveSaveTarget(folder.get(), name, target);
        if (status != kErrorSuccess) return status;
        // A linked file is locked itself, so that every folder linking to it takes one lock.
        WriteLock lock;
        const auto left = std::max(std::chrono::steady_clock::duration::zero(),
                                   deadline - std::chrono::steady_clock::now());
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(left);
        if (target.linked) {
            status = lock.Acquire(target.folder.get(), target.name, false, faults_, wait);
        } else {
            // The folder itself too: a cleaner can delete the lock file, not the folder. Where
            // folders cannot be locked (some network file systems), the lock file stays.
            status = LockExclusive(folder.get(), wait, faults_);
            if (status == kErrorLockViolation) return status;
            status = lock.Acquire(folder.get(), name + ".lock", true, faults_, wait);
        }
        if (status != kErrorSuccess) return status;
        // Again under the lock: the link may have changed while this process waited.
        SaveTarget now;
        status = ResolveSaveTarget(folder.get(), name, now);
        if (status != kErrorSuccess) return status;
        if (!now.SameAs(target) || now.linked != target.linked) {
            if (std::chrono::steady_clock::now() >= deadline) return kErrorLockViolation;
            continue;
        }

        // Re-read under the lock: another process may have written since this one last read.
        const FileBytes bytes = ReadStoreFile(target.folder.get(), target.name, false, faults_);
        if (bytes.status != kErrorSuccess) return bytes.status;
        std::optional<RegFile> parsed;
        if (bytes.exists) parsed = RegFile::Parse(bytes.bytes);
        const bool damaged = bytes.exists && !parsed;
        RegFile file = parsed ? std::move(*parsed) : RegFile();
        bool changed = false;
        const Status applied = change(file, changed);
        if (applied != kErrorSuccess || !changed) return applied;
        // Never a file the store would then refuse to read.
        const std::string written = file.Bytes();
        if (written.size() > kMaxStoreBytes) return kErrorFileTooLarge;
        bool overtaken = false;
        status = ReplaceFileAtomically(
            target.folder.get(), target.name, written, faults_, [&]() -> Status {
                // A cleaner that deletes the lock file lets another writer in: when one has
                // saved meanwhile, this change is made again on what it wrote.
                if (!bytes.StillAt(target.folder.get(), target.name)) {
                    overtaken = true;
                    return kErrorLockViolation;
                }
                if (!damaged) return kErrorSuccess;
                return SetDamagedAside(target.folder.get(), target.name, folder.get(), name,
                                       bytes.oversized ? nullptr : &bytes.bytes, faults_, nullptr);
            });
        if (!overtaken || std::chrono::steady_clock::now() >= deadline) return status;
    }
}

Status FileRegistry::RegOpenKeyExA(Hkey key, const char* subKey, std::uint32_t /*options*/,
                                   std::uint32_t samDesired, Hkey* result) {
    return Guarded([&] {
        if (result == nullptr) return kErrorInvalidParameter;
        Handle handle;
        Status status = Resolve(key, handle);
        if (status == kErrorSuccess) status = Join(handle.path, subKey);
        if (status != kErrorSuccess) return status;
        RegDocument doc;
        status = Read(doc);
        if (status != kErrorSuccess) return status;
        if (!KeyExists(doc, handle.path)) return kErrorFileNotFound;
        handle.access = samDesired;
        *result = AddHandle(std::move(handle));
        return kErrorSuccess;
    });
}

Status FileRegistry::RegQueryValueExA(Hkey key, const char* valueName, std::uint32_t* reserved,
                                      std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* dataSize) {
    return Guarded([&] {
        Handle handle;
        Status status = Resolve(key, handle);
        if (status != kErrorSuccess) return status;
        if ((handle.access & kKeyQueryValue) == 0) return kErrorAccessDenied;
        if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
            return kErrorInvalidParameter;
        }
        RegDocument doc;
        status = Read(doc);
        if (status != kErrorSuccess) return status;
        if (!KeyExists(doc, handle.path)) return kErrorKeyDeleted;
        const RegKey* section = doc.FindKey(handle.path);
        const RegValue* value =
            section == nullptr ? nullptr : section->FindValue(valueName ? valueName : "");
        if (value == nullptr) return kErrorFileNotFound;

        std::vector<std::uint8_t> bytes = value->data;
        if (IsStringType(value->type)) {
            // The ANSI function hands strings over in the code page of the caller's names.
            std::string text;
            Utf16LeToUtf8(value->data, false, text);
            bytes.assign(text.begin(), text.end());
        }
        if (bytes.size() > UINT32_MAX) return kErrorFileTooLarge;
        const auto size = static_cast<std::uint32_t>(bytes.size());
        if (type != nullptr) *type = value->type;
        if (data != nullptr) {
            if (size > *dataSize) {
                *dataSize = size;
                return kErrorMoreData;  // the buffer is left as it was
            }
            if (size != 0) std::memcpy(data, bytes.data(), size);
        }
        if (dataSize != nullptr) *dataSize = size;
        return kErrorSuccess;
    });
}

Status FileRegistry::RegCreateKeyExA(Hkey key, const char* subKey, std::uint32_t reserved,
                                     char* /*className*/, std::uint32_t options,
                                     std::uint32_t samDesired, const void* /*securityAttributes*/,
                                     Hkey* result, std::uint32_t* disposition) {
    return Guarded([&] {
        if (result == nullptr || reserved != 0) return kErrorInvalidParameter;
        // A file cannot hold volatile keys, links or backup semantics.
        if (options != kRegOptionNonVolatile) return kErrorNotSupported;
        Handle handle;
        Status status = Resolve(key, handle);
        if (status == kErrorSuccess) status = Join(handle.path, subKey);
        if (status != kErrorSuccess) return status;

        bool created = false;
        RegDocument current;
        status = Read(current);
        if (status != kErrorSuccess) return status;
        if (!KeyExists(current, handle.path)) {
            status = Modify([&](RegFile& file, bool& changed) {
                const RegDocument& doc = file.Document();
                if (KeyExists(doc, handle.path)) return kErrorSuccess;
                if (!file.AddKey(doc.Spelling(handle.path))) return kErrorRegistryIoFailed;
                changed = created = true;
                return kErrorSuccess;
            });
            if (status != kErrorSuccess) return status;
        }
        if (disposition != nullptr) {
            *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
        }
        handle.access = samDesired;
        *result = AddHandle(std::move(handle));
        return kErrorSuccess;
    });
}

Status FileRegistry::RegSetValueExA(Hkey key, const char* valueName, std::uint32_t /*reserved*/,
                                    std::uint32_t type, const std::uint8_t* data,
                                    std::uint32_t dataSize) {
    return Guarded([&] {
        Handle handle;
        const Status status = Resolve(key, handle);
        if (status != kErrorSuccess) return status;
        if ((handle.access & kKeySetValue) == 0) return kErrorAccessDenied;
        if (data == nullptr && dataSize != 0) return kErrorNoAccess;
        const std::string name = valueName ? valueName : "";
        if (!IsWritableName(name)) return kErrorInvalidParameter;
        std::vector<std::uint8_t> bytes(data, data + dataSize);
        if (IsStringType(type)) {
            bytes = Utf8ToUtf16Le(std::string_view(reinterpret_cast<const char*>(data), dataSize));
        }
        return Modify([&](RegFile& file, bool& changed) {
            const RegDocument& doc = file.Document();
            if (!KeyExists(doc, handle.path)) return kErrorKeyDeleted;
            // Unreadable lines around it could swallow the line; then nothing is written.
            if (!file.SetValue(doc.Spelling(handle.path), RegValue{name, type, bytes})) {
                return kErrorRegistryIoFailed;
            }
            changed = true;
            return kErrorSuccess;
        });
    });
}

Status FileRegistry::RegCloseKey(Hkey key) {
    return Guarded([&] {
        if (IsPredefined(key)) return kErrorSuccess;
        std::lock_guard lock(mutex_);
        return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
    });
}

}  // namespace aspect::settings
