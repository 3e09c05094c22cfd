#pragma once

// The settings tests name their rows with the shared helper.
#include "../support/include/support/row_name.h"

namespace aspect::settings::testing_rows {
using testing_support::RowName;
}  // namespace aspect::settings::testing_rows
