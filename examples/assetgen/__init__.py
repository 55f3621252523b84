"""Procedural generators for every asset of the demo game."""
