#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace aspect::testing_support {

// The terms the bound search of the ratio reduction tries for an entry: the
// multiples of the reduced width term below the bound, then every term past it.
inline std::int64_t BoundSearchCost(std::int32_t w, std::int32_t h) {
    const std::int32_t g = std::gcd(w, h);
    const std::int64_t w0 = w / g, h0 = h / g;
    const std::int64_t kMin = ((std::int64_t{1} << 52) + h0 - 1) / h0;
    return std::min<std::int64_t>(w, kMin - 1) / w0 + std::max<std::int64_t>(0, w - kMin + 1);
}

}  // namespace aspect::testing_support
