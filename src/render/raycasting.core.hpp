// The per-pixel passes of the raycasting renderer: walls with floor, ceiling, fog, ground fog,
// flashlight and the sky panorama behind them, one ray per target column.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"

namespace bv {

inline bool hasPixels(const PixelView& v) { return v.pixels && v.width > 0 && v.height > 0; }

// The level as the passes read it: the grid bytes, the texture surfaces and the fog settings.
struct LevelView {
    level::GridView grid;
    const PixelView* textures = nullptr;  // a view without pixels stands for an unusable surface
    size_t textureCount = 0;
    uint32_t fogColor = 0, groundFogColor = 0;
    int fogDensity = 0, groundFogDensity = 0;

    // The texture at `index`, or null when there is none to draw with.
    const PixelView* texture(unsigned index) const {
        return index < textureCount && hasPixels(textures[index]) ? &textures[index] : nullptr;
    }
};

// Whether the texel offsets of `t`, and its texel coordinates anywhere on `grid`, stay below 2^31.
inline bool fitsIn31Bits(const PixelView& t, const level::GridView& grid) {
    constexpr double kLimit = 2147483647.0;
    return t.pitch >= 0 && double(t.height) * t.pitch < kLimit && double(t.width) * double(grid.width) < kLimit &&
           double(t.height) * double(grid.height) < kLimit;
}

// How many chunks of `chunk` columns cover `width` columns; chunk i holds columns
// i * chunk up to the smaller of (i + 1) * chunk and `width`.
inline size_t chunkCount(int width, int chunk) { return size_t((width + chunk - 1) / chunk); }

// One frame's view: camera position and normalised direction, field of view in degrees, the
// wall height divisor and the horizon row.
struct FrameView {
    _internal_Vec2 pos, dir;
    int fov = 0;
    double ratio = 1.6;
    int64_t baseline = 0;
};

class WallFrame;
namespace plain {
void drawWallColumns(const WallFrame& frame, int x0, int x1, Hit* hits);
}
namespace avx2 {
void drawWallColumns(const WallFrame& frame, int x0, int x1, Hit* hits);
}

// One frame of walls, floor, ceiling, flashlight and the background behind them (the sky
// panorama, or a plain colour without one), drawn by column ranges that may run in parallel:
// every pixel of a range is written exactly once (the flashlight adds to its wall afterwards).
class WallFrame {
public:
    // `sky` (null: none) is seen in direction `skyDegrees`; `flashlight` null is off. The views
    // must outlive the frame.
    WallFrame(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* sky,
              double skyDegrees, const PixelView* flashlight, uint32_t background);
    WallFrame(const WallFrame&) = delete;
    WallFrame& operator=(const WallFrame&) = delete;

    // Draws columns x0..x1-1 and casts their rays into hits[x0..x1-1].
    void draw(int x0, int x1, Hit* hits) const;

    // A floor or ceiling texture as the inner loop reads it (no pixels: nothing to draw).
    struct FlatTexture {
        const uint32_t* pixels = nullptr;
        double width = 0, height = 0;
        int lastX = 0, lastY = 0;
        ptrdiff_t pitch = 0;
        bool powerOfTwo = false;  // width and height both powers of two
        // Every texel offset, and the texel coordinates of any point of the level, fit in 31 bits.
        bool smallOffsets = false;
    };

    // alphaBlend(p, overlay, alpha) precomputed for 16-bit channel lanes: overlay * alpha per
    // lane (two pixels, blue, green, red, alpha lane 0) and 255 - alpha.
    struct BlendTerms {
        alignas(16) uint16_t overlay[8];
        uint16_t inverse;
        void set(uint32_t color, uint32_t alpha);
    };

    struct RowFog {
        double dist;
        uint32_t fog, groundFog;  // blend amounts (ground fog already limited to 255)
        bool fogged;              // the fog colour replaces the texel
        BlendTerms fogTerms, groundTerms;
    };

private:
    // The passes, one version per instruction set (see pixel_path.core.hpp).
    friend void plain::drawWallColumns(const WallFrame&, int, int, Hit*);
    friend void avx2::drawWallColumns(const WallFrame&, int, int, Hit*);

    PixelView target_;
    const LevelView& level_;
    FrameView view_;
    const PixelView* flashlight_;
    uint32_t background_;
    FlatTexture textures_[256];               // per index byte
    std::vector<_internal_Vec2> dirs_;        // the ray of every column
    std::vector<RowFog> rows_;                // floor and ceiling distance and fog of every row
    std::vector<const uint32_t*> skyRows_;    // background of pixel (x, y): skyRows_[y][skyColumns_[x]]
    std::vector<int> skyColumns_;
};

// The whole frame on the calling thread.
void renderWalls(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* sky,
                 double skyDegrees, const PixelView* flashlight, uint32_t background, Hit* hits);

}  // namespace bv
