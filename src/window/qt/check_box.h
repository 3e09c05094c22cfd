#pragma once

#include <QCheckBox>
#include <QPaintEvent>
#include <QString>

namespace aspect::window {

// A check box whose caption wraps onto a second line when it does not fit
// beside the box, as native check boxes do, instead of being cut off.
class WrappingCheckBox final : public QCheckBox {
  public:
    WrappingCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole control, caption included, toggles the box.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace aspect::window
