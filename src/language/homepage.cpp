#include "language/homepage.h"

namespace aspect::language {

void OpenHomepage(port::FormPort& window) { window.OpenAddress(kHomepageAddress); }

}  // namespace aspect::language
