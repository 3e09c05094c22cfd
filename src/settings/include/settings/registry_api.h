#pragma once

#include <cstdint>

namespace aspect::settings {

// Windows error code as returned by the registry functions (ERROR_SUCCESS is 0).
using Status = std::int32_t;
// A registry key handle; predefined hives keep their Windows values.
using Hkey = std::uintptr_t;

inline constexpr Hkey kHkeyCurrentUser = 0x80000001u;
inline constexpr Status kErrorSuccess = 0;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorPathNotFound = 3;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorOutOfMemory = 14;
inline constexpr Status kErrorLockViolation = 33;
inline constexpr Status kErrorNotSupported = 50;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorDiskFull = 112;
inline constexpr Status kErrorBadPathname = 161;
inline constexpr Status kErrorFilenameTooLong = 206;
inline constexpr Status kErrorFileTooLarge = 223;
inline constexpr Status kErrorMoreData = 234;
inline constexpr Status kErrorNoAccess = 998;
inline constexpr Status kErrorRegistryIoFailed = 1016;
inline constexpr Status kErrorKeyDeleted = 1018;
inline constexpr Status kErrorNoUnicodeTranslation = 1113;
// The helpers' own status: no hive given, or interrupted before any registry call returned.
inline constexpr Status kStatusNoHive = 99;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kRegOptionNonVolatile = 0;
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// The five registry functions the helpers use, with the Win32 ANSI contracts.
// Names are the program's UTF-8 text; each backend hands them on in its system's
// code page (the ANSI code page on Windows, UTF-8 in the file store).
class RegistryApi {
  public:
    virtual ~RegistryApi() = default;
    virtual Status RegOpenKeyExA(Hkey key, const char* subKey, std::uint32_t options,
                                 std::uint32_t samDesired, Hkey* result) = 0;
    virtual Status RegQueryValueExA(Hkey key, const char* valueName, std::uint32_t* reserved,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) = 0;
    virtual Status RegCreateKeyExA(Hkey key, const char* subKey, std::uint32_t reserved,
                                   char* className, std::uint32_t options, std::uint32_t samDesired,
                                   const void* securityAttributes, Hkey* result,
                                   std::uint32_t* disposition) = 0;
    virtual Status RegSetValueExA(Hkey key, const char* valueName, std::uint32_t reserved,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t dataSize) = 0;
    virtual Status RegCloseKey(Hkey key) = 0;
};

// The store of this build: advapi32 on Windows, the per-user file elsewhere.
RegistryApi& PlatformRegistry();

}  // namespace aspect::settings
