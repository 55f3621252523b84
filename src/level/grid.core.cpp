// The level grid's storage and cell access.
#include "level/grid.core.hpp"

#include <algorithm>
#include <cstring>

namespace bv::level {

Grid::Grid(int32_t width, int32_t height) : width_(width), height_(height) {
    cells_.assign(size_t(width) * size_t(height), Cell{});
}

void Grid::fill(const uint8_t* src, size_t n) {
    size_t size = byteSize();
    size_t copied = std::min(n, size);
    if (copied) std::memcpy(bytes(), src, copied);
    if (copied < size) std::memset(bytes() + copied, 0, size - copied);
}

void Grid::surroundWithWall() {
    for (int32_t x = 0; x < width_; ++x) {
        (*this)(x, 0).type = BLOCK_SQUARE;
        (*this)(x, height_ - 1).type = BLOCK_SQUARE;
    }
    for (int32_t y = 0; y < height_; ++y) {
        (*this)(0, y).type = BLOCK_SQUARE;
        (*this)(width_ - 1, y).type = BLOCK_SQUARE;
    }
}

}  // namespace bv::level
