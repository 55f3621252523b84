"""Companion tools for brovaline games: level files and Tiled maps, headless testing helpers.

Everything here is plain Python on top of the `brovaline` module's public API.
"""
