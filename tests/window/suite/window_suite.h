#pragma once

// The real windows' behaviour suite: what its files share.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/memory_registry.h"
#include "window_harness.h"

namespace aspect::testing_support::suite {

inline constexpr Rgb kRed = 0xFF0000;

class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override { h->Start(store); }

    port::FormPort& Form() { return h->Form(); }
    // A control's middle, from its geometry.
    int MidX(Control c) { return static_cast<int>(Form().Left(c) + Form().Width(c) / 2); }
    int MidY(Control c) { return static_cast<int>(Form().Top(c) + Form().Height(c) / 2); }
    void MoveOver(Control c) { h->MovePointer(MidX(c), MidY(c)); }
    void ClickOn(Control c) { h->Click(MidX(c), MidY(c)); }
    // A real click on the check box, waiting a bounded time for it to toggle:
    // on a busy machine the release can arrive late.
    void ClickLock() {
        const bool before = h->Checked();
        h->Click(static_cast<int>(Form().Left(Control::chLock)) + 6, MidY(Control::chLock));
        for (int waited = 0; h->Checked() == before && waited < 3000; waited += 20) h->Wait(20);
    }
    // Replaces a field's text the way a user would: digits typed, anything else pasted.
    void Erase(Control field) {
        if (h->Shown(field).empty()) return;
        h->SelectAll(field);
        h->Type(field, "\b");
    }
    void Put(Control field, const std::string& text) {
        if (text.find_first_not_of("0123456789") == std::string::npos) {
            h->Type(field, text);
        } else {
            h->Paste(field, text);
        }
    }
    void Enter(Control field, const std::string& text) {
        Erase(field);
        Put(field, text);
    }
    int Count(const char* handler) { return h->Events().Count(handler); }
    // Red pixels inside and outside a rectangle (one pixel wider on each side)
    // within the 16:9 frame, where only the preview is drawn in red.
    std::pair<int, int> RedInAndOut(int left, int top, int width, int height) {
        const Pixels g = h->Grab();
        const int fl = static_cast<int>(Form().Left(Control::shp16_9));
        const int ft = static_cast<int>(Form().Top(Control::shp16_9));
        std::pair<int, int> red{0, 0};
        for (int y = ft; y <= ft + static_cast<int>(Form().Height(Control::shp16_9)); ++y) {
            for (int x = fl; x <= fl + static_cast<int>(Form().Width(Control::shp16_9)); ++x) {
                if (g.At(x, y) != kRed) continue;
                const bool in =
                    x >= left - 1 && x <= left + width && y >= top - 1 && y <= top + height;
                ++(in ? red.first : red.second);
            }
        }
        return red;
    }

    MemoryRegistry store;
    std::unique_ptr<WindowHarness> h = MakeWindowHarness();
};

}  // namespace aspect::testing_support::suite
