#include <QApplication>

#include "qt/qt_form.h"
#include "qt/qt_pictures.h"
#include "settings/registry_api.h"
#include "window/first_paint.h"
#include "window/frm_main.h"

int main(int argc, char* argv[]) {
    using Stamp = aspect::window::FirstPaintStamp;
    Stamp::Stage("process");
    QApplication app(argc, argv);
    Stamp::Stage("application");
    // The desktop entry's name (packaging/), so that Wayland shells show its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.morlane.AspectRatio"));
    app.setWindowIcon(aspect::window::WindowIcon());

    aspect::window::QtForm form;
    Stamp::Stage("window");
    aspect::window::FrmMain behaviour(form, aspect::settings::PlatformRegistry());
    form.Bind(behaviour);
    behaviour.Form_Load();  // before the window is first shown
    Stamp::Stage("loaded");
    form.CentreOnScreen();
    form.show();
    Stamp::Stage("shown");
    return QApplication::exec();
}
