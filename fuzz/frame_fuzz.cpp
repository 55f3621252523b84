// One frame of the raycasting renderer on a random small level: sky, walls, floor, ceiling,
// fog and flashlight, then sprites cut from random sheets. Texture indices past the level's
// textures, frames past the sheet, any pitch, field of view, ratio and camera are allowed; every
// pixel buffer is an exact-size heap block, so ASan reports any read or write outside it.
#include <cstdio>
#include <cstdlib>

#include "ecs/sprite.core.hpp"
#include "fuzz_input.hpp"
#include "render/raycasting.core.hpp"
#include "render/sprite_render.core.hpp"
#include "render/truncate.core.hpp"

namespace {

using bv::_internal_Vec2;

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "frame invariant broken: %s\n", what);
    std::abort();
}

// Mostly ordinary values, sometimes any 32-bit one.
int32_t smallOrAny(FuzzedDataProvider& in, int32_t lo, int32_t hi) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(lo, hi) : in.ConsumeIntegral<int32_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);

    // The level: grid bytes straight from the input, a few textures (some unusable).
    const uint32_t lw = in.ConsumeIntegralInRange<uint32_t>(1, 10), lh = in.ConsumeIntegralInRange<uint32_t>(1, 10);
    bv::level::Grid grid{int32_t(lw), int32_t(lh)};
    for (size_t i = 0; i < grid.byteSize(); i++) grid.bytes()[i] = in.ConsumeIntegral<uint8_t>();
    std::vector<fuzz::Pixels> textures(in.ConsumeIntegralInRange<size_t>(0, 4));
    std::vector<bv::PixelView> views;
    for (auto& t : textures) {
        if (in.ConsumeIntegralInRange<int>(0, 7) != 0) t = fuzz::Pixels(in, 9);
        views.push_back(t.view);
    }
    bv::LevelView level;
    level.grid = grid.view();
    level.textures = views.data();
    level.textureCount = views.size();
    level.fogColor = in.ConsumeIntegral<uint32_t>();
    level.groundFogColor = in.ConsumeIntegral<uint32_t>();
    level.fogDensity = smallOrAny(in, -2, 40);
    level.groundFogDensity = smallOrAny(in, -2, 40);

    // The camera and the target.
    fuzz::Pixels target(in, 40, 0);
    const std::vector<uint32_t> untouched = target.data;
    bv::FrameView view;
    view.pos = {fuzz::coordinate(in, lw), fuzz::coordinate(in, lh)};
    view.dir = {fuzz::direction(in), fuzz::direction(in)};
    const double len = std::sqrt(view.dir.x * view.dir.x + view.dir.y * view.dir.y);
    if (len != 0) view.dir = {view.dir.x / len, view.dir.y / len};
    view.fov = smallOrAny(in, -400, 800);
    const int32_t pitch = smallOrAny(in, -100, 100);
    view.ratio = in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(0.1, 4) : fuzz::coordinate(in, 2);
    view.baseline = int64_t(pitch) + target.view.height / 2;

    fuzz::Pixels sky, light;
    if (in.ConsumeBool()) sky = fuzz::Pixels(in, 24);
    if (in.ConsumeBool()) light = fuzz::Pixels(in, 12);

    std::vector<bv::Hit> hits(size_t(target.view.width));
    const uint32_t background = in.ConsumeIntegral<uint32_t>();
    bv::renderWalls(target.view, level, view, sky.view.pixels ? &sky.view : nullptr,
                    std::atan2(view.dir.y, view.dir.x) * bv::_RAD_TO_DEGREES, light.view.pixels ? &light.view : nullptr,
                    background, hits.data());
    for (const bv::Hit& hit : hits) require(hit.invalid == 0 || hit.invalid == 1, "every column has a hit");

    // Sprites: a sheet, its frame grid and the current animation as a level file may give them.
    bv::_internal_Matrix2_2 inverse;
    bv::_internal_matrix2_2_setAngle(inverse, (360 - std::atan2(view.dir.y, view.dir.x) * bv::_RAD_TO_DEGREES) *
                                                  bv::_DEGREES_TO_RAD);
    const int sprites = in.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < sprites; i++) {
        fuzz::Pixels sheet(in, 32);
        bv::sprite::Sheet s;
        s.xFrames = smallOrAny(in, -1, 5);
        s.yFrames = smallOrAny(in, -1, 5);
        s.pixelW = sheet.view.width;
        s.pixelH = sheet.view.height;
        s.frameW = s.xFrames > 0 ? s.pixelW / s.xFrames : 0;
        s.frameH = s.yFrames > 0 ? s.pixelH / s.yFrames : 0;
        bv::sprite::AnimationState anim;
        anim.minFrame = smallOrAny(in, -2, 30);
        anim.frameCount = smallOrAny(in, -1, 8);
        anim.directions = smallOrAny(in, -1, 8);
        anim.stride = smallOrAny(in, -1, 8);
        anim.percentage = fuzz::coordinate(in, 1);
        // Where the entity stands and faces, seen from the camera as the sprite pass sees it.
        const _internal_Vec2 at{fuzz::coordinate(in, lw), fuzz::coordinate(in, lh)};
        const _internal_Vec2 facing{fuzz::direction(in), fuzz::direction(in)};
        const bv::sprite::CameraRelation rel =
            bv::sprite::cameraRelation(view.pos.x, view.pos.y, at.x, at.y, facing.x, facing.y);
        anim.angleToCam = rel.angleToCam;
        const _internal_Vec2 local = bv::_internal_matrix2_2_apply(inverse, {at.x - view.pos.x, at.y - view.pos.y});
        bv::sprite::Cell cell;
        if (!bv::sprite::chooseCell(s, anim, cell)) continue;
        require(cell.x >= 0 && cell.y >= 0 && cell.w > 0 && cell.h > 0 && cell.x + cell.w <= s.pixelW &&
                    cell.y + cell.h <= s.pixelH,
                "the chosen frame lies inside the sheet");
        bv::SpriteDraw draw{sheet.view,
                            cell,
                            local.x,
                            local.y,
                            in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(0, 3) : fuzz::coordinate(in, 3),
                            in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(-1, 1) : fuzz::coordinate(in, 1),
                            in.ConsumeBool(),
                            in.ConsumeBool() ? bv::BLEND_ADD : bv::BLEND_BLEND,
                            bv::truncSat(level.fogDensity * rel.dist),
                            level.groundFogDensity > 0
                                ? std::min<int64_t>(bv::truncSat(level.groundFogDensity * rel.dist), 255)
                                : 0};
        bv::drawSprite(target.view, draw, hits.data(), view.baseline, view.ratio, level.fogColor,
                       level.groundFogColor);
    }

    // Nothing is drawn into the padding between the target's rows.
    for (int y = 0; y < target.view.height; y++)
        for (int x = target.view.width; x < target.view.pitch; x++)
            require(target.view.at(x, y) == untouched[size_t(y) * target.view.pitch + x], "row padding untouched");
    return 0;
}
