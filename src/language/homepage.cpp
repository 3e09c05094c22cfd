#include "language/homepage.h"

namespace aspect::language {

void OpenHomepage(window::FormPort& window) { window.OpenAddress(kHomepageAddress); }

}  // namespace aspect::language
