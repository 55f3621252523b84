"""SDL's event records as ctypes structures, and pushing them into the queue of the SDL the engine loaded.

Only the members the engine reads are spelled out; every record is padded to SDL_Event's 56 bytes.
"""
import ctypes
import functools
from ctypes import c_float, c_int16, c_int32, c_uint8, c_uint16, c_uint32, c_void_p

from ..sdl import loaded_sdl

QUIT = 0x100
WINDOWEVENT = 0x200
KEYDOWN = 0x300
KEYUP = 0x301
MOUSEMOTION = 0x400
MOUSEBUTTONDOWN = 0x401
MOUSEBUTTONUP = 0x402
MOUSEWHEEL = 0x403
JOYDEVICEADDED = 0x605
JOYDEVICEREMOVED = 0x606
WINDOWEVENT_CLOSE = 14

PRESSED, RELEASED = 1, 0


class Keysym(ctypes.Structure):
    _fields_ = [("scancode", c_int32), ("sym", c_int32), ("mod", c_uint16), ("unused", c_uint32)]


class QuitEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32)]


class WindowEvent(ctypes.Structure):
    _fields_ = [("type", c_uint32), ("timestamp", c_uint32), ("windowID", c_uint32), ("event", c_uint8),
                ("padding1", c_uint8), ("padding2", c_uint8), ("padding3", c_uint8), ("data1", c_int32),
                ("data2", c_int32)]


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
    _fields_ = [("type", c_uint32), ("quit", QuitEvent), ("window", WindowEvent), ("key", KeyboardEvent),
                ("motion", MouseMotionEvent), ("button", MouseButtonEvent), ("wheel", MouseWheelEvent),
                ("jdevice", JoyDeviceEvent), ("padding", c_uint8 * 56)]


assert ctypes.sizeof(Event) == 56


class Version(ctypes.Structure):
    _fields_ = [("major", c_uint8), ("minor", c_uint8), ("patch", c_uint8)]


# name: (argument types, result type) of the SDL functions used from Python
_SIGNATURES = {
    "SDL_PushEvent": ([ctypes.POINTER(Event)], ctypes.c_int),
    "SDL_GetError": ([], ctypes.c_char_p),
    "SDL_GetScancodeFromKey": ([c_int32], c_int32),
    "SDL_GetKeyboardState": ([ctypes.POINTER(ctypes.c_int)], ctypes.POINTER(c_uint8)),
    "SDL_GetModState": ([], c_uint16),
    "SDL_SetModState": ([c_uint16], None),
    "SDL_ResetKeyboard": ([], None),
    "SDL_PumpEvents": ([], None),
    "SDL_FlushEvents": ([c_uint32, c_uint32], None),
    "SDL_GetWindowFromID": ([c_uint32], c_void_p),
    "SDL_WarpMouseInWindow": ([c_void_p, c_int32, c_int32], None),
    "SDL_GetMouseState": ([ctypes.POINTER(c_int32), ctypes.POINTER(c_int32)], c_uint32),
    "SDL_GetRelativeMouseMode": ([], ctypes.c_int),
    "SDL_GetCurrentVideoDriver": ([], ctypes.c_char_p),
    "SDL_GetVersion": ([ctypes.POINTER(Version)], None),
    "SDL_SetHint": ([ctypes.c_char_p, ctypes.c_char_p], ctypes.c_int),
    "SDL_NumJoysticks": ([], ctypes.c_int),
    "SDL_JoystickGetDeviceInstanceID": ([ctypes.c_int], c_int32),
    "SDL_JoystickAttachVirtual": ([ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int], ctypes.c_int),
    "SDL_JoystickDetachVirtual": ([ctypes.c_int], ctypes.c_int),
    "SDL_JoystickOpen": ([ctypes.c_int], c_void_p),
    "SDL_JoystickClose": ([c_void_p], None),
    "SDL_JoystickSetVirtualAxis": ([c_void_p, ctypes.c_int, c_int16], ctypes.c_int),
    "SDL_JoystickSetVirtualButton": ([c_void_p, ctypes.c_int, c_uint8], ctypes.c_int),
    "SDL_JoystickSetVirtualHat": ([c_void_p, ctypes.c_int, c_uint8], ctypes.c_int),
}


@functools.cache
def sdl_function(name):
    """An SDL function of the loaded copy, with its ctypes signature set."""
    function = getattr(loaded_sdl(), name)
    function.argtypes, function.restype = _SIGNATURES[name]
    return function


def sdl_error():
    return (sdl_function("SDL_GetError")() or b"").decode("utf-8", "replace")


def sdl_version():
    """(major, minor, patch) of the SDL the engine runs on."""
    version = Version()
    sdl_function("SDL_GetVersion")(ctypes.byref(version))
    return version.major, version.minor, version.patch


def push_event(event):
    """Appends one SDL_Event to the queue; the engine reads it in its next frame."""
    if sdl_function("SDL_PushEvent")(ctypes.byref(event)) != 1:
        raise RuntimeError("SDL_PushEvent failed: " + sdl_error())


def push(field, **values):
    """Pushes one event: `field` names the union member, `values` its fields (type included)."""
    event = Event()
    member = getattr(event, field)
    for name, value in values.items():
        setattr(member, name, value)
    push_event(event)


def flush_events():
    """Drops every queued event."""
    sdl_function("SDL_PumpEvents")()
    sdl_function("SDL_FlushEvents")(0, 0xFFFFFFFF)
