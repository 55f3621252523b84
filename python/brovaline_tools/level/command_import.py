"""`brovaline-level import MAP LEVEL.lvl`: a Tiled map made into a level file pair."""
from .model import level_paths


def register(subparsers):
    parser = subparsers.add_parser(
        "import", help="make a level from a Tiled map (.tmx, .tmj or .json)",
        description="Writes the level pair (LEVEL and LEVEL.json) and the pictures it needs beside it: pictures "
                    "from outside the level's directory and tiles cut from grid tilesets.")
    parser.add_argument("map", metavar="MAP", help="the Tiled map")
    parser.add_argument("level", metavar="LEVEL.lvl", help="the level to write")
    parser.set_defaults(run=run)


def run(args):
    from .tiled import import_map

    level = import_map(args.map, args.level)
    grid_path, header_path = level_paths(args.level)
    print(f"wrote {grid_path} and {header_path}: {level.width} x {level.height} cells, "
          f"{len(level.header['textures'])} textures, {len(level.header['entities'])} entities")
    return 0
