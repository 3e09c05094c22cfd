#include "ratio/reduction.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <utility>

// Which width terms can hit, and why trying only those gives the linear search's answer.
//
// Let g = gcd(w, h), w0 = w / g, h0 = h / g, u = 2^-53, r = fl(w / h) and
// t(k) = fl(k / r), where fl is one correctly rounded double operation. Every operand is a
// whole number below 2^31 or a quotient of two such numbers, far inside the normal range, so
// r = (w / h)(1 + e1) and t(k) = (k / r)(1 + e2) with |e1|, |e2| <= u. With x = k h0 / w0, the
// exact height term of k,
//     t(k) - x = x ((1 + e2) / (1 + e1) - 1) = x (e2 - e1) / (1 + e1),
// so |t(k) - x| <= x 2u / (1 - u).
//
// (A) If t(k) is a whole number N, multiplying by w0 gives
//         |N w0 - k h0| <= k h0 2^-52 / (1 - 2^-53),
//     or in whole numbers: |s| (2^53 - 1) <= 2 k h0, where s = k h0 - N w0.
//     While k h0 < 2^52, 2 k h0 <= 2^53 - 2, so s = 0: N w0 = k h0, and since w0 and h0 are
//     coprime, w0 divides k. Below that bound only the multiples of w0 can hit.
//
// (B) Multiples k = j w0, for any j. Here x = N = j h0 < 2^31, so |t(k) - N| < 2^31 2u / (1 - u)
//     < 1 and a whole t(k) can only be N. The exact quotient is k / r = N rho with
//     rho = w0 / (h0 r), the same number for every j. N is a power of two only if h0 is one;
//     then r = w0 / h0 exactly and the first multiple hits. Otherwise 2^e < N < 2^(e+1) for
//     some e, N's neighbouring doubles are N -+ 2^(e-52), and its last significand bit is 0
//     (it has at most 31 significant bits), so a tie rounds to N: t(k) = N exactly when
//     N |rho - 1| <= 2^(e-53). That grows with N, so once a multiple misses, every larger
//     multiple with N below the next power of two misses too. The search tries the first
//     multiple of each binade of N and jumps to the next binade when it misses: at most one
//     candidate for each of the 31 binades.
//
// (C) Non-multiples, only where k h0 >= 2^52 (by A). A hit needs |s| <= M with
//     M = floor(2 kmax h0 / (2^53 - 1)), kmax the largest term searched, and k h0 = s (mod w0),
//     so k = s c (mod w0) with c h0 = 1 (mod w0). As kmax h0 <= w h0 = w0 h <= w0 (2^31 - 1),
//     M < w0 2^-21: the classes for s = -M..M are distinct, and s = 0 is the multiples' class.
//     There are at most g + 1 members of a class up to w = g w0, so at most
//     2M (g + 1) <= 8 w h / (2^53 - 1) < 4096 candidates. This part is reachable only when
//     w h0 >= 2^52, that is g < 2^10 and w0 > 2^21: from pasted or locked-mode entries.
//
// Whether k hits depends on k alone, so the linear search's answer is the least k that hits.
// Every candidate is tested with the linear search's own operations (t(k) = k / r with the
// same r, then the same whole-number test), and the least hit is kept: the least hitting
// multiple from (B), then the least hitting non-multiple below it from (C), each class tried
// in increasing order and stopped at the least hit so far. No hit at all leaves the entry.

namespace aspect::ratio {
namespace {

// Applies the label's one special case (8 : 5 reads 16 : 10) to a search hit.
Reduction MakeReduction(std::int32_t termW, double termH) {
    // A whole termH never exceeds the entered height, so it fits in 32 bits.
    const auto ratioH = static_cast<std::int32_t>(termH);
    Reduction r{termW, ratioH, termW, ratioH};
    if (termW == 8 && ratioH == 5) {  // shown the way screens are usually named
        r.shownW = 16;
        r.shownH = 10;
    }
    return r;
}

constexpr std::int64_t kTwoTo52 = std::int64_t{1} << 52;
constexpr std::int64_t kTwoTo53Minus1 = (std::int64_t{1} << 53) - 1;

// One candidate, tested exactly as ReduceRatioLinear tests it.
class TermTest {
  public:
    TermTest(std::int32_t w, std::int32_t h) : ratioValue_(static_cast<double>(w) / h) {}
    bool Hits(std::int64_t k) {
        ++tried_;
        const double termH = static_cast<double>(k) / ratioValue_;
        if (std::nearbyint(termH) != termH) return false;
        hitTermH_ = termH;
        return true;
    }
    // The height term of the latest hit.
    double HitTermH() const { return hitTermH_; }
    std::int64_t Tried() const { return tried_; }

  private:
    double ratioValue_;
    double hitTermH_ = 0;
    std::int64_t tried_ = 0;
};

// The c with c * a = 1 (mod m), for coprime a and m >= 2.
std::int64_t InverseMod(std::int64_t a, std::int64_t m) {
    std::int64_t r0 = m, r1 = a % m;
    std::int64_t t0 = 0, t1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        r0 = std::exchange(r1, r0 - q * r1);
        t0 = std::exchange(t1, t0 - q * t1);
    }
    return t0 < 0 ? t0 + m : t0;
}

// The least k in [1, w] that hits, found as described above; 0 when none does.
std::int64_t FirstHit(std::int32_t w, std::int32_t h, TermTest& test) {
    const std::int32_t g = std::gcd(w, h);
    const std::int64_t w0 = w / g;
    const std::int64_t h0 = h / g;

    // (B) The least hitting multiple of w0, one candidate per binade of j * h0.
    std::int64_t best = 0;
    for (std::int64_t j = 1; j * w0 <= w;) {
        if (test.Hits(j * w0)) {
            best = j * w0;
            break;
        }
        const auto nextBinade =
            static_cast<std::int64_t>(std::bit_floor(static_cast<std::uint64_t>(j * h0)) << 1);
        j = (nextBinade + h0 - 1) / h0;
    }

    // (C) Non-multiples below the best so far, from the first k with k * h0 >= 2^52.
    std::int64_t kMax = best != 0 ? best - 1 : w;
    const std::int64_t kMin = (kTwoTo52 + h0 - 1) / h0;
    if (kMin > kMax) return best;
    std::int64_t maxS = 2 * kMax * h0 / kTwoTo53Minus1;
    const std::int64_t c = InverseMod(h0, w0);
    const std::int64_t firstBlock = kMin / w0 * w0;
    std::int64_t offset = 0;  // s * c mod w0
    for (std::int64_t s = 1; s <= maxS; ++s) {
        offset += c;
        if (offset >= w0) offset -= w0;
        for (const std::int64_t classOffset : {offset, w0 - offset}) {  // classes s and -s
            std::int64_t k = firstBlock + classOffset;
            if (k < kMin) k += w0;
            for (; k <= kMax; k += w0) {
                if (test.Hits(k)) {  // hits only ever get smaller from here
                    best = k;
                    kMax = k - 1;
                    maxS = 2 * kMax * h0 / kTwoTo53Minus1;
                    break;
                }
            }
        }
    }
    return best;
}

// The result for the least hit k (0: none), whose height term is the test's latest hit.
Reduction Found(std::int32_t w, std::int32_t h, std::int64_t k, const TermTest& test) {
    if (k == 0) return Reduction{w, h, w, h};
    return MakeReduction(static_cast<std::int32_t>(k), test.HitTermH());
}

}  // namespace

Reduction ReduceRatioLinear(std::int32_t w, std::int32_t h) {
    const double ratioValue = static_cast<double>(w) / h;
    for (std::int64_t k = 1; k <= w; ++k) {
        const double termH = static_cast<double>(k) / ratioValue;
        if (std::nearbyint(termH) == termH) {
            return MakeReduction(static_cast<std::int32_t>(k), termH);
        }
    }
    return Reduction{w, h, w, h};
}

Reduction ReduceRatio(std::int32_t w, std::int32_t h) { return ReduceRatioFast(w, h); }

Reduction ReduceRatioFast(std::int32_t w, std::int32_t h, SearchCost& cost) {
    TermTest test(w, h);
    const Reduction result = Found(w, h, FirstHit(w, h, test), test);
    cost.candidates = test.Tried();
    return result;
}

Reduction ReduceRatioFast(std::int32_t w, std::int32_t h) {
    SearchCost cost;
    return ReduceRatioFast(w, h, cost);
}

Reduction ReduceRatioByBound(std::int32_t w, std::int32_t h, SearchCost& cost) {
    const std::int32_t g = std::gcd(w, h);
    const std::int64_t w0 = w / g;
    const std::int64_t h0 = h / g;
    const std::int64_t kMin = (kTwoTo52 + h0 - 1) / h0;  // first k with k * h0 >= 2^52
    TermTest test(w, h);
    std::int64_t hit = 0;
    for (std::int64_t k = w0; k <= w && k < kMin && hit == 0; k += w0) {
        if (test.Hits(k)) hit = k;
    }
    for (std::int64_t k = kMin; k <= w && hit == 0; ++k) {
        if (test.Hits(k)) hit = k;
    }
    const Reduction result = Found(w, h, hit, test);
    cost.candidates = test.Tried();
    return result;
}

}  // namespace aspect::ratio
