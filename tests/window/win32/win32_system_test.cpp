// Newer Windows functions reached by name: the program must start, open the link and
// take the right resolution on Windows 7 SP1 and 8.1, which lack some of them. Wine has
// them all, so the loader is replaced to hide or fake them.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "dpi.h"
#include "system_library.h"

namespace aspect::window {
namespace {

// What the fake loader does this case, and what it saw.
struct Fakes {
    bool hideForWindow = false;
    UINT forWindow = 0;
    bool hideForMonitor = false;
    HRESULT monitorResult = S_OK;
    UINT monitorDpi = 0;
    HMONITOR monitorAsked = nullptr;
    int typeAsked = -1;
    bool refuseSearchFlag = false;  // as Windows 7 without update KB2533623
    bool refuseAll = false;
    std::vector<std::wstring> loaded;  // the names the second attempts passed
} fakes;

UINT WINAPI FakeForWindow(HWND) { return fakes.forWindow; }

HRESULT WINAPI FakeForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y) {
    fakes.monitorAsked = monitor;
    fakes.typeAsked = type;
    *x = fakes.monitorDpi;
    *y = fakes.monitorDpi;
    return fakes.monitorResult;
}

template <class Fn>
FARPROC AsFarProc(Fn fn) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fn));
}

FARPROC WINAPI FakeGetProcAddress(HMODULE library, LPCSTR name) {
    const bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (byName && std::strcmp(name, "GetDpiForWindow") == 0) {
        return fakes.hideForWindow ? nullptr : AsFarProc(&FakeForWindow);
    }
    if (byName && std::strcmp(name, "GetDpiForMonitor") == 0) {
        return fakes.hideForMonitor ? nullptr : AsFarProc(&FakeForMonitor);
    }
    return GetProcAddress(library, name);
}

HMODULE WINAPI FakeLoadLibraryEx(LPCWSTR file, HANDLE reserved, DWORD flags) {
    if (fakes.refuseAll || (fakes.refuseSearchFlag && (flags & LOAD_LIBRARY_SEARCH_SYSTEM32))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags == 0) fakes.loaded.emplace_back(file);
    return LoadLibraryExW(file, reserved, flags);
}

class SystemFunctionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakes = {};
        Loader() = {&FakeLoadLibraryEx, &FakeGetProcAddress};
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window_);
        Loader() = {};
    }
    static UINT SystemDpi() {
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return static_cast<UINT>(dpi);
    }
    HWND window_ = nullptr;
};

TEST_F(SystemFunctionsTest, ResolutionComesFromTheNewestFunctionThisWindowsHas) {
    const UINT system = SystemDpi();
    struct Row {
        const char* name;
        bool hideForWindow;
        UINT forWindow;
        bool hideForMonitor;
        HRESULT monitorResult;
        UINT expected;  // 0: the system's
        bool monitorAsked;
    };
    const Row rows[] = {
        {"Windows 10: the window's own", false, 168, false, S_OK, 168, false},
        {"Windows 10 answering 0: the monitor's", false, 0, false, S_OK, 144, true},
        {"Windows 8.1: the monitor's", true, 0, false, S_OK, 144, true},
        {"Windows 8.1, the monitor refused: the system's", true, 0, false, E_INVALIDARG, 0, true},
        {"Windows 7: the system's", true, 0, true, S_OK, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes = {};
        fakes.hideForWindow = row.hideForWindow;
        fakes.forWindow = row.forWindow;
        fakes.hideForMonitor = row.hideForMonitor;
        fakes.monitorResult = row.monitorResult;
        fakes.monitorDpi = 144;
        EXPECT_EQ(DpiOf(window_), row.expected != 0 ? row.expected : system);
        if (row.monitorAsked) {
            // The window's monitor, and the resolution the user set for it.
            EXPECT_EQ(fakes.monitorAsked, MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST));
            EXPECT_EQ(fakes.typeAsked, 0);  // MDT_EFFECTIVE_DPI
        } else {
            EXPECT_EQ(fakes.typeAsked, -1);
        }
    }
}

TEST_F(SystemFunctionsTest, LibraryComesFromTheSystemFolderWhereTheSearchFlagIsRefused) {
    fakes.refuseSearchFlag = true;
    EXPECT_NE(SystemFunction<FARPROC>(L"shell32.dll", "ShellExecuteA"), nullptr);
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    ASSERT_EQ(fakes.loaded.size(), 1U);
    EXPECT_EQ(fakes.loaded[0], std::wstring(folder, length) + L"\\shell32.dll");
}

TEST_F(SystemFunctionsTest, FailureLastsOnlyForItsCall) {
    fakes.refuseAll = true;
    EXPECT_EQ(SystemFunction<FARPROC>(L"shell32.dll", "ShellExecuteA"), nullptr);
    fakes.refuseAll = false;
    EXPECT_NE(SystemFunction<FARPROC>(L"shell32.dll", "ShellExecuteA"), nullptr);
}

}  // namespace
}  // namespace aspect::window
