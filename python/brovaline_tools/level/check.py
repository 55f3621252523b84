"""Finding what is wrong with a level: every problem with the cells or the entity it concerns.

Errors are what makes the engine refuse the level or show something else than was drawn: a
texture index past the textures list on a surface that can be seen, an unknown block type, a
missing image, a grid file whose size does not match the header, an entity or the start outside
the grid or inside a solid part, an open border through which rays and walkers leave the level.
Warnings are what may be meant: floor areas that cannot be reached from the start, a level without
a start marker.
"""
import math
import os
from dataclasses import dataclass, field

import numpy as np

from . import cells as c
from .model import CELL_BYTES, NO_SURFACE

ERROR, WARNING = "error", "warning"


@dataclass
class Finding:
    """One problem. `cells` holds the (x, y) of every cell it concerns (possibly none); `subject`
    names what else it concerns (an entity, a header key)."""

    severity: str
    message: str
    cells: np.ndarray = field(default_factory=lambda: np.zeros((0, 2), np.int64))
    subject: str | None = None

    def lines(self, limit=None):
        """The finding as text lines, one per cell (at most `limit`, then a count of the rest)."""
        if self.subject is not None or not len(self.cells):
            return [f"{self.severity}: {self.subject + ': ' if self.subject else ''}{self.message}"]
        shown = self.cells if limit is None else self.cells[:limit]
        lines = [f"{self.severity}: cell ({x}, {y}): {self.message}" for x, y in shown]
        if len(shown) < len(self.cells):
            lines.append(f"{self.severity}: {len(self.cells) - len(shown)} more cells: {self.message}")
        return lines


def check_level(level):
    """Every problem of a `LevelData`, errors first, each group in grid order."""
    findings = []
    for step in (_grid_file_size, _assets, _block_types, _texture_indices, _open_border, _entities,
                 _reachability):
        findings += step(level)
    return sorted(findings, key=lambda f: f.severity != ERROR)


def _cells_by_value(mask, values):
    """[(value, cells)]: the (x, y) of the true cells of a (height, width) mask, grouped by their
    entry in `values`, in order of value; each group in grid order."""
    ys, xs = np.nonzero(mask)
    keys = values[ys, xs]
    order = np.argsort(keys, kind="stable")
    cells = np.stack([xs, ys], axis=1)[order]
    bounds = np.flatnonzero(np.diff(keys[order])) + 1
    return [(group_keys[0], group) for group_keys, group in zip(np.split(keys[order], bounds),
                                                                 np.split(cells, bounds)) if len(group)]


def _grid_file_size(level):
    expected = level.width * level.height * CELL_BYTES
    actual = level.grid_file_bytes
    if actual is None or actual == expected:
        return []
    what = "padded with empty cells" if actual < expected else "the rest is ignored"
    return [Finding(ERROR, f"has {actual} bytes, but {level.width} x {level.height} cells need {expected}: {what}",
                    subject=f"grid file {level.source}")]


def _texture_count(level):
    textures = level.header.get("textures", [])
    return len(textures) if isinstance(textures, list) else 0


def _image_names(level):
    """(header place, file name) of every image the header names; malformed entries as findings."""
    header, names, findings = level.header, [], []
    if "skytex" in header:
        names.append(("'skytex'", header["skytex"]))
    textures = header.get("textures", [])
    if isinstance(textures, list):
        names += [(f"'textures'[{i}]", name) for i, name in enumerate(textures)]
    else:
        findings.append(Finding(ERROR, "must be a list of image file names", subject="header key 'textures'"))
    sprites = header.get("sprites", [])
    if isinstance(sprites, list):
        for i, sprite in enumerate(sprites):
            if not isinstance(sprite, dict) or "texture" not in sprite:
                findings.append(Finding(ERROR, "needs a 'texture' (the sprite sheet)", subject=f"sprite {i}"))
            else:
                names.append((f"'sprites'[{i}] 'texture'", sprite["texture"]))
    else:
        findings.append(Finding(ERROR, "must be a list of sprite objects", subject="header key 'sprites'"))
    return names, findings


def _assets(level):
    names, findings = _image_names(level)
    for place, name in names:
        if not isinstance(name, str):
            findings.append(Finding(ERROR, f"must be an image file name, not {name!r}", subject=place))
        elif name not in level.images and not os.path.isfile(level.asset_path(name)):
            findings.append(Finding(ERROR, f"the image {level.asset_path(name)} is missing", subject=place))
    return findings


def _block_types(level):
    blocks = level.grid[..., c.BLOCK]
    return [Finding(ERROR, f"unknown block type {value} (the engine makes it solid)", cells)
            for value, cells in _cells_by_value(blocks > c.BLOCK_TRIANGLE_SOUTH_WEST, blocks)]


def _neighbours(blocks, face):
    """The block type of each cell's neighbour across `face`; outside the grid counts as square."""
    dx, dy = c.FACE_STEPS[face]
    padded = np.pad(blocks, 1, constant_values=c.BLOCK_SQUARE)
    h, w = blocks.shape
    return padded[1 + dy:1 + dy + h, 1 + dx:1 + dx + w]


def visible_faces(blocks, face):
    """Cells whose face `face` a ray can meet: a wall side turned towards an open neighbour, or
    either open side of a half block (its diagonal shows the texture of the side a ray entered by)."""
    neighbour_open = ~c.is_solid(_neighbours(blocks, face))
    diagonal_open_side = c.side_open(blocks, face) & (blocks != c.BLOCK_EMPTY)
    return ((blocks != c.BLOCK_EMPTY) & neighbour_open) | diagonal_open_side


def _texture_indices(level):
    grid, count = level.grid, _texture_count(level)
    blocks = grid[..., c.BLOCK]
    open_cells = ~c.is_solid(blocks)
    surfaces = [(c.FLOOR, "floor", open_cells), (c.CEILING, "ceiling", open_cells)]
    surfaces += [(face, f"{c.FACE_NAMES[face]} face", visible_faces(blocks, face)) for face in c.FACES]
    findings = []
    for offset, name, used in surfaces:
        values = grid[..., offset]
        bad = used & (values >= count)
        if offset in (c.FLOOR, c.CEILING):
            bad &= values != NO_SURFACE
        findings += [Finding(ERROR, f"{name} texture index {value} is past the {count} textures", cells)
                     for value, cells in _cells_by_value(bad, values)]
    return findings


def _open_border(level):
    blocks = level.grid[..., c.BLOCK]
    edges = ((c.NORTH, blocks[0, :], lambda i: (i, 0)), (c.SOUTH, blocks[-1, :], lambda i: (i, level.height - 1)),
             (c.WEST, blocks[:, 0], lambda i: (0, i)), (c.EAST, blocks[:, -1], lambda i: (level.width - 1, i)))
    findings = []
    for face, row, cell in edges:
        leaks = np.flatnonzero(c.side_open(row, face))
        if len(leaks):
            cells = np.array([cell(i) for i in leaks], np.int64)
            findings.append(Finding(ERROR, f"open {c.FACE_NAMES[face]} border: rays and walkers leave the level here",
                                    cells))
    return findings


def _place_problem(level, x, y):
    """Why a point cannot hold an entity or the start, or None."""
    if not (isinstance(x, (int, float)) and isinstance(y, (int, float))) or isinstance(x, bool) or isinstance(y, bool):
        return f"the position must be two numbers, not {x!r}, {y!r}"
    if not (math.isfinite(x) and math.isfinite(y) and 0 <= x < level.width and 0 <= y < level.height):
        return f"({x}, {y}) is outside the {level.width} x {level.height} grid"
    cx, cy = int(x), int(y)
    block = int(level.grid[cy, cx, c.BLOCK])
    if c.solid_part(block, x - cx, y - cy):
        return f"({x}, {y}) is inside the solid part of cell ({cx}, {cy}) (block type {block})"
    return None


def start_of(level):
    """The start marker (x, y) of the header, or None when absent or malformed."""
    start = level.header.get("start")
    if isinstance(start, (list, tuple)) and len(start) == 2 and _place_problem(level, *start) is None:
        return float(start[0]), float(start[1])
    return None


def _entities(level):
    header, findings = level.header, []
    if "start" in header:
        start = header["start"]
        if not (isinstance(start, (list, tuple)) and len(start) == 2):
            findings.append(Finding(ERROR, f"must be [x, y] in cells, not {start!r}", subject="header key 'start'"))
        elif problem := _place_problem(level, *start):
            findings.append(Finding(ERROR, problem, subject="the start"))
    entities = header.get("entities", [])
    if not isinstance(entities, list):
        return findings + [Finding(ERROR, "must be a list of entity objects", subject="header key 'entities'")]
    sprites = header.get("sprites", [])
    sprite_count = len(sprites) if isinstance(sprites, list) else 0
    for i, entity in enumerate(entities):
        name = f"entity {i}"
        if not isinstance(entity, dict):
            findings.append(Finding(ERROR, f"must be an object, not {entity!r}", subject=name))
            continue
        if "id" in entity:
            name += f" (id {entity['id']})"
        position = entity.get("position")
        if isinstance(position, dict) and "x" in position and "y" in position:
            if problem := _place_problem(level, position["x"], position["y"]):
                findings.append(Finding(ERROR, problem, subject=name))
        elif position is not None:
            findings.append(Finding(ERROR, f"'position' needs 'x' and 'y', not {position!r}", subject=name))
        sprite = entity.get("sprite")
        index = sprite.get("sprite") if isinstance(sprite, dict) else None
        if sprite is not None and not (type(index) is int and 0 <= index < sprite_count):
            findings.append(Finding(ERROR, f"sprite index {index!r} is not one of the {sprite_count} sprites",
                                    subject=name))
    return findings


# Each cell as 3 x 3 pixels for the flood fill: pixels on or beyond a half block's diagonal are
# solid, so its open triangle touches exactly its two open sides, and cells that only share a
# corner never connect (no walker fits through a corner).
_SUB = 3
_SUB_Y, _SUB_X = np.mgrid[0:_SUB, 0:_SUB]
_SOLID_PIXELS = {
    c.BLOCK_TRIANGLE_NORTH_WEST: _SUB_X + _SUB_Y <= _SUB - 1,
    c.BLOCK_TRIANGLE_NORTH_EAST: _SUB_X >= _SUB_Y,
    c.BLOCK_TRIANGLE_SOUTH_EAST: _SUB_Y >= _SUB_X,
    c.BLOCK_TRIANGLE_SOUTH_WEST: _SUB_X + _SUB_Y >= _SUB - 1,
}
# A pixel inside the open part of each block type: (row, column) within the cell's 3 x 3.
_OPEN_PIXEL = {c.BLOCK_EMPTY: (1, 1), c.BLOCK_TRIANGLE_NORTH_WEST: (2, 2), c.BLOCK_TRIANGLE_NORTH_EAST: (2, 0),
               c.BLOCK_TRIANGLE_SOUTH_EAST: (0, 2), c.BLOCK_TRIANGLE_SOUTH_WEST: (0, 0)}


def walkable_regions(blocks):
    """Labels of the connected open areas: (height, width) int array, 0 for solid cells. Two
    cells connect across a side that both leave open; a half block is open on its two open sides."""
    from scipy import ndimage

    h, w = blocks.shape
    pixel_solid = np.repeat(np.repeat(c.is_solid(blocks), _SUB, 0), _SUB, 1)
    view = pixel_solid.reshape(h, _SUB, w, _SUB)
    for block, pattern in _SOLID_PIXELS.items():
        ys, xs = np.nonzero(blocks == block)
        view[ys, :, xs, :] = pattern
    labels, _ = ndimage.label(~pixel_solid)
    region = np.zeros((h, w), labels.dtype)
    for block, (py, px) in _OPEN_PIXEL.items():
        ys, xs = np.nonzero(blocks == block)
        region[ys, xs] = labels[ys * _SUB + py, xs * _SUB + px]
    return region


def _reachability(level):
    if "start" not in level.header:
        return [Finding(WARNING, "no start marker ('start': [x, y]): reachable areas are not checked",
                        subject="header key 'start'")]
    start = start_of(level)
    if start is None:
        return []   # reported as an error above
    region = walkable_regions(level.grid[..., c.BLOCK])
    x, y = int(start[0]), int(start[1])
    groups = [cells for _, cells in _cells_by_value((region != 0) & (region != region[y, x]), region)]
    groups.sort(key=lambda cells: (cells[0][1], cells[0][0]))
    return [Finding(WARNING, f"not reachable from the start ({start[0]:g}, {start[1]:g}): an area of {len(cells)} cells",
                    cells) for cells in groups]
