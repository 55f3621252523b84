"""Reading a Tiled map (.tmx, .tmj or .json) into a level, by the conventions of conventions.py.

pytiled-parser reads the files; this module checks what the engine needs and turns the map into
cells with NumPy, one whole layer at a time.
"""
import json
import os
import re
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import numpy as np
import pytiled_parser
from pytiled_parser import layer as tiled_layers
from pytiled_parser import tiled_object
from pytiled_parser.common_types import Color

from ..errors import LevelInputError
from ..model import CELL_BYTES, NO_SURFACE, LevelData, check_size
from . import conventions as c
from .images import cut_tiles, read_pixels
from .properties import components_from_properties, parse_json, plain_value

FLIP_FLAGS = 0xF0000000          # the high bits of a tile id that flip or rotate the tile
MAX_TILE_IDS = 1 << 24
TEXTURE_LIMIT = 256              # texture indices are bytes
OWNER_NONE, OWNER_TEXTURE, OWNER_SPRITE, OWNER_BLOCK = range(4)
OWNER_NAMES = {OWNER_TEXTURE: "a texture", OWNER_SPRITE: "a sprite sheet", OWNER_BLOCK: "a block shape"}


def read_map(path):
    """The level a Tiled map describes. Pictures cut from grid tilesets are kept in `images`
    (under "<map name>.tiles/"); other asset names are relative to the map's directory."""
    path = Path(path)
    _check_map_shape(path)
    try:
        tiled_map = pytiled_parser.parse_map(path.absolute())
    except LevelInputError:
        raise
    except KeyError as e:
        raise LevelInputError(path, f"not a usable Tiled map: the attribute or key {e} is missing") from None
    except (OSError, ValueError, TypeError, AttributeError, IndexError) as e:
        raise LevelInputError(path, f"not a usable Tiled map: {type(e).__name__}: {e}") from None
    return _MapReader(path, tiled_map).level()


def _check_map_shape(path):
    """Refuses, before the full parse, what cannot be a level: malformed files, infinite or
    non-orthogonal maps and maps over the engine's size limit."""
    try:
        text = path.read_text(encoding="utf-8")
    except (OSError, UnicodeDecodeError) as e:
        raise LevelInputError(path, f"cannot read the map: {e}") from None
    if text.lstrip().startswith("<"):
        try:
            root = ElementTree.fromstring(text)
        except ElementTree.ParseError as e:
            line, column = e.position
            what = re.sub(r": line \d+, column \d+$", "", str(e))
            raise LevelInputError(path, f"malformed XML: {what}", f"line {line} column {column + 1}") from None
        attributes = root.attrib
        if root.tag != "map":
            raise LevelInputError(path, f"the root element is <{root.tag}>, not <map>")
        infinite = attributes.get("infinite", "0") == "1"
        _check_typed_properties(root, path)
    else:
        try:
            attributes = json.loads(text)
        except json.JSONDecodeError as e:
            raise LevelInputError(path, f"malformed JSON: {e.msg}", f"line {e.lineno} column {e.colno}") from None
        if not isinstance(attributes, dict) or attributes.get("type", "map") != "map":
            raise LevelInputError(path, "not a Tiled map (a JSON object with \"type\": \"map\")")
        infinite = attributes.get("infinite") is True
    if infinite:
        raise LevelInputError(path, "infinite maps cannot be levels: untick Infinite in the map's properties")
    orientation = attributes.get("orientation")
    if orientation != "orthogonal":
        raise LevelInputError(path, f"the map is {orientation}, but levels need an orthogonal map")
    sizes = []
    for key in ("width", "height"):
        try:
            sizes.append(int(attributes[key]))
        except (KeyError, ValueError, TypeError):
            raise LevelInputError(path, f"the map's '{key}' is missing or not a number") from None
    check_size(*sizes, path)


TYPED_VALUES = {"int": r"[-+]?\d+", "float": r"[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?|[-+]?(inf|nan)",
                "bool": "true|false", "color": "#?([0-9a-fA-F]{6}|[0-9a-fA-F]{8})"}


def _check_typed_properties(root, path):
    """Names the owner of a TMX property whose value does not fit its type."""
    for owner in root.iter():
        for prop in owner.findall("properties/property"):
            pattern = TYPED_VALUES.get(prop.get("type"))
            value = prop.get("value", prop.text or "")
            if pattern and not re.fullmatch(pattern, value):
                label = owner.get("name") or owner.get("id")
                raise LevelInputError(path, f"property '{prop.get('name')}' is of type {prop.get('type')} but holds "
                                            f"{value!r}", f"<{owner.tag}>" + (f" {label!r}" if label else ""))


def _where_tileset(tileset, tile_id=None):
    return f"tileset '{tileset.name}'" + ("" if tile_id is None else f" tile {tile_id}")


def _safe_name(name):
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", name).strip("._") or "tileset"


class _MapReader:
    def __init__(self, path, tiled_map):
        self.path = path
        self.map = tiled_map
        self.directory = path.absolute().parent   # external tilesets come with absolute picture paths
        self.tile_width, self.tile_height = tiled_map.tile_size.width, tiled_map.tile_size.height
        self.width, self.height = tiled_map.map_size.width, tiled_map.map_size.height
        self.textures, self.sprites, self.images = [], [], {}
        self._gids = {}       # gid -> (owner, value)

    def level(self):
        self._read_tilesets()
        header = {"width": self.width, "height": self.height}
        header.update(self._map_properties())
        grid = self._grid()
        header["textures"] = self.textures
        header["sprites"] = self.sprites
        header["entities"], start = self._entities()
        if start is not None:
            if "start" in header:
                raise LevelInputError(self.path, "both a start object and map property 'json.start'")
            header["start"] = start
        return LevelData(grid, header, str(self.directory), self.images, source=str(self.path))

    # Tilesets: textures, sprite sheets and block shapes, in tile id order

    def _read_tilesets(self):
        for firstgid, tileset in sorted(self.map.tilesets.items()):
            kind = (tileset.properties or {}).get(c.KIND_PROPERTY, c.TEXTURES_KIND)
            if kind not in c.KINDS:
                raise LevelInputError(self.path, f"property '{c.KIND_PROPERTY}' is {kind!r}; it must be one of "
                                                 + ", ".join(c.KINDS), _where_tileset(tileset))
            for tile_id, tile, picture in self._tiles(tileset, kind != c.BLOCKS_KIND):
                where = _where_tileset(tileset, tile_id)
                properties = (tile.properties if tile else None) or {}
                if kind == c.TEXTURES_KIND:
                    if len(self.textures) == TEXTURE_LIMIT:
                        raise LevelInputError(self.path, f"more than {TEXTURE_LIMIT} textures", where)
                    self._gids[firstgid + tile_id] = (OWNER_TEXTURE, len(self.textures))
                    self.textures.append(picture)
                elif kind == c.SPRITES_KIND:
                    self._gids[firstgid + tile_id] = (OWNER_SPRITE, len(self.sprites))
                    self.sprites.append(self._sprite(picture, properties, where))
                else:
                    self._gids[firstgid + tile_id] = (OWNER_BLOCK, self._block(properties, where))

    def _tiles(self, tileset, with_pictures):
        """(tile id, Tile or None, asset name) for every tile of a tileset, in id order."""
        tiles = tileset.tiles or {}
        if tileset.image is not None:
            pictures = [None] * tileset.tile_count
            if with_pictures:
                where = _where_tileset(tileset)
                pixels = read_pixels(self._file(tileset.image), self.path, where)
                cut = cut_tiles(pixels, tileset.tile_width, tileset.tile_height, tileset.margin, tileset.spacing,
                                tileset.columns, tileset.tile_count, self.path, where)
                prefix = f"{_safe_name(self.path.stem)}.tiles/{_safe_name(tileset.name)}"
                if any(name.startswith(prefix + "-") for name in self.images):   # two tilesets of one name
                    prefix += f"-{tileset.firstgid}"
                for tile_id, pixels in enumerate(cut):
                    pictures[tile_id] = f"{prefix}-{tile_id}.png"
                    self.images[pictures[tile_id]] = pixels
            return [(tile_id, tiles.get(tile_id), pictures[tile_id]) for tile_id in range(tileset.tile_count)]
        result = []
        for tile_id in sorted(tiles):
            tile = tiles[tile_id]
            if tile.image is None:
                continue
            picture = None
            if with_pictures:
                picture = self._asset_name(tile.image, _where_tileset(tileset, tile_id))
            result.append((tile_id, tile, picture))
        return result

    def _file(self, image):
        return image if os.path.isabs(image) else self.directory / image

    def _asset_name(self, image, where):
        """The header's name for an image file: relative to the map, checked to be readable."""
        read_pixels(self._file(image), self.path, where)
        return Path(os.path.relpath(os.path.abspath(self._file(image)), os.path.abspath(self.directory))).as_posix()

    def _sprite(self, picture, properties, where):
        sprite = {"texture": picture}
        for name, value in sorted(properties.items()):
            if name in c.SPRITE_INT_KEYS:
                if type(value) is not int or value < 1:
                    raise LevelInputError(self.path, f"property '{name}' must be a whole number of at least 1, "
                                                     f"not {value!r}", where)
                sprite[name] = value
            elif name == c.ANIMATIONS_PROPERTY:
                animations = parse_json(value, self.path, where, name)
                if not isinstance(animations, dict) or not all(isinstance(a, dict) for a in animations.values()):
                    raise LevelInputError(self.path, f"property '{name}' must hold a JSON object of animation "
                                                     "objects (name -> {\"frames\": ...})", where)
                sprite[name] = animations
            elif name.startswith(c.JSON_PREFIX):
                sprite[name[len(c.JSON_PREFIX):]] = parse_json(value, self.path, where, name)
            else:
                sprite[name] = plain_value(value)
        return sprite

    def _block(self, properties, where):
        value = properties.get(c.BLOCK_PROPERTY)
        if value not in c.BLOCK_NAMES:
            raise LevelInputError(self.path, f"property '{c.BLOCK_PROPERTY}' is {value!r}; it must be one of "
                                             + ", ".join(c.BLOCK_NAMES), where)
        return c.BLOCK_NAMES.index(value)

    # Map properties: sky, fog and any other header key

    def _map_properties(self):
        header = {}
        for name, value in sorted((self.map.properties or {}).items()):
            where = f"map property '{name}'"
            if name == c.SKY_PROPERTY:
                if not isinstance(value, (str, Path)) or not str(value):
                    raise LevelInputError(self.path, f"must be a file, not {value!r}", where)
                header["skytex"] = self._asset_name(Path(value), where)
            elif name in c.COLOR_PROPERTIES:
                if not isinstance(value, Color):
                    raise LevelInputError(self.path, f"must be a color, not {value!r}", where)
                header[name] = [value.red, value.green, value.blue]
            elif name in c.INT_PROPERTIES:
                if type(value) is not int:
                    raise LevelInputError(self.path, f"must be an int, not {value!r}", where)
                header[name] = value
            else:
                key = name[len(c.JSON_PREFIX):] if name.startswith(c.JSON_PREFIX) else name
                if key in c.DERIVED_KEYS or (key == name and key in c.RENAMED_KEYS):
                    raise LevelInputError(self.path, f"'{key}' comes from the map itself and cannot be a property",
                                          where)
                header[key] = parse_json(value, self.path, where, name) if key != name else plain_value(value)
        return header

    # The grid, from the tile layers

    def _tile_layers(self):
        layers = {}
        known = (c.FLOOR_LAYER, c.CEILING_LAYER, c.WALLS_LAYER, c.BLOCKS_LAYER, *c.FACE_LAYERS)
        for layer in _flatten(self.map.layers):
            if not isinstance(layer, tiled_layers.TileLayer):
                continue
            where = f"layer '{layer.name}'"
            if layer.name not in known:
                raise LevelInputError(self.path, "unknown tile layer; tile layers are named " + ", ".join(known), where)
            if layer.name in layers:
                raise LevelInputError(self.path, "two tile layers have this name", where)
            if layer.data is None:
                raise LevelInputError(self.path, "the layer has no tile data (chunks belong to infinite maps)", where)
            try:
                gids = np.array(layer.data, np.int64)
            except (ValueError, OverflowError):
                gids = None
            if gids is None or gids.shape != (self.height, self.width):
                raise LevelInputError(self.path, f"the layer's tiles do not form the map's {self.width} x "
                                                 f"{self.height} cells", where)
            layers[layer.name] = gids
        return layers

    def _lookup(self):
        size = max(self._gids, default=0) + 1
        if size > MAX_TILE_IDS:
            raise LevelInputError(self.path, f"tile ids reach {size - 1}, more than this tool handles ({MAX_TILE_IDS})")
        owner = np.zeros(size, np.int8)
        value = np.zeros(size, np.int16)
        for gid, (kind, number) in self._gids.items():
            owner[gid], value[gid] = kind, number
        return owner, value

    def _values(self, layers, name, owner, value, wanted):
        """(tile present, value) arrays of a layer whose tiles must all belong to `wanted`."""
        gids = layers.get(name)
        if gids is None:
            return np.zeros((self.height, self.width), bool), np.zeros((self.height, self.width), np.int16)
        where = f"layer '{name}'"
        flipped = (gids & FLIP_FLAGS) != 0
        if flipped.any():
            y, x = np.argwhere(flipped)[0]
            raise LevelInputError(self.path, "flipped or rotated tiles cannot be shown by the engine",
                                  f"{where} cell ({x}, {y})")
        unknown = (gids < 0) | (gids >= len(owner))
        ids = np.where(unknown, 0, gids)
        kinds = owner[ids]
        wrong = (gids != 0) & (unknown | (kinds != wanted))
        if wrong.any():
            y, x = np.argwhere(wrong)[0]
            gid = int(gids[y, x])
            what = "an unknown tile id" if unknown[y, x] or kinds[y, x] == OWNER_NONE else OWNER_NAMES[kinds[y, x]]
            raise LevelInputError(self.path, f"tile {gid} is {what}, but this layer takes {OWNER_NAMES[wanted]}",
                                  f"{where} cell ({x}, {y})")
        return gids != 0, value[ids]

    def _grid(self):
        layers = self._tile_layers()
        owner, value = self._lookup()
        grid = np.empty((self.height, self.width, CELL_BYTES), np.uint8)
        for offset, name in ((1, c.FLOOR_LAYER), (2, c.CEILING_LAYER)):
            present, index = self._values(layers, name, owner, value, OWNER_TEXTURE)
            if (present & (index == NO_SURFACE)).any():
                y, x = np.argwhere(present & (index == NO_SURFACE))[0]
                raise LevelInputError(self.path, f"texture {NO_SURFACE} cannot be a floor or ceiling: that value "
                                                 "means none", f"layer '{name}' cell ({x}, {y})")
            grid[..., offset] = np.where(present, index, NO_SURFACE)
        walled, wall = self._values(layers, c.WALLS_LAYER, owner, value, OWNER_TEXTURE)
        base = np.where(walled, wall, 0)
        for offset, name in enumerate(c.FACE_LAYERS, start=3):
            present, index = self._values(layers, name, owner, value, OWNER_TEXTURE)
            grid[..., offset] = np.where(present, index, base)
        shaped, shape = self._values(layers, c.BLOCKS_LAYER, owner, value, OWNER_BLOCK)
        grid[..., 0] = np.where(shaped, shape, np.where(walled, c.BLOCK_SQUARE, c.BLOCK_EMPTY))
        return grid

    # Objects: entities and the start marker

    def _entities(self):
        entities, start = [], None
        for layer in _flatten(self.map.layers):
            if not isinstance(layer, tiled_layers.ObjectLayer):
                continue
            for obj in layer.tiled_objects:
                where = f"layer '{layer.name}' object {obj.id}"
                x = obj.coordinates.x / self.tile_width
                y = obj.coordinates.y / self.tile_height
                if obj.class_ == c.START_CLASS:
                    if start is not None:
                        raise LevelInputError(self.path, "a second start marker", where)
                    start = [x, y]
                    continue
                entities.append(self._entity(obj, x, y, where))
        return entities, start

    def _entity(self, obj, x, y, where):
        properties = obj.properties or {}
        entity = {}
        if c.ID_PROPERTY in properties:
            number = properties[c.ID_PROPERTY]
            if type(number) is not int:
                raise LevelInputError(self.path, f"property 'id' must be an int, not {number!r}", where)
            entity["id"] = number
        components = components_from_properties(properties, self.path, where, skip=(c.ID_PROPERTY,))
        if "position" not in components:
            components["position"] = {"x": x, "y": y}
        elif components["position"] is None:
            del components["position"]
        if isinstance(obj, tiled_object.Tile):
            gid = obj.gid
            kind, index = self._gids.get(gid & ~FLIP_FLAGS, (OWNER_NONE, 0))
            if kind != OWNER_SPRITE:
                what = OWNER_NAMES.get(kind, "an unknown tile id")
                raise LevelInputError(self.path, f"the object shows tile {gid}, which is {what}, not a sprite sheet",
                                      where)
            sprite = components.setdefault("sprite", {})
            if not isinstance(sprite, dict) or "sprite" in sprite:
                raise LevelInputError(self.path, "the sprite comes from the object's tile: drop property "
                                                 "'sprite.sprite'", where)
            sprite["sprite"] = index
        entity.update(sorted(components.items()))
        return entity


def _flatten(layers):
    for layer in layers or ():
        if isinstance(layer, tiled_layers.LayerGroup):
            yield from _flatten(layer.layers)
        else:
            yield layer
