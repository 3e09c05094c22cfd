// Checks an installed program from inside Windows (run under Wine by
// scripts/test-installers.sh); prints what it found, exits 0 when all holds.
//   aspect-install-check window <exe>    starts it; its window opens with the Hungarian
//                                        caption and the version label, and closes
//   aspect-install-check version <exe>   the version resource: file version, strings
//   aspect-install-check icon <exe>      its icon's 16 and 32 pixel images are the
//                                        window's monitor icon, pixel for pixel
//   aspect-install-check walk <folder> <command line>
//                                        runs an installer or uninstaller as a user who
//                                        takes every default would: prints each page's
//                                        texts (UTF-8), types <folder> on the Start-menu
//                                        page (- keeps the default), presses the default
//                                        button until no dialog is left, prints the exit
//                                        code
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "window/pictures.h"

namespace {

// A fresh prefix shows no stored language: the window opens in Hungarian.
const std::wstring kCaption = L"K\u00e9par\u00e1ny sz\u00e1mol\u00f3";
const std::wstring kVersionLabel = L"v" ASPECT_VERSION_W;

// Window texts printed as ASCII, other characters as \uXXXX, whatever the console's code page.
std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    return out;
}

std::wstring TextOf(HWND hwnd) {
    std::wstring buffer(4096, L'\0');
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(),
                            reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 2000,
                            &length) == 0) {
        return L"";
    }
    buffer.resize(std::wcslen(buffer.c_str()));
    return buffer;
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(TextOf(hwnd));
    return TRUE;
}

int CheckWindow(const wchar_t* exe) {
    std::wstring command = L"\"" + std::wstring(exe) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::printf("window: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    Search search{process.dwProcessId, nullptr};
    for (int i = 0; i < 200 && search.found == nullptr; ++i) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    }
    int failures = 0;
    if (search.found == nullptr) {
        std::printf("window: no window opened within 10 s\n");
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        return 1;
    }
    const std::wstring caption = TextOf(search.found);
    std::printf("window: caption \"%s\"\n", Printable(caption).c_str());
    if (caption != kCaption) {
        std::printf("window: FAIL: expected the caption \"%s\"\n", Printable(kCaption).c_str());
        ++failures;
    }
    std::vector<std::wstring> texts;
    EnumChildWindows(search.found, CollectChildren, reinterpret_cast<LPARAM>(&texts));
    bool versionShown = false;
    for (const auto& text : texts) versionShown = versionShown || text == kVersionLabel;
    std::printf("window: %zu child windows, version label %s\n", texts.size(),
                versionShown ? "found" : "MISSING");
    if (!versionShown) ++failures;

    PostMessageW(search.found, WM_CLOSE, 0, 0);
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        std::printf("window: FAIL: the program did not end after WM_CLOSE\n");
        TerminateProcess(process.hProcess, 1);
        ++failures;
    } else if (GetExitCodeProcess(process.hProcess, &code) && code != 0) {
        std::printf("window: FAIL: exit code %lu\n", code);
        ++failures;
    }
    CloseHandle(process.hProcess);
    return failures == 0 ? 0 : 1;
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
    const std::wstring path = L"\\StringFileInfo\\040904B0\\" + std::wstring(name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"";
    return static_cast<const wchar_t*>(value);
}

int CheckVersion(const wchar_t* exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
    if (size == 0) {
        std::printf("version: FAIL: no version resource\n");
        return 1;
    }
    std::vector<char> info(size);
    if (!GetFileVersionInfoW(exe, 0, size, info.data())) {
        std::printf("version: FAIL: cannot read the version resource\n");
        return 1;
    }
    int failures = 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr) {
        std::printf("version: FAIL: no fixed file information\n");
        return 1;
    }
    const DWORD expectedMs = MAKELONG(ASPECT_VERSION_MINOR, ASPECT_VERSION_MAJOR);
    const DWORD expectedLs = MAKELONG(0, ASPECT_VERSION_PATCH);
    std::printf("version: file version %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
    if (fixed->dwFileVersionMS != expectedMs || fixed->dwFileVersionLS != expectedLs ||
        fixed->dwProductVersionMS != expectedMs || fixed->dwProductVersionLS != expectedLs) {
        std::printf("version: FAIL: expected file and product version %s.0\n",
                    Printable(ASPECT_VERSION_W).c_str());
        ++failures;
    }
    // The version strings carry major and minor, the minor in two digits: 1.2 reads "1.02".
    wchar_t text[16];
    std::swprintf(text, 16, L"%u.%02u", unsigned{ASPECT_VERSION_MAJOR},
                  unsigned{ASPECT_VERSION_MINOR});
    const struct {
        const wchar_t* name;
        std::wstring expected;
    } strings[] = {{L"FileVersion", text},
                   {L"ProductVersion", text},
                   {L"CompanyName", L"Morlane"},
                   {L"OriginalFilename", L"aspect-ratio.exe"}};
    for (const auto& s : strings) {
        const std::wstring value = VersionString(info, s.name);
        std::printf("version: %s \"%s\"\n", Printable(s.name).c_str(), Printable(value).c_str());
        if (value != s.expected) {
            std::printf("version: FAIL: expected \"%s\"\n", Printable(s.expected).c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

// The icon image Windows makes of the resource at `size` pixels: colours where opaque,
// and the mask. Both read back as top-down DIBs.
int CheckIconSize(HMODULE module, int size) {
    const auto icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
    if (icon == nullptr) {
        std::printf("icon: FAIL: no %d pixel image\n", size);
        return 1;
    }
    ICONINFO parts{};
    GetIconInfo(icon, &parts);
    HDC dc = GetDC(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = size;
    bmi.bmiHeader.biHeight = -size;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    const auto count = static_cast<std::size_t>(size * size);
    std::vector<std::uint32_t> colour(count), mask(count);
    const int colourRows = GetDIBits(dc, parts.hbmColor, 0, static_cast<UINT>(size), colour.data(),
                                     &bmi, DIB_RGB_COLORS);
    bmi.bmiHeader.biHeight = -size;
    const int maskRows =
        GetDIBits(dc, parts.hbmMask, 0, static_cast<UINT>(size), mask.data(), &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(icon);
    if (colourRows != size || maskRows != size) {
        std::printf("icon: FAIL: cannot read the %d pixel image\n", size);
        return 1;
    }
    const auto expected =
        aspect::window::MonitorIcon(size, aspect::window::IconMask::OneBit).pixels;
    int wrong = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& p = expected[i];
        const bool transparent = (mask[i] & 0xFFFFFF) != 0;
        const std::uint32_t rgb = colour[i] & 0xFFFFFF;
        const std::uint32_t want = (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b;
        if (transparent != (p.a == 0) || (p.a != 0 && rgb != want)) ++wrong;
    }
    std::printf("icon: %d pixels: %d differ from the window icon\n", size, wrong);
    return wrong == 0 ? 0 : 1;
}

int CheckIcon(const wchar_t* exe) {
    HMODULE module =
        LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        std::printf("icon: FAIL: cannot load %s\n", Printable(exe).c_str());
        return 1;
    }
    const int failures = CheckIconSize(module, 16) + CheckIconSize(module, 32);
    FreeLibrary(module);
    return failures == 0 ? 0 : 1;
}

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

// A visible top-level dialog (an NSIS window or a message box) that is not ours.
BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (IsWindowVisible(hwnd) && std::wcscmp(name, L"#32770") == 0 &&
        pid != GetCurrentProcessId()) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectControls(HWND hwnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

int Walk(const wchar_t* folder, const wchar_t* commandLine) {
    std::wstring command = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("walk: cannot start (error %lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    // An uninstaller goes on in a copy of itself: follow dialogs, not the process, until
    // none has been seen for 3 s after it ended (20 s when none was seen yet), or for at
    // most 90 s.
    std::string lastPage;
    std::string clickedPage;
    int samePage = 0;
    int idle = 0;
    for (int step = 0; step < 900 && idle < (lastPage.empty() ? 200 : 30); ++step) {
        const bool ended = WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0;
        HWND dialog = nullptr;
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr) {
            if (ended) ++idle;
            continue;
        }
        idle = 0;
        std::vector<HWND> controls;
        EnumChildWindows(dialog, CollectControls, reinterpret_cast<LPARAM>(&controls));
        std::string page = Utf8(TextOf(dialog)) + "\n";
        HWND edit = nullptr;
        bool list = false;
        for (HWND control : controls) {
            if (!IsWindowVisible(control)) continue;
            wchar_t name[32] = {};
            GetClassNameW(control, name, 32);
            if (std::wcscmp(name, L"Edit") == 0 && edit == nullptr) edit = control;
            if (std::wcscmp(name, L"SysTreeView32") == 0 || std::wcscmp(name, L"ListBox") == 0 ||
                std::wcscmp(name, L"SysListView32") == 0) {
                list = true;
            }
            // A picture's text is its resource id, U+FFFF first.
            const std::wstring text = TextOf(control);
            if (!text.empty() && text[0] != 0xFFFF) page += "  " + Utf8(text) + "\n";
        }
        if (page != lastPage) {
            std::printf("page: %s", page.c_str());
            std::fflush(stdout);
            lastPage = page;
        }
        // The Start-menu page is the one with the list of existing folders.
        if (list && edit != nullptr && std::wcscmp(folder, L"-") != 0) {
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder));
        }
        // Once a page, again if it is still there after 3 s; as the dialog's own button
        // press, which needs no pointer or focus.
        samePage = page == clickedPage ? samePage + 1 : 0;
        HWND next = GetDlgItem(dialog, IDOK);
        if (next != nullptr && IsWindowEnabled(next) && IsWindowVisible(next) &&
            (page != clickedPage || samePage > 30)) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(next));
            clickedPage = page;
            samePage = 0;
        }
    }
    DWORD code = 1;
    WaitForSingleObject(process.hProcess, 10000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::printf("exit %lu\n", code);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"window") == 0) return CheckWindow(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"version") == 0) return CheckVersion(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"icon") == 0) return CheckIcon(argv[2]);
    if (argc == 4 && std::wcscmp(argv[1], L"walk") == 0) return Walk(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: aspect-install-check window|version|icon <exe>\n"
                 "       aspect-install-check walk <folder>|- <command line>\n");
    return 2;
}
