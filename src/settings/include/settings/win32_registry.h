#pragma once

#include <map>
#include <mutex>

#include "settings/registry_api.h"

namespace aspect::settings {

// The registry functions of advapi32 (ANSI variants). Names are converted from UTF-8 to
// the ANSI code page first; a name the code page cannot spell gives 1113
// (ERROR_NO_UNICODE_TRANSLATION) rather than reaching a key of a look-alike name.
// `kHkeyCurrentUser` and the other predefined keys map to the real (sign-extended) handles.
// A value set successfully is flushed to disk before the call returns.
class Win32Registry final : public RegistryApi {
  public:
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

  private:
    // The hive each handle this object opened lies in: flushing a hive needs only the
    // predefined handle, whatever access the key itself was opened with.
    Hkey HiveOf(Hkey key);
    void Remember(Hkey key, Hkey parent);

    std::mutex mutex_;
    std::map<Hkey, Hkey> hives_;
};

}  // namespace aspect::settings
