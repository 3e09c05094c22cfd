#include "settings/win32_registry.h"

namespace aspect::settings {

RegistryApi& PlatformRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace aspect::settings
