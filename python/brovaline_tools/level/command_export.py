"""`brovaline-level export LEVEL.lvl MAP.tmj`: a level written as a Tiled map to edit in Tiled."""


def register(subparsers):
    parser = subparsers.add_parser(
        "export", help="write a level as a Tiled map (.tmx or .tmj)",
        description="Writes the map with its tilesets embedded; tiles refer to the level's own pictures, and the "
                    "pictures of block shapes are written beside the map, in MAP-NAME.tiles/.")
    parser.add_argument("level", metavar="LEVEL.lvl", help="the level (or a Tiled map, to convert its format)")
    parser.add_argument("map", metavar="MAP", help="the map to write: .tmx, .tmj or .json")
    parser.set_defaults(run=run)


def run(args):
    from .model import load_any
    from .tiled import write_map

    level = load_any(args.level)
    path = write_map(level, args.map)
    print(f"wrote {path}: {level.width} x {level.height} cells")
    return 0
