#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace aspect::window {

// For the start-up benchmark: with ASPECT_EXIT_AFTER_FIRST_PAINT=1 in the
// environment, the first call of Write() (at the end of the window's first
// paint) writes "first-paint-ns <steady_clock nanoseconds>" to stdout and
// returns true, and the window then ends its event loop; otherwise, and on
// every later call, it does nothing and returns false. Stage() marks the
// moments in between.
class FirstPaintStamp {
  public:
    bool Write() {
        if (!armed_) return false;
        armed_ = false;
        Print("first-paint-ns", "");
        std::fflush(stdout);
        return true;
    }

    // A named moment of start-up before or after the first paint, for the
    // benchmark's breakdown of where the time goes: "stage <name> <ns>".
    static void Stage(const char* name) {
        if (Armed()) Print("stage ", name);
    }

  private:
    static void Print(const char* prefix, const char* name) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%s%s %lld\n", prefix, name,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    }

    static bool Armed() {
        const char* value = std::getenv("ASPECT_EXIT_AFTER_FIRST_PAINT");
        return value != nullptr && std::string_view(value) == "1";
    }

    bool armed_ = Armed();
};

}  // namespace aspect::window
