"""Generates every asset of the demo game into examples/assets/ (or the directory given)."""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from assetgen import audio, level, sprites, textures, theme  # noqa: E402

DEFAULT_OUT = Path(__file__).resolve().parent / "assets"


def main(out=DEFAULT_OUT):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    texture_files = textures.generate(out)
    sprite_entries = sprites.generate(out)
    audio.generate(out)
    theme.generate(out)
    # the level header last: its presence marks a complete set
    level.generate(out, texture_files, sprite_entries)
    print("wrote assets to", out)


if __name__ == "__main__":
    main(*sys.argv[1:])
