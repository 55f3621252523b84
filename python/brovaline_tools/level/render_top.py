"""The top-down picture of a level: each cell's floor or wall texture (walls darker), the shapes of
the half blocks, entities, sprites and the start marked, and a grid. NumPy throughout: the whole
picture is assembled from one small tile per texture."""
import numpy as np

from . import cells as c
from .check import start_of
from .model import NO_SURFACE

SKY = 0xFF7FB2E5          # a floor open to the sky
MISSING = 0xFFFF00FF      # a texture index past the list, or an image that cannot be read
WALL_SHADE = 0.55         # walls are drawn at this brightness, so that they stand out from floors
GRID_SHADE = 0.7
ENTITY, SPRITE_ENTITY, START = 0xFF00E5FF, 0xFFFFD400, 0xFFFF2020
MAX_PICTURE = 2048        # the default cell size keeps the picture about this wide at most


def default_cell_pixels(level):
    return int(max(1, min(32, MAX_PICTURE // max(level.width, level.height))))


def texture_pixels(level, name):
    """The 0xAARRGGBB pixels of a header image (in memory or on disk), or None if unreadable."""
    if name in level.images:
        return np.asarray(level.images[name], np.uint32)
    import brovaline

    try:
        return np.array(brovaline.Texture(level.asset_path(name)), np.uint32)
    except (OSError, ValueError, TypeError):
        return None


def _thumbnail(pixels, size):
    h, w = pixels.shape
    return pixels[(np.arange(size) * h) // size][:, (np.arange(size) * w) // size]


def _shade(pixels, factor):
    channels = [(pixels >> shift) & 0xFF for shift in (16, 8, 0)]
    r, g, b = ((ch * factor).astype(np.uint32) for ch in channels)
    return (pixels & 0xFF000000) | (r << 16) | (g << 8) | b


def _tiles(level, size):
    """(tiles, lookup): tiles[lookup[i]] is the picture of texture index i; the last two tiles are
    the sky and the missing texture."""
    textures = level.header.get("textures", [])
    textures = textures if isinstance(textures, list) else []
    tiles = []
    for name in textures:
        pixels = texture_pixels(level, name) if isinstance(name, str) else None
        tiles.append(np.full((size, size), MISSING, np.uint32) if pixels is None or not pixels.size
                     else _thumbnail(pixels, size) | np.uint32(0xFF000000))
    sky, missing = len(tiles), len(tiles) + 1
    tiles += [np.full((size, size), SKY, np.uint32), np.full((size, size), MISSING, np.uint32)]
    lookup = np.full(256, missing, np.intp)
    lookup[:min(len(textures), 256)] = np.arange(min(len(textures), 256))
    return np.stack(tiles), lookup, sky


def _solid_masks(size):
    """(256, size, size): the solid pixels of a cell of each block type."""
    centre = (np.arange(size) + 0.5) / size
    fy, fx = np.meshgrid(centre, centre, indexing="ij")
    return np.stack([c.solid_part(block, fx, fy) for block in range(256)])


def _disc(picture, x, y, radius, colour):
    h, w = picture.shape
    x0, x1 = max(0, int(x - radius)), min(w, int(x + radius) + 1)
    y0, y1 = max(0, int(y - radius)), min(h, int(y + radius) + 1)
    if x0 >= x1 or y0 >= y1:
        return
    yy, xx = np.mgrid[y0:y1, x0:x1]
    inside = (xx + 0.5 - x) ** 2 + (yy + 0.5 - y) ** 2 <= radius ** 2
    picture[y0:y1, x0:x1][inside] = colour


def _entity_marks(level):
    """(x, y, colour) of every entity with a position, then the start."""
    marks = []
    entities = level.header.get("entities", [])
    for entity in entities if isinstance(entities, list) else []:
        position = entity.get("position") if isinstance(entity, dict) else None
        try:
            x, y = float(position["x"]), float(position["y"])
        except (TypeError, KeyError, ValueError):
            continue
        marks.append((x, y, SPRITE_ENTITY if "sprite" in entity else ENTITY))
    start = start_of(level)
    if start is not None:
        marks.append((*start, START))
    return marks


def top_view(level, cell_pixels=None, grid=True):
    """The picture as a (height x cell_pixels, width x cell_pixels) array of 0xAARRGGBB words."""
    size = cell_pixels or default_cell_pixels(level)
    tiles, lookup, sky = _tiles(level, size)
    walls = _shade(tiles, WALL_SHADE)
    cells = level.grid
    floor_tile = np.where(cells[..., c.FLOOR] == NO_SURFACE, sky, lookup[cells[..., c.FLOOR]])
    wall_tile = lookup[cells[..., c.NORTH]]     # the top of a wall shows its north face's texture
    solid = _solid_masks(size)[cells[..., c.BLOCK]]                    # (h, w, size, size)
    picture = np.where(solid, walls[wall_tile], tiles[floor_tile])
    h, w = level.height, level.width
    picture = picture.transpose(0, 2, 1, 3).reshape(h * size, w * size)
    if grid and size >= 4:
        picture[::size, :] = _shade(picture[::size, :], GRID_SHADE)
        picture[:, ::size] = _shade(picture[:, ::size], GRID_SHADE)
    radius = max(1.0, size * 0.3)
    for x, y, colour in _entity_marks(level):
        _disc(picture, x * size, y * size, radius * (1.3 if colour == START else 1), colour)
    return np.ascontiguousarray(picture)
