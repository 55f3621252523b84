"""A level in memory (grid array + JSON header) and the level file pair on disk.

The grid file holds width x height cells of 7 bytes in row-major order; the header file, named
after the grid file plus ".json", is one JSON object. `LevelData.grid` is that grid as a NumPy
array of shape (height, width, 7), so `grid[y, x]` is the cell (x, y) and `grid[..., k]` is byte k
of every cell.
"""
import json
import os
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

import numpy as np

from .errors import LevelInputError

CELL_BYTES = 7
NO_SURFACE = 255          # a floor or ceiling byte that draws nothing: the sky shows through
MAX_CELLS = 1 << 24       # the engine's limit on width x height
MAP_SUFFIXES = (".tmx", ".tmj", ".json")


@dataclass
class LevelData:
    """A level: `grid` (height, width, 7) uint8 and `header`, the JSON object of the header file.

    `assets_dir` is where the header's relative asset names resolve. `images` holds pictures that
    exist only in memory so far (relative name -> (h, w) uint32 array of 0xAARRGGBB pixels, as
    cut from a Tiled tileset); `write_level` writes them beside the level.
    """

    grid: np.ndarray
    header: dict = field(default_factory=dict)
    assets_dir: str = "."
    images: dict = field(default_factory=dict)
    source: str | None = None           # the file this level came from, for messages
    grid_file_bytes: int | None = None  # size of the grid file as read, when read from disk

    @classmethod
    def empty(cls, width, height, **kwargs):
        """An all-empty grid (block 0, texture index 0 everywhere) with a header of its size."""
        check_size(width, height, kwargs.get("source") or "<new level>")
        grid = np.zeros((height, width, CELL_BYTES), np.uint8)
        return cls(grid, {"width": width, "height": height}, **kwargs)

    @property
    def width(self):
        return self.grid.shape[1]

    @property
    def height(self):
        return self.grid.shape[0]

    def asset_path(self, name):
        """The file a header asset name refers to (absolute names are kept)."""
        return name if os.path.isabs(name) else os.path.join(self.assets_dir, name)


def check_size(width, height, path):
    for key, value in (("width", width), ("height", height)):
        if type(value) is not int:
            raise LevelInputError(path, f"'{key}' must be an integer, not {value!r}")
        if value <= 0:
            raise LevelInputError(path, f"'{key}' must be at least 1, not {value}")
    if width * height > MAX_CELLS:
        raise LevelInputError(path, f"{width} x {height} cells is more than the engine's limit of {MAX_CELLS}")


def level_paths(path):
    """(grid file, header file) of a level named by its grid file or its header file."""
    path = str(path)
    if path.endswith(".lvl.json"):
        path = path[: -len(".json")]
    return path, path + ".json"


def read_level(path):
    """Reads a level file pair. A grid file of the wrong size is padded with empty cells or cut,
    as the engine does, and its size is kept in `grid_file_bytes` for `check` to report."""
    grid_path, header_path = level_paths(path)
    try:
        text = Path(header_path).read_text(encoding="utf-8")
    except (OSError, UnicodeDecodeError) as e:
        raise LevelInputError(header_path, f"cannot read the header: {e}") from None
    try:
        header = json.loads(text)
    except json.JSONDecodeError as e:
        raise LevelInputError(header_path, e.msg, f"line {e.lineno} column {e.colno}") from None
    if not isinstance(header, dict):
        raise LevelInputError(header_path, f"the header must be a JSON object, not {type(header).__name__}")
    for key in ("width", "height"):
        if key not in header:
            raise LevelInputError(header_path, f"the '{key}' key is missing")
    width, height = header["width"], header["height"]
    check_size(width, height, header_path)
    try:
        raw = Path(grid_path).read_bytes()
    except OSError as e:
        raise LevelInputError(grid_path, f"cannot read the grid file: {e}") from None
    size = width * height * CELL_BYTES
    cells = np.zeros(size, np.uint8)
    used = min(size, len(raw))
    cells[:used] = np.frombuffer(raw, np.uint8, used)
    return LevelData(cells.reshape(height, width, CELL_BYTES), header, os.path.dirname(grid_path) or ".",
                     source=grid_path, grid_file_bytes=len(raw))


def is_map_path(path):
    """Whether a path names a Tiled map (`.tmx`, `.tmj`, `.json` other than a level header)."""
    name = str(path)
    return name.endswith(MAP_SUFFIXES) and not name.endswith(".lvl.json")


def load_any(path):
    """A level pair (`.lvl` or `.lvl.json`) or a Tiled map (`.tmx`, `.tmj`, other `.json`)."""
    name = str(path)
    if is_map_path(name):
        from .tiled import read_map

        return read_map(name)
    return read_level(name)


def header_text(header):
    """The header as the engine writes it: keys sorted, 4-space indent."""
    return json.dumps(header, sort_keys=True, indent=4)


def write_level(level, path):
    """Writes the grid file, its header and every in-memory image, each to a temporary name first
    and then renamed into place, the header last: a present header marks a complete level."""
    grid_path, header_path = level_paths(path)
    directory = os.path.dirname(grid_path) or "."
    header = dict(level.header, width=level.width, height=level.height)
    files = [(os.path.join(directory, name), pixels) for name, pixels in sorted(level.images.items())]
    files.append((grid_path, np.ascontiguousarray(level.grid, np.uint8).tobytes()))
    files.append((header_path, header_text(header).encode()))
    write_files(files)
    return grid_path, header_path


def write_files(files):
    """Writes (target path, content) pairs, content being bytes or an (h, w) array of 0xAARRGGBB
    pixels written as PNG: all to temporary names first, then renamed into place in the given
    order, so that a failure leaves no half-written file and the last file marks completion."""
    staged = []
    try:
        for target, content in files:
            stage = _stage_bytes if isinstance(content, bytes) else _stage_image
            staged.append((stage(content, target), target))
        for temporary, target in staged:
            os.replace(temporary, target)
    finally:
        for temporary, _ in staged:
            if os.path.exists(temporary):
                os.unlink(temporary)


def _temporary_beside(target, suffix=""):
    directory = os.path.dirname(target) or "."
    os.makedirs(directory, exist_ok=True)
    fd, name = tempfile.mkstemp(prefix="." + os.path.basename(target) + ".", suffix=".tmp" + suffix, dir=directory)
    os.fchmod(fd, 0o666 & ~_umask())   # as an ordinary new file would be, not private to the owner
    return fd, name


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def _stage_bytes(data, target):
    fd, name = _temporary_beside(target)
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    return name


def _stage_image(pixels, target):
    """Writes 0xAARRGGBB pixels as a PNG through the engine's own texture."""
    import brovaline

    pixels = np.asarray(pixels, np.uint32)
    texture = brovaline.Texture(int(pixels.shape[1]), int(pixels.shape[0]))
    np.asarray(texture)[...] = pixels
    fd, name = _temporary_beside(target, ".png")
    os.close(fd)
    texture.saveFile(name)
    return name
