#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include "window/first_paint.h"

namespace aspect::window {

// Ends the event loop after the first paint when the start-up benchmark asks
// for it (see FirstPaintStamp).
class FirstPaintSignal {
  public:
    void Painted() {
        // Queued, so the paint under way still reaches the screen.
        if (stamp_.Write()) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
    }

  private:
    FirstPaintStamp stamp_;
};

}  // namespace aspect::window
