"""Generates every asset of the demo game into examples/assets/ (or the directory given).

The level itself is drawn in Tiled: examples/demo_level.tmx refers to the generated pictures as
assets/..., and is imported here into level.lvl (open the map in Tiled after `make demo`, change
it, save, and `make demo` again).
"""
import os
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

from assetgen import audio, sprites, textures, theme  # noqa: E402

DEFAULT_OUT = HERE / "assets"
LEVEL_MAP = HERE / "demo_level.tmx"


def import_level(out):
    """Imports the map as out/level.lvl. The map names its pictures assets/...: it is read from a
    directory where "assets" leads to `out`, so any output directory works."""
    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")  # pictures are read through the engine: no window,
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")  # no sound device
    from brovaline_tools.level.tiled import import_map

    with tempfile.TemporaryDirectory() as staging:
        os.symlink(out.resolve(), Path(staging) / "assets")
        os.symlink(LEVEL_MAP, Path(staging) / LEVEL_MAP.name)
        import_map(Path(staging) / LEVEL_MAP.name, out / "level.lvl")


def main(out=DEFAULT_OUT):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    textures.generate(out)
    sprites.generate(out)
    audio.generate(out)
    theme.generate(out)
    # the level last: its header marks a complete set
    import_level(out)
    print("wrote assets to", out)


if __name__ == "__main__":
    main(*sys.argv[1:])
