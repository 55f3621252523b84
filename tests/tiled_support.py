"""Levels and maps for the Tiled tests: a small level with every kind of content, the real Tiled
run headless, and a comparison of levels that looks at pictures rather than file names."""
import os
import shutil
import subprocess

import numpy as np
import pytest

import brovaline as b
from brovaline_tools.level import read_level
from brovaline_tools.level.model import LevelData, write_level

COLOURS = [0xFF000000 | (i * 0x3A5F27 & 0xFFFFFF) for i in range(1, 40)]


def write_picture(path, width, height, seed):
    pixels = np.full((height, width), COLOURS[seed % len(COLOURS)], np.uint32)
    pixels[0, 0] = 0xFF000000 | seed
    path.parent.mkdir(parents=True, exist_ok=True)
    texture = b.Texture(width, height)
    np.asarray(texture)[...] = pixels
    texture.saveFile(str(path))
    return path


def write_pictures(directory, textures=6, sprites=2):
    """Texture pictures tex0.png ... and sprite sheets sheet0.png ... in `directory`."""
    for i in range(textures):
        write_picture(directory / f"tex{i}.png", 8 + 8 * (i % 2), 8, i)
    for i in range(sprites):
        write_picture(directory / f"sheets/sheet{i}.png", 32, 16, 20 + i)
    write_picture(directory / "sky.png", 32, 8, 30)


def sample_header(textures=6, sprites=2, entities=None):
    return {
        "textures": [f"tex{i}.png" for i in range(textures)],
        "sprites": [{"texture": "sheets/sheet0.png", "xFrames": 4, "yFrames": 2,
                     "animations": {"walk": {"frames": 4, "directions": 2, "speed": 0.25}, "idle": {"frames": 1}}},
                    {"texture": "sheets/sheet1.png"}][:sprites],
        "skytex": "sky.png", "fogColor": [34, 30, 48], "fogDensity": 9, "groundFogColor": [190, 200, 225],
        "groundFogDensity": 22, "playerStart": {"x": 2.5, "y": 1.5, "angle": 90}, "title": "sample",
        "start": [1.5, 1.25],
        "entities": entities if entities is not None else [
            {"id": 1, "position": {"x": 2.5, "y": 1.5}, "sprite": {"sprite": 0, "scale": 0.55, "zOffset": 0.45,
                                                                    "currentAnimation": "walk", "blendMode": "add"},
             "rotation": {"x": 0.0, "y": 1.0}, "collision": {"radius": 0.3, "hasFlags": ["npc"], "ignoreFlags": []},
             "velocity": {"x": 0.0, "y": 1.2, "friction": 2.0, "impulse": {"x": 0.5, "y": 0.0}}},
            {"id": 2, "position": {"x": 3.2, "y": 2.7}, "health": {"points": 7, "regen": 0.5, "tags": ["boss"]}},
            {"position": {"x": 1.0, "y": 3.0}, "marker": {}},
            {"id": 4, "trigger": {"name": "door", "once": True}},
        ],
    }


def sample_grid(width=6, height=5, textures=6):
    """A walled grid with every block type, floors and ceilings open to the sky, and faces that
    differ within one cell."""
    grid = np.zeros((height, width, 7), np.uint8)
    grid[..., 1] = 1
    grid[..., 2] = 2
    grid[0, :, 0] = grid[-1, :, 0] = grid[:, 0, 0] = grid[:, -1, 0] = 1
    grid[..., 3:] = 3
    grid[1, 1:5, 0] = [2, 3, 4, 5]
    grid[2, 2, 3:] = [0, 1, 2, textures - 1]
    grid[3, 1:4, 2] = 255
    grid[3, 4, 1] = 255
    grid[2, 4, 3:] = [4, 4, 5, 5]   # faces kept in an empty cell
    return grid


def write_sample_level(directory, **header_options):
    write_pictures(directory)
    level = LevelData(sample_grid(), sample_header(**header_options), str(directory))
    write_level(level, directory / "level.lvl")
    return directory / "level.lvl"


def assets_as_pixels(level):
    """The header with every asset name replaced by that picture's pixels (as bytes)."""
    def pixels(name):
        if name in level.images:
            return np.asarray(level.images[name], np.uint32).tobytes()
        return np.array(b.Texture(level.asset_path(name)), np.uint32).tobytes()

    header = dict(level.header)
    header["textures"] = [pixels(n) for n in header.get("textures", [])]
    header["sprites"] = [dict(s, texture=pixels(s["texture"])) for s in header.get("sprites", [])]
    if "skytex" in header:
        header["skytex"] = pixels(header["skytex"])
    return header


def assert_same_level(expected, actual):
    if not isinstance(expected, LevelData):
        expected = read_level(expected)
    if not isinstance(actual, LevelData):
        actual = read_level(actual)
    assert actual.grid.tobytes() == expected.grid.tobytes()
    want, got = assets_as_pixels(expected), assets_as_pixels(actual)
    assert got == dict(want, width=expected.width, height=expected.height)


def tiled_export(fmt, source, target):
    """Runs the real Tiled headless: `tiled --export-map FORMAT SOURCE TARGET`. Without Tiled the test
    is skipped with the reason, or fails under CI."""
    if shutil.which("tiled") is None:
        message = "the Tiled editor ('tiled', Debian package tiled) is not installed: `make test` installs it"
        if os.environ.get("CI") == "true":
            pytest.fail(message)
        pytest.skip(message)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=str(target.parent))
    env.pop("LD_PRELOAD", None)  # the sanitizer runtimes of `make test-asan` are for the module only
    # absolute names: Tiled 1.8 resolves the image paths of a JSON map against the working directory
    result = subprocess.run(["tiled", "--export-map", fmt, str(source.resolve()), str(target.resolve())],
                            capture_output=True, text=True, timeout=120, env=env)
    assert result.returncode == 0 and target.exists(), result.stderr
    return target
