"""Pictures for maps: reading image files, cutting grid tilesets, drawing the block shape tiles.

Pixels are (height, width) uint32 arrays of 0xAARRGGBB words, as the engine's textures hold them;
files are read through the engine itself, so a map can use every format a level can.
"""
import os

import numpy as np

from ..errors import LevelInputError


def read_pixels(image_path, path, where):
    """The pixels of an image file; a missing or unreadable file is an error about `path`, `where`."""
    import brovaline

    if not os.path.isfile(image_path):
        raise LevelInputError(path, f"image file {image_path} does not exist", where)
    try:
        texture = brovaline.Texture(str(image_path))
    except Exception as e:  # the engine reports unreadable images by IOError or its own errors
        raise LevelInputError(path, f"cannot read image {image_path}: {e}", where) from None
    return np.array(texture, np.uint32)


def image_size(image_path, path, where):
    height, width = read_pixels(image_path, path, where).shape
    return width, height


def cut_tiles(pixels, tile_width, tile_height, margin, spacing, columns, count, path, where):
    """The tiles of a grid tileset's picture, in tile id order."""
    rows = -(-count // columns) if columns else 0
    need_w = margin + columns * tile_width + max(columns - 1, 0) * spacing
    need_h = margin + rows * tile_height + max(rows - 1, 0) * spacing
    height, width = pixels.shape
    if tile_width <= 0 or tile_height <= 0 or need_w > width or need_h > height:
        raise LevelInputError(path, f"{count} tiles of {tile_width} x {tile_height} in {columns} columns do not fit "
                                    f"its {width} x {height} image", where)
    tiles = []
    for tile in range(count):
        x = margin + (tile % columns) * (tile_width + spacing)
        y = margin + (tile // columns) * (tile_height + spacing)
        tiles.append(np.ascontiguousarray(pixels[y:y + tile_height, x:x + tile_width]))
    return tiles


def block_shape_tile(block, size):
    """A picture of a block shape for the map's "blocks" layer: the solid part shaded, the
    rest clear, so that the wall texture below shows through."""
    y, x = np.mgrid[0:size, 0:size] + 0.5
    fx, fy = x / size, y / size
    solid = [np.zeros_like(fx, bool), np.ones_like(fx, bool), fx + fy < 1, fx > fy, fx < fy, fx + fy > 1][block]
    edge = (np.minimum(np.minimum(x, size - x), np.minimum(y, size - y)) < 2)
    pixels = np.where(solid, np.uint32(0x90000000), np.uint32(0))
    pixels[edge] = 0xFFFFD000 if block else 0xFF808080
    return pixels.astype(np.uint32)
