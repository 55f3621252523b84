"""`brovaline-level view LEVEL|MAP`: walk through a level; it reloads when its file changes.

W/S or up/down walk, A/D strafe, left/right or the mouse turn, the mouse looks up and down,
shift runs, escape quits. Saving the map in Tiled (or writing the level again) reloads it in
place, the camera where it was.
"""
import os

from .errors import LevelInputError


def register(subparsers):
    parser = subparsers.add_parser("view", help="walk through a level in a window; reloads on change",
                                   description=__doc__.split("\n\n")[0].split(": ", 1)[1],
                                   epilog=__doc__.split("\n\n", 1)[1])
    parser.add_argument("level", metavar="LEVEL|MAP")
    parser.add_argument("--size", default="800x500", metavar="WxH", help="window size (default 800x500)")
    parser.add_argument("--facing", type=float, default=0.0, metavar="DEGREES",
                        help="initial view direction: 0 east, 90 south (default 0)")
    parser.add_argument("--frames", type=int, metavar="N", help="quit after N frames")
    parser.set_defaults(run=run)


def run(args):
    try:
        width, height = (int(v) for v in args.size.split("x"))
    except ValueError:
        raise LevelInputError(args.level, f"--size must look like WxH, not {args.size!r}") from None
    if not (16 <= width <= 8192 and 16 <= height <= 8192):
        raise LevelInputError(args.level, f"--size must lie in 16x16-8192x8192, not {args.size}")
    from .viewer import Viewer

    show = os.environ.get("SDL_VIDEODRIVER") != "dummy"
    if not show and args.frames is None:
        raise LevelInputError(args.level, "no display to open a window on (--frames N runs that many frames "
                                          "without one)")
    viewer = Viewer(args.level, (width, height), args.facing, show=show)
    try:
        viewer.run(args.frames)
    finally:
        viewer.close()
    return 0
