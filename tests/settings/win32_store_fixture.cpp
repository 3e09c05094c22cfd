#include "store_fixture.h"

#include <cstdlib>

#include <windows.h>

namespace aspect::settings::testing_store {

std::string WhyNotPrivate() {
    // Under Wine the hive lives in the run's private WINEPREFIX; on a real Windows the
    // tests would delete the user's own setting.
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr) return {};
    const char* allowed = std::getenv("ASPECT_REGISTRY_TESTS_MAY_WRITE_HKCU");
    if (allowed != nullptr && std::string(allowed) == "1") return {};
    return "not under Wine: set ASPECT_REGISTRY_TESTS_MAY_WRITE_HKCU=1 to let the tests "
           "delete HKEY_CURRENT_USER\\Software\\Morlane";
}

void ResetStore() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morlane");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\MorlaneTest");
}

}  // namespace aspect::settings::testing_store
