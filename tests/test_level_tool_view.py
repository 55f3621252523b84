"""`view`, driven by injected keys and mouse motion in a subprocess (it ends with Engine.quit())."""
import json
import subprocess
import sys

import numpy as np
import pytest

from brovaline_tools.level import Cell, level_from_text, write_level

LEGEND = {"#": Cell("square", walls=0), ".": Cell()}

DRIVE = r"""
import json, math, sys
import brovaline as b
from brovaline_tools.level import read_level, write_level
from brovaline_tools.level.viewer import Viewer
from brovaline_tools.testing import input

path = sys.argv[1]
viewer = Viewer(path, (160, 100), show=False, max_fps=0)
viewer.engine.fixedTimeStep = 1 / 50
camera = viewer.camera
state = lambda: [camera.pos.x, camera.pos.y, math.degrees(math.atan2(camera.dir.y, camera.dir.x)), camera.pitch]
log = {"start": state()}
input.key_down(b.KEY_W)
viewer.run(25)                           # half a second
input.key_up(b.KEY_W)
viewer.run(5)
log["walked"] = state()
input.move_mouse_by(viewer.engine, 300, 10)
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
    run = subprocess.run([sys.executable, "-c", DRIVE, str(level_path)], capture_output=True,
                         text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    log = json.loads(run.stdout.strip().splitlines()[-1])
    x0, y0, facing0, pitch0 = log["start"]
    x1, y1, facing1, pitch1 = log["walked"]
    assert (x0, y0, facing0, pitch0) == (1.5, 1.5, 0.0, pitch1)
    assert x1 - x0 == pytest.approx(2.6 * 0.5, abs=0.06) and y1 == y0   # walked east for half a second
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
    run = subprocess.run(command + [str(tmp_path / "none.lvl"), "--frames", "3"], capture_output=True, text=True,
                         timeout=60)
    assert run.returncode == 2 and "none.lvl.json" in run.stderr
    run = subprocess.run(command + [str(level_path)], capture_output=True, text=True, timeout=60)
    assert run.returncode == 2 and "no display" in run.stderr       # rather than a hidden window forever
