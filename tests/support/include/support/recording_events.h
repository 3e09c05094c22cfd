#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "port/form_port.h"

namespace aspect::testing_support {

// Passes every event on to the behaviour and counts them by handler name.
class RecordingEvents final : public port::FormEvents {
  public:
    explicit RecordingEvents(port::FormEvents& inner) : inner_(inner) {}

    int Count(const std::string& handler) const {
        const auto it = counts_.find(handler);
        return it == counts_.end() ? 0 : it->second;
    }
    void Clear() { counts_.clear(); }

    void Form_Load() override {
        Note("Form_Load");
        inner_.Form_Load();
    }
    void Form_MouseMove() override {
        Note("Form_MouseMove");
        inner_.Form_MouseMove();
    }
    void txtW_KeyPress(std::uint16_t& k) override {
        Note("txtW_KeyPress");
        inner_.txtW_KeyPress(k);
    }
    void txtH_KeyPress(std::uint16_t& k) override {
        Note("txtH_KeyPress");
        inner_.txtH_KeyPress(k);
    }
    void txtW_Change() override {
        Note("txtW_Change");
        inner_.txtW_Change();
    }
    void txtH_Change() override {
        Note("txtH_Change");
        inner_.txtH_Change();
    }
    void imgLangENG_MouseMove() override {
        Note("imgLangENG_MouseMove");
        inner_.imgLangENG_MouseMove();
    }
    void imgLangHUN_MouseMove() override {
        Note("imgLangHUN_MouseMove");
        inner_.imgLangHUN_MouseMove();
    }
    void lblHomepage_MouseMove() override {
        Note("lblHomepage_MouseMove");
        inner_.lblHomepage_MouseMove();
    }
    void imgLangENG_hl_Click() override {
        Note("imgLangENG_hl_Click");
        inner_.imgLangENG_hl_Click();
    }
    void imgLangHUN_hl_Click() override {
        Note("imgLangHUN_hl_Click");
        inner_.imgLangHUN_hl_Click();
    }
    void lblHomepage_Click() override {
        Note("lblHomepage_Click");
        inner_.lblHomepage_Click();
    }
    void tmrLang_Timer() override {
        Note("tmrLang_Timer");
        inner_.tmrLang_Timer();
    }

  private:
    void Note(const char* handler) { ++counts_[handler]; }

    port::FormEvents& inner_;
    std::map<std::string, int> counts_;
};

}  // namespace aspect::testing_support
