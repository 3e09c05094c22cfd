#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

namespace aspect::testing_support {

// A stream of random numbers from a seed (splitmix64): the same on every
// platform and run, and cheap to start anywhere, so that any thread can make
// the numbers of any index.
class Draw {
  public:
    explicit Draw(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    // lo..hi, both included.
    std::int64_t Uniform(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    // Evenly spread over the bit lengths from lo's to hi's (lo >= 1), so that
    // short and long numbers are equally common.
    std::int64_t LogUniform(std::int64_t lo, std::int64_t hi) {
        const auto loBits = static_cast<int>(std::bit_width(static_cast<std::uint64_t>(lo)));
        const auto hiBits = static_cast<int>(std::bit_width(static_cast<std::uint64_t>(hi)));
        const auto bits = static_cast<int>(Uniform(loBits, hiBits));
        return Uniform(std::max(lo, std::int64_t{1} << (bits - 1)),
                       std::min(hi, (std::int64_t{1} << bits) - 1));
    }
    // A typed entry: one to five digits, each length equally likely.
    std::int64_t Typed() {
        std::int64_t lo = 1, hi = 9;
        for (auto digits = Next() % 5; digits > 0; --digits) {
            lo = hi + 1;
            hi = hi * 10 + 9;
        }
        return Uniform(lo, hi);
    }

  private:
    std::uint64_t state_;
};

}  // namespace aspect::testing_support
