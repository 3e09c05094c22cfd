#pragma once

#include <string>

#include <gtest/gtest.h>

namespace aspect::settings::testing_rows {

// Names a parameterised test after its row's `name` field.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

}  // namespace aspect::settings::testing_rows
