"""The demo program end to end: generated assets, a headless tour with screenshots, a real X window.
The game itself is played in process in test_demo_game.py."""
import json
import os
import shutil
import subprocess
import sys
import wave
from pathlib import Path

import numpy as np
import pytest
from PIL import Image

TESTS = Path(__file__).resolve().parent
EXAMPLES = TESTS.parent / "examples"
SIZE = (640, 400)
BACKGROUND = (0, 180, 100)   # what the raycaster leaves where nothing is drawn


def run_demo(cwd, *args, env=None, timeout=300):
    return subprocess.run([sys.executable, str(EXAMPLES / "demo.py"), *map(str, args)], cwd=cwd, env=env,
                          capture_output=True, text=True, timeout=timeout)


def headless_env():
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return env


def assert_shows_scene(path):
    image = np.asarray(Image.open(path).convert("RGB"), dtype=int)
    assert image.shape == (SIZE[1], SIZE[0], 3)
    colours = np.unique(image.reshape(-1, 3), axis=0)
    assert len(colours) > 300, f"{path.name}: only {len(colours)} colours"
    top, bottom = image[: SIZE[1] // 4].mean(axis=(0, 1)), image[-SIZE[1] // 4:].mean(axis=(0, 1))
    assert np.abs(top - bottom).sum() > 20, f"{path.name}: sky/ceiling and floor look the same"
    background = np.all(image == BACKGROUND, axis=-1).mean()
    assert background < 0.05, f"{path.name}: {background:.0%} of the frame is not drawn"
    return image


def test_generated_level_is_complete_and_closed(assets):
    header = json.loads((assets / "level.lvl.json").read_text())
    width, height = header["width"], header["height"]
    assert width >= 24 and height >= 24
    grid = np.frombuffer((assets / "level.lvl").read_bytes(), dtype=np.uint8).reshape(height, width, 7)
    border = np.concatenate([grid[0], grid[-1], grid[:, 0], grid[:, -1]])
    assert np.all(border[:, 0] == 1), "the outer wall must be closed"
    blocks = set(np.unique(grid[..., 0]))
    assert {0, 1, 2, 3, 4, 5} <= blocks, "square and all four diagonal blocks"
    open_cells = grid[grid[..., 0] == 0]
    assert np.any(open_cells[:, 2] == 255), "some cells open to the sky"
    walls = grid[grid[..., 0] != 0][:, 3:]
    assert walls.max() < len(header["textures"]) and len(np.unique(walls)) >= 4
    for name in [header["skytex"], *header["textures"], *(s["texture"] for s in header["sprites"])]:
        assert (assets / name).is_file(), name
    theme = json.loads((assets / "ui" / "theme.json").read_text())
    assert list(theme["fonts"]) == ["aileron"] and (assets / "ui" / theme["fonts"]["aileron"]["file"]).is_file()
    for wav in (assets / "sounds").glob("*.wav"):
        with wave.open(str(wav)) as w:
            assert w.getsampwidth() == 2 and w.getnframes() > 0
    assert (assets / "music" / "theme.ogg").read_bytes()[:4] == b"OggS"


def test_headless_tour_saves_screenshots_of_the_scene(assets, tmp_path):
    result = run_demo(tmp_path, "--frames", 6, "--shots", 3, "--assets", assets, env=headless_env())
    assert result.returncode == 0, result.stderr
    folder = tmp_path / "screenshots"
    assert str(folder) in result.stdout
    shots = sorted(folder.glob("*.png"))
    assert len(shots) == 3
    images = [assert_shows_scene(shot) for shot in shots]
    assert not np.array_equal(images[0], images[-1]), "the camera follows its path"


def test_missing_assets_are_reported(tmp_path):
    result = run_demo(tmp_path, "--frames", 1, "--assets", tmp_path / "nowhere", env=headless_env())
    assert result.returncode != 0
    assert "make_assets.py" in result.stderr


@pytest.fixture
def x_display():
    if shutil.which("Xvfb") is None:
        pytest.skip("Xvfb is not installed")
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        pytest.fail("Xvfb did not start")
    try:
        yield ":" + number
    finally:
        server.terminate()
        server.wait(timeout=10)


def test_window_under_xvfb(assets, tmp_path, x_display):
    env = {k: v for k, v in os.environ.items() if k != "WAYLAND_DISPLAY"}
    env.update(DISPLAY=x_display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
    result = run_demo(tmp_path, "--frames", 5, "--shots", 1, "--assets", assets, env=env)
    assert result.returncode == 0, result.stderr
    shots = sorted((tmp_path / "screenshots").glob("*.png"))
    assert len(shots) == 1
    assert_shows_scene(shots[0])
