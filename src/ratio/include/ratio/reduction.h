#pragma once

#include <cstdint>

#include "ratio/arithmetic.h"

// The reduction search without trying every width term. Both searches here give
// exactly the result of ReduceRatioLinear; reduction.cpp says why.
namespace aspect::ratio {

// Work done by one search: how many width terms had their height term computed.
struct SearchCost {
    std::int64_t candidates = 0;
};

// ReduceRatioFast, also counting the candidates it tried.
Reduction ReduceRatioFast(std::int32_t w, std::int32_t h, SearchCost& cost);

// The search over every multiple of the exact width term w / gcd(w, h) and every
// term k with k * h / gcd(w, h) >= 2^52, in increasing order. Equal to the linear
// search by the first bound in reduction.cpp alone, and cheap wherever few terms lie
// past that bound; a reference for checking the fast search on large entries.
// Requires w >= 1 and h >= 1.
Reduction ReduceRatioByBound(std::int32_t w, std::int32_t h, SearchCost& cost);

}  // namespace aspect::ratio
