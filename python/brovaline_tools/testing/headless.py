"""A headless engine for tests: SDL's dummy drivers, a hidden window, and the shared state reset after."""
import os
import sys

DUMMY_DRIVERS = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"}


def use_dummy_drivers():
    """Chooses SDL's dummy video and audio drivers unless the environment names others. SDL starts when
    `brovaline` is imported, so this must come first: returns False, choosing nothing, when
    `brovaline` has been imported already."""
    if "brovaline" in sys.modules:
        return False
    for name, value in DUMMY_DRIVERS.items():
        os.environ.setdefault(name, value)
    return True


def current_video_driver():
    """The video driver SDL runs on (None before SDL has started)."""
    from .sdl_events import sdl_function

    name = sdl_function("SDL_GetCurrentVideoDriver")()
    return name.decode() if name else None


def start_engine(size=(320, 200), title="brovaline test", **init_options):
    """A new engine, initialised with a hidden window of `size` (more `Engine.init` options by keyword)."""
    import brovaline

    init_options.setdefault("show", False)
    engine = brovaline.Engine()
    engine.init(title, tuple(size), **init_options)
    return engine


def clear_engine(engine):
    """Removes an engine's systems and entities and its fixed time step."""
    ecs = engine.ecs
    for system in list(ecs.getSystems()):
        ecs.removeSystem(system)
    ecs.removeAllEntities()
    engine.fixedTimeStep = None


def reset_engine_state(engine=None):
    """Returns the state shared by all engines to a fresh start: cancels the delay timers, empties the
    task list, the subscriber table and the joystick list, detaches virtual joysticks, releases held
    keys and drops queued events; with `engine`, also clears that engine (`clear_engine`). Returns the
    timers that were still running (a test that leaves one has leaked a delayed task)."""
    import brovaline

    from .input import release_all_keys
    from .joystick import detach_all_joysticks
    from .sdl_events import flush_events

    running = [timer for timer in list(brovaline.Engine._timers) if not timer.finished.is_set()]
    for timer in running:
        timer.cancel()
    for timer in running:
        timer.join()
    if engine is not None:
        clear_engine(engine)
    detach_all_joysticks()
    release_all_keys()
    flush_events()
    brovaline.Engine._timers.clear()
    brovaline.Engine._tasks.clear()
    brovaline.Engine._eventSubscribers.clear()
    brovaline.Engine._joysticks.clear()
    return running


def _delayed_task(timer):
    """The task a timer of `addTaskAfter` will add (found in its closure), else the timer's function."""
    function = timer.function
    names = getattr(getattr(function, "__code__", None), "co_freevars", ())
    cells = dict(zip(names, getattr(function, "__closure__", None) or ()))
    return cells["task"].cell_contents if "task" in cells else function


def describe_timers(timers):
    """"1.5 s -> Picking.zap.<locals>.recover, ...": each timer's delay and the task it would add."""
    tasks = [_delayed_task(timer) for timer in timers]
    return ", ".join(f"{timer.interval} s -> {getattr(task, '__qualname__', task)}" for timer, task in zip(timers, tasks))


def fire_delayed_tasks():
    """Adds every delayed task (`addTaskAfter`) whose timer is still waiting at once, as if its delay
    had passed: game time runs on fixed steps, the delays on the wall clock. Returns how many."""
    import brovaline

    waiting = [timer for timer in list(brovaline.Engine._timers) if not timer.finished.is_set()]
    for timer in waiting:
        timer.cancel()
        timer.function(*timer.args, **timer.kwargs)
    return len(waiting)
