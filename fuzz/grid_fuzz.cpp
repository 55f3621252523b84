// The level grid as a level file builds it: any header size (accepted or refused), an LVL file
// of any length, then the walled border and checked lookups at any coordinates.
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "level/grid.core.hpp"

namespace {

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "grid invariant broken: %s\n", what);
    std::abort();
}

// Header sizes: mostly small, sometimes any 64-bit value (what a JSON integer may hold).
int64_t headerSize(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int64_t>(-2, 40) : in.ConsumeIntegral<int64_t>();
}

// Grids above this many cells are accepted but not built here, to keep executions fast.
constexpr int64_t kBuiltCells = 1 << 14;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int64_t w = headerSize(in), h = headerSize(in);
    // The loader refuses each side above the cell limit before it asks for the product.
    if (w > bv::level::kMaxCells || h > bv::level::kMaxCells) return 0;
    const bool valid = bv::level::Grid::validSize(w, h);
    require(valid == (w > 0 && h > 0 && w * h <= bv::level::kMaxCells),
            "validSize accepts exactly the positive sizes up to the cell limit");
    if (!valid || w * h > kBuiltCells) return 0;

    bv::level::Grid grid{int32_t(w), int32_t(h)};
    require(grid.byteSize() == size_t(w * h * bv::level::kCellBytes), "byte size");
    const size_t fileLength = in.ConsumeIntegralInRange<size_t>(0, grid.byteSize() + 64);
    std::vector<uint8_t> file = in.ConsumeBytes<uint8_t>(fileLength);
    grid.fill(file.data(), file.size());
    for (size_t i = 0; i < grid.byteSize(); i++)
        require(grid.bytes()[i] == (i < file.size() ? file[i] : 0), "short files read as zero cells");

    if (in.ConsumeBool()) {
        grid.surroundWithWall();
        for (int32_t x = 0; x < grid.width(); x++)
            require(grid(x, 0).type == bv::level::BLOCK_SQUARE && grid(x, grid.height() - 1).type == 1, "wall rows");
        for (int32_t y = 0; y < grid.height(); y++)
            require(grid(0, y).type == bv::level::BLOCK_SQUARE && grid(grid.width() - 1, y).type == 1, "wall columns");
    }
    while (in.remaining_bytes() >= 2) {
        const int64_t x = in.ConsumeBool() ? in.ConsumeIntegralInRange<int64_t>(-2, w + 2) : in.ConsumeIntegral<int64_t>();
        const int64_t y = in.ConsumeBool() ? in.ConsumeIntegralInRange<int64_t>(-2, h + 2) : in.ConsumeIntegral<int64_t>();
        bv::level::Cell* cell = grid.find(x, y);
        require((cell != nullptr) == (x >= 0 && y >= 0 && x < w && y < h), "find is null exactly outside");
        if (cell) {
            const size_t offset = size_t(reinterpret_cast<uint8_t*>(cell) - grid.bytes());
            require(offset == size_t(x + y * w) * bv::level::kCellBytes, "cell (x, y) at (x + y * width) * 7");
            cell->byte(bv::level::TEXTURE_WEST) = uint8_t(x);
        }
    }
    return 0;
}
