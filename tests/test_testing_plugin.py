"""brovaline_tools.testing and its pytest plugin: the headless engine, injected input, fixed steps,
golden frames and contacts. Plugin behaviour seen from a test run goes through pytester."""
import re
from pathlib import Path

import pytest

import brovaline as b
from brovaline_tools.testing import (ContactBeganEvent, ContactEndedEvent, ContactSystem, FrameMismatch,
                                     VirtualJoystick, assert_frame, click, click_widget, close_window, key_down,
                                     key_up, move_mouse, move_mouse_by, run_frames, side_of, tap, type_text, wheel)
from ui_support import make_renderer, theme  # noqa: F401

pytest_plugins = ["pytester"]
DOCS = Path(__file__).resolve().parents[1] / "docs" / "testing.md"


def recorder(engine, cls):
    got = []
    engine.subscribeEvent(cls, got.append)
    return got


# The plugin in a test run --------------------------------------------------------------------------

def test_engine_fixture_sizes_and_clean_state(pytester):
    pytester.makepyfile("""
        import pytest
        import brovaline as b

        @pytest.mark.brovaline(size=(48, 30), killWithEscapeKey=False)
        def test_marker_size(engine):
            assert engine.isRunning() and engine.getWindowSize() == (48, 30)
            engine.subscribeEvent(b.KeyEvent, print)
            engine.addTask(lambda step, done: False)
            engine.ecs.addSystem(b.AbstractSystem())
            engine.ecs.addEntity(b.Entity())
            pytest.shared = engine

        def test_default_size_and_nothing_left(engine):
            assert engine.getWindowSize() == (320, 200)
            assert b.Engine._eventSubscribers == {} and b.Engine._tasks == []
            assert pytest.shared.ecs.getSystems() == [] and pytest.shared.ecs.getEntities() == []

        class TestOverride:
            @pytest.fixture
            def engine_size(self):
                return (20, 10)

            def test_size_fixture(self, engine):
                assert engine.getWindowSize() == (20, 10)
    """)
    pytester.runpytest().assert_outcomes(passed=3)


def test_leaked_running_timer_fails_loudly(pytester):
    pytester.makepyfile("""
        def test_leaks(engine):
            engine.addTaskAfter(60, lambda step, done: True)

        def test_cancels_its_own(engine):
            engine.addTaskAfter(60, lambda step, done: True)
            engine._timers[0].cancel()

        def test_nothing_left_over(engine):
            assert engine._timers == [] and engine._tasks == []
    """)
    result = pytester.runpytest()
    result.assert_outcomes(passed=3, errors=1)
    result.stdout.fnmatch_lines(["*left 1 delayed task(s) running (addTaskAfter): 60 s -> *"])


def test_goldens_created_updated_and_failing(pytester, monkeypatch):
    pytester.makepyfile("""
        import brovaline as b
        import os

        def test_frame(assert_frame):
            texture = b.Texture(8, 6)
            texture.fill(tuple(int(v) for v in os.environ["COLOUR"].split(",")))
            assert_frame(texture, "square")
    """)
    goldens = pytester.path / "goldens"
    monkeypatch.setenv("COLOUR", "10,20,30")
    result = pytester.runpytest()
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(["*no golden frame *square.png; wrote *square.actual.png*--update-goldens*"])
    assert sorted(p.name for p in goldens.iterdir()) == ["square.actual.png"]

    pytester.runpytest("--update-goldens").assert_outcomes(passed=1)
    assert sorted(p.name for p in goldens.iterdir()) == ["square.png"]
    monkeypatch.setenv("COLOUR", "12,20,30")     # within the tolerance of 2
    pytester.runpytest().assert_outcomes(passed=1)

    monkeypatch.setenv("COLOUR", "10,90,30")
    result = pytester.runpytest()
    result.assert_outcomes(failed=1)
    result.stdout.fnmatch_lines(["*100.00% of the pixels differ * by more than 2 (allowed: 0.10%; largest difference 70)*"])
    assert sorted(p.name for p in goldens.iterdir()) == ["square.actual.png", "square.diff.png", "square.png"]
    diff = b.Texture(str(goldens / "square.diff.png"))
    assert set(int(v) for v in __import__("numpy").asarray(diff).ravel()) == {0xFFFF0000}

    pytester.runpytest("--update-goldens").assert_outcomes(passed=1)
    assert sorted(p.name for p in goldens.iterdir()) == ["square.png"]
    pytester.runpytest().assert_outcomes(passed=1)


def test_documented_tiny_game_passes_its_tests(pytester):
    files = dict(re.findall(r"<!-- file: (\S+) -->\n```python\n(.*?)```", DOCS.read_text(), re.S))
    assert sorted(files) == ["test_tiny_game.py", "tiny_game.py"]
    for name, source in files.items():
        (pytester.path / name).write_text(source)
    pytester.runpytest("--update-goldens").assert_outcomes(passed=4)
    pytester.runpytest().assert_outcomes(passed=4)


# Golden frames without pytest ---------------------------------------------------------------------

def test_assert_frame_shares_and_sizes(tmp_path):
    texture = b.Texture(10, 10)
    texture.fill((0, 0, 0))
    assert_frame(texture, "black", tmp_path, update=True)
    pixels = __import__("numpy").asarray(texture)
    pixels[0, 0] = 0xFFFFFFFF                       # 1 % of the pixels
    assert_frame(texture, "black", tmp_path, max_share=0.01)
    with pytest.raises(FrameMismatch, match="1.00% of the pixels"):
        assert_frame(texture, "black", tmp_path, max_share=0.005)
    with pytest.raises(FrameMismatch, match="the picture is 4 x 2 pixels, the golden frame .* 10 x 10"):
        assert_frame(b.Texture(4, 2), "black", tmp_path)
    assert not (tmp_path / "black.diff.png").exists()
    assert_frame(tmp_path / "black.png", "black", tmp_path)   # a screenshot file compares too
    for bad in ("../x", "x.png", ""):
        with pytest.raises(ValueError, match="plain file name"):
            assert_frame(texture, bad, tmp_path)
    with pytest.raises(TypeError, match="not list"):
        assert_frame([1, 2], "black", tmp_path)


# Fixed steps ---------------------------------------------------------------------------------------

def test_fixed_steps_make_game_time_exact(engine):
    steps = []
    engine.addTask(lambda step, done: steps.append(step))
    assert run_frames(engine, 120, 1 / 60) == 2.0
    assert steps == [1 / 60] * 120 and engine.fixedTimeStep is None
    engine.fixedTimeStep = 0.25
    engine.update()
    assert (engine.getTimeStep(), engine.getFps(), steps[-1]) == (0.25, 4.0, 0.25)
    engine.fixedTimeStep = None
    engine.update()                                 # measured again, in whole milliseconds
    assert engine.getTimeStep() == 0.25 or engine.getTimeStep() * 1000 == pytest.approx(round(engine.getTimeStep() * 1000))
    for bad in (-1, float("inf"), float("nan")):
        with pytest.raises(ValueError, match="fixedTimeStep must be a positive number of seconds or None"):
            engine.fixedTimeStep = bad
    with pytest.raises(TypeError):
        engine.fixedTimeStep = "fast"
    with pytest.raises(ValueError, match="frame count"):
        run_frames(engine, -1)


def test_run_frames_stops_with_the_engine(engine):
    engine.addTask(lambda step, done: close_window(engine))   # the request arrives in the next frame
    assert run_frames(engine, 10, 0.5) == 1.0 and not engine.isRunning()


# Input ---------------------------------------------------------------------------------------------

@pytest.mark.brovaline(size=(64, 40), killWithEscapeKey=False)
def test_keys_hold_their_state_and_modifiers(engine):
    keys = []
    engine.subscribeEvent(b.KeyEvent, lambda e: keys.append((engine.getKeyName(e.key), e.isShiftPressed)))
    key_down(b.KEY_RSHIFT)
    key_down(b.KEY_A)
    engine.update()
    assert engine.isKeyPressed(b.KEY_A) == 1 and keys == [("Right Shift", True), ("A", True)]
    key_up(b.KEY_A)
    key_up(b.KEY_RSHIFT)
    tap(b.KEY_ESCAPE)
    engine.update()
    assert engine.isKeyPressed(b.KEY_A) == 0 and keys[-1] == ("Escape", False)
    keys.clear()
    type_text(engine, "Go 1\n")
    assert keys == [("Left Shift", True), ("G", True), ("O", False), ("Space", False), ("1", False),
                    ("Return", False)]
    with pytest.raises(ValueError, match=r"cannot type 'é' \(character 1 of 'aé'\)"):
        type_text(engine, "aé")
    with pytest.raises(ValueError, match="key code 12345 has no key"):
        key_down(12345)


@pytest.mark.brovaline(size=(320, 200))
def test_mouse_moves_clicks_and_wheel_in_target_pixels(engine):
    engine.ecs.addSystem(b.Renderer(b.Texture(320, 200)))
    engine.setWindowSize((640, 400))                # the picture is stretched twice
    clicks, wheels = recorder(engine, b.MouseClickEvent), recorder(engine, b.MouseWheelEvent)
    move_mouse(engine, 10, 20)
    engine.update()
    assert engine.getMousePos() == (10, 20)
    move_mouse_by(engine, 6, -4)
    engine.update()
    assert engine.getMouseDist() == (6, -4) and engine.getMousePos() == (13, 18)
    click(engine, 100, 51, b.MOUSE_RIGHT)
    wheel(0, -2)
    engine.update()
    assert [(c.x, c.y, c.button) for c in clicks] == [(100, 51, b.MOUSE_RIGHT)]
    assert [(w.x, w.y) for w in wheels] == [(0, -2)]
    engine.captureMouse(True)
    try:
        move_mouse_by(engine, 30, 0)
        engine.update()
        assert engine.getMouseDist() == (30, 0) and engine.getMousePos() == (100, 51)
    finally:
        engine.captureMouse(False)


@pytest.mark.brovaline(size=(320, 200))
def test_click_widget_finds_the_button_on_screen(engine, theme):  # noqa: F811
    ui = make_renderer(theme, size=(320, 200))
    engine.ecs.addSystem(ui)
    ok, cancel = b.UIButton("OK"), b.UIButton("Cancel")
    ui.widget.addChild(ok, 20, 30)
    ui.widget.addChild(cancel, 200, 150)
    pressed = []
    ok.onClick = cancel.onClick = lambda evt: pressed.append(evt.target.getText())
    with pytest.raises(ValueError, match="'OK' has no area to click"):
        click_widget(engine, ok)
    engine.update()
    assert ok.rect[:2] == (20, 30) and ok.rect[2:] == (ok.width, ok.height)
    click_widget(engine, cancel)
    click_widget(engine, ok)
    assert pressed == ["Cancel", "OK"]
    ok.isVisible = False
    with pytest.raises(ValueError, match="'OK' is hidden"):
        click_widget(engine, ok)


def test_window_id_names_the_engine_window(engine):
    from brovaline_tools.testing.input import window_of
    assert engine.windowId > 0 and window_of(engine)
    with pytest.raises(RuntimeError, match="the engine has no window"):
        window_of(b.Engine())


def test_close_window_stops_the_loop(engine):
    close_window(engine)
    engine.run(1000)
    assert not engine.isRunning()


def test_virtual_joystick(engine):
    added = recorder(engine, b.JoystickAddedEvent)
    pad = VirtualJoystick(axes=2, buttons=3, hats=1)
    engine.update()
    (joystick,) = [e.joystick for e in added]
    pad.set_axis(1, -0.5)
    pad.press(2)
    pad.set_hat(0, 1)
    engine.update()
    assert (joystick.getAxis(1), joystick.isButtonPressed(2)) == (-0.5, 1)
    pad.release(2)
    engine.update()
    assert joystick.isButtonPressed(2) == 0
    with pytest.raises(IndexError, match="button 3 does not exist: the virtual joystick has 3 buttons"):
        pad.press(3)
    with pytest.raises(ValueError, match="outside -1.0 .. 1.0"):
        pad.set_axis(0, 2)
    pad.detach()
    with pytest.raises(RuntimeError, match="detached"):
        pad.press(0)


# Contacts ------------------------------------------------------------------------------------------

@pytest.mark.parametrize("dx, dy, side", [(1, 0, "east"), (0, 1, "south"), (-1, -1, "north-west"),
                                          (0.2, -1, "north"), (0, 0, None)])
def test_side_of(dx, dy, side):
    assert side_of(dx, dy) == side


def body(x, y, vx=0.0, radius=0.25):
    return b.Entity(-1, b.PositionComponent(b.Vector2(x, y)), b.VelocityComponent(b.Vector2(vx, 0)),
                    b.CollisionComponent(radius))


def test_contacts_begin_and_end_with_their_side(engine):
    level = b.Level()                               # 30 x 30 cells, walled around
    engine.ecs.addSystem(b.MovementSystem(level))
    contacts = ContactSystem(level)
    engine.ecs.addSystem(contacts)
    began, ended = recorder(engine, ContactBeganEvent), recorder(engine, ContactEndedEvent)
    mover, still = body(3.0, 5.0, vx=2.0), body(4.0, 5.0)
    engine.ecs.addEntity(mover)
    engine.ecs.addEntity(still)
    run_frames(engine, 10, 0.1)
    assert [(e.entity1, e.entity2, e.side) for e in began] == [(mover, still, "east")]
    assert contacts.touching(mover) == began and ended == []
    mover.getComponent(b.VelocityComponent).velocity.x = -2.0
    run_frames(engine, 2, 0.1)
    assert [(e.entity1, e.entity2, e.side) for e in ended] == [(mover, still, "east")]
    run_frames(engine, 11, 0.1)                     # on to the western wall
    assert (began[1].entity1, began[1].entity2, began[1].side) == (mover, None, "west")
    assert contacts.touching(mover, None, "west") == [began[-1]]
    mover.getComponent(b.VelocityComponent).velocity.x = 2.0
    run_frames(engine, 3, 0.1)
    assert (ended[-1].entity2, ended[-1].side) == (None, "west") and contacts.touching(mover) == []
