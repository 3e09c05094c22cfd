#pragma once

#include <string>

#include <gtest/gtest.h>

namespace aspect::testing_support {

// Names a parameterised test after its row's `name` field.
struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

}  // namespace aspect::testing_support
