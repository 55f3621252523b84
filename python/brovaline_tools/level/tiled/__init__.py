"""Tiled maps as levels: `read_map` turns a map into a level, `write_map` a level into a map.

How layers, tilesets, properties and objects stand for cells and header entries is set out in
conventions.py and, for users, in docs/levels.md.
"""
from .reader import read_map
from .writer import write_map

__all__ = ["read_map", "write_map"]
