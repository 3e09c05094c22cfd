#include "settings/registry.h"

#include <array>

namespace aspect::settings {
namespace {

constexpr const char* kLanguageKey = "Software\\Morlane";
constexpr const char* kLanguageValue = "Language";

// A key handle that is closed on every way out of a helper, unwinding included.
class KeyGuard {
  public:
    explicit KeyGuard(RegistryApi& api) : api_(api) {}
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;
    ~KeyGuard() {
        if (!open_) return;
        try {
            api_.RegCloseKey(key_);
        } catch (...) {
            // Already leaving with a status; a failing close changes nothing.
        }
    }

    Hkey* Place() { return &key_; }
    void Opened() { open_ = true; }
    Hkey Get() const { return key_; }
    // Closes now and returns the close call's result; never closes twice.
    Status Close() {
        open_ = false;
        return api_.RegCloseKey(key_);
    }

  private:
    RegistryApi& api_;
    Hkey key_ = 0;
    bool open_ = false;
};

// The status after a run-time failure: the last registry result, except that a success
// followed by an interruption is no success (the write or read did not complete).
Status Interrupted(Status status) { return status == kErrorSuccess ? kStatusNoHive : status; }

std::array<std::uint8_t, 4> LittleEndian(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

std::int32_t FromLittleEndian(const std::array<std::uint8_t, 4>& bytes) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) |
                                     (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                     (static_cast<std::uint32_t>(bytes[2]) << 16) |
                                     (static_cast<std::uint32_t>(bytes[3]) << 24));
}

}  // namespace

Status RegReadValue(RegistryApi& api, Hkey hive, std::string subKey, std::string valueName,
                    std::int32_t defaultValue, std::int32_t& value) noexcept {
    Status status = kStatusNoHive;
    value = defaultValue;
    if (hive == 0) return status;
    try {
        KeyGuard key(api);
        status = api.RegOpenKeyExA(hive, subKey.c_str(), 0, kKeyQueryValue, key.Place());
        if (status != kErrorSuccess) return status;
        key.Opened();
        // The registry fills the low-order bytes of the caller's variable. Going through
        // its little-endian image keeps that true on any host byte order.
        std::array<std::uint8_t, 4> buffer = LittleEndian(value);
        std::uint32_t type = kRegBinary;
        std::uint32_t size = 2;
        const Status queried = api.RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                                                    buffer.data(), &size);
        value = FromLittleEndian(buffer);
        status = queried;
        if (status != kErrorSuccess) return status;
        status = key.Close();
        return status;
    } catch (...) {
        return Interrupted(status);
    }
}

Status RegWriteValue(RegistryApi& api, Hkey hive, std::string subKey, std::string valueName,
                     std::int16_t value) noexcept {
    Status status = kStatusNoHive;
    if (hive == 0) return status;
    try {
        KeyGuard key(api);
        char className[] = "";  // an empty class, not a null pointer
        std::uint32_t disposition = 0;
        status = api.RegCreateKeyExA(hive, subKey.c_str(), 0, className, kRegOptionNonVolatile,
                                     kKeySetValue | kKeyCreateSubKey, nullptr, key.Place(),
                                     &disposition);
        if (status != kErrorSuccess) return status;
        key.Opened();
        const auto bits = static_cast<std::uint16_t>(value);
        const std::array<std::uint8_t, 2> bytes = {static_cast<std::uint8_t>(bits & 0xFFu),
                                                   static_cast<std::uint8_t>(bits >> 8)};
        status = api.RegSetValueExA(key.Get(), valueName.c_str(), 0, kRegBinary, bytes.data(), 2);
        if (status != kErrorSuccess) return status;
        status = key.Close();
        return status;
    } catch (...) {
        return Interrupted(status);
    }
}

std::int32_t LoadLanguage(RegistryApi& api) noexcept {
    try {
        std::int32_t language = 0;
        if (RegReadValue(api, kHkeyCurrentUser, kLanguageKey, kLanguageValue, 0, language) ==
            kErrorSuccess) {
            return language;
        }
    } catch (...) {
        // Copying the names failed; the language falls back like any failed read.
    }
    return 0;
}

bool SaveLanguage(RegistryApi& api, std::int16_t language) noexcept {
    try {
        return RegWriteValue(api, kHkeyCurrentUser, kLanguageKey, kLanguageValue, language) ==
               kErrorSuccess;
    } catch (...) {
        return false;
    }
}

}  // namespace aspect::settings
