#include "language/language.h"

#include <string>

#include "settings/registry.h"

namespace aspect::language {

using port::Control;

std::int32_t Language::LoadStored() const { return settings::LoadLanguage(store_); }

void Language::ApplyLanguage(std::int32_t language) {
    appLang_ = language;
    if (language != 0) {
        form_.SetCaption(Control::frmMain, kCaptionEnglish);
        form_.SetCaption(Control::chLock, kLockEnglish);
    } else {
        form_.SetCaption(Control::frmMain, kCaptionHungarian);
        form_.SetCaption(Control::chLock, kLockHungarian);
    }
    // The title repeats whatever the window now shows.
    form_.SetCaption(Control::lblTitle, form_.Caption(Control::frmMain));
    form_.SetToolkitLanguage(language);
    NameForScreenReaders(language);
    // The result is now called otherwise; a reader hears the new name.
    form_.Announce(Control::lblResult);
}

void Language::NameForScreenReaders(std::int32_t language) {
    const bool english = language != 0;
    form_.SetAccessibleName(Control::txtW, english ? kWidthEnglish : kWidthHungarian);
    form_.SetAccessibleName(Control::txtH, english ? kHeightEnglish : kHeightHungarian);
    form_.SetAccessibleName(Control::lblResult, english ? kResultEnglish : kResultHungarian);
    for (const Control flag : {Control::imgLangENG, Control::imgLangENG_hl}) {
        form_.SetAccessibleName(flag, kFlagEnglish);
    }
    for (const Control flag : {Control::imgLangHUN, Control::imgLangHUN_hl}) {
        form_.SetAccessibleName(flag, kFlagHungarian);
    }
}

void Language::imgLangENG_hl_Click() {
    (void)settings::SaveLanguage(store_, 1);
    ApplyLanguage(1);
}

void Language::imgLangHUN_hl_Click() {
    (void)settings::SaveLanguage(store_, 0);
    ApplyLanguage(0);
}

}  // namespace aspect::language
