#include "system_library.h"

#include <string>

namespace aspect::window {

SystemLoader& Loader() {
    static SystemLoader loader;
    return loader;
}

HMODULE LoadSystemLibrary(const wchar_t* file) {
    const SystemLoader& loader = Loader();
    if (const HMODULE library = loader.loadLibraryEx(file, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return library;
    }
    // Windows 7 without update KB2533623 rejects the flag: name the file by its
    // full path in the system folder instead.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + file;
    return loader.loadLibraryEx(path.c_str(), nullptr, 0);
}

}  // namespace aspect::window
