#pragma once

#include <QColor>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace aspect::window {

// A rectangle or a line drawn on the window. Shapes take no pointer events:
// the pointer reaches whatever lies beneath them.
class ShapeWidget final : public QWidget {
public:
    enum class Style { None, Solid, Dashed };

    ShapeWidget(Style outline, QColor outlineColour, bool filled, QColor fill, QWidget* parent)
        : QWidget(parent),
          outline_(outline),
          outlineColour_(outlineColour),
          filled_(filled),
          fill_(fill) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (filled_) p.fillRect(rect(), fill_);
        if (outline_ == Style::None) return;
        QPen pen(outlineColour_, 1, outline_ == Style::Dashed ? Qt::DashLine : Qt::SolidLine);
        pen.setCosmetic(true);
        p.setPen(pen);
        // A one-pixel outline on the shape's own outermost pixels.
        if (height() == 1) {
            p.drawLine(0, 0, width() - 1, 0);
        } else {
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    Style outline_;
    QColor outlineColour_;
    bool filled_;
    QColor fill_;
};

}  // namespace aspect::window
