"""The demo's scripted tour stays inside the open part of the level and only names real game actions."""
import sys
from pathlib import Path

import numpy as np
import pytest

EXAMPLES = Path(__file__).resolve().parents[1] / "examples"
sys.path.insert(0, str(EXAMPLES))

import brovaline as b  # noqa: E402
import make_assets  # noqa: E402
from assetgen import sprites, textures  # noqa: E402
from brovaline_tools.level import read_level  # noqa: E402
from demo_game.autopilot import TOUR, Autopilot  # noqa: E402
from demo_game.game import Game  # noqa: E402

CLEARANCE = 0.2   # the camera keeps at least this far from solid cells


def solid(grid, x, y):
    """Whether the point (x, y) lies in the solid part of its cell."""
    kind = grid[int(y), int(x), 0]
    fx, fy = x - int(x), y - int(y)
    if kind == b.BLOCK_EMPTY:
        return False
    # solid triangles: north-west, north-east, south-west corner (solid sides south and west), south-east
    return {b.BLOCK_SQUARE: True, b.BLOCK_TRIANGLE_NORTH_WEST: fx + fy < 1, b.BLOCK_TRIANGLE_NORTH_EAST: fx > fy,
            b.BLOCK_TRIANGLE_SOUTH_EAST: fx < fy, b.BLOCK_TRIANGLE_SOUTH_WEST: fx + fy > 1}[kind]


def test_tour_keeps_clear_of_walls(tmp_path):
    textures.generate(tmp_path)
    sprites.generate(tmp_path)
    make_assets.import_level(tmp_path)
    grid = read_level(tmp_path / "level.lvl").grid
    pilot = Autopilot(game=None, frames=2)
    offsets = [(np.cos(a) * CLEARANCE, np.sin(a) * CLEARANCE) for a in np.linspace(0, 2 * np.pi, 12, endpoint=False)]
    for t in np.linspace(0, 1, 3000):
        x, y, _ = pilot.pose(t)
        blocked = [(dx, dy) for dx, dy in [(0, 0), *offsets] if solid(grid, x + dx, y + dy)]
        assert not blocked, f"at t={t:.4f} the camera at ({x:.2f}, {y:.2f}) touches a wall"


@pytest.mark.parametrize("t, expected", [(0.0, TOUR[0]), (1.0, TOUR[-1])])
def test_tour_starts_and_ends_at_its_waypoints(t, expected):
    x, y, heading = Autopilot(game=None, frames=2).pose(t)
    assert (x, y) == pytest.approx(expected[:2])
    assert (heading - expected[2]) % 360 == pytest.approx(0, abs=1e-9)


def test_tour_actions_are_game_methods():
    for *_, action in TOUR:
        assert action is None or callable(getattr(Game, action, None)), action
