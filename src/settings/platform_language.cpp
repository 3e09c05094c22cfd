#include "settings/registry.h"

namespace aspect::settings {

std::int32_t LoadLanguage() noexcept {
    try {
        return LoadLanguage(PlatformRegistry());
    } catch (...) {
        // Setting up the store failed (out of memory); read as unset.
        return 0;
    }
}

bool SaveLanguage(std::int16_t language) noexcept {
    try {
        return SaveLanguage(PlatformRegistry(), language);
    } catch (...) {
        return false;
    }
}

}  // namespace aspect::settings
