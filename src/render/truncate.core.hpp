// Double to integer truncation towards zero that saturates instead of overflowing (NaN gives 0).
#pragma once
#include <cstdint>

namespace bv {

inline int64_t truncSat(double v) {
    constexpr double kLimit = 4.0e18;
    if (v >= kLimit) return int64_t(kLimit);
    if (v <= -kLimit) return -int64_t(kLimit);
    return v == v ? int64_t(v) : 0;
}

}  // namespace bv
