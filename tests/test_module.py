"""The module's namespace as a whole."""
import ctypes
import importlib
import types

import brovaline as b

HOST_MODULES = {"time": "time", "math": "math", "_json": "json", "traceback": "traceback", "os": "os",
                "_ospath": "posixpath", "_sys": "sys"}


# Names, constant values and class bases are checked against the type stub in test_stubs.py.


def test_every_class_comes_after_its_bases():
    order = [n for n, v in vars(b).items() if isinstance(v, type) and v.__module__ == "brovaline"]
    assert len(order) > 50
    for position, name in enumerate(order):
        for base in getattr(b, name).__bases__:
            if base.__module__ == "brovaline":
                assert order.index(base.__name__) < position, (name, base.__name__)


def test_host_modules_and_timer():
    for name, module in HOST_MODULES.items():
        value = getattr(b, name)
        assert isinstance(value, types.ModuleType) and value.__name__ == module, name
    import threading
    assert b.Timer is threading.Timer


def test_docstring_version_and_reimport():
    assert b.__doc__ == "\nBrovaline is a game engine with a raycasting renderer and some simple UI\ncapabilities.\n"
    assert b.Engine.version == 0.1
    assert importlib.import_module("brovaline") is b


def test_loaded_sdl_is_the_copy_the_engine_started():
    from brovaline_tools.sdl import loaded_sdl

    sdl = loaded_sdl()
    video, audio = 0x20, 0x10
    assert sdl.SDL_WasInit(0) & (video | audio) == video | audio
    assert sdl.Mix_QuerySpec(None, None, None) == 1 and sdl.TTF_WasInit() >= 1
    sdl.SDL_PushEvent.argtypes = [ctypes.c_char_p]
    assert loaded_sdl().SDL_PushEvent.argtypes is None  # each caller declares its own prototypes


def test_every_public_class_and_method_has_a_docstring():
    missing = []
    for name, cls in vars(b).items():
        if not (isinstance(cls, type) and cls.__module__ == "brovaline"):
            continue
        if not (cls.__doc__ or "").strip():
            missing.append(name)
        for attr, value in vars(cls).items():
            if not attr.startswith("_") and type(value).__name__ in ("method_descriptor", "classmethod_descriptor"):
                if not (value.__doc__ or "").strip():
                    missing.append(f"{name}.{attr}")
    assert missing == []
