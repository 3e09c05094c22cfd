#pragma once

#include <cstdint>
#include <string_view>

#include "port/form_port.h"
#include "settings/registry_api.h"

namespace aspect::language {

inline constexpr std::string_view kCaptionEnglish = "Calculate aspect ratio";
inline constexpr std::string_view kCaptionHungarian = "K\u00e9par\u00e1ny sz\u00e1mol\u00f3";
inline constexpr std::string_view kLockEnglish = "Lock ratio";
inline constexpr std::string_view kLockHungarian = "Ar\u00e1ny z\u00e1rol\u00e1sa";

// What screen readers call the controls whose captions do not say it.
inline constexpr std::string_view kWidthEnglish = "Width";
inline constexpr std::string_view kWidthHungarian = "Sz\u00e9less\u00e9g";
inline constexpr std::string_view kHeightEnglish = "Height";
inline constexpr std::string_view kHeightHungarian = "Magass\u00e1g";
inline constexpr std::string_view kResultEnglish = "Aspect ratio";
inline constexpr std::string_view kResultHungarian = "K\u00e9par\u00e1ny";
// Each flag is named in its own language, so that a speaker of either finds it
// whichever language the window is in.
inline constexpr std::string_view kFlagEnglish = "English";
inline constexpr std::string_view kFlagHungarian = "Magyar";

// The interface language: the captions that depend on it and the flags' clicks.
class Language {
  public:
    Language(port::FormPort& form, settings::RegistryApi& store) : form_(form), store_(store) {}

    // Reads the stored language; 0 (Hungarian) when nothing can be read.
    std::int32_t LoadStored() const;

    // 0 Hungarian, any other value English.
    void ApplyLanguage(std::int32_t language);

    // Stores the choice first; the window switches even when storing fails.
    void imgLangENG_hl_Click();
    void imgLangHUN_hl_Click();

    std::int32_t AppLang() const { return appLang_; }

  private:
    // The names screen readers give the fields, the result and the flags.
    void NameForScreenReaders(std::int32_t language);

    port::FormPort& form_;
    settings::RegistryApi& store_;
    std::int32_t appLang_ = 0;
};

}  // namespace aspect::language
