"""`brovaline-level`: one command for everything done with level files and Tiled maps.

Each sub-command lives in its own module with a `register(subparsers)` function that adds its
parser and sets `run(args) -> exit status`. Exit status 2 means unusable input.
"""
import argparse
import importlib
import os
import sys

# Sub-command modules, in the order `--help` lists them.
COMMAND_MODULES = ("command_new", "command_import", "command_export", "command_check", "command_render", "command_view")

# Commands that need a real window; every other one runs on SDL's dummy drivers.
WINDOWED_COMMANDS = {"view"}


def build_parser():
    parser = argparse.ArgumentParser(prog="brovaline-level", description=__doc__.splitlines()[0])
    subparsers = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")
    for module in COMMAND_MODULES:
        importlib.import_module(f"{__package__}.{module}").register(subparsers)
    return parser


def choose_drivers(command):
    """Picks SDL's drivers before the engine module is imported: no window for batch commands,
    and no sound device for any of them."""
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    if command not in WINDOWED_COMMANDS or not (os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY")):
        os.environ.setdefault("SDL_VIDEODRIVER", "dummy")


def main(argv=None):
    argv = sys.argv[1:] if argv is None else list(argv)
    choose_drivers(next((a for a in argv if not a.startswith("-")), None))
    args = build_parser().parse_args(argv)
    from .errors import LevelInputError

    try:
        return args.run(args)
    except LevelInputError as e:
        print(f"brovaline-level {args.command}: {e}", file=sys.stderr)
        return 2
    except OSError as e:  # an output that cannot be written, a file that vanished meanwhile
        name = f"{e.filename}: " if e.filename else ""
        print(f"brovaline-level {args.command}: {name}{e.strerror or e}", file=sys.stderr)
        return 2
