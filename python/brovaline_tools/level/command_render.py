"""`brovaline-level render LEVEL|MAP OUT.png`: a top-down picture (--top) or a first-person view."""
import os

import numpy as np

from .errors import LevelInputError
from .model import _stage_image, load_any
from .render_top import top_view
from .render_view import camera_start, first_person_view


def _pair(text, separator, kind, name):
    try:
        a, b = (kind(part) for part in text.split(separator))
    except ValueError:
        raise ValueError(f"{name} must look like {'X,Y' if separator == ',' else 'WxH'}, not {text!r}") from None
    return a, b


def register(subparsers):
    parser = subparsers.add_parser("render", help="draw a level or map into a PNG file",
                                   description=__doc__.splitlines()[0].split(": ", 1)[1])
    parser.add_argument("level", metavar="LEVEL|MAP")
    parser.add_argument("out", metavar="OUT.png")
    parser.add_argument("--top", action="store_true", help="a top-down picture of the whole level")
    parser.add_argument("--cell", type=int, metavar="PIXELS",
                        help="--top: pixels per cell (default: up to 32, the picture at most about 2048 wide)")
    parser.add_argument("--from", dest="position", metavar="X,Y",
                        help="eye position in cells (default: the start marker, else the middle)")
    parser.add_argument("--facing", type=float, default=0.0, metavar="DEGREES",
                        help="view direction: 0 east, 90 south, 180 west, 270 north (default 0)")
    parser.add_argument("--size", default="640x400", metavar="WxH", help="picture size (default 640x400)")
    parser.set_defaults(run=run)


def run(args):
    level = load_any(args.level)
    if args.top:
        if args.cell is not None and not 1 <= args.cell <= 256:
            raise LevelInputError(args.out, f"--cell must lie in 1-256, not {args.cell}")
        pixels = top_view(level, args.cell)
    else:
        try:
            position = _pair(args.position, ",", float, "--from") if args.position else camera_start(level)
            size = _pair(args.size, "x", int, "--size")
        except ValueError as e:
            raise LevelInputError(args.out, str(e)) from None
        if not (1 <= size[0] <= 8192 and 1 <= size[1] <= 8192):
            raise LevelInputError(args.out, f"--size must lie in 1x1-8192x8192, not {args.size}")
        if not (0 <= position[0] < level.width and 0 <= position[1] < level.height):
            raise LevelInputError(args.level, f"--from {position[0]:g},{position[1]:g} is outside the "
                                              f"{level.width} x {level.height} grid")
        pixels = np.asarray(first_person_view(level, position, args.facing, size))
    os.replace(_stage_image(pixels, args.out), args.out)
    print(f"wrote {args.out} ({pixels.shape[1]} x {pixels.shape[0]} pixels)")
    return 0
