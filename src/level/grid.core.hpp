// The level grid: width x height cells of 7 bytes each, row-major, no padding. Everything that
// reads cells (the level, the ray caster, the renderer, the physics) takes its layout from here:
// a new block type starts with BlockType and the half-block predicates below.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bv::level {

enum BlockType : uint8_t {
    BLOCK_EMPTY = 0,
    BLOCK_SQUARE = 1,
    BLOCK_TRIANGLE_NORTH_WEST = 2,
    BLOCK_TRIANGLE_NORTH_EAST = 3,
    BLOCK_TRIANGLE_SOUTH_EAST = 4,
    BLOCK_TRIANGLE_SOUTH_WEST = 5,
};
constexpr int kBlockTypeCount = 6;

// A half block: the diagonal through its cell parts a solid triangle from an open one. Any other
// non-empty type byte is a square block.
constexpr bool isHalfBlock(int type) { return type >= BLOCK_TRIANGLE_NORTH_WEST && type <= BLOCK_TRIANGLE_SOUTH_WEST; }
// The diagonal of a half block runs from the cell's corner (x, y + 1) to (x + 1, y); otherwise
// from (x, y) to (x + 1, y + 1).
constexpr bool risesToNorthEast(int type) {
    return type == BLOCK_TRIANGLE_NORTH_WEST || type == BLOCK_TRIANGLE_SOUTH_WEST;
}
// The sides of the cell through which a ray enters a half block's open triangle: the cell's
// west side for a ray heading east, and so on.
constexpr bool openWestSide(int type) {
    return type == BLOCK_TRIANGLE_NORTH_EAST || type == BLOCK_TRIANGLE_SOUTH_WEST;
}
constexpr bool openEastSide(int type) {
    return type == BLOCK_TRIANGLE_NORTH_WEST || type == BLOCK_TRIANGLE_SOUTH_EAST;
}
constexpr bool openSouthSide(int type) {
    return type == BLOCK_TRIANGLE_NORTH_WEST || type == BLOCK_TRIANGLE_NORTH_EAST;
}
constexpr bool openNorthSide(int type) {
    return type == BLOCK_TRIANGLE_SOUTH_EAST || type == BLOCK_TRIANGLE_SOUTH_WEST;
}

// Byte offsets within a cell; the four faces double as cardinal directions (a hit's face).
enum CellByte : int {
    CELL_TYPE = 0,
    TEXTURE_FLOOR = 1,
    TEXTURE_CEILING = 2,
    TEXTURE_NORTH = 3,
    TEXTURE_EAST = 4,
    TEXTURE_SOUTH = 5,
    TEXTURE_WEST = 6,
};
constexpr int kCellBytes = 7;
// Floor or ceiling index meaning "none here" (the sky shows through).
constexpr uint8_t kNoSurface = 255;

struct Cell {
    uint8_t type, floor, ceiling, north, east, south, west;

    uint8_t& byte(int k) { return reinterpret_cast<uint8_t*>(this)[k]; }
    uint8_t byte(int k) const { return reinterpret_cast<const uint8_t*>(this)[k]; }
};
static_assert(sizeof(Cell) == kCellBytes, "a cell is exactly 7 bytes");

// The grid as its readers see it: read-only cells, (x, y) at x + y * width. Callers keep
// 0 <= x < width and 0 <= y < height.
struct GridView {
    const Cell* cells = nullptr;
    uint32_t width = 0, height = 0;

    const Cell& operator()(size_t x, size_t y) const { return cells[x + y * width]; }
};

// Largest accepted grid, in cells (16M cells, 112 MiB of grid; width * height * 7 stays far from overflow).
constexpr int64_t kMaxCells = int64_t(1) << 24;

class Grid {
public:
    Grid() = default;
    // All cells zeroed. Sizes must satisfy validSize().
    Grid(int32_t width, int32_t height);

    static bool validSize(int64_t width, int64_t height) {
        return width > 0 && height > 0 && height <= kMaxCells / width;
    }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    size_t byteSize() const { return cells_.size() * kCellBytes; }
    bool empty() const { return cells_.empty(); }

    bool contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // Unchecked access: callers keep contains(x, y).
    Cell& operator()(int32_t x, int32_t y) { return cells_[size_t(x) + size_t(y) * size_t(width_)]; }
    const Cell& operator()(int32_t x, int32_t y) const { return cells_[size_t(x) + size_t(y) * size_t(width_)]; }
    // Checked access: null outside the grid.
    Cell* find(int64_t x, int64_t y) { return contains(x, y) ? &(*this)(int32_t(x), int32_t(y)) : nullptr; }
    const Cell* find(int64_t x, int64_t y) const { return contains(x, y) ? &(*this)(int32_t(x), int32_t(y)) : nullptr; }

    GridView view() const { return {cells_.data(), uint32_t(width_), uint32_t(height_)}; }

    // The raw grid bytes, byteSize() of them, cell (x, y) at (x + y * width) * 7.
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(cells_.data()); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(cells_.data()); }

    // Copies up to byteSize() bytes from `src`; the rest of the grid is zeroed.
    void fill(const uint8_t* src, size_t n);
    // Makes every border cell a square block.
    void surroundWithWall();

private:
    int32_t width_ = 0, height_ = 0;
    std::vector<Cell> cells_;
};

}  // namespace bv::level
