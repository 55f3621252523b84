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
// What the decision needs, asked of the processor directly: the compilers' own helper reaches into
// their runtime library, which a static C++ runtime lacks. XCR0 is read only when OSXSAVE says the
// instruction exists (it faults otherwise).
CpuReport readCpu() {
    CpuReport r{};
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return r;
    r.leaf1Ecx = ecx;
    if (ecx & kCpuidOsxsave) {
        unsigned xcr0, xcr0High;
        __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
        r.xcr0 = xcr0;
    }
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) r.leaf7Ebx = ebx;
    return r;
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
    static const bool hasAvx2 = avx2Usable(readCpu());
    return hasAvx2;
#else
    return false;
#endif
}

bool avx2Usable(const CpuReport& cpu) {
    const unsigned avx = 1u << 28, avx2 = 1u << 5, sseAndAvxState = 0x6;
    return (cpu.leaf1Ecx & (kCpuidOsxsave | avx)) == (kCpuidOsxsave | avx) &&
           (cpu.xcr0 & sseAndAvxState) == sseAndAvxState && (cpu.leaf7Ebx & avx2);
}

PixelPath pixelPath() { return current(); }

void setPixelPath(PixelPath path) { current() = path; }

const char* pixelPathName(PixelPath path) { return path == PixelPath::kAvx2 ? "avx2" : "plain"; }

}  // namespace bv
