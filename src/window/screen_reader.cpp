#include "window/screen_reader.h"

#include <array>

namespace aspect::window {

using port::Control;

namespace {

constexpr std::array<ReaderControl, 14> kReaderControls = {{
    {Control::txtW, ReaderRole::EditableText},
    {Control::txtH, ReaderRole::EditableText},
    {Control::chLock, ReaderRole::CheckBox},
    {Control::imgLangHUN_hl, ReaderRole::Button},
    {Control::imgLangENG_hl, ReaderRole::Button},
    {Control::imgLangHUN, ReaderRole::Button},
    {Control::imgLangENG, ReaderRole::Button},
    {Control::lblHomepage, ReaderRole::Link},
    {Control::Label5, ReaderRole::StaticText},
    {Control::lblTitle, ReaderRole::StaticText},
    {Control::lblVersion, ReaderRole::StaticText},
    {Control::Label4, ReaderRole::StaticText},
    {Control::Label1, ReaderRole::StaticText},
    {Control::lblResult, ReaderRole::StaticText},
}};

}  // namespace

std::span<const ReaderControl> ReaderControls() { return kReaderControls; }

bool Press(port::FormEvents& events, Control control) {
    switch (control) {
        case Control::imgLangENG:
        case Control::imgLangENG_hl:
            events.imgLangENG_hl_Click();
            return true;
        case Control::imgLangHUN:
        case Control::imgLangHUN_hl:
            events.imgLangHUN_hl_Click();
            return true;
        case Control::lblHomepage:
            events.lblHomepage_Click();
            return true;
        default:
            return false;
    }
}

}  // namespace aspect::window
