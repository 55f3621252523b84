"""Handing a `LevelData` to the engine: a copy written to a scratch directory, loaded as a Level."""
import os

from .errors import LevelInputError
from .model import LevelData, write_level


def stage_level(level, directory):
    """Writes `level` into `directory` so that the engine can load it from there: images that
    exist only in memory are written beside it, every other asset name becomes an absolute path
    to the file it refers to. Returns the grid file's path."""
    header = dict(level.header)

    def located(name):
        if not isinstance(name, str) or name in level.images:
            return name
        return os.path.abspath(level.asset_path(name))

    if "skytex" in header:
        header["skytex"] = located(header["skytex"])
    if isinstance(header.get("textures"), list):
        header["textures"] = [located(name) for name in header["textures"]]
    if isinstance(header.get("sprites"), list):
        header["sprites"] = [dict(s, texture=located(s["texture"])) if isinstance(s, dict) and "texture" in s else s
                             for s in header["sprites"]]
    staged = LevelData(level.grid, header, directory, dict(level.images), level.source)
    grid_path, _ = write_level(staged, os.path.join(directory, "level.lvl"))
    return grid_path


def engine_level(level, directory):
    """The engine's `Level` for `level`, staged in `directory`. The engine reads every file while
    it constructs the level, so the directory may be removed as soon as this returns."""
    import brovaline

    try:
        return brovaline.Level(stage_level(level, directory))
    except (OSError, KeyError, ValueError, TypeError, IndexError, brovaline.LevelFormatException) as e:
        raise LevelInputError(level.source or "<level>", f"the engine cannot load this level: {e}") from None
