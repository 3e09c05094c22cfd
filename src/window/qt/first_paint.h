#pragma once

#include <chrono>
#include <cstdio>

#include <QCoreApplication>
#include <QMetaObject>
#include <QtGlobal>

namespace aspect::window {

// For the start-up benchmark: with ASPECT_EXIT_AFTER_FIRST_PAINT=1 the first
// call of Painted() (at the end of the window's first paint) writes
// "first-paint-ns <steady_clock nanoseconds>" to stdout and ends the event
// loop; otherwise it does nothing.
class FirstPaintSignal {
  public:
    void Painted() {
        if (!armed_) return;
        armed_ = false;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("first-paint-ns %lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        // Queued, so the paint under way still reaches the screen.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }

  private:
    bool armed_ = qEnvironmentVariableIntValue("ASPECT_EXIT_AFTER_FIRST_PAINT") == 1;
};

}  // namespace aspect::window
