// Which compiled version of the per-pixel passes draws: the plain one, built for any x86-64
// processor, or one built for wider instructions. Both draw the same pixels. The choice is made
// once, from what the processor supports, unless the environment variable BROVALINE_PLAIN_PIXELS
// is set to a value other than "" or "0", which keeps the plain version.
#pragma once

#include <cstdint>

namespace bv {

enum class PixelPath { kPlain, kAvx2 };

// The version in use.
PixelPath pixelPath();

// Whether this processor can run `path`.
bool pixelPathSupported(PixelPath path);

// Makes `path` the version in use (tests compare the versions); it must be supported. Not safe
// while a frame is being drawn.
void setPixelPath(PixelPath path);

// What the processor and the operating system report (zero where not asked or not available).
struct CpuReport {
    unsigned leaf1Ecx;  // CPUID leaf 1, ECX
    uint64_t xcr0;      // XGETBV(0): the register state the system saves
    unsigned leaf7Ebx;  // CPUID leaf 7 sub-leaf 0, EBX
};
constexpr unsigned kCpuidOsxsave = 1u << 27;  // leaf 1 ECX: XGETBV exists, the system uses XSAVE

// AVX2 needs the instructions (leaf 7) and a system that saves the wide registers (OSXSAVE, AVX,
// and XCR0 enabling the SSE and AVX state).
bool avx2Usable(const CpuReport& cpu);

// "plain" or "avx2".
const char* pixelPathName(PixelPath path);

}  // namespace bv
