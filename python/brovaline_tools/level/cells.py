"""The cell record of a level grid: block types, byte offsets and the shapes of the half blocks.

These mirror the engine's module constants (BLOCK_*, TEXTURE_*), so that the tools can work on
grids without loading the engine.
"""
import numpy as np

BLOCK_EMPTY, BLOCK_SQUARE = 0, 1
BLOCK_TRIANGLE_NORTH_WEST, BLOCK_TRIANGLE_NORTH_EAST = 2, 3
BLOCK_TRIANGLE_SOUTH_EAST, BLOCK_TRIANGLE_SOUTH_WEST = 4, 5
BLOCK_NAMES = {
    "empty": BLOCK_EMPTY,
    "square": BLOCK_SQUARE,
    "north_west": BLOCK_TRIANGLE_NORTH_WEST,
    "north_east": BLOCK_TRIANGLE_NORTH_EAST,
    "south_east": BLOCK_TRIANGLE_SOUTH_EAST,
    "south_west": BLOCK_TRIANGLE_SOUTH_WEST,
}

# Byte offsets within a cell (byte 0 is the block type).
BLOCK, FLOOR, CEILING, NORTH, EAST, SOUTH, WEST = range(7)
FACES = (NORTH, EAST, SOUTH, WEST)
FACE_NAMES = {NORTH: "north", EAST: "east", SOUTH: "south", WEST: "west"}
FACE_STEPS = {NORTH: (0, -1), EAST: (1, 0), SOUTH: (0, 1), WEST: (-1, 0)}   # (dx, dy) to the neighbour

# The straight sides of each half block that are open (the other two are solid): a ray or a walker
# enters the open triangle across them. Type 4 is solid in its south-west corner, type 5 in its
# south-east corner, as the engine's ray caster defines them.
OPEN_SIDES = {
    BLOCK_TRIANGLE_NORTH_WEST: (SOUTH, EAST),
    BLOCK_TRIANGLE_NORTH_EAST: (SOUTH, WEST),
    BLOCK_TRIANGLE_SOUTH_EAST: (NORTH, EAST),
    BLOCK_TRIANGLE_SOUTH_WEST: (NORTH, WEST),
}


def solid_part(block, fx, fy):
    """Whether the point at fraction (fx, fy) of a cell of this block type lies in its solid part
    (NumPy arrays broadcast). Points on a diagonal count as solid."""
    fx, fy = np.asarray(fx, float), np.asarray(fy, float)
    block = np.asarray(block)
    result = (block == BLOCK_SQUARE) | (block > BLOCK_TRIANGLE_SOUTH_WEST)
    result = result | ((block == BLOCK_TRIANGLE_NORTH_WEST) & (fx + fy <= 1))
    result = result | ((block == BLOCK_TRIANGLE_NORTH_EAST) & (fx >= fy))
    result = result | ((block == BLOCK_TRIANGLE_SOUTH_EAST) & (fy >= fx))
    return result | ((block == BLOCK_TRIANGLE_SOUTH_WEST) & (fx + fy >= 1))


def is_solid(blocks):
    """Square blocks and unknown block types (the engine treats both as solid)."""
    return (blocks == BLOCK_SQUARE) | (blocks > BLOCK_TRIANGLE_SOUTH_WEST)


def side_open(blocks, face):
    """Per cell: whether its side `face` lets walkers and rays through (empty cells: every side)."""
    result = blocks == BLOCK_EMPTY
    for block, sides in OPEN_SIDES.items():
        if face in sides:
            result = result | (blocks == block)
    return result
