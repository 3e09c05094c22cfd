#pragma once

#include <QLineEdit>
#include <QString>
#include <QValidator>

namespace aspect::window {

// What the user types or pastes may not grow a field past the limit, yet the
// program may write longer text, which the user can still shorten, and undo
// and redo give back the texts the field showed.
class UserLengthLimit final : public QValidator {
  public:
    explicit UserLengthLimit(QObject* parent) : QValidator(parent) {}

    // The text before the next edit.
    void Remember(const QString& text) { previous_ = text; }
    // While on, every text passes whole: a program write, an undo or a redo.
    void SetUncut(bool on) { uncut_ = on; }

    State validate(QString& input, int& pos) const override;

  private:
    QString previous_;
    bool uncut_ = false;
};

// A single-line dimension field.
class FieldEdit final : public QLineEdit {
  public:
    explicit FieldEdit(QWidget* parent);

    // Sets the text uncut; the change signal fires at once.
    void SetProgramText(const QString& text);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Restore(void (QLineEdit::*step)());

    UserLengthLimit* limit_;
};

}  // namespace aspect::window
