"""Writing a level as a Tiled map (.tmx or .tmj/.json), by the conventions of conventions.py.

The map is first built as the structure of Tiled's JSON format, which is then written either as
JSON or as TMX XML. Tilesets are embedded in the map; their tiles refer to the level's own image
files, and the pictures of block shapes are written beside the map.
"""
import json
import os
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import numpy as np

from ..errors import LevelInputError
from ..model import NO_SURFACE, write_files
from . import conventions as c
from .images import block_shape_tile, read_pixels
from .properties import NOT_IN_XML, component_properties, json_text, scalar_type

TILED_VERSION = "1.8.2"
FORMAT_VERSION = "1.8"
MAP_SUFFIXES = (".tmx", ".tmj", ".json")


def write_map(level, path):
    """Writes `level` as the Tiled map `path` (its format chosen by the suffix), the block shape
    pictures first and the map last."""
    path = Path(path)
    if path.suffix not in MAP_SUFFIXES:
        raise LevelInputError(path, "a map's name must end in " + ", ".join(MAP_SUFFIXES))
    builder = _MapBuilder(level, path)
    tiled_map = builder.build()
    text = _tmx_text(tiled_map, level.source) if path.suffix == ".tmx" else _json_text(tiled_map)
    write_files([*builder.files, (str(path), text.encode())])
    return path


class _MapBuilder:
    def __init__(self, level, path):
        self.level = level
        self.path = path
        self.directory = path.parent.resolve()
        self.source = level.source or "<level>"
        self.files = []          # (target, pixels) written beside the map
        self.next_gid = 1
        self.tilesets = []

    def build(self):
        header = self.level.header
        textures = self._list(header, "textures", str)
        sprites = self._list(header, "sprites", dict)
        texture_gid = self._tileset("textures", c.TEXTURES_KIND, [(name, []) for name in textures])
        sprite_gid = self._tileset("sprites", c.SPRITES_KIND, [self._sprite_tile(s, i) for i, s in enumerate(sprites)])
        block_gid = self._block_tileset()
        layers = self._tile_layers(len(textures), texture_gid, block_gid)
        objects = self._objects(header, len(sprites), sprite_gid)
        layers.append({"draworder": "index", "id": len(layers) + 1, "name": c.ENTITIES_LAYER, "objects": objects,
                       "opacity": 1, "type": "objectgroup", "visible": True, "x": 0, "y": 0})
        return {
            "compressionlevel": -1, "height": self.level.height, "infinite": False, "layers": layers,
            "nextlayerid": len(layers) + 1, "nextobjectid": len(objects) + 1, "orientation": "orthogonal",
            "properties": _properties(self._map_properties(header)), "renderorder": "right-down",
            "tiledversion": TILED_VERSION, "tileheight": c.EXPORT_TILE_SIZE, "tilesets": self.tilesets,
            "tilewidth": c.EXPORT_TILE_SIZE, "type": "map", "version": FORMAT_VERSION, "width": self.level.width,
        }

    def _list(self, header, key, item_type):
        items = header.get(key, [])
        if not isinstance(items, list) or not all(isinstance(item, item_type) for item in items):
            raise LevelInputError(self.source, f"the header's '{key}' must be a list of {item_type.__name__} values")
        return items

    # Tilesets

    def _image(self, name, where):
        """(file name relative to the map, width, height) of an asset of the level."""
        if name in self.level.images:
            pixels = np.asarray(self.level.images[name], np.uint32)
            target = self.directory / f"{self.path.stem}.tiles" / name
            self.files.append((str(target), pixels))
        else:
            target = Path(self.level.asset_path(name)).resolve()
            pixels = read_pixels(target, self.source, where)
        relative = Path(os.path.relpath(target, self.directory)).as_posix()
        return relative, pixels.shape[1], pixels.shape[0]

    def _tileset(self, name, kind, tiles):
        """Adds an image-collection tileset whose tiles are (image name, properties), unless it has
        none; returns its first gid."""
        firstgid = self.next_gid
        if not tiles:
            return firstgid
        entries = []
        for tile_id, (image, properties) in enumerate(tiles):
            where = f"{name} {tile_id} ({image})"
            source, width, height = self._image(image, where) if isinstance(image, str) else image
            entry = {"id": tile_id, "image": source, "imageheight": height, "imagewidth": width}
            if properties:
                entry["properties"] = _properties(properties)
            entries.append(entry)
        tileset = {
            "columns": 0, "firstgid": firstgid, "grid": {"height": 1, "orientation": "orthogonal", "width": 1},
            "margin": 0, "name": name, "spacing": 0, "tilecount": len(entries),
            "tileheight": max((e["imageheight"] for e in entries), default=c.EXPORT_TILE_SIZE),
            "tilewidth": max((e["imagewidth"] for e in entries), default=c.EXPORT_TILE_SIZE), "tiles": entries,
            "properties": _properties([(c.KIND_PROPERTY, "string", kind)]),
        }
        if kind == c.SPRITES_KIND:
            tileset["objectalignment"] = "center"
        self.tilesets.append(tileset)
        self.next_gid += len(entries)
        return firstgid

    def _sprite_tile(self, sprite, index):
        where = f"the header's sprite {index}"
        if not isinstance(sprite.get("texture"), str):
            raise LevelInputError(self.source, "'texture' must be a file name", where)
        properties = []
        for key, value in sorted(sprite.items()):
            if key == "texture":
                continue
            kind = scalar_type(value)
            if key == c.ANIMATIONS_PROPERTY:
                properties.append((key, "string", json_text(value)))
            elif kind and not key.startswith(c.JSON_PREFIX) and (key not in c.SPRITE_INT_KEYS or _is_count(value)):
                properties.append((key, kind, value))
            else:
                properties.append((c.JSON_PREFIX + key, "string", json_text(value)))
        return sprite["texture"], properties

    def _block_tileset(self):
        size = c.EXPORT_TILE_SIZE
        tiles = []
        for block, name in enumerate(c.BLOCK_NAMES):
            target = self.directory / f"{self.path.stem}.tiles" / f"block-{name}.png"
            self.files.append((str(target), block_shape_tile(block, size)))
            image = (Path(os.path.relpath(target, self.directory)).as_posix(), size, size)
            tiles.append((image, [(c.BLOCK_PROPERTY, "string", name)]))
        return self._tileset("blocks", c.BLOCKS_KIND, tiles)

    # Tile layers

    def _tile_layers(self, texture_count, texture_gid, block_gid):
        grid = self.level.grid.astype(np.int64)
        block, faces = grid[..., 0], grid[..., 3:]
        self._refuse(block > 5, "has block type {}, which no map can hold (types are 0 to 5)", block)
        for offset, name in ((1, c.FLOOR_LAYER), (2, c.CEILING_LAYER), *((k, f) for k, f in enumerate(c.FACE_LAYERS, 3))):
            used = grid[..., offset]
            bad = used >= texture_count
            if offset < 3:
                bad &= used != NO_SURFACE
            self._refuse(bad, f"has {name} texture {{}}, but the level has {texture_count} textures", used)
        solid = block != c.BLOCK_EMPTY
        # a solid cell's "walls" tile is its most common face texture (the first of equals from north)
        matches = (faces[..., :, None] == faces[..., None, :]).sum(axis=-1)
        common = np.take_along_axis(faces, matches.argmax(axis=-1)[..., None], axis=-1)[..., 0]
        base = np.where(solid, common, 0)
        layers = {
            c.FLOOR_LAYER: np.where(grid[..., 1] == NO_SURFACE, 0, grid[..., 1] + texture_gid),
            c.CEILING_LAYER: np.where(grid[..., 2] == NO_SURFACE, 0, grid[..., 2] + texture_gid),
            c.WALLS_LAYER: np.where(solid, common + texture_gid, 0),
            c.BLOCKS_LAYER: np.where(block > c.BLOCK_SQUARE, block + block_gid, 0),
        }
        for k, name in enumerate(c.FACE_LAYERS):
            layers[name] = np.where(faces[..., k] != base, faces[..., k] + texture_gid, 0)
        # drawn bottom to top; the ceiling and the single faces start hidden, as they cover the floor.
        # Single faces and shapes are left out when no cell needs them.
        order = [c.CEILING_LAYER, c.FLOOR_LAYER, *c.FACE_LAYERS, c.WALLS_LAYER, c.BLOCKS_LAYER]
        order = [name for name in order if name not in (*c.FACE_LAYERS, c.BLOCKS_LAYER) or layers[name].any()]
        hidden = (c.CEILING_LAYER, *c.FACE_LAYERS)
        return [{"data": layers[name].ravel().tolist(), "height": self.level.height, "id": number, "name": name,
                 "opacity": 1, "type": "tilelayer", "visible": name not in hidden, "width": self.level.width,
                 "x": 0, "y": 0} for number, name in enumerate(order, start=1)]

    def _refuse(self, bad, message, values):
        if bad.any():
            y, x = np.argwhere(bad)[0]
            raise LevelInputError(self.source, message.format(int(values[y, x])), f"cell ({x}, {y})")

    # Map properties and objects

    def _map_properties(self, header):
        properties = []
        for key, value in sorted(header.items()):
            if key in ("width", "height", "textures", "sprites", "entities") or (key == "start" and _is_point(value)):
                continue
            if key == "skytex" and isinstance(value, str):
                properties.append((c.SKY_PROPERTY, "file", self._image(value, "the sky")[0]))
            elif key in c.COLOR_PROPERTIES and _is_rgb(value):
                properties.append((key, "color", "#ff{:02x}{:02x}{:02x}".format(*value)))
            elif key in c.INT_PROPERTIES and type(value) is int and scalar_type(value):
                properties.append((key, "int", value))
            elif scalar_type(value) and key not in c.RENAMED_KEYS + c.INT_PROPERTIES + c.COLOR_PROPERTIES \
                    and key != c.SKY_PROPERTY and not key.startswith(c.JSON_PREFIX):
                properties.append((key, scalar_type(value), value))
            else:
                properties.append((c.JSON_PREFIX + key, "string", json_text(value)))
        return properties

    def _objects(self, header, sprite_count, sprite_gid):
        objects = []
        size = c.EXPORT_TILE_SIZE
        start = header.get("start")
        if _is_point(start):
            objects.append({"height": 0, "id": 1, "name": "start", "point": True, "rotation": 0,
                            "type": c.START_CLASS, "visible": True, "width": 0,
                            "x": start[0] * size, "y": start[1] * size})
        for index, entity in enumerate(self._list(header, "entities", dict)):
            where = f"the header's entity {index}"
            obj = {"height": 0, "id": len(objects) + 1, "name": "", "rotation": 0, "type": "", "visible": True,
                   "width": 0, "x": 0, "y": 0}
            properties = []
            for name, value in entity.items():
                if name == "id":
                    if type(value) is not int or not scalar_type(value):
                        raise LevelInputError(self.source, f"'id' is {value!r}, but maps hold whole-number ids", where)
                    properties.append((c.ID_PROPERTY, "int", value))
                elif name == "position" and _is_xy(value):
                    obj["x"], obj["y"] = value["x"] * size, value["y"] * size
                elif name == "sprite" and isinstance(value, dict) and type(value.get("sprite")) is int \
                        and 0 <= value["sprite"] < sprite_count:
                    obj["gid"] = sprite_gid + value["sprite"]
                    obj["width"] = obj["height"] = size
                    rest = {k: v for k, v in value.items() if k != "sprite"}
                    properties += component_properties(name, rest) if rest else []
                else:
                    properties += component_properties(name, value)
            if "position" not in entity:
                properties.append(("position", "string", c.NO_POSITION))
            if "gid" not in obj:
                obj["point"] = True
            if properties:
                obj["properties"] = _properties(sorted(properties))
            objects.append(obj)
        return objects


def _is_count(value):
    return type(value) is int and value >= 1


def _is_rgb(value):
    return isinstance(value, list) and len(value) == 3 and all(type(v) is int and 0 <= v <= 255 for v in value)


def _is_number(value):
    return type(value) in (int, float) and scalar_type(float(value)) is not None


def _is_point(value):
    return isinstance(value, list) and len(value) == 2 and all(_is_number(v) for v in value)


def _is_xy(value):
    return isinstance(value, dict) and set(value) == {"x", "y"} and _is_number(value["x"]) and _is_number(value["y"])


def _properties(triples):
    return [{"name": name, "type": kind, "value": value} for name, kind, value in triples]


# TMX

def _tmx_text(tiled_map, source):
    root = ElementTree.Element("map", _attributes(tiled_map, (
        "version", "tiledversion", "orientation", "renderorder", "width", "height", "tilewidth", "tileheight",
        "infinite", "nextlayerid", "nextobjectid")))
    _tmx_properties(root, tiled_map["properties"])
    for tileset in tiled_map["tilesets"]:
        element = ElementTree.SubElement(root, "tileset", _attributes(tileset, (
            "firstgid", "name", "tilewidth", "tileheight", "tilecount", "columns", "objectalignment")))
        ElementTree.SubElement(element, "grid", _attributes(tileset["grid"], ("orientation", "width", "height")))
        _tmx_properties(element, tileset["properties"])
        for tile in tileset["tiles"]:
            tile_element = ElementTree.SubElement(element, "tile", {"id": str(tile["id"])})
            _tmx_properties(tile_element, tile.get("properties", []))
            ElementTree.SubElement(tile_element, "image", {"width": str(tile["imagewidth"]),
                                                           "height": str(tile["imageheight"]), "source": tile["image"]})
    for layer in tiled_map["layers"]:
        if layer["type"] == "tilelayer":
            element = ElementTree.SubElement(root, "layer", _attributes(layer, ("id", "name", "width", "height")))
            if not layer["visible"]:
                element.set("visible", "0")
            data = ElementTree.SubElement(element, "data", {"encoding": "csv"})
            data.text = _csv_rows(layer["data"], layer["width"])
        else:
            element = ElementTree.SubElement(root, "objectgroup", _attributes(layer, ("id", "name", "draworder")))
            for obj in layer["objects"]:
                keys = ("id", "name", "type", "gid", "x", "y") + (("width", "height") if "gid" in obj else ())
                object_element = ElementTree.SubElement(element, "object", _attributes(obj, keys))
                _tmx_properties(object_element, obj.get("properties", []))
                if obj.get("point"):
                    ElementTree.SubElement(object_element, "point")
    ElementTree.indent(root, " ")
    for element in root.iter():
        for name, value in element.attrib.items():
            if NOT_IN_XML.search(value):
                raise LevelInputError(source or "<level>", f"{name} {value!r} of a <{element.tag}> holds characters "
                                                           "that XML cannot: write a .tmj map instead")
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + ElementTree.tostring(root, encoding="unicode") + "\n"


def _attributes(record, keys):
    return {key: _text(record[key]) for key in keys if key in record and record[key] != ""}


def _text(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    return repr(value) if isinstance(value, float) else str(value)


def _tmx_properties(parent, properties):
    if not properties:
        return
    element = ElementTree.SubElement(parent, "properties")
    for prop in properties:
        attributes = {"name": prop["name"]}
        if prop["type"] != "string":
            attributes["type"] = prop["type"]
        value = prop["value"]
        attributes["value"] = ("true" if value else "false") if isinstance(value, bool) else _text(value)
        ElementTree.SubElement(element, "property", attributes)


def _csv_rows(data, width):
    rows = (data[start:start + width] for start in range(0, len(data), width))
    return "\n" + ",\n".join(",".join(map(str, row)) for row in rows) + "\n"


def _json_text(tiled_map):
    """Tiled's JSON layout: indented, but each layer's tile ids on one line."""
    data = {}
    for layer in tiled_map["layers"]:
        if "data" in layer:
            data[layer["id"]] = layer["data"]
            layer["data"] = f"@data-{layer['id']}@"
    text = json.dumps(tiled_map, indent=1)
    for number, ids in data.items():
        text = text.replace(f'"@data-{number}@"', json.dumps(ids, separators=(",", ":")), 1)
    return text + "\n"
