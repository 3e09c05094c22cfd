// Routes the widgets' key and pointer events to the behaviour's handlers.
#include "qt_form.h"

#include <optional>

#include <QKeyEvent>
#include <QMouseEvent>

#include "field_edit.h"
#include "window/screen_reader.h"

namespace aspect::window {

namespace {

// The character code a key press types, as a native edit field would receive
// it; empty for keys that type nothing (navigation, Delete, Tab, shortcuts).
std::optional<std::uint16_t> TypedCode(const QKeyEvent& e) {
    const int key = e.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers mods = e.modifiers();
    if (mods & (Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    if (mods & Qt::ControlModifier) {
        // Ctrl with a letter types the control character 1 to 26 (Ctrl+V is 22).
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            return static_cast<std::uint16_t>(key - Qt::Key_A + 1);
        }
        if (key == Qt::Key_Backspace) return 127;
        return std::nullopt;
    }
    const QString text = e.text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

constexpr std::uint16_t kBackspace = 8;

}  // namespace

void QtForm::mouseMoveEvent(QMouseEvent* event) {
    if (events_) events_->Form_MouseMove();
    event->accept();
}

bool QtForm::FilterKey(Control field, QKeyEvent* event) {
    const std::optional<std::uint16_t> typed = TypedCode(*event);
    if (!typed) return false;
    std::uint16_t key = *typed;
    if (field == Control::txtW) {
        events_->txtW_KeyPress(key);
    } else {
        events_->txtH_KeyPress(key);
    }
    if (key == 0) return true;  // discarded
    FieldEdit* edit = Field(field);
    if (key != kBackspace && edit->WouldExceedLimit()) return true;  // the field is full
    if (key != *typed) {
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
            Press(*events_, c);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace aspect::window
