"""Building levels in Python: from text with a legend of characters, or from NumPy arrays.

    legend = {"#": Cell("square", walls=0), ".": Cell(floor=1, ceiling=2)}
    level = level_from_text('''
        #####
        #...#
        #####
    ''', legend, textures=["wall.png", "floor.png", "ceiling.png"], start=[1.5, 1.5])
    write_level(level, "maps/room.lvl")
"""
import textwrap
from dataclasses import dataclass

import numpy as np

from .cells import BLOCK_NAMES, CEILING, EAST, FLOOR, NORTH, SOUTH, WEST
from .errors import LevelInputError
from .model import CELL_BYTES, LevelData, check_size

TEXT_SOURCE = "<level text>"
ARRAY_SOURCE = "<level arrays>"


def block_type(value, where=""):
    """A block type from its name ("square", "north_west", ...) or its number."""
    if isinstance(value, str):
        if value not in BLOCK_NAMES:
            names = ", ".join(BLOCK_NAMES)
            raise LevelInputError(TEXT_SOURCE, f"unknown block type {value!r} (one of {names}, or 0-255)", where)
        return BLOCK_NAMES[value]
    return _byte(value, "block", where)


def _byte(value, name, where=""):
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, (int, np.integer)) or not 0 <= value <= 255:
        raise LevelInputError(TEXT_SOURCE, f"{name} must be an integer from 0 to 255, not {value!r}", where)
    return int(value)


@dataclass(frozen=True)
class Cell:
    """One cell: its block type and texture indices. `walls` sets all four faces at once; a face
    given by name overrides it. Floor and ceiling 255 (NO_SURFACE) let the sky show through."""

    block: object = "empty"
    floor: int = 0
    ceiling: int = 0
    walls: int = 0
    north: int | None = None
    east: int | None = None
    south: int | None = None
    west: int | None = None

    def to_bytes(self, where=""):
        faces = [self.walls if face is None else face for face in (self.north, self.east, self.south, self.west)]
        values = [block_type(self.block, where), self.floor, self.ceiling, *faces]
        names = ("block", "floor", "ceiling", "north", "east", "south", "west")
        return tuple(_byte(v, n, where) for v, n in zip(values, names))


def level_from_text(text, legend, assets_dir=".", **header):
    """A level drawn as text: one character per cell, one line per row (north first). Blank lines
    around the drawing and common indentation are dropped. `legend` maps each character to a
    `Cell`, a dict of `Cell`'s fields or 7 bytes; `header` becomes the level's header (textures,
    sprites, entities, fog, start...)."""
    rows = textwrap.dedent(text).strip("\n").split("\n")
    rows = [row.rstrip() for row in rows]
    width, height = max((len(r) for r in rows), default=0), len(rows)
    check_size(width, height, TEXT_SOURCE)
    codes = {}
    for char, entry in legend.items():
        if not isinstance(char, str) or len(char) != 1:
            raise LevelInputError(TEXT_SOURCE, f"legend keys must be single characters, not {char!r}")
        codes[char] = _cell_bytes(entry, f"legend {char!r}")
    grid = np.zeros((height, width, CELL_BYTES), np.uint8)
    for y, row in enumerate(rows):
        if len(row) != width:
            raise LevelInputError(TEXT_SOURCE, f"the row has {len(row)} characters, the widest has {width}", f"row {y}")
        for x, char in enumerate(row):
            if char not in codes:
                raise LevelInputError(TEXT_SOURCE, f"{char!r} is not in the legend", f"cell ({x}, {y})")
            grid[y, x] = codes[char]
    return LevelData(grid, dict(header, width=width, height=height), assets_dir, source=TEXT_SOURCE)


def _cell_bytes(entry, where):
    if isinstance(entry, Cell):
        return entry.to_bytes(where)
    if isinstance(entry, dict):
        try:
            return Cell(**entry).to_bytes(where)
        except TypeError as e:
            raise LevelInputError(TEXT_SOURCE, str(e), where) from None
    values = tuple(entry)
    if len(values) != CELL_BYTES:
        raise LevelInputError(TEXT_SOURCE, f"a cell has {CELL_BYTES} bytes, not {len(values)}", where)
    return Cell(values[0], *values[1:3], 0, *values[3:]).to_bytes(where)


def level_from_arrays(block, floor=0, ceiling=0, walls=0, north=None, east=None, south=None, west=None,
                      assets_dir=".", **header):
    """A level from one (height, width) array per cell byte; `block` sets the size, the others
    may be arrays of the same shape or single values. `walls` sets all four faces, a face given by
    name overrides it."""
    block = np.asarray(block)
    if block.ndim != 2:
        raise LevelInputError(ARRAY_SOURCE, f"block must be a 2-D (height, width) array, not of shape {block.shape}")
    height, width = block.shape
    check_size(width, height, ARRAY_SOURCE)
    grid = np.empty((height, width, CELL_BYTES), np.uint8)
    planes = {0: ("block", block), FLOOR: ("floor", floor), CEILING: ("ceiling", ceiling)}
    for offset, name, value in ((NORTH, "north", north), (EAST, "east", east), (SOUTH, "south", south),
                                (WEST, "west", west)):
        planes[offset] = (name, walls if value is None else value)
    for offset, (name, values) in planes.items():
        values = np.asarray(values)
        if values.dtype.kind not in "iub" or values.dtype.kind == "b":
            raise LevelInputError(ARRAY_SOURCE, f"{name} must hold integers, not {values.dtype}")
        if values.size and (values.min() < 0 or values.max() > 255):
            bad = np.argwhere((values < 0) | (values > 255))[0] if values.ndim == 2 else ()
            where = f"cell ({bad[1]}, {bad[0]})" if len(bad) else ""
            raise LevelInputError(ARRAY_SOURCE, f"{name} values must lie in 0-255", where)
        try:
            grid[..., offset] = values
        except ValueError:
            raise LevelInputError(ARRAY_SOURCE, f"{name} has shape {values.shape}, the grid is {block.shape}") from None
    return LevelData(grid, dict(header, width=width, height=height), assets_dir, source=ARRAY_SOURCE)
