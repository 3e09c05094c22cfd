// Routes the widgets' key and pointer events to the behaviour's handlers.
#include "qt_form.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "field_edit.h"
#include "window/events.h"

namespace aspect::window {

namespace {

// The characters a key press types, as a native edit field would receive them;
// empty for keys that type nothing (navigation, Delete, Tab, shortcuts). Alt,
// AltGr and the logo key do not make a character any less typed.
QString TypedText(const QKeyEvent& e) {
    const int key = e.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete) return {};
    const Qt::KeyboardModifiers mods = e.modifiers();
    if (mods & Qt::ControlModifier) {
        // Ctrl with a letter types the control character 1 to 26 (Ctrl+V is 22).
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return QChar(key - Qt::Key_A + 1);
        if (key == Qt::Key_Backspace) return QChar(127);
        return {};
    }
    return e.text();
}

}  // namespace

void QtForm::mouseMoveEvent(QMouseEvent* event) {
    PointerMoved(events_, Control::frmMain);
    event->accept();
}

bool QtForm::FilterKey(Control field, QKeyEvent* event) {
    const QString typed = TypedText(*event);
    if (typed.isEmpty()) return false;
    if (typed.size() > 1) return InsertFiltered(field, typed);
    std::uint16_t key = typed.at(0).unicode();
    FieldEdit* edit = Field(field);
    const auto length = static_cast<std::size_t>(edit->text().size());
    const auto selected = static_cast<std::size_t>(edit->selectedText().size());
    if (KeyPressed(events_, field, key, length, selected) != KeyOutcome::Typed) return true;
    if (key != typed.at(0).unicode()) {
        edit->insert(QString(QChar(key)));
        return true;
    }
    return false;
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    if (!events_ || !watched->isWidgetType()) return false;
    const auto* w = static_cast<QWidget*>(watched);
    Control c = Control::frmMain;
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (widgets_[i] == w) c = static_cast<Control>(i);
    }
    switch (event->type()) {
        case QEvent::KeyPress:
            if (c == Control::txtW || c == Control::txtH) {
                return FilterKey(c, static_cast<QKeyEvent*>(event));
            }
            return false;
        case QEvent::InputMethod:
            if (c == Control::txtW || c == Control::txtH) {
                FilterCommit(c, static_cast<QInputMethodEvent*>(event));
            }
            return false;
        case QEvent::MouseMove:
            return PointerMoved(events_, c);
        case QEvent::MouseButtonPress: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return false;
            if (TakesClicks(c)) {
                pressed_ = c;
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton || c != pressed_) return false;
            pressed_ = Control::frmMain;
            ButtonReleased(events_, c, c, w->rect().contains(me->position().toPoint()));
            return true;
        }
        default:
            return false;
    }
}

QString QtForm::Filtered(Control field, const QString& typed) {
    const std::u16string kept = FilterTyped(events_, field, typed.toStdU16String());
    return QString::fromStdU16String(kept);
}

bool QtForm::InsertFiltered(Control field, const QString& typed) {
    // Several characters in one key event: each passes the key filter, and the
    // field's limit cuts what is kept as it cuts a paste.
    const QString kept = Filtered(field, typed);
    if (!kept.isEmpty()) Field(field)->insert(kept);
    return true;
}

void QtForm::FilterCommit(Control field, QInputMethodEvent* event) {
    // An input method's commit (a composed or dead-key character, a word from
    // IBus or fcitx) is typed text like any key's; the widget then inserts what
    // the filter kept, within the field's limit. The preedit is not text yet.
    if (event->commitString().isEmpty()) return;
    event->setCommitString(Filtered(field, event->commitString()), event->replacementStart(),
                           event->replacementLength());
}

}  // namespace aspect::window
