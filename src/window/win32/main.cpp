#include <windows.h>

#include <commctrl.h>
#include <imm.h>

#include "dpi.h"
#include "settings/registry_api.h"
#include "win32_form.h"
#include "window/frm_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    using Stamp = aspect::window::FirstPaintStamp;
    Stamp::Stage("process");
    // Before the first window: the program lays itself out for the monitor's
    // resolution instead of being stretched by the system.
    aspect::window::EnableDpiAwareness();
    // The fields take digits alone, which need no input method; without one, the
    // window is shown without first making the input method's window, and an input
    // method left on cannot turn typed digits into the full-width ones the fields refuse.
    ImmDisableIME(0);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    aspect::window::Win32Form form(instance);
    if (form.Handle() == nullptr) return 1;
    Stamp::Stage("window");
    aspect::window::FrmMain behaviour(form, aspect::settings::PlatformRegistry());
    form.Bind(behaviour);
    behaviour.Form_Load();  // before the window is first shown
    Stamp::Stage("loaded");
    form.CentreOnScreen();
    form.Show(show);
    return form.RunMessageLoop();
}
