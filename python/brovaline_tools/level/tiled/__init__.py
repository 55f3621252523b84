"""Tiled maps as levels: `read_map` turns a map into a level, `write_map` a level into a map, and
`import_map` writes a map as a level file pair with its pictures.

How layers, tilesets, properties and objects stand for cells and header entries is set out in
conventions.py and, for users, in docs/levels.md.
"""
from .placement import import_map
from .reader import read_map
from .writer import write_map

__all__ = ["import_map", "read_map", "write_map"]
