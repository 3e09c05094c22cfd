#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "qt/qt_form.h"
#include "support/memory_registry.h"
#include "support/recording_events.h"
#include "window/frm_main.h"

namespace aspect::window {

inline QPoint Centre(QWidget* w) { return w->geometry().center(); }

// The real window, started the way the program starts it, with its events
// counted on the way to the behaviour.
struct RealWindow {
    explicit RealWindow(settings::RegistryApi& store) : behaviour(form, store) {
        form.Bind(recorder);
        recorder.Form_Load();
        form.SetAddressOpener([this](const QString& url) { opened.push_back(url); });
        form.show();
        (void)QTest::qWaitForWindowExposed(&form);
        // The window system drops a move to where the pointer already is, so
        // every test starts from the same bare corner.
        QTest::mouseMove(&form, QPoint(1, kClientHeight - 1));
        recorder.Clear();
    }

    QLineEdit* Field(Control c) { return static_cast<QLineEdit*>(form.Widget(c)); }
    QLabel* Label(Control c) { return static_cast<QLabel*>(form.Widget(c)); }
    QCheckBox* Lock() { return static_cast<QCheckBox*>(form.Widget(Control::chLock)); }
    QWidget* W(Control c) { return form.Widget(c); }
    QString ResultText() { return Label(Control::lblResult)->text(); }

    void Type(Control field, const QString& keys) { QTest::keyClicks(Field(field), keys); }
    // Clicks through the window system, so the click lands on whatever lies under the point.
    void ClickAt(QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(form.windowHandle(), button, {}, pos);
    }
    void ClickLock() { ClickAt(Lock()->geometry().topLeft() + QPoint(6, 12)); }

    QtForm form;
    FrmMain behaviour;
    testing_support::RecordingEvents recorder{behaviour};
    QStringList opened;
};

}  // namespace aspect::window
