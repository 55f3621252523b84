"""The demo's game logic in process: picking, the trigger, the patrol, the menu and its sliders."""
import math
import subprocess
import sys
from pathlib import Path

import pytest

import brovaline as b

EXAMPLES = Path(__file__).resolve().parents[1] / "examples"
sys.path.insert(0, str(EXAMPLES))

from demo_game.game import Game  # noqa: E402


@pytest.fixture(scope="module")
def assets(tmp_path_factory):
    out = tmp_path_factory.mktemp("assets")
    subprocess.run([sys.executable, str(EXAMPLES / "make_assets.py"), str(out)], check=True, capture_output=True,
                   timeout=300)
    return out


@pytest.fixture
def game(assets):
    """A player-controlled game in a hidden window; the engine's shared tables are emptied afterwards."""
    yield Game(assets, show=False)
    for timer in list(b.Engine._timers):
        timer.cancel()
    b.Engine._timers.clear()
    b.Engine._eventSubscribers.clear()
    b.Engine._tasks.clear()


def look(game, x, y, heading):
    camera = game.world.camera
    camera.pos.x, camera.pos.y = x, y
    camera.dir.x, camera.dir.y = math.cos(math.radians(heading)), math.sin(math.radians(heading))
    game.engine.update()   # renders the view that picking reads


def entity(game, kind, moving=None):
    found = [e for e in game.world.entities_of(kind)
             if moving is None or (e.getComponent(b.VelocityComponent) is not None) == moving]
    return found[0]


def test_picking_a_barrel_pushes_it_along_the_view(game):
    look(game, 5.0, 2.5, 0)
    picked = game.pick_centre()
    assert game.world.kind(picked) == "barrel"
    impulse = picked.getComponent(b.VelocityComponent).impulse
    assert (impulse.x, impulse.y) == pytest.approx((6.0, 0.0))


def test_view_line_names_the_surface_and_the_nearest_body_ahead(game):
    look(game, 5.0, 2.5, 0)
    game.engine.update()
    assert game.hud.view.text == "looking at the west face of block (9, 2); barrel 1.7 cells ahead"


def test_picking_an_orb_switches_its_colour(game):
    look(game, 4.5, 6.5, 0)
    orb = game.pick_centre()
    assert game.world.kind(orb) == "orbs"
    assert orb.getComponent(b.SpriteComponent).currentAnimationKey == "cold"
    game.pick_centre()
    assert orb.getComponent(b.SpriteComponent).currentAnimationKey == "warm"


def test_picking_a_sentinel_zaps_it(game):
    look(game, 16.5, 17.5, 90)
    sentinel = game.pick_centre()
    assert sentinel is entity(game, "sentinel", moving=False)
    assert sentinel.getComponent(b.SpriteComponent).currentAnimationKey == "zapped"
    assert game.hud.note.text == f"Zapped sentinel #{sentinel.id}!"


def test_picking_a_wall_names_it(game):
    look(game, 5.0, 5.2, 0)
    assert game.pick_centre() is None
    assert game.hud.note.text == "Nothing to zap there: west face of block (9, 5)."


def test_crystal_chimes_once_when_entered(game):
    look(game, 16.5, 3.7, -90)
    assert game.hud.note.text == "The crystal chimes."
    game.hud.note.text = ""
    game.engine.update()
    assert game.hud.note.text == ""


def test_patrolling_sentinel_turns_back_at_the_end_of_its_beat(game):
    sentinel = entity(game, "sentinel", moving=True)
    sentinel.getComponent(b.PositionComponent).y = 27.8
    game.engine.update()
    assert sentinel.getComponent(b.VelocityComponent).y < 0
    assert sentinel.getComponent(b.RotationComponent).dir.y == pytest.approx(-1.0)


def test_menu_opens_over_the_scene_stops_the_player_and_sets_volumes(game):
    velocity = game.world.player.getComponent(b.VelocityComponent).velocity
    velocity.x = 1.0
    game.toggle_menu()
    game.engine.update()
    assert game.menu.panel in game.ui.widget.getChildren()
    assert (velocity.x, velocity.y) == (0.0, 0.0)
    game.menu.music_volume.value = 40
    game.menu.sound_volume.value = 70
    assert (b.getMusicVolume(), b.getSoundVolume()) == (40, 70)
    game.toggle_menu()
    assert game.menu.panel not in game.ui.widget.getChildren()


def test_fog_toggles_between_the_level_fog_and_a_thick_haze(game):
    level = game.world.level
    original = (level.fogColor, level.fogDensity, level.groundFogDensity)
    game.toggle_fog()
    assert (level.fogColor, level.fogDensity, level.groundFogDensity) == ((125, 118, 145), 26, 70)
    assert game.hud.note.text == "Thick fog."
    game.toggle_fog()
    assert (level.fogColor, level.fogDensity, level.groundFogDensity) == original == ((34, 30, 48), 9, 22)


def test_wind_loop_starts_and_outdoors_follows_the_open_sky(game):
    look(game, 2.5, 6.5, 0)                   # the hall: the loop runs, paused
    assert game.audio.wind.isPlaying() == 1
    assert not game.world.is_outdoors()
    look(game, 13.0, 15.0, 0)                 # the courtyard
    assert game.world.is_outdoors()
