#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "support/memory_registry.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

// The texts of the field's own context menu, without accelerators and shortcuts.
QStringList ContextMenu(RealWindow& win, Control field) {
    QWidget* edit = win.W(field);
    QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &open);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return {QStringLiteral("no menu")};
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    }
    menu->close();
    return texts;
}

// The flag a click switches to, and the menu it must leave: Qt's own texts
// in the program's language.
struct Switch {
    Control flag;
    QStringList menu;
};

TEST(ToolkitLanguage, FieldMenusFollowTheFlags) {
    const QStringList english = {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All"};
    const QStringList hungarian = {"Visszavon\u00e1s",
                                   "\u00dajra",
                                   "Kiv\u00e1g\u00e1s",
                                   "M\u00e1sol\u00e1s",
                                   "Beilleszt\u00e9s",
                                   "T\u00f6rl\u00e9s",
                                   "\u00d6sszes kijel\u00f6l\u00e9se"};
    MemoryRegistry store;  // nothing stored: the window starts in Hungarian
    RealWindow win(store);
    EXPECT_EQ(ContextMenu(win, Control::txtW), hungarian);
    for (const auto& [flag, menu] :
         {Switch{Control::imgLangENG, english}, Switch{Control::imgLangHUN, hungarian},
          Switch{Control::imgLangENG, english}}) {
        QTest::mouseMove(&win.form, Centre(win.W(flag)));
        win.ClickAt(Centre(win.W(flag)));
        for (const Control field : {Control::txtW, Control::txtH}) {
            EXPECT_EQ(ContextMenu(win, field), menu) << win.W(field)->objectName().toStdString();
        }
    }
}

}  // namespace
}  // namespace aspect::window
