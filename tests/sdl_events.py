"""Injects window-system events into SDL's queue (the library the engine has loaded) through ctypes."""
import ctypes
from ctypes import c_float, c_int32, c_uint8, c_uint16, c_uint32

from brovaline_tools.sdl import loaded_sdl

SDL = loaded_sdl()

QUIT = 0x100
KEYDOWN = 0x300
KEYUP = 0x301
MOUSEMOTION = 0x400
MOUSEBUTTONDOWN = 0x401
MOUSEBUTTONUP = 0x402
MOUSEWHEEL = 0x403
JOYDEVICEADDED = 0x605
JOYDEVICEREMOVED = 0x606

PRESSED, RELEASED = 1, 0


class Keysym(ctypes.Structure):
    _fields_ = [("scancode", c_int32), ("sym", c_int32), ("mod", c_uint16), ("unused", c_uint32)]


class QuitEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32)]


class KeyboardEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("windowID", c_uint32), ("state", c_uint8),
                ("repeat", c_uint8), ("padding2", c_uint8), ("padding3", c_uint8), ("keysym", Keysym)]


class MouseMotionEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("windowID", c_uint32), ("which", c_uint32),
                ("state", c_uint32), ("x", c_int32), ("y", c_int32), ("xrel", c_int32), ("yrel", c_int32)]


class MouseButtonEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("windowID", c_uint32), ("which", c_uint32),
                ("button", c_uint8), ("state", c_uint8), ("clicks", c_uint8), ("padding1", c_uint8),
                ("x", c_int32), ("y", c_int32)]


class MouseWheelEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("windowID", c_uint32), ("which", c_uint32),
                ("x", c_int32), ("y", c_int32), ("direction", c_uint32), ("preciseX", c_float),
                ("preciseY", c_float)]


class JoyDeviceEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("which", c_int32)]


class Event(ctypes.Union):
    _fields_ = [("type", c_uint32), ("quit", QuitEvent), ("key", KeyboardEvent), ("motion", MouseMotionEvent),
                ("button", MouseButtonEvent), ("wheel", MouseWheelEvent), ("jdevice", JoyDeviceEvent),
                ("padding", c_uint8 * 56)]


assert ctypes.sizeof(Event) == 56

SDL.SDL_PushEvent.argtypes = [ctypes.POINTER(Event)]
SDL.SDL_PushEvent.restype = ctypes.c_int
SDL.SDL_GetScancodeFromKey.argtypes = [c_int32]
SDL.SDL_GetScancodeFromKey.restype = c_int32
SDL.SDL_GetError.restype = ctypes.c_char_p


def _push(event):
    if SDL.SDL_PushEvent(ctypes.byref(event)) != 1:
        raise RuntimeError("SDL_PushEvent failed: " + SDL.SDL_GetError().decode())


def push(field, **values):
    """Pushes one event: `field` names the union member, `values` its fields (type included)."""
    event = Event()
    member = getattr(event, field)
    for name, value in values.items():
        setattr(member, name, value)
    _push(event)


def quit_request():
    push("quit", type=QUIT)


def _key(event_type, keycode, repeat):
    event = Event()
    event.key.type = event_type
    event.key.state = PRESSED if event_type == KEYDOWN else RELEASED
    event.key.repeat = repeat
    event.key.keysym.sym = keycode
    event.key.keysym.scancode = SDL.SDL_GetScancodeFromKey(keycode)
    _push(event)


def key_down(keycode, repeat=0):
    _key(KEYDOWN, keycode, repeat)


def key_up(keycode):
    _key(KEYUP, keycode, 0)


def mouse_motion(x, y, xrel, yrel):
    push("motion", type=MOUSEMOTION, x=x, y=y, xrel=xrel, yrel=yrel)


def mouse_button(x, y, button=1, released=True):
    push("button", type=MOUSEBUTTONUP if released else MOUSEBUTTONDOWN, x=x, y=y, button=button,
         state=RELEASED if released else PRESSED, clicks=1)


def click(x, y, button=1):
    """A press and a release at window pixel (x, y); only the release counts as a click."""
    mouse_button(x, y, button, released=False)
    mouse_button(x, y, button, released=True)


def mouse_wheel(x, y):
    push("wheel", type=MOUSEWHEEL, x=x, y=y, preciseX=float(x), preciseY=float(y))


def joystick_device(added, which):
    push("jdevice", type=JOYDEVICEADDED if added else JOYDEVICEREMOVED, which=which)


def flush():
    """Drops every queued event."""
    SDL.SDL_PumpEvents()
    SDL.SDL_FlushEvents(0, 0xFFFFFFFF)


SDL.SDL_GetWindowFromID.restype = ctypes.c_void_p
SDL.SDL_GetWindowTitle.argtypes = [ctypes.c_void_p]
SDL.SDL_GetWindowTitle.restype = ctypes.c_char_p
SDL.SDL_WarpMouseInWindow.argtypes = [ctypes.c_void_p, c_int32, c_int32]


def window_of(engine, max_id=4096):
    """The SDL_Window pointer of an initialised engine (found by giving its window a unique title)."""
    title = "window-%x" % id(engine)
    engine.setWindowTitle(title)
    for window_id in range(1, max_id):
        window = SDL.SDL_GetWindowFromID(window_id)
        if window and SDL.SDL_GetWindowTitle(window) == title.encode():
            return window
    raise LookupError("the engine has no window")


def warp_mouse(engine, x, y):
    """Moves the mouse to window pixel (x, y) of the engine's window (updates SDL's mouse state)."""
    SDL.SDL_WarpMouseInWindow(window_of(engine), x, y)
