#include "settings/file_registry.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace aspect::settings {
namespace {

// `path` when absolute, without trailing slashes; empty otherwise (the XDG rule for
// relative paths, and a relative home would depend on the working folder).
std::string Absolute(const char* path) {
    if (path == nullptr || path[0] != '/') return {};
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string HomeFolder() {
    std::string home = Absolute(std::getenv("HOME"));
    if (!home.empty()) return home;
    // Without a usable $HOME, the user's entry in the password database says where it is.
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr ? Absolute(found->pw_dir) : std::string();
}

}  // namespace

std::string DefaultRegistryPath() {
    std::string folder = Absolute(std::getenv("XDG_CONFIG_HOME"));
    if (folder.empty()) {
        const std::string home = HomeFolder();
        if (home.empty()) return {};
        folder = (home == "/" ? "" : home) + "/.config";
    }
    return (folder == "/" ? "" : folder) + "/Morlane/registry.reg";
}

}  // namespace aspect::settings
