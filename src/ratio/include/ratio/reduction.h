#pragma once

#include <cstdint>

// The reduction search: the ratio's terms for an entry, and the result label's
// terms for them. Every search here gives exactly the result of ReduceRatioLinear;
// reduction.cpp says why.
namespace aspect::ratio {

// Outcome of the reduction search over whole-number width terms.
struct Reduction {
    std::int32_t ratioW;  // stored width term
    std::int32_t ratioH;  // stored height term
    std::int64_t shownW;  // terms as the result label shows them (8 : 5 reads 16 : 10)
    std::int64_t shownH;
    bool operator==(const Reduction&) const = default;
};

// The double-precision search: the first width term k = 1..w for which
// k / (w / h) comes out whole; the entry itself when none does.
// Requires w >= 1 and h >= 1.
Reduction ReduceRatio(std::int32_t w, std::int32_t h);

// The same search trying every k in turn; the reference the fast one must equal.
Reduction ReduceRatioLinear(std::int32_t w, std::int32_t h);

// The same search trying only the terms that can hit; at most a few thousand
// candidates for any pair of 32-bit entries.
Reduction ReduceRatioFast(std::int32_t w, std::int32_t h);

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
