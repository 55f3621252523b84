// Sprite animation playback and the choice of the sheet cell to draw.
#include "ecs/sprite.core.hpp"

#include <cmath>

namespace bv::sprite {

void advance(Playback& p, bool oscillate, int32_t frameCount, double timeStep) {
    double pos = p.percentage + p.speed * timeStep;
    p.percentage = pos;
    if (oscillate) {
        double frame = frameCount > 0 ? 1.0 / frameCount : 0.0;
        if (pos >= 1) {
            p.speed = -p.speed;
            p.percentage = pos - frame;
        } else if (pos < 0) {
            p.speed = -p.speed;
            p.percentage = pos + frame;
        }
    } else if (pos >= 1) {
        p.percentage = 0;
    }
}

CameraRelation cameraRelation(double cx, double cy, double x, double y, double rx, double ry) {
    double dx = cx - x, dy = cy - y;
    CameraRelation r;
    r.dist = std::sqrt(dx * dx + dy * dy);
    r.angleToCam = 1.5 - (std::atan2(dy, dx) - std::atan2(ry, rx) + M_PI) / (2 * M_PI);
    return r;
}

int32_t directionIndex(double angleToCam, int32_t directions) {
    if (directions < 1 || !std::isfinite(angleToCam)) return 0;
    double turns = (angleToCam + 1.0 / (2.0 * directions)) * directions;
    if (!std::isfinite(turns)) return 0;
    // Bounded before the integer conversion; the remainder keeps it in 0..directions-1.
    turns = std::fmod(std::trunc(turns), double(directions));
    int32_t d = int32_t(turns);
    return d < 0 ? d + directions : d;
}

bool chooseCell(const Sheet& sheet, const AnimationState& anim, Cell& out) {
    if (anim.frameCount < 1 || anim.directions < 1 || anim.stride < 0 || sheet.xFrames < 1 || sheet.yFrames < 1) return false;
    if (sheet.frameW < 1 || sheet.frameH < 1) return false;
    double p = std::isfinite(anim.percentage) ? anim.percentage : 0.0;
    double stepF = std::trunc(anim.frameCount * p);
    int64_t step = stepF < 0 ? 0 : stepF >= anim.frameCount ? anim.frameCount - 1 : int64_t(stepF);
    int64_t frame = int64_t(anim.minFrame) + step * anim.stride + directionIndex(anim.angleToCam, anim.directions);
    if (frame < 0 || frame >= int64_t(sheet.xFrames) * sheet.yFrames) return false;
    int64_t x = (frame % sheet.xFrames) * int64_t(sheet.frameW);
    int64_t y = (frame / sheet.xFrames) * int64_t(sheet.frameH);
    if (x + sheet.frameW > sheet.pixelW || y + sheet.frameH > sheet.pixelH) return false;
    out = {int32_t(x), int32_t(y), sheet.frameW, sheet.frameH};
    return true;
}

}  // namespace bv::sprite
