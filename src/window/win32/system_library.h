#pragma once

#include <windows.h>

// Functions that newer Windows versions add, found by name at run time, so the
// program still starts where they are missing.
namespace aspect::window {

// The loader's calls every lookup goes through; tests put failing or fake ones
// in their place.
struct SystemLoader {
    HMODULE(WINAPI* loadLibraryEx)(LPCWSTR, HANDLE, DWORD) = &LoadLibraryExW;
    FARPROC(WINAPI* getProcAddress)(HMODULE, LPCSTR) = &GetProcAddress;
};
SystemLoader& Loader();

// A library of the system folder (never one beside the program), or null.
HMODULE LoadSystemLibrary(const wchar_t* file);

// The function `name` of the system library `file`, or null where this Windows
// lacks either; `Fn` is the caller's promise of its type. Nothing is cached, so
// a failure lasts only for this call.
template <class Fn>
Fn SystemFunction(const wchar_t* file, const char* name) {
    const HMODULE library = LoadSystemLibrary(file);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Loader().getProcAddress(library, name)));
}

}  // namespace aspect::window
