#pragma once

#include <string_view>

#include "port/form_port.h"

namespace aspect::language {

// The maker's home page, shown by the link label and opened by a click on it.
inline constexpr std::string_view kHomepageAddress = "https://morlane.example/";
// The link label's caption: the address without its scheme.
inline constexpr std::string_view kHomepageCaption = "morlane.example";

// Asks the desktop to open the home page; returns at once and reports nothing.
void OpenHomepage(port::FormPort& window);

}  // namespace aspect::language
