#pragma once

#include <cstdint>
#include <string>

#include "settings/registry_api.h"

namespace aspect::settings {

// Reads at most two bytes of a registry value into the low bytes of `value`,
// after writing `defaultValue` into it. Returns 0, the failing registry
// function's Windows error code, or 99 when `hive` is 0 or a run-time failure
// interrupted the helper (after a failed call, that call's code stands).
Status RegReadValue(RegistryApi& api, Hkey hive, std::string subKey, std::string valueName,
                    std::int32_t defaultValue, std::int32_t& value) noexcept;

// Creates the key when missing and stores `value` as REG_BINARY, two bytes
// little-endian. Returns 0, the failing function's Windows error code, or 99
// as RegReadValue does.
Status RegWriteValue(RegistryApi& api, Hkey hive, std::string subKey, std::string valueName,
                     std::int16_t value) noexcept;

// The stored interface language (0 Hungarian, non-zero English); 0 when unreadable.
std::int32_t LoadLanguage(RegistryApi& api) noexcept;
std::int32_t LoadLanguage() noexcept;

// Stores the interface language; true only when the write reached the store.
bool SaveLanguage(RegistryApi& api, std::int16_t language) noexcept;
bool SaveLanguage(std::int16_t language) noexcept;

}  // namespace aspect::settings
