import os

import pytest
from conftest import run_script

import brovaline as b
from brovaline_tools.testing import VirtualJoystick, click, close_window, key_down, key_up, wheel
from brovaline_tools.testing.input import move_mouse_by, window_of
from brovaline_tools.testing.sdl_events import JOYDEVICEADDED, MOUSEBUTTONUP, flush_events, push, sdl_function

TESTS = os.path.dirname(__file__)


@pytest.fixture
def engine(engine):
    """The shared engine fixture with an empty SDL queue."""
    engine.update()
    flush_events()
    yield engine
    flush_events()


def recorder(engine, cls):
    got = []
    engine.subscribeEvent(cls, got.append)
    return got


# Key and mouse constants ---------------------------------------------------------------------------

KEY_ORDER = """
0 1 2 3 4 5 6 7 8 9 A AC_BACK AC_BOOKMARKS AC_FORWARD AC_HOME AC_REFRESH AC_SEARCH AC_STOP AGAIN ALTERASE
QUOTE APPLICATION AUDIOMUTE AUDIONEXT AUDIOPLAY AUDIOPREV AUDIOSTOP B BACKSLASH BACKSPACE BRIGHTNESSDOWN
BRIGHTNESSUP C CALCULATOR CANCEL CAPSLOCK CLEAR CLEARAGAIN COMMA COMPUTER COPY CRSEL CURRENCYSUBUNIT
CURRENCYUNIT CUT D DECIMALSEPARATOR DELETE DISPLAYSWITCH DOWN E EJECT END EQUALS ESCAPE EXECUTE EXSEL F F1 F2
F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 F13 F14 F15 F16 F17 F18 F19 F20 F21 F22 F23 F24 FIND G BACKQUOTE H HELP HOME
I INSERT J K KBDILLUMDOWN KBDILLUMTOGGLE KBDILLUMUP KP_0 KP_00 KP_000 KP_1 KP_2 KP_3 KP_4 KP_5 KP_6 KP_7 KP_8
KP_9 KP_A KP_AMPERSAND KP_AT KP_B KP_BACKSPACE KP_BINARY KP_C KP_CLEAR KP_CLEARENTRY KP_COLON KP_COMMA KP_D
KP_DBLAMPERSAND KP_DBLVERTICALBAR KP_DECIMAL KP_DIVIDE KP_E KP_ENTER KP_EQUALS KP_EQUALSAS400 KP_EXCLAM KP_F
KP_GREATER KP_HASH KP_HEXADECIMAL KP_LEFTBRACE KP_LEFTPAREN KP_LESS KP_MEMADD KP_MEMCLEAR KP_MEMDIVIDE
KP_MEMMULTIPLY KP_MEMRECALL KP_MEMSTORE KP_MEMSUBTRACT KP_MINUS KP_MULTIPLY KP_OCTAL KP_PERCENT KP_PERIOD
KP_PLUS KP_PLUSMINUS KP_POWER KP_RIGHTBRACE KP_RIGHTPAREN KP_SPACE KP_TAB KP_VERTICALBAR KP_XOR L LALT LCTRL
LEFT LEFTBRACKET LGUI LSHIFT M MAIL MEDIASELECT MENU MINUS MODE MUTE N NUMLOCKCLEAR O OPER OUT P PAGEDOWN
PAGEUP PASTE PAUSE PERIOD POWER PRINTSCREEN PRIOR Q R RALT RCTRL RETURN RETURN2 RGUI RIGHT RIGHTBRACKET RSHIFT
S SCROLLLOCK SELECT SEMICOLON SEPARATOR SLASH SLEEP SPACE STOP SYSREQ T TAB THOUSANDSSEPARATOR U UNDO UNKNOWN
UP V VOLUMEDOWN VOLUMEUP W WWW X Y Z AMPERSAND ASTERISK AT CARET COLON DOLLAR EXCLAIM GREATER HASH LEFTPAREN
LESS PERCENT PLUS QUESTION QUOTEDBL RIGHTPAREN UNDERSCORE
""".split()


def module_keys():
    return {name: value for name, value in vars(b).items() if name.startswith("KEY_")}


def test_key_constants_are_all_there_in_order_and_follow_the_value_rule():
    assert len(KEY_ORDER) == 236
    keys = module_keys()
    assert list(keys) == ["KEY_" + name for name in KEY_ORDER]
    assert max(keys.values()) == b.KEY_SLEEP and len(set(keys.values())) == 236
    for value in keys.values():
        assert type(value) is int and (value < 128 or value & 0x40000000)


@pytest.mark.parametrize("name, value", [
    ("A", 97), ("Z", 122), ("0", 48), ("9", 57), ("RETURN", 13), ("ESCAPE", 27), ("SPACE", 32), ("DELETE", 127),
    ("QUOTE", 39), ("BACKQUOTE", 96), ("QUOTEDBL", 34), ("UNKNOWN", 0), ("F1", 0x4000003A), ("F24", 0x40000073),
    ("LEFT", 0x40000050), ("LCTRL", 0x400000E0), ("RSHIFT", 0x400000E5), ("KP_ENTER", 0x40000058),
    ("RETURN2", 0x4000009E), ("BRIGHTNESSDOWN", 0x40000113), ("SLEEP", 0x4000011A),
])
def test_key_values(name, value):
    assert getattr(b, "KEY_" + name) == value


# Device queries ------------------------------------------------------------------------------------

@pytest.mark.parametrize("key, name", [(b.KEY_A, "A"), (b.KEY_ESCAPE, "Escape"), (b.KEY_F1, "F1"),
                                       (b.KEY_UNKNOWN, ""), (0x40000FFF, ""), (-5, "")])
def test_get_key_name(engine, key, name):
    assert engine.getKeyName(key) == name
    assert isinstance(engine.getKeyName(0x3FFFFFFF), str)  # not a code point: still text


@pytest.mark.parametrize("call", [
    lambda e, v: e.getKeyName(v), lambda e, v: e.isKeyPressed(v), lambda e, v: e.isMouseButtonPressed(v),
    lambda e, v: b.Joystick("pad", 1, 1).isButtonPressed(v), lambda e, v: b.Joystick("pad", 1, 1).getAxis(v),
    lambda e, v: b.Joystick("pad", v, 1), lambda e, v: b.Joystick("pad", 1, v),
])
def test_int_arguments(engine, call):
    with pytest.raises(TypeError, match="an integer is required"):
        call(engine, "a")
    with pytest.raises(TypeError, match="an integer is required"):
        call(engine, 1.0)
    with pytest.raises(OverflowError):
        call(engine, 2 ** 32)


def test_key_and_button_state_types(engine):
    result = engine.isKeyPressed(b.KEY_A)
    assert type(result) is int and result == 0
    for button in (b.MOUSE_LEFT, b.MOUSE_RIGHT, 0, -1, 33, 1000):
        assert engine.isMouseButtonPressed(button) is False


def test_capture_mouse(engine):
    try:
        engine.captureMouse(1)
        assert engine.isMouseCaptured() is True
        engine.captureMouse(None)
        assert engine.isMouseCaptured() is False
    finally:
        engine.captureMouse(False)


def test_pointer_position_and_clicks_are_in_target_pixels_wheel_unscaled(engine):
    engine.setWindowSize((128, 80))
    sdl_function("SDL_WarpMouseInWindow")(window_of(engine), 101, 51)
    assert engine.getMousePos() == (50, 25)
    clicks = recorder(engine, b.MouseClickEvent)
    wheels, more = recorder(engine, b.MouseWheelEvent), recorder(engine, b.MouseWheelEvent)
    push("button", type=MOUSEBUTTONUP, button=b.MOUSE_RIGHT, x=101, y=51)   # window pixels
    wheel(1, -3)
    engine.update()
    assert [(c.x, c.y, c.button) for c in clicks] == [(50, 25, 3)]
    assert [(w.x, w.y) for w in wheels] == [(1, -3)]
    assert more[0] is not wheels[0]


def test_mouse_distance_is_the_last_motion_of_the_frame(engine):
    assert engine.getMouseDist() == (0, 0)
    move_mouse_by(engine, 3, 4)
    move_mouse_by(engine, -7, 8)
    engine.update()
    assert engine.getMouseDist() == (-7, 8)
    engine.update()
    assert engine.getMouseDist() == (0, 0)


# Event translation ---------------------------------------------------------------------------------

def test_key_press_is_fired_once_with_one_shared_object(engine):
    seen = []
    engine.subscribeEvent(b.KeyEvent, lambda e: (seen.append(e), setattr(e, "isAlreadyHandled", True)))
    engine.subscribeEvent(b.KeyEvent, lambda e: seen.append((e, e.isAlreadyHandled)))
    key_down(b.KEY_A)
    key_down(b.KEY_A, repeat=True)
    key_up(b.KEY_A)
    engine.update()
    assert len(seen) == 4
    first, (same, flag) = seen[0], seen[1]
    assert same is first and flag is True
    assert type(first) is b.KeyEvent and first.key == b.KEY_A
    assert (first.isCtrlPressed, first.isAltPressed, first.isShiftPressed) == (False, False, False)


def test_key_presses_go_through_an_overridden_fire_event(engine):
    fired = []

    class Custom(b.Engine):
        def fireEvent(self, evt, evtType=None):
            fired.append(evt.key)

    custom = Custom()
    custom.init("custom", (32, 20), show=False)
    key_down(b.KEY_B)
    custom.update()
    assert fired == [b.KEY_B]


def test_escape_ends_run_after_the_frame(engine):
    keys = recorder(engine, b.KeyEvent)
    frames = []

    def watchdog(step, onDone):
        frames.append(step)
        if len(frames) > 3:
            raise RuntimeError("run did not stop")

    engine.addTask(watchdog)
    key_down(b.KEY_ESCAPE)
    engine.run(1000)
    assert [k.key for k in keys] == [27]
    assert len(frames) == 1 and engine.isRunning() is False


def test_escape_kept_when_not_killing(engine):
    e = b.Engine()
    e.init("keep", (32, 20), show=False, killWithEscapeKey=False)
    keys = recorder(e, b.KeyEvent)
    key_down(b.KEY_ESCAPE)
    e.update()
    assert [k.key for k in keys] == [27] and e.isRunning() is True


def test_quit_request_stops_without_destroying(engine):
    keys = recorder(engine, b.KeyEvent)
    close_window(engine)
    key_down(b.KEY_C)
    engine.update()
    assert engine.isRunning() is False
    assert [k.key for k in keys] == [b.KEY_C]  # the rest of the queue is still processed
    assert engine.getWindowSize() == (64, 40)


def test_each_click_handler_gets_its_own_event(engine):
    seen = []

    def first(e):
        seen.append(e)
        e.isAlreadyHandled = True

    def second(e):
        seen.append((e, e.isAlreadyHandled))

    engine.subscribeEvent(b.MouseClickEvent, first)
    engine.subscribeEvent(b.MouseClickEvent, second)
    click(engine, 3, 4)
    engine.update()
    assert len(seen) == 2
    other, flag = seen[1]
    assert other is not seen[0] and flag is False
    assert (other.x, other.y) == (3, 4)


def test_click_subscribers_of_the_base_class_get_nothing(engine):
    events = recorder(engine, b.Event)
    click(engine, 3, 4)
    wheel(0, 1)
    engine.update()
    assert events == []


def test_handler_exception_is_reported_and_the_queue_kept(engine, monkeypatch):
    reports = []
    monkeypatch.setattr("sys.unraisablehook", reports.append)
    keys = []

    def handler(e):
        keys.append(e.key)
        if e.key == b.KEY_A:
            raise ValueError("bad key")

    engine.subscribeEvent(b.KeyEvent, handler)
    later = recorder(engine, b.KeyEvent)
    ran = []
    engine.addTask(lambda step, onDone: ran.append(step))
    key_down(b.KEY_A)
    key_down(b.KEY_B)
    engine.update()  # does not raise
    assert keys == [b.KEY_A] and later == [] and len(ran) == 1
    assert len(reports) == 1
    assert reports[0].object == "brovaline.Engine._updateInput"
    assert isinstance(reports[0].exc_value, ValueError)
    engine.update()
    assert keys == [b.KEY_A, b.KEY_B] and [k.key for k in later] == [b.KEY_B]


def test_click_handler_exception_stops_the_remaining_handlers(engine, monkeypatch):
    reports = []
    monkeypatch.setattr("sys.unraisablehook", reports.append)
    engine.subscribeEvent(b.MouseClickEvent, lambda e: 1 / 0)
    after = recorder(engine, b.MouseClickEvent)
    click(engine, 1, 1)
    engine.update()
    assert after == [] and isinstance(reports[0].exc_value, ZeroDivisionError)


# Joysticks -----------------------------------------------------------------------------------------

def test_joystick_class():
    j = b.Joystick("pad", 2, 12)
    assert str(j) == "Joystick\n    name:    pad\n    axes:    2\n    buttons: 12\n"
    assert type(j.isButtonPressed(0)) is int and j.getAxis(0) == 0.0  # no device behind it
    with pytest.raises(TypeError, match="Argument 'name' has incorrect type"):
        b.Joystick(5, 1, 1)


def test_joystick_added_and_removed(engine, capsys):
    added = recorder(engine, b.JoystickAddedEvent)
    before = len(engine.joysticks)
    pad = VirtualJoystick(axes=2, buttons=3)
    engine.update()
    assert len(added) == 1
    j = added[0].joystick
    assert engine.joysticks[before:] == [j] and b.Engine._joysticks[-1] is j
    assert (j.name, j.axes, j.buttons) == ("Virtual Joystick", 2, 3)

    pad.press(1)
    pad.set_axis(0, -1.0)
    pad.set_axis(1, 1.0)
    engine.update()
    assert (j.isButtonPressed(0), j.isButtonPressed(1)) == (0, 1)
    assert (j.getAxis(0), j.getAxis(1)) == (-1.0, 32767 / 32768)

    pad.detach()
    engine.update()
    assert capsys.readouterr().out == "Joystick removed\n"
    assert engine.joysticks[-1] is j


def test_devices_added_in_one_frame_are_each_announced(engine):
    added = recorder(engine, b.JoystickAddedEvent)
    VirtualJoystick(axes=2, buttons=1)
    VirtualJoystick(axes=4, buttons=1)
    engine.update()
    assert [e.joystick.axes for e in added] == [2, 4]


def test_joystick_that_cannot_be_opened_is_skipped(engine):
    added = recorder(engine, b.JoystickAddedEvent)
    keys = recorder(engine, b.KeyEvent)
    before = len(engine.joysticks)
    push("jdevice", type=JOYDEVICEADDED, which=99)
    key_down(b.KEY_A)
    engine.update()
    assert added == [] and len(engine.joysticks) == before and len(keys) == 1


def test_joystick_outlives_sdl():
    result = run_script(f"""
        import brovaline as b
        from brovaline_tools.testing import VirtualJoystick
        e = b.Engine()
        e.init("joy", (32, 20), show=False)
        VirtualJoystick(axes=2, buttons=2)
        e.update()
        j = e.joysticks[0]
        e.quit()
        print(j.isButtonPressed(0), j.getAxis(1))
    """)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines()[-1] == "0 0.0"
