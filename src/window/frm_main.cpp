#include "window/frm_main.h"

#include "language/homepage.h"
#include "ratio/arithmetic.h"
#include "settings/registry.h"
#include "window/version.h"

namespace aspect::window {

Version ProgramVersion() { return {kVersionMajor, kVersionMinor, kVersionRevision}; }

std::string VersionCaption(Version v) {
    return "v" + std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
           std::to_string(v.revision);
}

void FrmMain::CentreOutline(Control shape) {
    // Each half is truncated on its own: 400 and 241 give 80, not 79.
    const std::int32_t scaleWidth = ratio::RoundToInt32(form_.ScaleWidth()).value_or(0);
    const std::int32_t width = ratio::RoundToInt32(form_.Width(shape)).value_or(0);
    form_.SetLeft(shape, scaleWidth / 2 - width / 2);
}

void FrmMain::Form_Load() {
    const std::int32_t appLang = language_.LoadStored();
    form_.SetCaption(Control::lblVersion, VersionCaption(version_));
    form_.SetCaption(Control::lblResult, "");
    calc_.ReleaseGuard();
    CentreOutline(Control::shp4_3);
    CentreOutline(Control::shp16_9);
    CentreOutline(Control::shp16_10);
    form_.SetLeft(Control::imgLangHUN_hl, form_.Left(Control::imgLangHUN));
    form_.SetTop(Control::imgLangHUN_hl, form_.Top(Control::imgLangHUN));
    form_.SetLeft(Control::imgLangENG_hl, form_.Left(Control::imgLangENG));
    form_.SetTop(Control::imgLangENG_hl, form_.Top(Control::imgLangENG));
    hover_.ResetHover();
    language_.ApplyLanguage(appLang);
}

void FrmMain::lblHomepage_Click() { language::OpenHomepage(form_); }

}  // namespace aspect::window
