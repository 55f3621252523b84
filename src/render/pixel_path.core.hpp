// Which compiled version of the per-pixel passes draws: the plain one, built for any x86-64
// processor, or one built for wider instructions. Both draw the same pixels. The choice is made
// once, from what the processor supports, unless the environment variable BROVALINE_PLAIN_PIXELS
// is set to a value other than "" or "0", which keeps the plain version.
#pragma once

namespace bv {

enum class PixelPath { kPlain, kAvx2 };

// The version in use.
PixelPath pixelPath();

// Whether this processor can run `path`.
bool pixelPathSupported(PixelPath path);

// Makes `path` the version in use (tests compare the versions); it must be supported. Not safe
// while a frame is being drawn.
void setPixelPath(PixelPath path);

// "plain" or "avx2".
const char* pixelPathName(PixelPath path);

}  // namespace bv
