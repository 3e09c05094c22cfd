#include <QApplication>

#include "qt/qt_form.h"
#include "qt/qt_pictures.h"
#include "settings/registry_api.h"
#include "window/frm_main.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The desktop entry's name (packaging/), so that Wayland shells show its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.morlane.AspectRatio"));
    app.setWindowIcon(aspect::window::WindowIcon());

    aspect::window::QtForm form;
    aspect::window::FrmMain behaviour(form, aspect::settings::PlatformRegistry());
    form.Bind(behaviour);
    behaviour.Form_Load();  // before the window is first shown
    form.CentreOnScreen();
    form.show();
    return QApplication::exec();
}
