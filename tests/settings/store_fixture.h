#pragma once

#include <string>

namespace aspect::settings::testing_store {

// Why this build's store may not be used by the tests (empty when it may): the tests delete
// what they write, so they run only against a private store.
std::string WhyNotPrivate();

// Empties this build's store of everything the tests write.
void ResetStore();

}  // namespace aspect::settings::testing_store
