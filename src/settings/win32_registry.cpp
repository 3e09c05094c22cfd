#include "settings/win32_registry.h"

#include <cstdint>
#include <new>
#include <string>

#include <windows.h>

namespace aspect::settings {
namespace {

// Predefined keys by their 32-bit value or already sign-extended.
bool IsPredefined(Hkey key) {
    const auto high = static_cast<std::uint64_t>(key) >> 32;
    return (static_cast<std::uint32_t>(key) & 0xFFFFFF00u) == 0x80000000u &&
           (high == 0 || high == 0xFFFFFFFFu);
}

// The port passes predefined keys by their 32-bit values; HKEY_CURRENT_USER itself is that
// value sign-extended to pointer width.
HKEY ToHkey(Hkey key) {
    if (IsPredefined(key)) {
        return reinterpret_cast<HKEY>(
            static_cast<LONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(key);
}

Hkey FromHkey(HKEY key) { return reinterpret_cast<Hkey>(key); }

// A UTF-8 name in the ANSI code page; null stays null.
class AnsiName {
  public:
    explicit AnsiName(const char* utf8) {
        if (utf8 == nullptr) {
            null_ = true;
            return;
        }
        if (GetACP() == CP_UTF8 || *utf8 == '\0') {
            text_ = utf8;
            return;
        }
        const int wideLength =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
        if (wideLength <= 0) {
            status_ = ERROR_NO_UNICODE_TRANSLATION;
            return;
        }
        std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), wideLength);
        BOOL lossy = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1,
                                               nullptr, 0, nullptr, &lossy);
        if (length <= 0 || lossy) {
            status_ = ERROR_NO_UNICODE_TRANSLATION;
            return;
        }
        text_.assign(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, text_.data(), length,
                            nullptr, &lossy);
        text_.resize(static_cast<std::size_t>(length - 1));
    }

    Status status() const { return status_; }
    const char* get() const { return null_ ? nullptr : text_.c_str(); }
    char* mutableGet() { return null_ ? nullptr : text_.data(); }

  private:
    std::string text_;
    bool null_ = false;
    Status status_ = ERROR_SUCCESS;
};

template <class F>
Status Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_GEN_FAILURE;
    }
}

}  // namespace

Hkey Win32Registry::HiveOf(Hkey key) {
    if (IsPredefined(key)) return key;
    std::lock_guard lock(mutex_);
    const auto found = hives_.find(key);
    return found == hives_.end() ? 0 : found->second;
}

void Win32Registry::Remember(Hkey key, Hkey parent) {
    const Hkey hive = HiveOf(parent);
    if (hive == 0) return;
    std::lock_guard lock(mutex_);
    hives_[key] = hive;
}

Status Win32Registry::RegOpenKeyExA(Hkey key, const char* subKey, std::uint32_t options,
                                    std::uint32_t samDesired, Hkey* result) {
    return Guarded([&]() -> Status {
        const AnsiName name(subKey);
        if (name.status() != ERROR_SUCCESS) return name.status();
        HKEY opened = nullptr;
        const LONG status = ::RegOpenKeyExA(ToHkey(key), name.get(), options, samDesired,
                                            result == nullptr ? nullptr : &opened);
        if (status == ERROR_SUCCESS && result != nullptr) {
            *result = FromHkey(opened);
            Remember(*result, key);
        }
        return status;
    });
}

Status Win32Registry::RegQueryValueExA(Hkey key, const char* valueName, std::uint32_t* reserved,
                                       std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize) {
    return Guarded([&]() -> Status {
        const AnsiName name(valueName);
        if (name.status() != ERROR_SUCCESS) return name.status();
        // DWORD is unsigned long on Windows, not the port's uint32_t: copy in and out.
        DWORD reservedValue = reserved == nullptr ? 0 : *reserved;
        DWORD typeValue = type == nullptr ? 0 : *type;
        DWORD sizeValue = dataSize == nullptr ? 0 : *dataSize;
        const LONG status = ::RegQueryValueExA(ToHkey(key), name.get(),
                                               reserved == nullptr ? nullptr : &reservedValue,
                                               type == nullptr ? nullptr : &typeValue, data,
                                               dataSize == nullptr ? nullptr : &sizeValue);
        if (type != nullptr) *type = typeValue;
        if (dataSize != nullptr) *dataSize = sizeValue;
        return status;
    });
}

Status Win32Registry::RegCreateKeyExA(Hkey key, const char* subKey, std::uint32_t reserved,
                                      char* className, std::uint32_t options,
                                      std::uint32_t samDesired, const void* securityAttributes,
                                      Hkey* result, std::uint32_t* disposition) {
    return Guarded([&]() -> Status {
        const AnsiName name(subKey);
        AnsiName classText(className);
        if (name.status() != ERROR_SUCCESS) return name.status();
        if (classText.status() != ERROR_SUCCESS) return classText.status();
        if (result == nullptr) return ERROR_INVALID_PARAMETER;
        HKEY created = nullptr;
        DWORD dispositionValue = 0;
        const LONG status = ::RegCreateKeyExA(
            ToHkey(key), name.get(), reserved, classText.mutableGet(), options, samDesired,
            static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(securityAttributes)), &created,
            disposition == nullptr ? nullptr : &dispositionValue);
        if (status == ERROR_SUCCESS) {
            *result = FromHkey(created);
            Remember(*result, key);
            if (disposition != nullptr) *disposition = dispositionValue;
        }
        return status;
    });
}

Status Win32Registry::RegSetValueExA(Hkey key, const char* valueName, std::uint32_t reserved,
                                     std::uint32_t type, const std::uint8_t* data,
                                     std::uint32_t dataSize) {
    return Guarded([&]() -> Status {
        const AnsiName name(valueName);
        if (name.status() != ERROR_SUCCESS) return name.status();
        const LONG status =
            ::RegSetValueExA(ToHkey(key), name.get(), reserved, type, data, dataSize);
        if (status != ERROR_SUCCESS) return status;
        // The registry writes lazily; a setting reported as saved must be on disk.
        const Hkey hive = HiveOf(key);
        return hive == 0 ? ERROR_SUCCESS : ::RegFlushKey(ToHkey(hive));
    });
}

Status Win32Registry::RegCloseKey(Hkey key) {
    return Guarded([&]() -> Status {
        const LONG status = ::RegCloseKey(ToHkey(key));
        if (status == ERROR_SUCCESS && !IsPredefined(key)) {
            std::lock_guard lock(mutex_);
            hives_.erase(key);
        }
        return status;
    });
}

}  // namespace aspect::settings
