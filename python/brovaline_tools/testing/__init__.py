"""Headless testing of brovaline games: an engine without a display, injected input, fixed time steps,
golden frames and contact notifications. Plain functions, usable with any test runner; the pytest
plugin (`brovaline_tools.testing.plugin`, registered on install) wraps them in fixtures.

Importing this package before `brovaline` chooses SDL's dummy video and audio drivers (unless the
environment names others): SDL starts when `brovaline` is imported. `DRIVERS_CHOSEN` tells whether
it came first.
"""
from .headless import use_dummy_drivers

DRIVERS_CHOSEN = use_dummy_drivers()

from .contacts import ContactBeganEvent, ContactEndedEvent, ContactEvent, ContactSystem, side_of  # noqa: E402
from .frames import DEFAULT_TIME_STEP, run_frames  # noqa: E402
from .golden import DEFAULT_MAX_SHARE, DEFAULT_TOLERANCE, FrameMismatch, assert_frame  # noqa: E402
from .headless import fire_delayed_tasks, reset_engine_state, start_engine  # noqa: E402
from .input import (click, click_widget, close_window, key_down, key_up, move_mouse, move_mouse_by,  # noqa: E402
                    press, release, release_all_keys, tap, type_text, wheel, widget_centre)
from .joystick import VirtualJoystick  # noqa: E402

__all__ = [
    "ContactBeganEvent", "ContactEndedEvent", "ContactEvent", "ContactSystem", "DEFAULT_MAX_SHARE",
    "DEFAULT_TIME_STEP", "DEFAULT_TOLERANCE", "FrameMismatch", "VirtualJoystick",
    "assert_frame", "click", "fire_delayed_tasks", "click_widget", "close_window", "key_down", "key_up", "move_mouse",
    "move_mouse_by", "press", "release", "release_all_keys", "reset_engine_state", "run_frames",
    "side_of", "start_engine", "tap", "type_text", "use_dummy_drivers", "wheel", "widget_centre",
]
