import numpy as np
import pytest
from PIL import Image

import brovaline as b
from brovaline_tools.sdl import loaded_sdl
from conftest import run_script


def test_update_requires_init():
    e = b.Engine()
    assert not e.isRunning()
    with pytest.raises(b.EngineException) as info:
        e.update()
    assert info.value.msg == "The engine is not initialized, yet.Call init method first."
    e.run()  # returns at once


def test_init_opens_window_and_update_measures_time(engine):
    assert engine.isRunning()
    assert engine.getWindowSize() == (64, 40)
    assert isinstance(engine.ecs, b.Ecs) and engine.ecs is engine.ecs
    assert engine.getFps() == 0.0 and engine.getTimeStep() == 0.0
    import time
    time.sleep(0.005)
    engine.update()
    assert engine.getFps() > 0
    assert engine.getTimeStep() == pytest.approx(1.0 / engine.getFps())


def test_init_argument_handling():
    e = b.Engine()
    with pytest.raises(TypeError):
        e.init("x")
    with pytest.raises(TypeError):
        e.init("x", (1, 2), False, True, False, -1, None, False, 32, True, "extra")
    with pytest.raises(ValueError):
        e.init("x", (1, 2, 3), show=False)
    with pytest.raises(OverflowError):
        e.init("x", (2 ** 40, 2), show=False)
    with pytest.raises(b.EngineSdlException) as info:
        e.init("x", (10, 10), show=False, windowid=5)
    assert info.value.msg == "Could not initialize the rendering subsystem"
    assert not e.isRunning()


def test_window_operations(engine, tmp_path):
    engine.setWindowTitle("héllo")
    engine.setWindowSize((128, 80))
    assert engine.getWindowSize() == (128, 80)
    engine.setWindowPos((3, 4))
    assert isinstance(engine.getWindowPos(), tuple)
    with pytest.raises(ValueError):
        engine.setWindowPos((1, 2, 3))
    engine.setWindowIcon(str(tmp_path / "missing.png"))  # not reported
    assert engine.ecs is not None


def test_fullscreen_toggle_fires_event_and_restores_bounds(engine):
    events = []
    engine.subscribeEvent(b.FullscreenEvent, events.append)
    assert engine.isFullscreen() is False
    engine.toggleFullscreen()
    engine.toggleFullscreen()
    assert [(ev.oldValue, ev.newValue) for ev in events] == [(False, True), (True, False)]
    assert engine.getWindowSize() == (64, 40)


def test_fullscreen_init_switches_in_first_frame_without_event(clean_engine_state):
    e = b.Engine()
    events = []
    e.subscribeEvent(b.FullscreenEvent, events.append)
    e.init("fs", (32, 20), fullscreen=True, show=False)
    assert len(b.Engine._tasks) == 1
    e.update()
    assert e.isFullscreen() and events == [] and b.Engine._tasks == []


COLOUR = (0x33, 0x66, 0x99)


class Solid(b.Renderer):
    def render(self):
        self.getTarget().fill(COLOUR)


@pytest.mark.parametrize("size, renderer", [((64, 40), Solid), ((8, 4), b.Renderer), ((200, 100), b.Renderer)])
def test_screenshot_shows_the_renderer_target_clipped(engine, tmp_path, size, renderer):
    target = b.Texture(*size)
    if renderer is b.Renderer:  # filled ahead: the base render leaves the target as it is
        target.fill(COLOUR)
    engine.ecs.addSystem(renderer(target))
    engine.ecs.addSystem(b.Renderer(None))  # a renderer without a target adds nothing
    engine.update()
    path = tmp_path / "shot.png"
    engine.saveScreenshot(str(path))
    shot = np.asarray(Image.open(path).convert("RGB"))
    assert shot.shape == (40, 64, 3)
    w, h = min(size[0], 64), min(size[1], 40)
    coloured = (shot == COLOUR).all(axis=-1)
    # The overlap shows the target; nothing beyond it does (a read past a small target would).
    assert coloured[:h, :w].all() and coloured.sum() == w * h


def test_non_texture_target_raises(engine):
    class Bad(b.Renderer):
        def getTarget(self):
            return 5

    engine.ecs.addSystem(Bad(None))
    with pytest.raises(TypeError):
        engine.update()


def test_overridden_engine_methods_are_used():
    calls = []

    class MyEngine(b.Engine):
        def _ensureInit(self):
            calls.append("ensure")
            return b.Engine._ensureInit(self)

        def getFps(self):
            calls.append("fps")
            return 1000.0

        def update(self):
            calls.append("update")
            b.Engine.update(self)

    e = MyEngine()
    e.init("x", (16, 16), show=False)
    push_quit()
    e.run(1000)  # run finds update and getFps by lookup
    assert calls == ["update", "ensure", "fps"]


def push_quit():
    import ctypes
    event = (ctypes.c_uint8 * 56)()
    ctypes.c_uint32.from_buffer(event).value = 0x100  # SDL_QUIT
    loaded_sdl().SDL_PushEvent(event)


def test_class_level_attributes_are_shared():
    assert b.Engine.version == 0.1
    a, c = b.Engine(), b.Engine()
    assert a._tasks is c._tasks is b.Engine._tasks
    assert a._eventSubscribers is b.Engine._eventSubscribers
    assert a.joysticks == [] and a.joysticks is not b.Engine._joysticks


def test_tasks_run_each_frame_until_true(engine):
    seen = []

    def once(ts, onDone):
        seen.append(("once", type(ts)))
        return True

    def forever(ts, onDone):
        seen.append(("forever", onDone))
        return False

    engine.addTask(once)
    engine.addTask(forever, "done")
    engine.update()
    engine.update()
    assert seen == [("once", float), ("forever", "done"), ("forever", "done")]


def test_run_quit_and_escape_in_subprocess():
    result = run_script("""
        import brovaline as b
        e = b.Engine()
        e.init("x", (32, 20), show=False)
        frames = []
        def task(ts, done):
            frames.append(ts)
            if len(frames) == 3:
                e.quit()   # inside a frame: the rest of the frame must not touch the window
            return False
        e.addTask(task)
        e.ecs.addSystem(b.Renderer(b.Texture(32, 20)))
        e.addTaskAfter(30, lambda ts, d: True)
        e.run(200)
        print(len(frames), e.isRunning(), len(b.Engine._timers))
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["3", "False", "0"]


def test_quit_request_stops_run():
    result = run_script("""
        import ctypes, brovaline as b
        from brovaline_tools.sdl import loaded_sdl
        sdl = loaded_sdl()
        e = b.Engine()
        e.init("x", (32, 20), show=False)
        event = (ctypes.c_uint8 * 56)()
        ctypes.c_uint32.from_buffer(event).value = 0x100  # SDL_QUIT
        sdl.SDL_PushEvent(event)
        e.run(1000)
        print("stopped", e.isRunning())
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == ["stopped", "False"]
