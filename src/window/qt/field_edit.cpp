#include "field_edit.h"

#include <algorithm>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTextBoundaryFinder>

namespace aspect::window {

QValidator::State UserLengthLimit::validate(QString& input, int& pos) const {
    if (uncut_ || input.size() <= limit_) return Acceptable;
    // Find the run the edit inserted: what is left of the old text is a common
    // prefix and suffix.
    const qsizetype oldSize = previous_.size();
    qsizetype prefix = 0;
    while (prefix < oldSize && prefix < input.size() && previous_[prefix] == input[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < oldSize - prefix && suffix < input.size() - prefix &&
           previous_[oldSize - 1 - suffix] == input[input.size() - 1 - suffix]) {
        ++suffix;
    }
    const qsizetype inserted = input.size() - prefix - suffix;
    const qsizetype room = std::max<qsizetype>(0, limit_ - (prefix + suffix));
    if (inserted <= room) return Acceptable;  // a deletion, or a long text shortened
    // Keep as much of the insertion as fits, as a native edit field does, but whole characters
    // only: a cut inside a surrogate pair or a grapheme would leave half a character behind.
    const QString insertion = input.mid(prefix, inserted);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, insertion);
    graphemes.setPosition(room);
    const qsizetype kept =
        graphemes.isAtBoundary() ? room : std::max<qsizetype>(0, graphemes.toPreviousBoundary());
    const QString fitted = input.left(prefix) + insertion.left(kept) + input.right(suffix);
    if (fitted == previous_) return Invalid;  // nothing fits: the edit is refused
    input = fitted;
    pos = static_cast<int>(prefix + kept);
    return Acceptable;
}

FieldEdit::FieldEdit(int userLimit, QWidget* parent)
    : QLineEdit(parent), userLimit_(userLimit), limit_(new UserLengthLimit(userLimit, this)) {
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

bool FieldEdit::WouldExceedLimit() const {
    return text().size() - selectedText().size() >= userLimit_;
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
