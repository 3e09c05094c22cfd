#pragma once

// The port's contract suite: what its two halves share.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "port/form_port.h"
#include "support/port_harness.h"

namespace aspect::testing_support::contract {

using port::Control;

// Records the window's events in order; each test may add what a handler does.
class Log final : public port::FormEvents {
  public:
    explicit Log(PortHarness& h) : h_(h) {}

    std::vector<std::string> events;
    std::vector<double> ticks;                      // when the timer fired
    std::function<void(std::uint16_t&)> keyPolicy;  // may change a typed code
    std::function<void(Control field)> onChange;    // runs inside a change event
    std::vector<std::uint16_t> keys;                // codes as the key events saw them

    void Form_Load() override { Note("Form_Load"); }
    void Form_MouseMove() override { Note("Form_MouseMove"); }
    void txtW_KeyPress(std::uint16_t& k) override { Key(k); }
    void txtH_KeyPress(std::uint16_t& k) override { Key(k); }
    void txtW_Change() override { Change(Control::txtW, "txtW_Change"); }
    void txtH_Change() override { Change(Control::txtH, "txtH_Change"); }
    void imgLangENG_MouseMove() override { Note("imgLangENG_MouseMove"); }
    void imgLangHUN_MouseMove() override { Note("imgLangHUN_MouseMove"); }
    void lblHomepage_MouseMove() override { Note("lblHomepage_MouseMove"); }
    void imgLangENG_hl_Click() override { Note("imgLangENG_hl_Click"); }
    void imgLangHUN_hl_Click() override { Note("imgLangHUN_hl_Click"); }
    void lblHomepage_Click() override { Note("lblHomepage_Click"); }
    void tmrLang_Timer() override {
        Note("tmrLang_Timer");
        ticks.push_back(h_.Now());
    }

    void Note(std::string e) { events.push_back(std::move(e)); }
    int Count(const std::string& e) const {
        return static_cast<int>(std::count(events.begin(), events.end(), e));
    }

  private:
    void Key(std::uint16_t& k) {
        keys.push_back(k);
        if (keyPolicy) keyPolicy(k);
    }
    void Change(Control field, const char* name) {
        Note(name);
        if (onChange) onChange(field);
    }

    PortHarness& h_;
};

class PortContract : public ::testing::Test {
  protected:
    void SetUp() override { h->Bind(log); }

    std::unique_ptr<PortHarness> h = MakePortHarness();
    port::FormPort& form = h->Form();
    Log log{*h};
};

}  // namespace aspect::testing_support::contract
