"""Importing a map: the level's asset names moved to where its level file will be. Files inside
the level's directory are named relative to it, files elsewhere are copied in beside the level."""
import os
from dataclasses import replace
from pathlib import Path

from ..model import level_paths, write_level
from .images import read_pixels
from .reader import read_map


def import_map(map_path, level_path):
    """Reads a Tiled map and writes it as the level `level_path` with every picture it needs;
    returns the level as written."""
    grid_path, _ = level_paths(level_path)
    level = place_assets(read_map(map_path), grid_path, f"{Path(grid_path).name}.images")
    write_level(level, grid_path)
    return level


def place_assets(level, level_path, copies_dir):
    """A copy of `level` whose asset names are relative to the directory of `level_path`; images
    from outside that directory are added to `images` under `copies_dir`/ (one name each)."""
    directory = os.path.realpath(os.path.dirname(str(level_path)) or ".")
    images = dict(level.images)
    names = {}

    def place(name):
        if name in level.images:
            return name
        if name not in names:
            source = os.path.realpath(level.asset_path(name))
            relative = os.path.relpath(source, directory)
            if relative.startswith(os.pardir):
                relative = _free_name(f"{copies_dir}/{Path(source).stem}", images)
                images[relative] = read_pixels(source, level.source, f"image {name}")
            names[name] = Path(relative).as_posix()
        return names[name]

    header = dict(level.header)
    if isinstance(header.get("skytex"), str):
        header["skytex"] = place(header["skytex"])
    header["textures"] = [place(name) for name in header.get("textures", [])]
    header["sprites"] = [dict(sprite, texture=place(sprite["texture"])) for sprite in header.get("sprites", [])]
    return replace(level, header=header, images=images, assets_dir=directory)


def _free_name(stem, taken):
    name, number = f"{stem}.png", 1
    while name in taken:
        number += 1
        name = f"{stem}-{number}.png"
    return name
