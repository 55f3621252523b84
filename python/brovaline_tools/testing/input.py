"""Input injected through the engine's real input path: SDL's event queue and device state.

Events are pushed into the queue of the SDL the engine loaded, so the engine sees them in its next
frame exactly as it sees a real keyboard, mouse or gamepad. Positions are in render-target pixels
(what the game reads from `MouseClickEvent` and `getMousePos`); the helpers scale them to the window.

SDL keeps some device state that pushed events alone do not change; the helpers update it as a real
driver would: the keyboard state (`isKeyPressed`, the modifier flags of `KeyEvent`) and the pointer
position (`getMousePos`, widget hover). The held state of mouse buttons (`isMouseButtonPressed`) is
private to SDL's mouse driver and cannot be set from outside: injected presses and releases arrive as
events (clicks), but `isMouseButtonPressed` keeps reporting the real mouse.
"""
import ctypes

import brovaline as b

from .sdl_events import (KEYDOWN, KEYUP, MOUSEBUTTONDOWN, MOUSEBUTTONUP, MOUSEMOTION, MOUSEWHEEL, PRESSED, QUIT,
                         RELEASED, WINDOWEVENT, WINDOWEVENT_CLOSE, Event, push, push_event, sdl_function)

# key code -> SDL_Keymod bit kept in SDL's modifier state while the key is down
_MODIFIER_BITS = {b.KEY_LSHIFT: 0x0001, b.KEY_RSHIFT: 0x0002, b.KEY_LCTRL: 0x0040, b.KEY_RCTRL: 0x0080,
                  b.KEY_LALT: 0x0100, b.KEY_RALT: 0x0200}
_SDL_NUM_SCANCODES = 512
_TEXT_KEYS = {"\n": b.KEY_RETURN, "\t": b.KEY_TAB, "\b": b.KEY_BACKSPACE}


def _scancode(key):
    scancode = sdl_function("SDL_GetScancodeFromKey")(key)
    if scancode <= 0:
        raise ValueError(f"key code {key!r} has no key on the keyboard (no SDL scancode)")
    return scancode


def _set_key_state(key, down):
    scancode = _scancode(key)
    sdl_function("SDL_GetKeyboardState")(None)[scancode] = 1 if down else 0
    bit = _MODIFIER_BITS.get(key)
    if bit:
        mods = sdl_function("SDL_GetModState")()
        sdl_function("SDL_SetModState")(mods | bit if down else mods & ~bit)
    return scancode


def _push_key(event_type, key, scancode, repeat=False):
    event = Event()
    event.key.type = event_type
    event.key.state = PRESSED if event_type == KEYDOWN else RELEASED
    event.key.repeat = 1 if repeat else 0
    event.key.keysym.sym = key
    event.key.keysym.scancode = scancode
    event.key.keysym.mod = sdl_function("SDL_GetModState")()
    push_event(event)


def key_down(key, repeat=False):
    """Presses a key (a `brovaline.KEY_*` code): it is held (`isKeyPressed`) until `key_up`."""
    _push_key(KEYDOWN, key, _set_key_state(key, True), repeat)


def key_up(key):
    """Releases a key."""
    _push_key(KEYUP, key, _set_key_state(key, False))


def tap(key):
    """Presses and releases a key: one `KeyEvent` in the next frame, the key is up again by then."""
    key_down(key)
    key_up(key)


def type_text(engine, text):
    """Types `text`, one character per frame (the engine runs a frame after each): capitals with the
    left shift held, so their `KeyEvent` reports shift. Letters, digits, space, the ASCII punctuation
    of unshifted keys, newline, tab and backspace."""
    for position, char in enumerate(text):
        key = _TEXT_KEYS.get(char, ord(char.lower()) if char.isascii() else None)
        if key is None or sdl_function("SDL_GetScancodeFromKey")(key) <= 0:
            raise ValueError(f"cannot type {char!r} (character {position} of {text!r}): no key produces it")
        if char.isupper():
            key_down(b.KEY_LSHIFT)
        tap(key)
        engine.update()
        if char.isupper():
            key_up(b.KEY_LSHIFT)


def release_all_keys():
    """Releases every held key and clears the modifiers (SDL 2.24 and later also queue the releases)."""
    try:
        sdl_function("SDL_ResetKeyboard")()
    except AttributeError:   # an older SDL: clear its key state array
        ctypes.memset(sdl_function("SDL_GetKeyboardState")(None), 0, _SDL_NUM_SCANCODES)
    sdl_function("SDL_SetModState")(0)


# --- mouse --------------------------------------------------------------------------------------

def window_of(engine):
    """The SDL_Window pointer of an initialised engine."""
    window = sdl_function("SDL_GetWindowFromID")(engine.windowId) if engine.windowId else None
    if not window:
        raise RuntimeError("the engine has no window: call engine.init(...) first")
    return window


def _target_size(engine):
    """The size of the picture the engine shows: its first renderer's target, else the window's."""
    for system in engine.ecs.getSystems():
        if isinstance(system, b.Renderer):
            target = system.getTarget()
            if isinstance(target, b.Texture):
                return target.getSize()
    return engine.getWindowSize()


def _to_window(engine, x, y):
    """Window pixel whose scaling back to the target gives (x, y) (the engine truncates)."""
    (tw, th), (ww, wh) = _target_size(engine), engine.getWindowSize()
    if not (tw and th and ww and wh):
        return int(x), int(y)
    return int((x + 0.5) * ww / tw), int((y + 0.5) * wh / th)


def mouse_position():
    """The pointer in window pixels as SDL keeps it."""
    x, y = ctypes.c_int32(), ctypes.c_int32()
    sdl_function("SDL_GetMouseState")(ctypes.byref(x), ctypes.byref(y))
    return x.value, y.value


def _motion(engine, wx, wy):
    """Puts the pointer at window pixel (wx, wy) and queues the motion with its relative part; a captured
    mouse (`captureMouse(True)`) only reports the relative motion and keeps its position."""
    old_x, old_y = mouse_position()
    if not sdl_function("SDL_GetRelativeMouseMode")():
        # the warp moves SDL's pointer (and queues a motion without relative part)
        sdl_function("SDL_WarpMouseInWindow")(window_of(engine), wx, wy)
    x, y = mouse_position()
    push("motion", type=MOUSEMOTION, windowID=engine.windowId, x=x, y=y, xrel=wx - old_x, yrel=wy - old_y)


def move_mouse(engine, x, y):
    """Moves the pointer to target pixel (x, y): `getMousePos` reports it at once, and the next frame
    receives the motion (`getMouseDist`, in window pixels)."""
    _motion(engine, *_to_window(engine, x, y))


def move_mouse_by(engine, dx, dy):
    """Relative motion of (dx, dy) window pixels, as `getMouseDist` reports it in the next frame (mouse
    look). A captured mouse only reports the motion; a free pointer also moves."""
    x, y = mouse_position()
    _motion(engine, x + dx, y + dy)


def _button(engine, event_type, x, y, button):
    if x is not None:
        move_mouse(engine, x, y)
    wx, wy = mouse_position()
    push("button", type=event_type, windowID=engine.windowId, button=button,
         state=PRESSED if event_type == MOUSEBUTTONDOWN else RELEASED, clicks=1, x=wx, y=wy)


def press(engine, x=None, y=None, button=b.MOUSE_LEFT):
    """Presses a mouse button, at target pixel (x, y) when given (the pointer moves there first)."""
    _button(engine, MOUSEBUTTONDOWN, x, y, button)


def release(engine, x=None, y=None, button=b.MOUSE_LEFT):
    """Releases a mouse button: the engine delivers a `MouseClickEvent` in the next frame."""
    _button(engine, MOUSEBUTTONUP, x, y, button)


def click(engine, x=None, y=None, button=b.MOUSE_LEFT):
    """A press and a release at target pixel (x, y) (default: where the pointer is)."""
    press(engine, x, y, button)
    release(engine, None, None, button)


def widget_centre(widget):
    """The centre of a widget's box as laid out by the last frame, in target pixels."""
    x, y, width, height = widget.rect
    if width < 2 or height < 2:
        raise ValueError(f"{type(widget).__name__} {widget_label(widget)}has no area to click ({width} x {height} "
                         "pixels): is it in the UI tree, and has a frame laid it out?")
    return x + width // 2, y + height // 2


def widget_label(widget):
    text = getattr(widget, "getText", lambda: None)()
    return f"{text!r} " if text else ""


def click_widget(engine, widget, button=b.MOUSE_LEFT):
    """Clicks the centre of a widget the way a player does, in two frames: the pointer moves onto it
    (the UI sees it hovered in the first frame), then the click arrives in the second."""
    if not widget.isVisible:
        raise ValueError(f"{type(widget).__name__} {widget_label(widget)}is hidden: a player cannot click it")
    move_mouse(engine, *widget_centre(widget))
    engine.update()
    click(engine, button=button)
    engine.update()


def wheel(x=0, y=1):
    """Turns the mouse wheel: y > 0 away from the user, x > 0 to the right."""
    push("wheel", type=MOUSEWHEEL, x=x, y=y, preciseX=float(x), preciseY=float(y))


def close_window(engine):
    """Closes the window as the window manager does: a close request for the window, then SDL's quit."""
    push("window", type=WINDOWEVENT, windowID=engine.windowId, event=WINDOWEVENT_CLOSE)
    push("quit", type=QUIT)
