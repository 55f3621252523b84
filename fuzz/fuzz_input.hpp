// Shared input decoding of the native fuzz harnesses: doubles that favour the values where ray
// and pixel arithmetic break (exact grid lines, zero, signed extremes, NaN and infinities).
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "render/pixels.core.hpp"

namespace fuzz {

// A coordinate around the range [0, extent]: often inside it, sometimes on a cell line or
// corner, sometimes any bit pattern at all.
inline double coordinate(FuzzedDataProvider& in, double extent) {
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
        case 0: return in.ConsumeIntegralInRange<int>(-2, int(extent) + 2);  // on a grid line
        case 1: return in.ConsumeIntegralInRange<int>(-4, 4 * int(extent) + 4) * 0.25;
        case 2: {
            uint64_t bits = in.ConsumeIntegral<uint64_t>();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 3: {
            const double specials[] = {0.0, -0.0, 1e-14, -1e-14, 1e-300, 1e300, -1e300,
                                       std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(),
                                       std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::denorm_min(), extent,
                                       std::nextafter(extent, 0.0)};
            return specials[in.ConsumeIntegralInRange<size_t>(0, std::size(specials) - 1)];
        }
        default: return in.ConsumeFloatingPointInRange<double>(-1.0, extent + 1.0);
    }
}

// A direction component: unit-ish values, exact zeros and diagonals, or any coordinate.
inline double direction(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegralInRange<int>(-2, 2) * 0.5;
        case 1: return in.ConsumeFloatingPointInRange<double>(-1.0, 1.0);
        default: return coordinate(in, 4.0);
    }
}

// An owned pixel buffer of exactly pitch * height pixels (ASan sees any read past it), with a
// pitch that may exceed the width; a side of 0 leaves it without pixels.
struct Pixels {
    std::vector<uint32_t> data;
    bv::PixelView view{nullptr, 0, 0, 0};

    Pixels() = default;
    Pixels(FuzzedDataProvider& in, int maxSide, int minSide = 1) {
        int w = in.ConsumeIntegralInRange<int>(minSide, maxSide), h = in.ConsumeIntegralInRange<int>(minSide, maxSide);
        int pitch = w + in.ConsumeIntegralInRange<int>(0, 3);
        data.resize(size_t(pitch) * size_t(h));
        uint32_t seed = in.ConsumeIntegral<uint32_t>();
        for (size_t i = 0; i < data.size(); i++) data[i] = seed ^ uint32_t(i * 0x9E3779B9u);
        view = {data.data(), w, h, pitch};
    }
};

}  // namespace fuzz
