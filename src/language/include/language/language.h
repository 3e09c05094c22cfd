#pragma once

#include <cstdint>
#include <string_view>

#include "settings/registry_api.h"
#include "window/form_port.h"

namespace aspect::language {

inline constexpr std::string_view kCaptionEnglish = "Calculate aspect ratio";
inline constexpr std::string_view kCaptionHungarian = "K\u00e9par\u00e1ny sz\u00e1mol\u00f3";
inline constexpr std::string_view kLockEnglish = "Lock ratio";
inline constexpr std::string_view kLockHungarian = "Ar\u00e1ny z\u00e1rol\u00e1sa";

// The interface language: the captions that depend on it and the flags' clicks.
class Language {
public:
    Language(window::FormPort& form, settings::RegistryApi& store) : form_(form), store_(store) {}

    // Reads the stored language; 0 (Hungarian) when nothing can be read.
    std::int32_t LoadStored() const;

    // 0 Hungarian, any other value English.
    void ApplyLanguage(std::int32_t language);

    // Stores the choice first; the window switches even when storing fails.
    void imgLangENG_hl_Click();
    void imgLangHUN_hl_Click();

    std::int32_t AppLang() const { return appLang_; }

private:
    window::FormPort& form_;
    settings::RegistryApi& store_;
    std::int32_t appLang_ = 0;
};

}  // namespace aspect::language
