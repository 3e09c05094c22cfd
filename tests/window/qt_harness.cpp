// The port's contract run against the real Qt window, with real key and mouse events.
#include <algorithm>
#include <chrono>

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "qt/qt_form.h"
#include "support/port_harness.h"

namespace aspect::testing_support {
namespace {

using window::QtForm;

class QtHarness final : public PortHarness {
  public:
    QtHarness() {
        form_.SetAddressOpener(
            [this](const QString& url) { opened_.push_back(url.toStdString()); });
        form_.show();
        (void)QTest::qWaitForWindowExposed(&form_);
        // The window system drops a move to where the pointer already is.
        QTest::mouseMove(form_.windowHandle(),
                         QPoint(window::kClientWidth - 1, window::kClientHeight - 1));
    }

    port::FormPort& Form() override { return form_; }
    void Bind(port::FormEvents& events) override { form_.Bind(events); }

    void MovePointer(int x, int y) override {
        QCursor::setPos(form_.mapToGlobal(QPoint(x, y)));
        QTest::mouseMove(form_.windowHandle(), QPoint(x, y));
    }
    void Click(int x, int y) override {
        QTest::mouseClick(form_.windowHandle(), Qt::LeftButton, {}, QPoint(x, y));
    }
    void Type(port::Control field, std::string_view keys) override {
        QLineEdit* edit = Edit(field);
        for (const char c : keys) {
            if (c == '\b') {
                QTest::keyClick(edit, Qt::Key_Backspace);
            } else {
                QTest::keyClick(edit, c);
            }
        }
    }
    void Paste(port::Control field, std::string_view text, Caret caret) override {
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QLineEdit* edit = Edit(field);
        if (caret == Caret::Start) QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    void TypeOver(port::Control field, std::string_view keys) override {
        Edit(field)->selectAll();
        for (const char c : keys) QTest::keyClick(form_.Widget(field), c);
    }
    void Undo(port::Control field) override { FromMenu(field, QLineEdit::tr("&Undo")); }
    void Redo(port::Control field) override { FromMenu(field, QLineEdit::tr("&Redo")); }

    std::vector<std::string> CharacterRoutes() const override {
        return {"Alt", "Alt+Shift", "AltGr", "Meta", "DeadKey", "InputMethod"};
    }
    void TypeThrough(const std::string& route, port::Control field,
                     std::string_view text) override {
        QLineEdit* edit = Edit(field);
        const QString all = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (route == "InputMethod") {  // one commit, as an input method commits a word
            QInputMethodEvent commit;
            commit.setCommitString(all);
            QApplication::sendEvent(edit, &commit);
            return;
        }
        const Qt::KeyboardModifiers mods = route == "Alt" ? Qt::AltModifier
                                           : route == "Alt+Shift"
                                               ? Qt::AltModifier | Qt::ShiftModifier
                                           : route == "AltGr" ? Qt::GroupSwitchModifier
                                           : route == "Meta"  ? Qt::MetaModifier
                                                              : Qt::NoModifier;
        for (qsizetype i = 0; i < all.size(); ++i) {  // one key for each character
            const qsizetype n = all.at(i).isHighSurrogate() ? 2 : 1;
            const QString c = all.mid(i, n);
            i += n - 1;
            if (route == "DeadKey") {  // the dead key types nothing; the composer commits
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Dead_Acute, QString(), {});
                QInputMethodEvent commit;
                commit.setCommitString(c);
                QApplication::sendEvent(edit, &commit);
                continue;
            }
            const auto key =
                c.at(0).isLetter() ? Qt::Key(c.toUpper().at(0).unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, edit, key, c, mods);
            QTest::sendKeyEvent(QTest::Release, edit, key, c, mods);
        }
    }

    void Wait(int milliseconds) override { QTest::qWait(milliseconds); }
    double Now() const override {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::vector<std::string> Opened() const override { return opened_; }

  private:
    // Opens the field's context menu as a right click does and chooses an entry.
    void FromMenu(port::Control field, const QString& entry) {
        QWidget* edit = form_.Widget(field);
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(5, 5),
                               edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &open);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        const QList<QAction*> actions = menu->actions();
        const auto action = std::find_if(actions.begin(), actions.end(),
                                         [&](QAction* a) { return a->text().startsWith(entry); });
        if (action == actions.end()) {
            ADD_FAILURE() << "no " << entry.toStdString() << " in the menu";
        } else if ((*action)->isEnabled()) {
            (*action)->trigger();
        }
        menu->close();
    }

    // The field with the focus and the caret at the end of its text.
    QLineEdit* Edit(port::Control field) {
        auto* edit = static_cast<QLineEdit*>(form_.Widget(field));
        edit->setFocus();
        edit->end(false);
        return edit;
    }

    QtForm form_;
    std::vector<std::string> opened_;
};

}  // namespace

std::unique_ptr<PortHarness> MakePortHarness() { return std::make_unique<QtHarness>(); }

}  // namespace aspect::testing_support
