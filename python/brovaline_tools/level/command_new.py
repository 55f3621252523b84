"""`brovaline-level new WIDTH HEIGHT LEVEL.lvl`: a walled empty level that renders as it is.

The border is square blocks; every face, floor and ceiling shows texture 0, a grey checker
written beside the level as checker.png (unless a file of that name is already there); the start
marker is the middle of the level.
"""
import os

import numpy as np

from .build import level_from_arrays
from .cells import BLOCK_EMPTY, BLOCK_SQUARE
from .errors import LevelInputError
from .model import check_size, level_paths, write_level

TEXTURE_NAME = "checker.png"
CHECKER_SIZE, CHECKER_SQUARE = 64, 8
CHECKER_COLOURS = (0xFF8C8C8C, 0xFF5A5A5A)


def checker_pixels():
    y, x = np.mgrid[0:CHECKER_SIZE, 0:CHECKER_SIZE] // CHECKER_SQUARE
    return np.where((x + y) % 2 == 0, *CHECKER_COLOURS).astype(np.uint32)


def walled_level(width, height):
    """A `LevelData` of the given size: square blocks all round, open inside, texture 0 everywhere
    (the checker, kept in memory until written), the start in the middle."""
    check_size(width, height, "<new level>")
    blocks = np.full((height, width), BLOCK_EMPTY, np.uint8)
    blocks[[0, -1], :] = blocks[:, [0, -1]] = BLOCK_SQUARE
    level = level_from_arrays(blocks, textures=[TEXTURE_NAME], start=[width / 2, height / 2])
    level.images[TEXTURE_NAME] = checker_pixels()
    return level


def register(subparsers):
    parser = subparsers.add_parser("new", help="write a walled empty level",
                                   description=__doc__.split("\n\n")[0].split(": ", 1)[1])
    parser.add_argument("width", type=int, metavar="WIDTH")
    parser.add_argument("height", type=int, metavar="HEIGHT")
    parser.add_argument("level", metavar="LEVEL.lvl")
    parser.add_argument("--force", action="store_true", help="replace an existing level")
    parser.set_defaults(run=run)


def run(args):
    grid_path, header_path = level_paths(args.level)
    if not args.force and (os.path.exists(grid_path) or os.path.exists(header_path)):
        raise LevelInputError(grid_path, "already exists (--force replaces it)")
    if min(args.width, args.height) < 3:
        raise LevelInputError(grid_path, f"{args.width} x {args.height} leaves no room inside the walls (3 x 3 at least)")
    level = walled_level(args.width, args.height)
    if os.path.exists(os.path.join(os.path.dirname(grid_path) or ".", TEXTURE_NAME)):
        level.images.clear()
    write_level(level, grid_path)
    print(f"wrote {grid_path} and {header_path} ({args.width} x {args.height} cells)")
    return 0
