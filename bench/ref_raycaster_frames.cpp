// The textbook raycaster of ref_raycaster.cpp as a shared object drawing one frame per call, so
// that the benchmark can take turns with the engine frame by frame. The frame is the one the
// executable times: the same scene, camera path, floor orders and compiler flags (g++ -O2).
//
// Build: g++ -O2 -std=c++17 -shared -fPIC -o libref_raycaster.so ref_raycaster_frames.cpp
#define main ref_raycaster_main
#include "ref_raycaster.cpp"
#undef main

extern "C" {

// Builds the level and its textures; call once before drawing.
void ref_build_scene() { buildScene(); }

// Draws frame `frame` of `frames` along the camera path into `pixels` (W * H words), the floor
// row by row (`column_floor` 0) or column by column (1).
void ref_render_frame(uint32_t* pixels, int W, int H, int frame, int frames, int column_floor) {
    static std::vector<double> rowDist;
    rowDist.resize(size_t(H));
    double x, y, dx, dy;
    cameraAt(frame, frames, x, y, dx, dy);
    render(pixels, W, H, x, y, dx, dy, column_floor != 0, rowDist);
}
}
