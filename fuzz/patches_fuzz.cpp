// The theme's drawing figures with the numbers a theme file may hold: nine-patches and tiled
// three-patches cut from a random tileset at any position and size, drawn into a random target
// at any box under any clip rectangle. Pixel buffers are exact-size heap blocks.
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "ui/patches.core.hpp"

namespace {

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "patch invariant broken: %s\n", what);
    std::abort();
}

// A theme number: mostly a few pixels, sometimes any 32-bit value.
int32_t themeValue(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange<int>(0, 3) ? in.ConsumeIntegralInRange<int32_t>(-3, 24)
                                                : in.ConsumeIntegral<int32_t>();
}

// A widget position or size as layout computes it (32-bit values, sums of them).
int64_t layoutValue(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange<int>(0, 3) ? in.ConsumeIntegralInRange<int64_t>(-40, 80)
                                                : int64_t(in.ConsumeIntegral<int32_t>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    fuzz::Pixels tileset(in, 24), target(in, 48);
    const std::vector<uint32_t> untouched = target.data;
    const bv::ui::Rect64 clip{layoutValue(in), layoutValue(in), layoutValue(in), layoutValue(in)};

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0: {
                bv::ui::NinePatch p{themeValue(in), themeValue(in), themeValue(in), themeValue(in),
                                    themeValue(in), themeValue(in), themeValue(in), themeValue(in)};
                bv::ui::Rect64 box{layoutValue(in), layoutValue(in), layoutValue(in), layoutValue(in)};
                bv::ui::drawNinePatch(tileset.view, p, target.view, box, clip);
                break;
            }
            default: {
                bv::ui::ThreePatch p{themeValue(in), themeValue(in), themeValue(in),
                                     themeValue(in), themeValue(in), themeValue(in)};
                int64_t x = layoutValue(in), y = layoutValue(in), length = layoutValue(in);
                if (in.ConsumeBool())
                    bv::ui::drawThreePatchH(tileset.view, p, target.view, x, y, length, clip);
                else
                    bv::ui::drawThreePatchV(tileset.view, p, target.view, x, y, length, clip);
            }
        }
    }

    // Pixels outside the clip rectangle and the row padding keep their values.
    const bv::ui::Rect64 open = bv::ui::intersect(clip, {0, 0, target.view.width, target.view.height});
    for (int y = 0; y < target.view.height; y++)
        for (int x = 0; x < target.view.pitch; x++) {
            const bool inside = x < target.view.width && x >= open.x && x < open.x + open.w && y >= open.y &&
                                y < open.y + open.h;
            if (!inside)
                require(target.view.at(x, y) == untouched[size_t(y) * target.view.pitch + x], "drawn outside the clip");
        }
    return 0;
}
