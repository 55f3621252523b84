"""`brovaline-level import MAP LEVEL.lvl`: a Tiled map made into a level file pair."""
from pathlib import Path

from .model import level_paths, write_level


def register(subparsers):
    parser = subparsers.add_parser(
        "import", help="make a level from a Tiled map (.tmx, .tmj or .json)",
        description="Writes the level pair (LEVEL and LEVEL.json) and the pictures it needs beside it: pictures "
                    "from outside the level's directory and tiles cut from grid tilesets.")
    parser.add_argument("map", metavar="MAP", help="the Tiled map")
    parser.add_argument("level", metavar="LEVEL.lvl", help="the level to write")
    parser.set_defaults(run=run)


def run(args):
    from .tiled import read_map
    from .tiled.placement import place_assets

    level = read_map(args.map)
    grid_path, _ = level_paths(args.level)
    level = place_assets(level, grid_path, f"{Path(grid_path).name}.images")
    grid_path, header_path = write_level(level, grid_path)
    print(f"wrote {grid_path} and {header_path}: {level.width} x {level.height} cells, "
          f"{len(level.header['textures'])} textures, {len(level.header['entities'])} entities")
    return 0
