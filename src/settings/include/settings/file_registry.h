#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>

#include "settings/reg_file.h"
#include "settings/registry_api.h"
#include "settings/store_file.h"

namespace aspect::settings {

// The current user's hive kept in a registry export file, for systems without a registry.
// Behaves as the Windows registry does for the helpers: missing keys and values give 2,
// reading never creates anything, a value longer than the buffer gives 234 and leaves the
// buffer alone, creating a key creates its parents, names compare case-insensitively.
// Every change is one atomic, synced replacement of the file made under locks on the folder
// and on "<file>.lock" (on the file itself when reached through a link) after re-reading the
// file, and made again when another writer replaced the file meanwhile, so writers in other
// processes are never lost; a change rewrites only the line of the value it sets (RegFile). Changes
// are written only in a folder of the user's own that nobody else can write to, and through a link
// only to the user's own regular file (see OpenTrustedFolder); otherwise, and for a read-only file,
// they fail with 5 and change nothing. A change that would make the file larger than kMaxStoreBytes
// fails with 223. A wait for a lock held elsewhere ends after `lockTimeout` with 33, so a click
// never freezes the window. A file without a readable header, or larger than kMaxStoreBytes, reads
// as empty and is renamed to "<file>.damaged[-N]" when the next write replaces it (the newest few
// copies are kept); anything but a regular file fails every call and is never replaced.
class FileRegistry final : public RegistryApi {
  public:
    explicit FileRegistry(std::string path, IoFaults faults = {},
                          std::chrono::milliseconds lockTimeout = std::chrono::milliseconds(150));

    Status RegOpenKeyExA(Hkey key, const char* subKey, std::uint32_t options,
                         std::uint32_t samDesired, Hkey* result) override;
    Status RegQueryValueExA(Hkey key, const char* valueName, std::uint32_t* reserved,
                            std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) override;
    Status RegCreateKeyExA(Hkey key, const char* subKey, std::uint32_t reserved, char* className,
                           std::uint32_t options, std::uint32_t samDesired,
                           const void* securityAttributes, Hkey* result,
                           std::uint32_t* disposition) override;
    Status RegSetValueExA(Hkey key, const char* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) override;
    Status RegCloseKey(Hkey key) override;

    // The store file.
    const std::string& Path() const { return path_; }
    // Key handles opened and not yet closed.
    std::size_t OpenHandles() const;

  private:
    struct Handle {
        std::string path;  // "HKEY_CURRENT_USER\..." as the caller named it
        std::uint32_t access = 0;
    };

    Status Resolve(Hkey key, Handle& handle) const;
    Hkey AddHandle(Handle handle);
    // The document as stored now, without locking: renames are atomic, so a reader sees
    // one whole file. Missing or damaged reads as empty.
    Status Read(RegDocument& doc) const;
    // Applies `change` to the freshly re-read document under the write lock and stores the
    // result when `change` reports a change.
    Status Modify(const std::function<Status(RegFile&, bool&)>& change);

    std::string path_;
    IoFaults faults_;
    std::chrono::milliseconds lockTimeout_;
    mutable std::mutex mutex_;
    std::map<Hkey, Handle> handles_;
    Hkey nextHandle_ = 0x1000;
};

// Where this user's store lives: "<config folder>/Morlane/registry.reg", the config folder
// being $XDG_CONFIG_HOME when it is an absolute path and ~/.config otherwise, with the home
// folder from $HOME when that is absolute and from the password database otherwise. Empty
// when neither names one.
std::string DefaultRegistryPath();

}  // namespace aspect::settings
