// The choice of the per-pixel path (plain or wider instructions) at start, and its switch.
#include "render/pixel_path.core.hpp"

#include <cstdlib>
#include <cstring>

namespace bv {

namespace {

PixelPath chosenAtStart() {
    const char* plain = std::getenv("BROVALINE_PLAIN_PIXELS");
    if (plain && *plain && std::strcmp(plain, "0") != 0) return PixelPath::kPlain;
    return pixelPathSupported(PixelPath::kAvx2) ? PixelPath::kAvx2 : PixelPath::kPlain;
}

PixelPath& current() {
    static PixelPath path = chosenAtStart();
    return path;
}

}  // namespace

bool pixelPathSupported(PixelPath path) {
    if (path == PixelPath::kPlain) return true;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

PixelPath pixelPath() { return current(); }

void setPixelPath(PixelPath path) { current() = path; }

const char* pixelPathName(PixelPath path) { return path == PixelPath::kAvx2 ? "avx2" : "plain"; }

}  // namespace bv
