#pragma once

#include <chrono>
#include <cstdio>

#include <QCoreApplication>
#include <QMetaObject>
#include <QtGlobal>

namespace aspect::bench {

// With ASPECT_EXIT_AFTER_FIRST_PAINT=1 in the environment, the first call of Painted()
// (at the end of the main window's first paintEvent) writes one line
// "first-paint-ns <steady_clock nanoseconds>" to stdout and ends the event loop;
// otherwise it does nothing. The start-up benchmark reads that line.
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
        // Queued, so the paint that is under way still reaches the screen.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }

  private:
    bool armed_ = qEnvironmentVariableIntValue("ASPECT_EXIT_AFTER_FIRST_PAINT") == 1;
};

}  // namespace aspect::bench
