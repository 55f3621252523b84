"""`view`, driven by injected keys and mouse motion in a subprocess (it ends with Engine.quit())."""
import json
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

from brovaline_tools.level import Cell, level_from_text, write_level

TESTS = Path(__file__).resolve().parent
LEGEND = {"#": Cell("square", walls=0), ".": Cell()}

DRIVE = r"""
import json, math, sys
sys.path.insert(0, sys.argv[2])
import brovaline as b
import sdl_events as sdl
from brovaline_tools.level import read_level, write_level
from brovaline_tools.level.viewer import Viewer

path = sys.argv[1]
viewer = Viewer(path, (160, 100), show=False)
camera = viewer.camera
state = lambda: [camera.pos.x, camera.pos.y, math.degrees(math.atan2(camera.dir.y, camera.dir.x)), camera.pitch]
log = {"start": state()}
sdl.hold_key(b.KEY_W)
viewer.run(20)
sdl.hold_key(b.KEY_W, False)
viewer.run(5)
log["walked"] = state()
sdl.mouse_motion(80, 50, 300, 10)
viewer.run(1)
log["turned"] = state()
level = read_level(path)
level.grid[1, 5, 0] = 1                  # a new pillar, saved as a tool would
write_level(level, path)
viewer.run(2)
log["reloaded"] = state()
log["pillar"] = [viewer.level.getBlock(5, 1), viewer.renderer.level is viewer.level, viewer.reloads]
with open(path + ".json", "w") as f:
    f.write("{broken")
viewer.run(2)
log["after_broken_save"] = [viewer.level.getBlock(5, 1), viewer.reloads]
viewer.close()
print(json.dumps(log))
"""


@pytest.fixture
def level_path(tmp_path):
    level = level_from_text("""
        ##########
        #........#
        #........#
        ##########
    """, LEGEND, textures=["t.png"], start=[1.5, 1.5])
    level.images["t.png"] = np.full((4, 4), 0xFF808080, np.uint32)
    path = tmp_path / "walk.lvl"
    write_level(level, path)
    return path


def test_walking_turning_and_reloading_in_place(level_path):
    run = subprocess.run([sys.executable, "-c", DRIVE, str(level_path), str(TESTS)], capture_output=True,
                         text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    log = json.loads(run.stdout.strip().splitlines()[-1])
    x0, y0, facing0, pitch0 = log["start"]
    x1, y1, facing1, pitch1 = log["walked"]
    assert (x0, y0, facing0, pitch0) == (1.5, 1.5, 0.0, pitch1)
    assert x1 - x0 > 0.3 and y1 == pytest.approx(y0)              # walked east, the way it faces
    assert abs(log["turned"][2]) == pytest.approx(45, abs=0.5)    # 300 pixels of mouse motion
    assert log["turned"][3] == pitch1 - 6                         # 10 pixels down: the horizon drops
    assert log["reloaded"] == log["turned"]                       # the camera stayed where it was
    assert log["pillar"] == [1, True, 1]
    assert log["after_broken_save"] == [1, 1]                     # a broken save keeps the old level
    assert "not reloaded" in run.stderr and "walk.lvl.json" in run.stderr


def test_view_command_runs_a_number_of_frames_and_refuses_bad_input(level_path, tmp_path):
    command = [sys.executable, "-m", "brovaline_tools.level", "view"]
    run = subprocess.run(command + [str(level_path), "--frames", "3"], capture_output=True, text=True, timeout=60)
    assert run.returncode == 0, run.stderr
    run = subprocess.run(command + [str(tmp_path / "none.lvl")], capture_output=True, text=True, timeout=60)
    assert run.returncode == 2 and "none.lvl.json" in run.stderr
