#!/usr/bin/env python3
"""Level file pairs from hostile data, loaded and used through the module.

    python fuzz/level_files_fuzz.py [libFuzzer options] [corpus directories]

Each input becomes a JSON header (raw text, or a header built from fuzzed values with textures,
sprites, fog and entities that name real, broken and missing image files) and the grid bytes.
A level that loads is read and written cell by cell at any coordinates, drawn by a raycasting
renderer from a fuzzed camera with its sprite entities, moved by the physics, picked at, saved
and loaded again.
"""
import json
import os
import tempfile

import atheris

from module_fuzzing import FONT_FILE, Values, accept, encode, run, settle

import brovaline as b

ASSETS = tempfile.mkdtemp(prefix="level-fuzz-")


def _write_assets():
    for name, size in (("t.png", (8, 8)), ("sheet.png", (64, 16)), ("dot.png", (1, 1))):
        t = b.Texture(*size)
        t.fillChecker()
        t.saveFile(os.path.join(ASSETS, name))
    with open(os.path.join(ASSETS, "bad.png"), "wb") as f:
        f.write(b"not an image")


_write_assets()
IMAGES = ["t.png", "sheet.png", "dot.png", os.path.join(ASSETS, "t.png")]
BAD_IMAGES = ["bad.png", "missing.png", "", ".", FONT_FILE]
COMPONENT_NAMES = ["position", "velocity", "rotation", "collision", "sprite", "mystery"]


class LevelValues(Values):
    def image(self):
        return self.pick_good(IMAGES, BAD_IMAGES)

    def colour(self):
        return [self.integer(0, 255) for _ in range(self.pick_good([3], [2, 4]))]

    def animation(self):
        return self.record({"frames": lambda: self.integer(1, 6), "oscillate": lambda: self.integer(0, 1),
                            "speed": self.number, "startFrame": lambda: self.integer(0, 12),
                            "directions": lambda: self.integer(1, 8)})

    def sprite(self):
        return self.record({
            "texture": self.image, "xFrames": lambda: self.integer(1, 8), "yFrames": lambda: self.integer(1, 4),
            "animations": lambda: {self.pick(["_", "walk", "run", ""]): self.maybe(self.animation)
                                   for _ in range(self.small(0, 3))}})

    def vector(self):
        return self.record({"x": lambda: self.number(-2, 10), "y": lambda: self.number(-2, 10)})

    def component(self, name):
        if name in ("position", "rotation"):
            return self.vector()
        if name == "velocity":
            return self.record({"x": self.number, "y": self.number, "impulse": self.vector, "friction": self.number})
        if name == "collision":
            return self.record({"radius": self.number, "isOnlyTrigger": lambda: self.fdp.ConsumeBool(),
                                "hasFlags": lambda: [self.integer() for _ in range(self.small(0, 3))],
                                "ignoreFlags": lambda: [self.integer() for _ in range(self.small(0, 3))]})
        if name == "sprite":
            return self.record({"sprite": lambda: self.integer(0, 2), "shadeless": lambda: self.fdp.ConsumeBool(),
                                "zOffset": self.number, "scale": self.number,
                                "blendMode": lambda: self.pick(["add", "alpha", "other"]),
                                "currentAnimation": lambda: self.pick(["_", "walk", "run", "none"]),
                                "animationPercentage": self.number})
        return self.any()

    def entity(self):
        e = {"id": self.maybe(self.integer)} if self.fdp.ConsumeBool() else {}
        for name in COMPONENT_NAMES:
            if self.fdp.ConsumeBool():
                e[name] = self.maybe(self.component, name)
        return e

    def header(self):
        return self.record({
            "width": lambda: self.integer(1, 8), "height": lambda: self.integer(1, 8),
            "fogColor": self.colour, "groundFogColor": self.colour,
            "fogDensity": lambda: self.integer(-1, 40), "groundFogDensity": lambda: self.integer(-1, 40),
            "skytex": self.image,
            "textures": lambda: [self.image() for _ in range(self.small(0, 4))],
            "sprites": lambda: [self.maybe(self.sprite) for _ in range(self.small(0, 3))],
            "entities": lambda: [self.maybe(self.entity) for _ in range(self.small(0, 4))]})


def use_level(v, level):
    """Everything a game does with a loaded level, at fuzzed coordinates and camera settings."""
    fdp = v.fdp
    for _ in range(v.small(0, 4)):
        x, y, k = v.integer(-1, 9), v.integer(-1, 9), v.integer(0, 7)
        accept(level.getBlock, x, y)
        accept(level.getTexture, k, x, y)
        accept(level.setTextureIndex, v.integer(0, 300), k, x, y)
        accept(level.setBlock, v.integer(0, 7), x, y)
    target = b.Texture(v.small(1, 40), v.small(1, 30))
    renderer = b.RaycastingRenderer(target, level)
    camera = renderer.getCamera()
    camera.pos.x, camera.pos.y = v.number(-1, 9), v.number(-1, 9)
    camera.dir.x, camera.dir.y = v.number(-1, 1), v.number(-1, 1)
    accept(setattr, camera, "fov", v.integer(-10, 400))
    accept(setattr, camera, "pitch", v.integer(-60, 60))
    accept(setattr, camera, "ratio", v.number(0, 3))
    if fdp.ConsumeBool():
        renderer._setFlashlight(b.Texture(v.small(1, 9), v.small(1, 9)))
    ecs = b.Ecs(None)
    ecs.addSystem(renderer)
    if fdp.ConsumeBool():
        accept(ecs.addSystem, b.MovementSystem(level))
    accept(level.syncEntitiesToEcs, ecs)
    accept(ecs.update, v.number(0, 0.1))
    accept(renderer.render)
    w, h = target.getSize()
    for _ in range(v.small(0, 3)):
        x, y = v.integer(-1, w), v.integer(-1, h)
        accept(renderer.getEntityAtScreenCoords, x, y)
        accept(renderer.getWorldPosByScreenCoords, x, y)
        accept(renderer.getWorldCellByScreenCoords, x, y)
    accept(renderer.castRay, b.Vector2(v.number(-1, 9), v.number(-1, 9)), b.Vector2(v.number(-1, 1), v.number(-1, 1)))
    accept(level.syncEntitiesFromEcs, ecs)


def huge_grid(parsed):
    """A grid above 2^20 cells that the loader accepts: each such load allocates up to 470 MB,
    which only slows the search down."""
    w, h = parsed.get("width"), parsed.get("height")
    return type(w) is int and type(h) is int and 0 < w and 0 < h and w * h > 2**20


def skipped(header):
    try:
        parsed = json.loads(header)
    except Exception:
        return False
    return isinstance(parsed, dict) and huge_grid(parsed)


def test_one_input(data):
    fdp = atheris.FuzzedDataProvider(data)
    v = LevelValues(fdp)
    with tempfile.TemporaryDirectory(dir=ASSETS) as work:
        path = os.path.join(work, "a.lvl")
        header = fdp.ConsumeUnicodeNoSurrogates(v.small(0, 200)) if v.small(0, 9) == 0 else encode(v.header())
        if skipped(header):
            return
        with open(path + ".json", "w") as f:
            f.write(header)
        with open(path, "wb") as f:
            f.write(fdp.ConsumeBytes(v.small(0, 8 * 8 * 7 + 20)))
        level = accept(b.Level, path, ASSETS)
        if level is not None:
            accept(use_level, v, level)
            accept(level.saveFile, path)
            accept(b.Level, path, ASSETS)
    settle()


if __name__ == "__main__":
    run(test_one_input)
