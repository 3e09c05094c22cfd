// Routes the widgets' key and pointer events to the behaviour's handlers.
#include "qt_form.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "field_edit.h"

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

constexpr std::uint16_t kBackspace = 8;

}  // namespace

void QtForm::mouseMoveEvent(QMouseEvent* event) {
    if (events_) events_->Form_MouseMove();
    event->accept();
}

bool QtForm::FilterKey(Control field, QKeyEvent* event) {
    const QString typed = TypedText(*event);
    if (typed.isEmpty()) return false;
    if (typed.size() > 1) return InsertFiltered(field, typed);
    std::uint16_t key = typed.at(0).unicode();
    KeyPress(field, key);
    if (key == 0) return true;  // discarded
    FieldEdit* edit = Field(field);
    if (key != kBackspace && edit->WouldExceedLimit()) return true;  // the field is full
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
            switch (c) {
                case Control::imgLangENG:
                    events_->imgLangENG_MouseMove();
                    return true;
                case Control::imgLangHUN:
                    events_->imgLangHUN_MouseMove();
                    return true;
                case Control::lblHomepage:
                    events_->lblHomepage_MouseMove();
                    return true;
                default:
                    return false;
            }
        case QEvent::MouseButtonPress: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return false;
            if (c == Control::imgLangENG_hl || c == Control::imgLangHUN_hl ||
                c == Control::lblHomepage) {
                pressed_ = c;
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton || c != pressed_) return false;
            pressed_ = Control::frmMain;
            // A click is a press and a release on the same control.
            if (!w->rect().contains(me->position().toPoint())) return true;
            if (c == Control::imgLangENG_hl) {
                events_->imgLangENG_hl_Click();
            } else if (c == Control::imgLangHUN_hl) {
                events_->imgLangHUN_hl_Click();
            } else {
                events_->lblHomepage_Click();
            }
            return true;
        }
        default:
            return false;
    }
}

void QtForm::KeyPress(Control field, std::uint16_t& key) {
    if (field == Control::txtW) {
        events_->txtW_KeyPress(key);
    } else {
        events_->txtH_KeyPress(key);
    }
}

QString QtForm::Filtered(Control field, const QString& typed) {
    // One key event for each UTF-16 unit, as a native edit field receives a pair.
    QString kept;
    for (const QChar c : typed) {
        std::uint16_t key = c.unicode();
        KeyPress(field, key);
        if (key != 0) kept += QChar(key);
    }
    return kept;
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
