#pragma once

#include <cstdint>
#include <string>

#include "language/hover.h"
#include "language/language.h"
#include "port/form_port.h"
#include "ratio/calculation.h"
#include "settings/registry_api.h"
#include "window/design.h"

namespace aspect::window {

struct Version {
    std::uint16_t major;
    std::uint16_t minor;
    std::uint16_t revision;
};

// The program's version, from the build.
Version ProgramVersion();

// "v" then major, minor and revision in plain decimal, joined by dots.
std::string VersionCaption(Version v);

// The main window's behaviour: every event handler, written once against the port.
class FrmMain final : public FormEvents {
  public:
    FrmMain(FormPort& form, settings::RegistryApi& store, Version version = ProgramVersion())
        : form_(form), version_(version), calc_(form), language_(form, store), hover_(form) {}

    void Form_Load() override;
    void Form_MouseMove() override { hover_.Form_MouseMove(); }
    void txtW_KeyPress(std::uint16_t& keyAscii) override { calc_.txtW_KeyPress(keyAscii); }
    void txtH_KeyPress(std::uint16_t& keyAscii) override { calc_.txtH_KeyPress(keyAscii); }
    void txtW_Change() override { calc_.txtW_Change(); }
    void txtH_Change() override { calc_.txtH_Change(); }
    void imgLangENG_MouseMove() override { hover_.imgLangENG_MouseMove(); }
    void imgLangHUN_MouseMove() override { hover_.imgLangHUN_MouseMove(); }
    void lblHomepage_MouseMove() override { hover_.lblHomepage_MouseMove(); }
    void imgLangENG_hl_Click() override { language_.imgLangENG_hl_Click(); }
    void imgLangHUN_hl_Click() override { language_.imgLangHUN_hl_Click(); }
    void lblHomepage_Click() override;
    void tmrLang_Timer() override { hover_.tmrLang_Timer(); }

    const ratio::Calculation& Calculation() const { return calc_; }
    const language::Language& Language() const { return language_; }
    const language::Hover& Hover() const { return hover_; }

  private:
    void CentreOutline(Control shape);

    FormPort& form_;
    Version version_;
    ratio::Calculation calc_;
    language::Language language_;
    language::Hover hover_;
};

}  // namespace aspect::window
