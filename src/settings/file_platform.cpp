#include "settings/file_registry.h"

namespace aspect::settings {

RegistryApi& PlatformRegistry() {
    // The location is fixed at first use, like the hive of a running Windows session.
    static FileRegistry registry(DefaultRegistryPath());
    return registry;
}

}  // namespace aspect::settings
