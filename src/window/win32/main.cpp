#include <windows.h>

#include <commctrl.h>

#include "dpi.h"
#include "settings/registry_api.h"
#include "win32_form.h"
#include "window/frm_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Before the first window: the program lays itself out for the monitor's
    // resolution instead of being stretched by the system.
    aspect::window::EnableDpiAwareness();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    aspect::window::Win32Form form(instance);
    if (form.Handle() == nullptr) return 1;
    aspect::window::FrmMain behaviour(form, aspect::settings::PlatformRegistry());
    form.Bind(behaviour);
    behaviour.Form_Load();  // before the window is first shown
    form.CentreOnScreen();
    form.Show(show);
    return form.RunMessageLoop();
}
