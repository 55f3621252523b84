// The choice of the per-pixel path (plain or wider instructions) at start, and its switch.
#include "render/pixel_path.core.hpp"

#include <cstdlib>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace bv {

namespace {

PixelPath chosenAtStart() {
    const char* plain = std::getenv("BROVALINE_PLAIN_PIXELS");
    if (plain && *plain && std::strcmp(plain, "0") != 0) return PixelPath::kPlain;
    return pixelPathSupported(PixelPath::kAvx2) ? PixelPath::kAvx2 : PixelPath::kPlain;
}

#if defined(__x86_64__) || defined(__i386__)
// AVX2 needs the instructions (CPUID leaf 7) and an operating system that saves the wide
// registers (OSXSAVE, and XCR0 enabling the SSE and AVX state). Asked of the processor directly:
// the compilers' own helper reaches into their runtime library, which a static C++ runtime lacks.
bool processorHasAvx2() {
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    const unsigned osxsave = 1u << 27, avx = 1u << 28;
    if ((ecx & (osxsave | avx)) != (osxsave | avx)) return false;
    unsigned xcr0, xcr0High;
    __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
    if ((xcr0 & 0x6) != 0x6) return false;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    return ebx & (1u << 5);
}
#endif

PixelPath& current() {
    static PixelPath path = chosenAtStart();
    return path;
}

}  // namespace

bool pixelPathSupported(PixelPath path) {
    if (path == PixelPath::kPlain) return true;
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasAvx2 = processorHasAvx2();
    return hasAvx2;
#else
    return false;
#endif
}

PixelPath pixelPath() { return current(); }

void setPixelPath(PixelPath path) { current() = path; }

const char* pixelPathName(PixelPath path) { return path == PixelPath::kAvx2 ? "avx2" : "plain"; }

}  // namespace bv
