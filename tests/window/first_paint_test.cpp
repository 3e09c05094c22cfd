#include "window/first_paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "support/row_name.h"

namespace aspect::window {
namespace {

constexpr const char* kVariable = "ASPECT_EXIT_AFTER_FIRST_PAINT";

struct StampRow {
    const char* name;
    const char* value;  // null: not set
    bool armed;
};

constexpr StampRow kStamps[] = {
    {"Unset", nullptr, false}, {"One", "1", true},      {"Zero", "0", false},
    {"Empty", "", false},      {"Eleven", "11", false}, {"Spaced", " 1", false},
};

long long SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class FirstPaint : public testing::TestWithParam<StampRow> {};

// The benchmark ends the program on the first stamp, so it comes only when asked
// for, once, and carries the steady clock's time of the paint.
TEST_P(FirstPaint, StampsTheFirstPaintOnlyWhenAsked) {
    const StampRow& row = GetParam();
    if (row.value != nullptr) {
        setenv(kVariable, row.value, 1);
    } else {
        unsetenv(kVariable);
    }
    FirstPaintStamp stamp;
    unsetenv(kVariable);

    testing::internal::CaptureStdout();
    const long long before = SteadyNs();
    const bool first = stamp.Write();
    const long long after = SteadyNs();
    const bool second = stamp.Write();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(first, row.armed);
    EXPECT_FALSE(second);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), row.armed ? 1 : 0) << out;
    if (row.armed) {
        ASSERT_EQ(out.rfind("first-paint-ns ", 0), 0u) << out;
        const long long ns = std::stoll(out.substr(15));
        EXPECT_GE(ns, before);
        EXPECT_LE(ns, after);
    }
}

INSTANTIATE_TEST_SUITE_P(Environment, FirstPaint, testing::ValuesIn(kStamps),
                         testing_support::RowName());

}  // namespace
}  // namespace aspect::window
