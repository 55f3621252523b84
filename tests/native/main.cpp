// Runs every TEST registered by the files of this directory, once on each version of the pixel
// passes that this processor can run, so that each is held to the same expectations.
#include <cstdio>
#include <initializer_list>

#include "check.hpp"
#include "render/pixel_path.core.hpp"

int main() {
    int count = 0;
    for (bv::PixelPath path : {bv::PixelPath::kPlain, bv::PixelPath::kAvx2}) {
        if (!bv::pixelPathSupported(path)) {
            std::printf("pixel path %s: not supported by this processor, not tested\n", bv::pixelPathName(path));
            continue;
        }
        bv::setPixelPath(path);
        const int failedBefore = native_tests::failures();
        for (native_tests::Test* t = native_tests::registry(); t; t = t->next) {
            t->fn();
            ++count;
        }
        std::printf("pixel path %s: %d failed checks\n", bv::pixelPathName(path), native_tests::failures() - failedBefore);
    }
    std::printf("%d native test runs, %d failed checks\n", count, native_tests::failures());
    return native_tests::failures() ? 1 : 0;
}
