#include "field_edit.h"

#include <algorithm>
#include <string>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

#include "window/events.h"

namespace aspect::window {

QValidator::State UserLengthLimit::validate(QString& input, int& pos) const {
    if (uncut_ || input == previous_) return Acceptable;
    // The edit gives the text after it and the caret after what went in: what follows
    // the caret is the end of the old text, and the old text's start before it stays.
    const QString tail = input.mid(pos);
    if (tail.size() > previous_.size() || previous_.right(tail.size()) != tail) return Invalid;
    const qsizetype end = previous_.size() - tail.size();
    qsizetype start = 0;
    while (start < std::min<qsizetype>(end, pos) && previous_[start] == input[start]) ++start;
    if (start > 0 && start < previous_.size() && previous_[start].isLowSurrogate()) --start;
    const std::string inserted = input.mid(start, pos - start).toStdString();
    const std::string_view fitted =
        FitPaste(inserted, RoomLeft(static_cast<std::size_t>(previous_.size()),
                                    static_cast<std::size_t>(end - start)));
    const QString kept = QString::fromUtf8(fitted.data(), static_cast<qsizetype>(fitted.size()));
    const QString result = input.left(start) + kept + tail;
    if (result == previous_) return Invalid;  // nothing fits: the edit is refused
    input = result;
    pos = static_cast<int>(start + kept.size());
    return Acceptable;
}

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent), limit_(new UserLengthLimit(this)) {
    // maxLength would cut the program's own longer writes, so the limit lives
    // in a validator that lets them through.
    setValidator(limit_);
    connect(this, &QLineEdit::textChanged, limit_, &UserLengthLimit::Remember);
}

void FieldEdit::SetProgramText(const QString& text) {
    limit_->SetUncut(true);
    setText(text);
    limit_->SetUncut(false);
}

// Undo and redo give back a text the field showed, which may be the program's
// own longer text: the user's limit must not cut it into one never shown. A
// program write or a cut edit empties the history, so every step leads to a
// text that was on screen.
void FieldEdit::Restore(void (QLineEdit::*step)()) {
    limit_->SetUncut(true);
    (this->*step)();
    limit_->SetUncut(false);
}

void FieldEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own entries, known by their (translated) texts.
    const QString undo = QLineEdit::tr("&Undo");
    const QString redo = QLineEdit::tr("&Redo");
    for (QAction* action : menu->actions()) {
        const bool isUndo = action->text().startsWith(undo);
        if (!isUndo && !action->text().startsWith(redo)) continue;
        disconnect(action, nullptr, this, nullptr);
        const auto step = isUndo ? &QLineEdit::undo : &QLineEdit::redo;
        connect(action, &QAction::triggered, this, [this, step] { Restore(step); });
    }
    menu->popup(event->globalPos());
}

}  // namespace aspect::window
