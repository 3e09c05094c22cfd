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
        // One device-independent pixel wide, so two device pixels at scale 2, on the
        // shape's own outermost pixels: the pen runs half a pixel inside the edge.
        p.setPen(QPen(outlineColour_, 1, outline_ == Style::Dashed ? Qt::DashLine : Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
        if (height() == 1) {
            p.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
        } else {
            p.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
        }
    }

  private:
    Style outline_;
    QColor outlineColour_;
    bool filled_;
    QColor fill_;
};

}  // namespace aspect::window
