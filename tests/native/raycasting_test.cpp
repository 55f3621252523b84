// The wall, floor, ceiling, sky and sprite passes against a direct transcription of the
// per-column algorithm, on hand-checked scenes and on many random ones, drawn on one thread and
// in column chunks on several.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "check.hpp"
#include "render/blend.core.hpp"
#include "render/column_pool.core.hpp"
#include "render/pixel_path.core.hpp"
#include "render/raycasting.core.hpp"
#include "render/sprite_render.core.hpp"

using namespace bv;

namespace {

struct Surface {
    int w, h, pitch;
    std::vector<uint32_t> px;
    Surface(int w_, int h_, uint32_t color = 0, int extraPitch = 0)
        : w(w_), h(h_), pitch(w_ + extraPitch), px(size_t(pitch) * h_, color) {}
    PixelView view() { return {px.data(), w, h, pitch}; }
    uint32_t at(int x, int y) const { return px[size_t(y) * pitch + x]; }
};

struct Scene {
    int w, h;
    level::Grid grid;
    std::vector<Surface> textures;
    std::vector<PixelView> views;
    LevelView level;
    Scene(int w_, int h_) : w(w_), h(h_), grid(w_, h_) {}
    level::Cell& cell(int x, int y) { return grid(x, y); }
    void wall() { grid.surroundWithWall(); }
    void setAll(int byte, uint8_t v) {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) cell(x, y).byte(byte) = v;
    }
    LevelView& finish() {
        views.clear();
        for (auto& t : textures) views.push_back(t.view());
        level.grid = grid.view();
        level.textures = views.data();
        level.textureCount = views.size();
        return level;
    }
};

// A copy of a grid's cells between two pages that fault when touched, the cells starting right
// after the first (`atEnd` false) or ending right before the second: a read past that side crashes.
class GuardedCells {
public:
    GuardedCells(const level::GridView& g, bool atEnd) {
        const size_t bytes = size_t(g.width) * g.height * level::kCellBytes, page = size_t(sysconf(_SC_PAGESIZE));
        const size_t data = (bytes + page - 1) / page * page;
        size_ = data + 2 * page;
        void* base = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<uint8_t*>(base);
        mprotect(base_, page, PROT_NONE);
        mprotect(base_ + page + data, page, PROT_NONE);
        uint8_t* cells = base_ + page + (atEnd ? data - bytes : 0);
        std::memcpy(cells, g.cells, bytes);
        view_ = {reinterpret_cast<const level::Cell*>(cells), g.width, g.height};
    }
    GuardedCells(const GuardedCells&) = delete;
    GuardedCells& operator=(const GuardedCells&) = delete;
    ~GuardedCells() { munmap(base_, size_); }
    level::GridView view() const { return view_; }

private:
    uint8_t* base_ = nullptr;
    size_t size_ = 0;
    level::GridView view_;
};

// ---- the per-column algorithm, transcribed directly ----

// It shares neither the ray caster nor the blending code with the renderer: both are written out
// again below, plainly.

// Blends `over` into `base` by alpha / 255, channel by channel, keeping base's alpha byte.
uint32_t plainBlend(uint32_t base, uint32_t over, uint32_t alpha) {
    const uint32_t a = alpha & 0xFF;
    uint32_t out = base & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t b = (base >> shift) & 0xFF, o = (over >> shift) & 0xFF;
        out |= ((o * a + b * (255 - a)) >> 8) << shift;
    }
    return out;
}

// Adds `src` weighted by weight / 256 to `dst`, channel by channel up to 255; dst's alpha stays.
uint32_t plainAdd(uint32_t dst, uint32_t src, uint32_t weight) {
    const uint32_t w = weight & 0xFF;
    uint32_t out = dst & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, d + s * w / 256) << shift;
    }
    return out;
}

uint32_t plainBlendPixel(BlendMode mode, uint32_t dst, uint32_t src) {
    return mode == BLEND_ADD ? plainAdd(dst, src, src >> 24) : plainBlend(dst, src, src >> 24);
}

// The sides of a half block's cell through which a ray enters its open triangle, indexed by
// block type: north, east, south, west.
struct OpenSides {
    bool north, east, south, west;
};
OpenSides openSides(int type) {
    switch (type) {
        case 2: return {false, true, true, false};  // diagonal from (x, y+1) to (x+1, y)
        case 3: return {false, false, true, true};  // diagonal from (x, y) to (x+1, y+1)
        case 4: return {true, true, false, false};  // diagonal from (x, y) to (x+1, y+1)
        case 5: return {true, false, false, true};  // diagonal from (x, y+1) to (x+1, y)
        default: return {false, false, false, false};
    }
}

// Where the ray meets the diagonal of the half block at (cx, cy); false when it runs parallel.
bool meetDiagonal(int type, int cx, int cy, _internal_Vec2 pos, _internal_Vec2 dir, _internal_Vec2& p) {
    double t;
    if (type == 2 || type == 5) {  // the points with x + y = cx + cy + 1
        if (dir.x + dir.y == 0) return false;
        t = (cx + cy + 1 - pos.x - pos.y) / (dir.x + dir.y);
    } else {  // the points with x - y = cx - cy
        if (dir.x - dir.y == 0) return false;
        t = (cx - cy - (pos.x - pos.y)) / (dir.x - dir.y);
    }
    p = {pos.x + t * dir.x, pos.y + t * dir.y};
    return cx <= p.x && p.x < cx + 1 && cy <= p.y && p.y < cy + 1;
}

double distanceBetween(_internal_Vec2 a, _internal_Vec2 b) {
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

// The ray cast: from `pos` along `dir` (a zero component becomes 1e-14), crossing the grid lines
// in order of distance, until it meets a solid face. Fills what the frame reads: invalid, pos,
// length, vert and textureIndex.
Hit plainCast(const level::GridView& g, _internal_Vec2 pos, _internal_Vec2& dir) {
    Hit hit{};
    hit.invalid = 1;
    hit.length = INFINITY;
    const bool east = dir.x > 0, south = dir.y > 0;
    if (dir.x == 0) dir.x = 1e-14;
    if (dir.y == 0) dir.y = 1e-14;
    if (!(pos.x >= 0 && pos.y >= 0 && pos.x < g.width && pos.y < g.height && std::isfinite(dir.x) &&
          std::isfinite(dir.y)))
        return hit;
    auto found = [&](_internal_Vec2 p, int cx, int cy, int face) {
        hit.invalid = 0;
        hit.pos = p;
        hit.length = distanceBetween(pos, p);
        hit.vert = face == level::TEXTURE_NORTH || face == level::TEXTURE_SOUTH;
        hit.textureIndex = g(size_t(cx), size_t(cy)).byte(face);
        return hit;
    };
    // Standing in the open part of a half block, the ray may meet its diagonal first.
    const int sx = int(pos.x), sy = int(pos.y);
    const int startType = g(size_t(sx), size_t(sy)).type;
    _internal_Vec2 p;
    if (startType >= 2 && startType <= 5 && meetDiagonal(startType, sx, sy, pos, dir, p) &&
        (std::fabs(dir.x) < 1e-7 || (p.x - pos.x) / dir.x > 0) &&
        (std::fabs(dir.y) < 1e-7 || (p.y - pos.y) / dir.y > 0)) {
        const bool opensEast = openSides(startType).east;
        if (opensEast ? dir.x <= 0 : dir.x >= 0)
            return found(p, sx, sy, opensEast ? level::TEXTURE_EAST : level::TEXTURE_WEST);
        return found(p, sx, sy, dir.y < 0 ? level::TEXTURE_SOUTH : level::TEXTURE_NORTH);
    }
    // The next vertical line (x = lineX) and horizontal line (y = lineY) the ray crosses.
    int lineX = east ? sx + 1 : sx, lineY = south ? sy + 1 : sy;
    for (;;) {
        const _internal_Vec2 atX{double(lineX), pos.y + (lineX - pos.x) / dir.x * dir.y};
        const _internal_Vec2 atY{pos.x + (lineY - pos.y) / dir.y * dir.x, double(lineY)};
        const bool vertical = distanceBetween(pos, atX) < distanceBetween(pos, atY);
        const _internal_Vec2 cross = vertical ? atX : atY;
        const double cxd = vertical ? (dir.x < 0 ? lineX - 1 : lineX) : std::floor(cross.x);
        const double cyd = vertical ? std::floor(cross.y) : (dir.y < 0 ? lineY - 1 : lineY);
        if (!(cxd >= 0 && cyd >= 0 && cxd < g.width && cyd < g.height)) return hit;
        const int cx = int(cxd), cy = int(cyd);
        const int type = g(size_t(cx), size_t(cy)).type;
        if (type != 0) {
            const int face = vertical ? (dir.x >= 0 ? level::TEXTURE_WEST : level::TEXTURE_EAST)
                                      : (dir.y < 0 ? level::TEXTURE_SOUTH : level::TEXTURE_NORTH);
            const OpenSides open = openSides(type);
            const bool entersOpen = vertical ? (dir.x > 0 && open.west) || (dir.x < 0 && open.east)
                                             : (dir.y < 0 && open.south) || (dir.y > 0 && open.north);
            if (!entersOpen) return found(cross, cx, cy, face);
            if (meetDiagonal(type, cx, cy, pos, dir, p)) return found(p, cx, cy, face);
        }
        if (vertical)
            lineX += east ? 1 : -1;
        else
            lineY += south ? 1 : -1;
    }
}

int64_t toInt(double v) { return int64_t(v); }

void referenceSky(PixelView t, PixelView s, double camDegrees, int fov, int64_t baseline) {
    for (int i = 0; i < t.width; i++) {
        double angle = double(i) / t.width * fov + camDegrees - fov / 2;
        while (angle < 0) angle += 360;
        int64_t texX = toInt(s.width / 360.0 * angle) % s.width;
        for (int j = 0; j < t.height; j++) {
            int64_t texY = toInt(double(j + t.height - baseline) / (2.0 * t.height) * s.height);
            texY = std::clamp<int64_t>(texY, 0, s.height - 1);
            t.at(i, j) = s.at(int(texX), int(texY));
        }
    }
}

_internal_Vec2 rotate(double degrees, _internal_Vec2 v) {
    _internal_Matrix2_2 m;
    _internal_matrix2_2_setAngle(m, degrees * _DEGREES_TO_RAD);
    return _internal_matrix2_2_apply(m, v);
}

const PixelView* tex(const LevelView& l, unsigned i) {
    return i < l.textureCount && l.textures[i].width > 0 && l.textures[i].height > 0 ? &l.textures[i] : nullptr;
}

void referenceWalls(PixelView t, const LevelView& l, const FrameView& v, const PixelView* flash, Hit* hits) {
    const int W = t.width, H = t.height;
    _internal_Vec2 pos = v.pos, dir = rotate(v.fov * -0.5, v.dir);
    int64_t groundFogAlpha = 0;
    for (int x = 0; x < W; x++) {
        Hit hit = plainCast(l.grid, pos, dir);
        double d = hit.length;
        if (d < 1e-8) hit.invalid = 1;
        hit.rayDir = dir;
        int64_t top = v.baseline, bottom = v.baseline + 1;
        if (!hit.invalid) {
            int64_t half = toInt(H / v.ratio / d + 0.5), wallHeight = 2 * half, realTop = v.baseline - half;
            top = std::max<int64_t>(realTop, 0);
            bottom = std::min<int64_t>(H - 1, v.baseline + half);
            double offset, whole;
            if (hit.vert) {
                offset = std::modf(hit.pos.x, &whole);
                if (dir.y > 0) offset = 1 - offset;
            } else {
                offset = std::modf(hit.pos.y, &whole);
                if (dir.x < 0) offset = 1 - offset;
            }
            if (l.groundFogDensity > 0) groundFogAlpha = std::min<int64_t>(toInt(l.groundFogDensity * d), 255);
            int64_t fogAlpha = toInt(d * l.fogDensity);
            const PixelView* T = tex(l, unsigned(hit.textureIndex));
            if (T) {
                int64_t texX = std::min<int64_t>(toInt(offset * T->width), T->width - 1);
                double texStep = T->height / double(wallHeight + 1);
                double texY = double(top - realTop) * texStep;
                for (int64_t y = top; y < bottom; y++) {
                    uint32_t p;
                    if (fogAlpha >= 255) {
                        p = l.fogColor;
                    } else {
                        uint32_t texel = T->at(int(texX), std::min(int(texY), T->height - 1));
                        if (l.groundFogDensity < 1) {
                            p = plainBlend(texel, l.fogColor, uint32_t(fogAlpha));
                        } else {
                            float f = float(y - top) / float(wallHeight);
                            uint32_t a = uint32_t(int64_t(f * f * float(groundFogAlpha)));
                            p = plainBlend(plainBlend(texel, l.groundFogColor, a), l.fogColor, uint32_t(fogAlpha));
                        }
                    }
                    t.at(x, int(y)) = p;
                    texY += texStep;
                }
            } else if (fogAlpha >= 255) {
                for (int64_t y = top; y < bottom; y++) t.at(x, int(y)) = l.fogColor;
            }
            if (flash) {
                double step = 3 / d, texY = 0;
                uint32_t intensity = uint32_t(std::min<int64_t>(toInt(512 / (d * d)), 255));
                int fx = std::min(int(toInt(double(x) / W * flash->width)), flash->width - 1);
                for (int64_t y = top; y < bottom; y++) {
                    if (texY >= flash->height) break;
                    t.at(x, int(y)) = plainAdd(t.at(x, int(y)), flash->at(fx, int(texY)), intensity);
                    texY += step;
                }
            }
        }
        hits[x] = hit;
        for (int64_t y = std::max<int64_t>(bottom, 0); y <= H - 1; y++) {
            if (y <= v.baseline) continue;
            double dist = (H / v.ratio) / double(y - v.baseline);
            double fx = pos.x + dist * dir.x, fy = pos.y + dist * dir.y;
            if (!(fx >= 0 && fy >= 0 && fx < l.grid.width && fy < l.grid.height)) {
                if (hit.invalid) continue;
                fx = hit.pos.x;  // past the wall and outside the level: the floor at its foot
                fy = hit.pos.y;
            }
            if (l.groundFogDensity > 0) groundFogAlpha = toInt(l.groundFogDensity * dist);
            unsigned ch = l.grid(size_t(fx), size_t(fy)).floor;
            int64_t fogAlpha = toInt(dist * l.fogDensity);
            if (ch == 255) continue;
            if (fogAlpha > 254) {
                t.at(x, int(y)) = l.fogColor;
                continue;
            }
            const PixelView* T = tex(l, ch);
            if (!T) continue;
            double whole;
            int tx = std::min(int(std::modf(fx, &whole) * T->width), T->width - 1);
            int ty = std::min(int(std::modf(fy, &whole) * T->height), T->height - 1);
            uint32_t a = uint32_t(std::min<int64_t>(groundFogAlpha, 255));
            t.at(x, int(y)) = plainBlend(plainBlend(T->at(tx, ty), l.groundFogColor, a), l.fogColor, uint32_t(fogAlpha));
        }
        for (int64_t y = 0; y < std::min<int64_t>(top, H); y++) {
            if (y >= v.baseline) continue;
            double dist = (H / v.ratio) / double(v.baseline - y);
            double fx = pos.x + dist * dir.x, fy = pos.y + dist * dir.y;
            if (!(fx >= 0 && fy >= 0 && fx < l.grid.width && fy < l.grid.height)) continue;
            unsigned ch = l.grid(size_t(fx), size_t(fy)).ceiling;
            if (ch == 255) continue;
            int64_t fogAlpha = toInt(dist * l.fogDensity);
            if (fogAlpha > 254) {
                t.at(x, int(y)) = l.fogColor;
                continue;
            }
            const PixelView* T = tex(l, ch);
            if (!T) continue;
            double whole;
            int tx = std::min(int(std::modf(fx, &whole) * T->width), T->width - 1);
            int ty = std::min(int(std::modf(fy, &whole) * T->height), T->height - 1);
            t.at(x, int(y)) = plainBlend(T->at(tx, ty), l.fogColor, uint32_t(fogAlpha));
        }
        dir = rotate(double(v.fov) / W, dir);
    }
}

// A billboard, per pixel: projection, depth test per column, fog and blending.
void referenceSprite(PixelView t, const SpriteDraw& s, const Hit* hits, int64_t baseline, double ratio,
                     uint32_t fogColor, uint32_t groundFogColor) {
    const int W = t.width, H = t.height;
    if (!(s.depth > 0)) return;
    const int64_t half = toInt(H / ratio / s.depth);
    int64_t screenX = toInt(double(W / 2) + W * s.side / s.depth);
    screenX = toInt(double(screenX) - double(screenX - W / 2) * 0.25);
    int64_t xmin = toInt(double(screenX) - double(half) * s.scale);
    const int64_t xmax = toInt(double(screenX) + double(half) * s.scale);
    int64_t ymin = toInt(double(half) * s.zOffset + double(baseline) - s.scale * double(half));
    const int64_t ymax = std::min<int64_t>(toInt(double(baseline) + s.scale * double(half) + double(half) * s.zOffset), H);
    const double texStepX = s.frame.w / double(half * 2) / s.scale, texStepY = s.frame.h / double(half * 2) / s.scale;
    double texPosX = 0, texStartY = 0;
    if (xmin < 0) texPosX = double(-xmin) * texStepX, xmin = 0;
    if (ymin < 0) texStartY = double(-ymin) * texStepY, ymin = 0;
    for (int64_t x = xmin; x < std::min<int64_t>(xmax, W); x++, texPosX += texStepX) {
        if (!(hits[x].length > s.depth)) continue;
        double texPosY = texStartY;
        for (int64_t y = ymin; y < ymax; y++, texPosY += texStepY) {
            int tx = s.frame.x + int(std::clamp<int64_t>(toInt(texPosX), 0, s.frame.w - 1));
            int ty = s.frame.y + int(std::clamp<int64_t>(toInt(texPosY), 0, s.frame.h - 1));
            uint32_t px = s.sheet.at(tx, ty);
            if (!s.shadeless) {
                float f = float(y - ymin) / float(ymax - ymin);
                uint32_t a = uint32_t(int64_t(f * f * float(s.groundFogAlpha)));
                px = plainBlend(plainBlend(px, groundFogColor, a), fogColor, uint32_t(std::min<int64_t>(s.fogAlpha, 255)));
            }
            t.at(int(x), int(y)) = plainBlendPixel(s.blendMode, t.at(int(x), int(y)), px);
        }
    }
}

FrameView frame(double px, double py, double dx, double dy, int fov, int pitch, int height, double ratio = 1.6) {
    FrameView v;
    v.pos = {px, py};
    v.dir = {dx, dy};
    v.fov = fov;
    v.ratio = ratio;
    v.baseline = int64_t(pitch) + height / 2;
    return v;
}

constexpr uint32_t kBackground = 0xFF00B464;

// The whole frame in one pass, without sky.
void walls(PixelView t, const LevelView& l, const FrameView& v, const PixelView* flash, Hit* hits) {
    renderWalls(t, l, v, nullptr, 0, flash, kBackground, hits);
}

// Only the sky: an open level without floor or ceiling.
void skyOnly(PixelView t, PixelView sky, double camDegrees, int fov, int64_t baseline) {
    Scene s(3, 3);
    s.setAll(1, 255);
    s.setAll(2, 255);
    FrameView v = frame(1.5, 1.5, 1, 0, fov, 0, t.height);
    v.baseline = baseline;
    std::vector<Hit> hits(size_t(t.width));
    renderWalls(t, s.finish(), v, &sky, camDegrees, nullptr, kBackground, hits.data());
}

// The straightforward frame: background, sky over all of it, walls with floor and ceiling, then
// every billboard in order.
void referenceFrame(PixelView t, const LevelView& l, const FrameView& v, const PixelView* sky, double camDegrees,
                    const PixelView* flash, const std::vector<SpriteDraw>& sprites, Hit* hits) {
    for (int y = 0; y < t.height; y++)
        for (int x = 0; x < t.width; x++) t.at(x, y) = kBackground;
    if (sky) referenceSky(t, *sky, camDegrees, v.fov, v.baseline);
    referenceWalls(t, l, v, flash, hits);
    for (const SpriteDraw& s : sprites) referenceSprite(t, s, hits, v.baseline, v.ratio, l.fogColor, l.groundFogColor);
}

// The same frame drawn as the renderer does: chunks of `chunk` columns, each with its walls and
// its part of every billboard, shared out over `threads` threads.
void chunkedFrame(PixelView t, const LevelView& l, const FrameView& v, const PixelView* sky, double camDegrees,
                  const PixelView* flash, const std::vector<SpriteDraw>& sprites, Hit* hits, ColumnPool& pool,
                  int chunk) {
    const WallFrame frame(t, l, v, sky, camDegrees, flash, kBackground);
    std::vector<SpriteProjection> projections;
    for (const SpriteDraw& s : sprites) projections.push_back(projectSprite(t, s, v.baseline, v.ratio));
    pool.run(chunkCount(t.width, chunk), [&](size_t i) {
        const int x0 = int(i) * chunk, x1 = std::min(t.width, x0 + chunk);
        frame.draw(x0, x1, hits);
        for (size_t k = 0; k < sprites.size(); k++)
            drawSpriteColumns(t, sprites[k], projections[k], hits, l.fogColor, l.groundFogColor, x0, x1);
    });
}

}  // namespace

TEST(walls_fog_limit_and_far_walls) {
    Scene s(3, 60);
    s.wall();
    s.textures.emplace_back(2, 2, 0xFFFFFFFFu);
    LevelView& l = s.finish();
    l.fogDensity = 5;
    l.fogColor = 0xFF112233u;
    Surface target(8, 400, kBackground);
    std::vector<Hit> hits(8);
    for (int y = 0; y < 60; y++) s.cell(1, y).floor = s.cell(1, y).ceiling = level::kNoSurface;
    // Wall face at y = 59: distance 51 gives 5 * 51 = 255, entirely fog.
    walls(target.view(), l, frame(1.5, 8.0, 0, 1, 0, 0, 400), nullptr, hits.data());
    CHECK_EQ(target.at(3, 200), 0xFF112233u);
    CHECK_EQ(target.at(3, 196), 0xFF112233u);  // half height int(250 / 51 + 0.5) = 5
    CHECK_EQ(target.at(3, 194), kBackground);
    walls(target.view(), l, frame(1.5, 8.1, 0, 1, 0, 0, 400), nullptr, hits.data());
    CHECK_EQ(target.at(3, 200), alphaBlend(0xFFFFFFFFu, 0xFF112233u, 254));

    // Far enough that the half height rounds to 0: no wall row, and the horizon row is not cast.
    Surface small(4, 20, kBackground);
    std::vector<Hit> few(4);
    s.setAll(1, 0);
    s.setAll(2, 0);
    l.fogDensity = 0;
    walls(small.view(), l, frame(1.5, 1.5, 0, 1, 0, 0, 20), nullptr, few.data());
    CHECK_EQ(few[0].invalid, 0);
    CHECK_EQ(small.at(0, 10), kBackground);
    CHECK(small.at(0, 11) != kBackground);
    CHECK(small.at(0, 9) != kBackground);
}

TEST(walls_floor_and_ceiling_pixels) {
    Scene s(6, 6);
    s.wall();
    s.textures.emplace_back(4, 4, 0xFF0000FFu);  // walls
    s.textures.emplace_back(4, 4, 0xFF00FF00u);  // floor
    s.textures.emplace_back(4, 4, 0xFFFF0000u);  // ceiling
    s.setAll(1, 1);
    s.setAll(2, 2);
    s.cell(2, 3).floor = level::kNoSurface;  // no floor in front of the camera
    LevelView& l = s.finish();
    l.groundFogDensity = 2;
    l.groundFogColor = 0xFFFFFFFFu;
    l.fogDensity = 3;
    l.fogColor = 0xFF000000u;
    Surface target(4, 20, kBackground);
    std::vector<Hit> hits(4);
    FrameView v = frame(2.5, 1.5, 0, 1, 0, 0, 20);
    walls(target.view(), l, v, nullptr, hits.data());
    // Floor row y: distance (20 / 1.6) / (y - 10).
    // The wall at distance 3.5 ends at row 10 + int(12.5 / 3.5 + 0.5) = 14.
    // Its last row: ground fog int((7 / 8)^2 * min(int(2 * 3.5), 255)) = 5, fog int(3.5 * 3) = 10.
    CHECK_EQ(target.at(1, 13), alphaBlend(alphaBlend(0xFF0000FFu, 0xFFFFFFFFu, 5), 0xFF000000u, 10));
    for (int y = 14; y < 20; y++) {
        double dist = 12.5 / (y - 10), fy = 1.5 + dist;
        uint32_t expected = kBackground;
        if (int(fy) != 3) {
            int64_t fog = int64_t(dist * 3), ground = std::min<int64_t>(int64_t(2 * dist), 255);
            expected = fog > 254 ? 0xFF000000u
                                 : alphaBlend(alphaBlend(0xFF00FF00u, 0xFFFFFFFFu, uint32_t(ground)), 0, uint32_t(fog));
        }
        CHECK_EQ(target.at(1, y), expected);
    }
    double dist = 12.5 / 9;  // ceiling row 1
    CHECK_EQ(target.at(1, 1), alphaBlend(0xFFFF0000u, 0, uint32_t(dist * 3)));
}

// A floor or ceiling row is all fog colour from a fog amount of 255 on, and a blend below it
// (a blend at 255 is not the fog colour: each channel loses 1). Every density from 0 to 130 puts
// the rows of a long corridor on both sides of that limit, 254 and 255 exactly included.
TEST(floor_and_ceiling_fog_limit) {
    Scene s(3, 60);
    s.wall();
    s.textures.emplace_back(2, 2, 0xFF336699u);
    LevelView& l = s.finish();
    l.fogColor = 0xFFFFFFFFu;
    l.groundFogColor = 0xFF000000u;
    Surface target(4, 20, kBackground);
    std::vector<Hit> hits(4);
    bool hit254 = false, hit255 = false;
    for (int density = 0; density <= 130; density++) {
        l.fogDensity = density;
        walls(target.view(), l, frame(1.5, 1.5, 0, 1, 0, 0, 20), nullptr, hits.data());
        for (int y = 0; y < 20; y++) {
            if (y == 10) continue;  // the horizon row; the far wall is less than a row high
            const double dist = 12.5 / std::abs(y - 10);
            const int64_t fog = int64_t(dist * density);
            hit254 = hit254 || fog == 254;
            hit255 = hit255 || fog == 255;
            // The floor takes the ground fog blend first, at amount 0 here.
            const uint32_t texel = y > 10 ? plainBlend(0xFF336699u, 0xFF000000u, 0) : 0xFF336699u;
            const uint32_t expected = fog >= 255 ? 0xFFFFFFFFu : plainBlend(texel, 0xFFFFFFFFu, uint32_t(fog));
            if (target.at(1, y) != expected) {
                std::fprintf(stderr, "    fog density %d, row %d (fog %lld): expected 0x%08x, got 0x%08x\n", density,
                             y, (long long)fog, expected, target.at(1, y));
                CHECK_EQ(target.at(1, y), expected);
                return;
            }
        }
    }
    CHECK(hit254 && hit255);
}

TEST(sky_follows_the_camera_and_pitch) {
    Surface sky(360, 100);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 360; x++) sky.px[size_t(y) * 360 + x] = uint32_t(x << 8 | y);
    Surface target(32, 20);
    skyOnly(target.view(), sky.view(), 90.0, 60, 10);
    // Column 0: angle 0 / 32 * 60 + 90 - 30 = 60; row 0: (0 + 20 - 10) / 40 * 100 = 25.
    CHECK_EQ(target.at(0, 0), uint32_t(60 << 8 | 25));
    CHECK_EQ(target.at(16, 10), uint32_t(90 << 8 | 50));
    skyOnly(target.view(), sky.view(), -170.0, 60, 10);
    CHECK_EQ(target.at(0, 0), uint32_t(160 << 8 | 25));  // -200 + 360
    skyOnly(target.view(), sky.view(), 0.0, 60, 500);  // horizon far below: rows clamp to the top
    CHECK_EQ(target.at(5, 19) & 0xFF, 0u);
    skyOnly(target.view(), sky.view(), 0.0, 60, -500);
    CHECK_EQ(target.at(5, 0) & 0xFF, 99u);
    skyOnly(target.view(), sky.view(), 170.0, 720, 10);  // wide views wrap around the panorama
    for (int x = 0; x < 32; x++) CHECK((target.at(x, 0) >> 8) < 360);
    // Angles below 720 are used as they are, not wrapped first: on a 13-column panorama the
    // column of angle 360 (13 / 360 * 360 rounds to just under 13) is the last one, 12.
    Surface narrow(13, 100);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 13; x++) narrow.px[size_t(y) * 13 + x] = uint32_t(x << 8 | y);
    skyOnly(target.view(), narrow.view(), 390.0, 60, 10);  // column 0: 0 / 32 * 60 + 390 - 30 = 360
    CHECK_EQ(target.at(0, 0) >> 8, 12u);
}

// The first pixel or hit where two frames differ, printed with the scene's seed; true when none.
bool sameFrame(unsigned seed, const Surface& mine, const Surface& ref, const std::vector<Hit>& hitsMine,
               const std::vector<Hit>& hitsRef) {
    for (int y = 0; y < ref.h; y++)
        for (int x = 0; x < ref.w; x++)
            if (mine.at(x, y) != ref.at(x, y)) {
                std::fprintf(stderr, "    seed %u: first differing pixel (%d, %d): expected 0x%08x, got 0x%08x\n", seed, x,
                             y, ref.at(x, y), mine.at(x, y));
                return false;
            }
    if (mine.px != ref.px) {
        std::fprintf(stderr, "    seed %u: the row padding differs\n", seed);
        return false;
    }
    for (size_t x = 0; x < hitsRef.size(); x++) {
        const Hit &a = hitsMine[x], &b = hitsRef[x];
        if (a.invalid != b.invalid || (!a.invalid && a.length != b.length)) {
            std::fprintf(stderr, "    seed %u: column %zu hit: expected invalid %d length %.17g, got invalid %d length %.17g\n",
                         seed, x, b.invalid, b.length, a.invalid, a.length);
            return false;
        }
    }
    return true;
}

// Each scene comes from its own seed, which a failure prints.
TEST(frames_match_the_reference_on_random_scenes) {
    constexpr unsigned kFirstSeed = 1234;
    std::mt19937 rng;
    auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    const int sizes[][3] = {{32, 20, 0}, {17, 9, 3}, {1, 1, 0}, {64, 40, 5}, {3, 50, 1}, {101, 37, 2}};
    // Wider targets whose blocks of 64 columns end in groups of eight and odd tails.
    const int wideSizes[][3] = {{203, 61, 0}, {129, 40, 3}, {67, 100, 1}, {136, 30, 0}};
    const int fovs[] = {1, 45, 60, 90, 179, 360, 400, -60};
    const int threadCounts[] = {1, 2, 3, 7};
    std::vector<std::unique_ptr<ColumnPool>> pools;
    for (int n : threadCounts) pools.push_back(std::make_unique<ColumnPool>(n));
    int compared = 0, mismatches = 0;
    for (int round = 0; round < 600; round++) {
        const unsigned seed = kFirstSeed + unsigned(round);
        rng.seed(seed);
        // The later rounds: few walls, and floors and ceilings in four large patches (each a
        // texture, none, or a missing one), so that whole rows of a block meet one texture.
        const bool patches = round >= 400;
        int lw = rnd(3, 14), lh = rnd(3, 14);
        if (patches) lw = rnd(3, 40), lh = rnd(3, 40);
        Scene s(lw, lh);
        if (rnd(0, 3)) s.wall();
        int texCount = rnd(1, 4);
        for (int i = 0; i < texCount; i++) {
            int tw = rnd(1, 16), th = rnd(1, 16);
            if (patches && rnd(0, 3)) tw = 1 << rnd(0, 6), th = 1 << rnd(0, 6);  // mostly powers of two
            if (patches && i > 0 && rnd(0, 2) == 0)  // the size of the first: a floor and ceiling drawn as a pair
                tw = s.textures[0].w, th = s.textures[0].h;
            s.textures.emplace_back(tw, th, 0, rnd(0, 2));
            for (auto& p : s.textures.back().px) p = rng();
        }
        int splitX = 0, splitY = 0;
        uint8_t floors[4] = {}, ceilings[4] = {};
        if (patches) {
            splitX = rnd(0, lw), splitY = rnd(0, lh);
            for (int k = 0; k < 4; k++) {
                floors[k] = rnd(0, 5) == 0 ? level::kNoSurface : uint8_t(rnd(0, texCount));
                ceilings[k] = rnd(0, 5) == 0 ? level::kNoSurface : uint8_t(rnd(0, texCount));
            }
        }
        for (int y = 0; y < lh; y++)
            for (int x = 0; x < lw; x++) {
                level::Cell& c = s.cell(x, y);
                if (c.type == 0 && rnd(0, patches ? 40 : 5) == 0) c.type = uint8_t(rnd(1, 7));  // squares and diagonals
                if (patches) {
                    const int patch = (x < splitX ? 0 : 1) + (y < splitY ? 0 : 2);
                    c.floor = floors[patch];
                    c.ceiling = ceilings[patch];
                } else {
                    c.floor = rnd(0, 6) == 0 ? level::kNoSurface : uint8_t(rnd(0, texCount));
                    c.ceiling = rnd(0, 6) == 0 ? level::kNoSurface : uint8_t(rnd(0, texCount));
                }
                for (int k = level::TEXTURE_NORTH; k <= level::TEXTURE_WEST; k++)
                    c.byte(k) = uint8_t(rnd(0, texCount));  // texCount: one past the end
            }
        LevelView& l = s.finish();
        l.fogDensity = rnd(0, 3) ? rnd(0, 12) : 0;
        // Ground fog: none, light, saturated from a short distance on (over 255 before the clamps),
        // or a negative density, which shows none.
        const int groundFogs[] = {0, rnd(1, 6), rnd(100, 400), -rnd(1, 5)};
        l.groundFogDensity = groundFogs[rnd(0, 5) % 4];
        l.fogColor = rng();
        l.groundFogColor = rng();
        const int* size = patches ? wideSizes[rnd(0, 3)] : sizes[rnd(0, 5)];
        const int W = size[0], H = size[1];
        Surface mine(W, H, 0, size[2]), ref(W, H, 0, size[2]);
        Surface light(rnd(1, 9), rnd(1, 9));
        for (auto& p : light.px) p = rng();
        PixelView lightView = light.view();
        const PixelView* flash = rnd(0, 2) == 0 ? &lightView : nullptr;
        Surface skyTex(rnd(1, 40), rnd(1, 40));
        for (auto& p : skyTex.px) p = rng();
        PixelView skyView = skyTex.view();
        const PixelView* sky = rnd(0, 1) ? &skyView : nullptr;
        const double camDegrees = real(-180, 180);
        double a = real(0, 2 * M_PI);
        const int pitch = rnd(0, 5) ? rnd(-H, H) : rnd(-4 * H, 4 * H);  // sometimes far past the edges
        // Some cameras stand on grid lines, the level's west and north edges included.
        auto coordinate = [&](int n) { return rnd(0, 7) ? real(0, n) : double(rnd(0, n - 1)); };
        // A negative ratio (the camera's is not checked) turns the walls, floor and ceiling over.
        const double ratio = rnd(0, 7) ? real(0.5, 3) : -real(0.5, 3);
        FrameView v = frame(coordinate(lw), coordinate(lh), std::cos(a), std::sin(a), fovs[rnd(0, 7)], pitch, H, ratio);
        if (rnd(0, 4) == 0) v.dir = {double(rnd(-1, 1)), double(rnd(-1, 1))};  // axis-aligned rays
        Surface sheet(rnd(1, 24), rnd(1, 24));
        for (auto& p : sheet.px) p = rng();
        std::vector<SpriteDraw> sprites;
        for (int i = rnd(0, 3) ? rnd(0, 6) : 0; i > 0; i--) {
            int fw = rnd(1, sheet.w), fh = rnd(1, sheet.h);
            sprite::Cell cell{rnd(0, sheet.w - fw), rnd(0, sheet.h - fh), fw, fh};
            sprites.push_back({sheet.view(), cell, real(0.05, 8), real(-2, 2), real(0.2, 2), real(-1, 1), rnd(0, 1) == 0,
                               rnd(0, 1) ? BLEND_BLEND : BLEND_ADD, rnd(0, 300), rnd(0, 255)});
        }
        std::vector<Hit> hitsMine(static_cast<size_t>(W)), hitsRef(static_cast<size_t>(W));
        referenceFrame(ref.view(), l, v, sky, camDegrees, flash, sprites, hitsRef.data());
        ColumnPool& pool = *pools[size_t(rnd(0, 3))];
        // Chunks up to 120 columns wide: some span several of the passes' 64-column blocks.
        chunkedFrame(mine.view(), l, v, sky, camDegrees, flash, sprites, hitsMine.data(), pool, rnd(1, 120));
        compared++;
        if (!sameFrame(seed, mine, ref, hitsMine, hitsRef)) mismatches++;
    }
    CHECK_EQ(mismatches, 0);
    CHECK_EQ(compared, 600);
}

// Byte 255 means no surface even in a level with 256 textures: the floor and ceiling show the
// background, not texture 255.
TEST(no_surface_byte_with_a_texture_at_255) {
    Scene s(8, 8);
    s.wall();
    for (int i = 0; i < 256; i++) s.textures.emplace_back(1, 1, 0xFF000000u | uint32_t(i));
    s.setAll(level::TEXTURE_FLOOR, level::kNoSurface);
    s.setAll(level::TEXTURE_CEILING, level::kNoSurface);
    const LevelView& l = s.finish();
    const FrameView v = frame(4.5, 4.5, 1, 0.3, 60, 0, 40);
    Surface mine(64, 40), ref(64, 40);
    std::vector<Hit> hitsMine(64), hitsRef(64);
    referenceFrame(ref.view(), l, v, nullptr, 0, nullptr, {}, hitsRef.data());
    ColumnPool pool(1);
    chunkedFrame(mine.view(), l, v, nullptr, 0, nullptr, {}, hitsMine.data(), pool, 64);
    CHECK(sameFrame(0, mine, ref, hitsMine, hitsRef));
    CHECK_EQ(mine.at(32, 39), kBackground);
}

// The wide floor and ceiling passes take 32-bit texel offsets: a texture qualifies while its
// rows, and its coordinates over the whole grid, stay below 2^31 (the views need no pixels).
TEST(texel_offsets_that_fit_in_31_bits) {
    const level::GridView grid{nullptr, 16, 16}, wide{nullptr, 1u << 27, 1};
    CHECK(fitsIn31Bits({nullptr, 64, 64, 64}, grid));
    CHECK(fitsIn31Bits({nullptr, 8, 8, 8}, wide));
    CHECK(!fitsIn31Bits({nullptr, 16, 8, 16}, wide));          // 16 x 2^27 columns reach 2^31
    CHECK(!fitsIn31Bits({nullptr, 1, 46341, 46341}, grid));    // rows reach 2^31
    CHECK(!fitsIn31Bits({nullptr, 64, 64, -64}, grid));
    CHECK(!fitsIn31Bits({nullptr, 8, 1 << 27, 8}, grid));      // 16 rows of the grid reach 2^31
}

// Chunks cover every column once, the last one possibly short, and none lies past the target.
TEST(column_chunks_cover_the_target) {
    CHECK_EQ(chunkCount(1, 64), size_t(1));
    CHECK_EQ(chunkCount(64, 64), size_t(1));
    CHECK_EQ(chunkCount(65, 64), size_t(2));
    CHECK_EQ(chunkCount(640, 64), size_t(10));
}

// Cameras standing on the west or north edge of an open level and looking along it: the floor
// and ceiling past the edge show the background, though the rows' other end lies inside.
TEST(open_level_cameras_on_its_edges_and_in_its_corners) {
    Scene s(8, 8);
    s.textures.emplace_back(4, 4, 0xFF336699u);
    LevelView& l = s.finish();
    const double views[][4] = {{0, 4, 0, -1}, {0, 4, 0, 1}, {4, 0, 1, 0}, {4, 0, -1, 0}};
    for (const auto& c : views) {
        Surface mine(32, 20), ref(32, 20, kBackground);
        std::vector<Hit> hitsMine(32), hitsRef(32);
        const FrameView v = frame(c[0], c[1], c[2], c[3], 90, 0, 20);
        walls(mine.view(), l, v, nullptr, hitsMine.data());
        referenceWalls(ref.view(), l, v, nullptr, hitsRef.data());
        CHECK(mine.px == ref.px);
        const auto shown = std::count(mine.px.end() - 32, mine.px.end(), kBackground);
        CHECK(shown > 0 && shown < 32);  // the bottom row: partly past the edge
    }
    // Cameras in the first and in the last cell, looking into the level: the rows at their feet
    // (a high wall ratio brings them within the cell) meet only that cell, the grid's first or
    // last bytes, and must read nothing before or after them.
    const double corners[][4] = {{0.5, 0.5, 0.6, 0.8}, {7.5, 7.5, -0.6, -0.8}};
    for (int k = 0; k < 2; k++) {
        const GuardedCells guarded(l.grid, /*atEnd=*/k == 1);
        LevelView g = l;
        g.grid = guarded.view();
        Surface mine(64, 40), ref(64, 40, kBackground);
        std::vector<Hit> hitsMine(64), hitsRef(64);
        const FrameView v = frame(corners[k][0], corners[k][1], corners[k][2], corners[k][3], 60, 0, 40, 8.0);
        walls(mine.view(), g, v, nullptr, hitsMine.data());
        referenceWalls(ref.view(), l, v, nullptr, hitsRef.data());
        CHECK(sameFrame(0, mine, ref, hitsMine, hitsRef));
    }
}

TEST(column_pool_runs_every_piece_once) {
    // A system that cannot tell its cores (0) still draws on one thread.
    CHECK_EQ(threadsForCores(0), 1);
    CHECK_EQ(threadsForCores(1), 1);
    CHECK_EQ(threadsForCores(6), 6);
    for (int threads : {-3, 0, 1, 2, 3, 7}) {
        ColumnPool pool(threads);
        CHECK_EQ(pool.threads(), std::max(threads, 1));  // at least the calling thread
        for (size_t count : {0, 1, 5, 100}) {
            std::vector<int> runs(count, 0);
            pool.run(count, [&](size_t i) { runs[i]++; });
            CHECK(std::all_of(runs.begin(), runs.end(), [](int n) { return n == 1; }));
        }
        pool.shutdown();  // a later run starts the workers again
        std::vector<int> runs(9, 0);
        pool.run(runs.size(), [&](size_t i) { runs[i]++; });
        CHECK(std::all_of(runs.begin(), runs.end(), [](int n) { return n == 1; }));
    }
    // The calling thread runs out of pieces while the worker still draws its own: run returns once
    // the worker has finished (and woken it).
    ColumnPool pool(2);
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<bool> joined{false};
    while (!joined)  // a worker started for a run may sit it out: until it has taken a piece
        pool.run(2, [&](size_t) {
            if (std::this_thread::get_id() != caller) joined = true;
            else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    std::atomic<int> started{0};
    std::atomic<bool> workerDone{false};
    pool.run(2, [&](size_t) {
        started++;
        while (started < 2) std::this_thread::yield();  // one piece on each thread
        if (std::this_thread::get_id() != caller) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            workerDone = true;
        }
    });
    CHECK(workerDone);
    // Short runs back to back: workers woken late for one run meet the next run's pieces, and the
    // lock must still guard every hand-over.
    ColumnPool busy(3);
    std::vector<std::atomic<int>> counts(10);
    int wrong = 0;
    for (int round = 0; round < 100000; round++) {
        const size_t n = 2 + size_t(round % 9);
        for (auto& c : counts) c = 0;
        busy.run(n, [&](size_t i) { counts[i]++; });
        for (size_t i = 0; i < n; i++) wrong += counts[i] != 1;
    }
    CHECK_EQ(wrong, 0);
}

TEST(walls_never_write_outside_the_target) {
    Scene s(6, 6);
    s.wall();
    s.textures.emplace_back(3, 3, 0xFF808080u);
    LevelView& l = s.finish();
    // The extreme pitches put the horizon past the range of 32-bit rows.
    const int pitches[] = {INT32_MIN, -1000, -25, -11, -10, 0, 9, 10, 11, 25, 1000, INT32_MAX};
    for (int pitch : pitches)
        for (int H : {1, 2, 3, 20}) {
            const int W = 9, pad = 7;  // one whole group of eight columns and one more
            // The target sits inside a larger buffer whose other words must stay untouched.
            std::vector<uint32_t> buf(size_t(W + pad) * (H + 2), 0xDEADBEEFu);
            PixelView t{buf.data() + (W + pad), W, H, W + pad};
            std::vector<Hit> hits(W);
            walls(t, l, frame(2.5, 2.5, 1, 0.3, 60, pitch, H, 1.6), nullptr, hits.data());
            walls(t, l, frame(2.5, 2.5, 1, 0.3, 60, pitch, H, 0.0), nullptr, hits.data());
            bool intact = true;
            for (size_t i = 0; i < buf.size(); i++) {
                int row = int(i / size_t(W + pad)) - 1, col = int(i % size_t(W + pad));
                if (row < 0 || row >= H || col >= W) intact = intact && buf[i] == 0xDEADBEEFu;
            }
            CHECK(intact);
        }
    // A target with rows but no pixels is left alone.
    std::vector<Hit> hits(9);
    walls(PixelView{nullptr, 9, 4, 9}, l, frame(2.5, 2.5, 1, 0.3, 60, 0, 4), nullptr, hits.data());
}

TEST(walls_with_missing_textures_and_corner_texels) {
    // Face indices past the texture list draw no wall; the exact-corner texel stays in its row.
    Scene s(6, 6);
    s.wall();
    s.cell(3, 3).type = 1;
    for (int k = 3; k <= 6; k++) s.cell(3, 3).byte(k) = 0;
    // A 1 x 1 texture followed in memory by a word that must never be read.
    std::vector<uint32_t> mem = {0xFF123456u, 0xFFBADBADu};
    s.setAll(1, 255);
    s.setAll(2, 255);
    LevelView& l = s.finish();
    PixelView single{mem.data(), 1, 1, 1};
    l.textures = &single;
    l.textureCount = 1;
    Surface target(6, 40, kBackground);
    std::vector<Hit> hits(6);
    // fov 0: every column casts the same ray, exactly through the corner (3, 3).
    walls(target.view(), l, frame(2.5, 2.5, 1, 1, 0, 0, 40), nullptr, hits.data());
    CHECK_EQ(hits[0].vert, 1);
    CHECK_EQ(target.at(0, 20), alphaBlend(0xFF123456u, 0, 0));
    // A wall of the largest height (a tiny ratio: 8e18 rows) with its foot on the last row: its
    // texture rows step by less than a rounding error, so every row on screen rounds to the
    // texture's bottom edge and must stay on its last row, not read the word below it.
    FrameView tall = frame(2.5, 2.5, 1, 1, 0, 0, 40, 1e-30);
    tall.baseline = 39 - int64_t(4.0e18);
    target = Surface(6, 40, kBackground);
    walls(target.view(), l, tall, nullptr, hits.data());
    for (int y : {0, 20, 38}) CHECK_EQ(target.at(0, y), alphaBlend(0xFF123456u, 0, 0));
    for (int k = 3; k <= 6; k++) s.cell(3, 3).byte(k) = 9;
    target = Surface(6, 40, kBackground);
    walls(target.view(), l, frame(2.5, 2.5, 1, 1, 0, 0, 40), nullptr, hits.data());
    CHECK_EQ(target.at(0, 20), kBackground);
}

// The wide passes only where the processor has the instructions and the system saves their
// registers: each missing piece of the report alone refuses them.
TEST(avx2_needs_every_piece_of_the_cpu_report) {
    const unsigned sse3 = 1u << 0, avx = 1u << 28, avx2 = 1u << 5;
    const bv::CpuReport full{sse3 | bv::kCpuidOsxsave | avx, 0x7, avx2};
    CHECK(bv::avx2Usable(full));
    CHECK(!bv::avx2Usable({sse3 | avx, 0x7, avx2}));                      // the system does not use XSAVE
    CHECK(!bv::avx2Usable({sse3 | bv::kCpuidOsxsave, 0x7, avx2}));       // no AVX
    CHECK(!bv::avx2Usable({sse3 | bv::kCpuidOsxsave | avx, 0x3, avx2}));  // AVX state not saved
    CHECK(!bv::avx2Usable({sse3 | bv::kCpuidOsxsave | avx, 0x5, avx2}));  // SSE state not saved
    CHECK(!bv::avx2Usable({sse3 | bv::kCpuidOsxsave | avx, 0x7, 0}));     // no AVX2
}
