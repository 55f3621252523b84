"""The demo played in process on the testing plugin: picking, the trigger, the patrol, the menu clicked
through its real buttons, the player's devices, and golden frames of the scripted tour."""
import math
import sys
from pathlib import Path

import pytest

import brovaline as b
from brovaline_tools.testing import (VirtualJoystick, click, click_widget, close_window, fire_delayed_tasks,
                                     move_mouse_by, run_frames, tap, wheel)

EXAMPLES = Path(__file__).resolve().parents[1] / "examples"
sys.path.insert(0, str(EXAMPLES))

from demo_game.game import Game  # noqa: E402


# The HUD's text comes from the system's FreeType: allow some differing pixels in the golden frames.
SCENE_SHARE = 0.01


@pytest.fixture
def game(assets, clean_engine_state):
    """A player-controlled game in a hidden window, stepping 1/60 s per frame."""
    game = Game(assets, show=False)
    game.engine.fixedTimeStep = 1 / 60
    return game


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
    assert fire_delayed_tasks() == 1          # the dizziness passes
    run_frames(game.engine, 1)
    assert sentinel.getComponent(b.SpriteComponent).currentAnimationKey != "zapped"


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


def test_menu_buttons_clicked_on_screen(game, assert_frame):
    tap(b.KEY_TAB)
    run_frames(game.engine, 2)                # opens the menu, then lays it out
    assert game.menu.is_open and not game.engine.isMouseCaptured()
    assert_frame(game.target, "demo-menu", max_share=SCENE_SHARE)
    light = game.world.flashlight_on
    click_widget(game.engine, game.menu.flashlight_button)
    assert game.world.flashlight_on is not light
    assert game.menu.flashlight_button.text == "Flashlight: " + ("on" if not light else "off")
    resume = next(w for w in game.menu.panel.getChildren() if isinstance(w, b.UIButton) and w.text == "Resume")
    click_widget(game.engine, resume)
    assert not game.menu.is_open and game.engine.isMouseCaptured()
    tap(b.KEY_TAB)
    run_frames(game.engine, 2)
    quit_button = game.menu.panel.getChildren()[-1]
    click_widget(game.engine, quit_button)
    assert game.quit_requested


def test_player_devices_turn_zoom_walk_and_zap(game):
    camera = game.world.camera
    run_frames(game.engine, 2)
    heading = camera.dir.getDegrees()
    move_mouse_by(game.engine, 100, 0)        # the pointer is captured: mouse look
    run_frames(game.engine, 1)
    assert camera.dir.getDegrees() - heading == pytest.approx(15.0)
    wheel(0, 2)
    run_frames(game.engine, 1)
    assert camera.fov == 50
    pad = VirtualJoystick(axes=4, buttons=2)
    run_frames(game.engine, 1)
    assert game.hud.note.text == "Gamepad connected: Virtual Joystick."
    pad.set_axis(1, -1.0)                     # left stick forwards
    run_frames(game.engine, 1)
    velocity = game.world.player.getComponent(b.VelocityComponent).velocity
    assert velocity * camera.dir == pytest.approx(2.6)
    assert velocity.x * camera.dir.y - velocity.y * camera.dir.x == pytest.approx(0.0, abs=1e-9)
    click(game.engine, 320, 200)
    run_frames(game.engine, 1)
    assert game.hud.note.text and "Gamepad" not in game.hud.note.text   # the zap's message
    close_window(game.engine)
    run_frames(game.engine, 1)
    assert not game.engine.isRunning()


def test_scripted_tour_golden_frames(assets, clean_engine_state, assert_frame):
    frames = 90
    game = Game(assets, show=False, frames=frames)
    shots = {}
    run_frames(game.engine, frames, after_frame=lambda i: shots.update({i: b.Texture(game.target)})
               if i in (0, 45, frames - 1) else None)
    fire_delayed_tasks()                      # the sentinel zapped on the way recovers
    for index, picture in shots.items():
        assert_frame(picture, f"demo-tour-{index:02d}", max_share=SCENE_SHARE)
