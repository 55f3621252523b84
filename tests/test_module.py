"""The module's namespace as a whole."""
import ctypes
import importlib
import types

import brovaline as b

NATIVE_CLASSES = [
    "Event", "KeyEvent", "MouseClickEvent", "MouseWheelEvent", "FullscreenEvent", "Joystick", "JoystickAddedEvent",
    "Vector2", "Resource", "Texture", "SpriteAnimation", "Sprite", "SpriteComponent", "Entity", "PositionComponent",
    "VelocityComponent", "RotationComponent", "CollisionComponent", "Ecs", "AbstractSystem", "Font", "Level",
    "SoundHandle", "Sound", "MusicStoppedEvent", "Music", "CollisionEvent", "CollisionBodySystem", "MovementSystem",
    "Renderer", "Camera", "RaycastingRenderer", "UITheme", "UIRenderer", "UIWidget", "AbstractUIContainer",
    "UIListContainer", "_UIAnchorWrapper", "UIAnchoredContainer", "UIText", "ButtonClickEvent", "UIButton", "UIImage",
    "UIPanel", "SliderValueChangedEvent", "UISlider", "UIScrollPanel", "Engine",
]
HOST_CLASSES = ["DummyComponent", "TerminalColor", "EngineException", "EngineSdlException", "LevelFormatException"]
FUNCTIONS = ["component", "getMusicVolume", "setMusicVolume", "getSoundVolume", "setSoundVolume", "clearTerminal"]
CONSTANTS = {
    "MOUSE_LEFT": 1, "MOUSE_MIDDLE": 2, "MOUSE_RIGHT": 3,
    "BLENDMODE_BLEND": 0, "BLENDMODE_ADD": 1,
    "TEXTURE_FLOOR": 1, "TEXTURE_CEILING": 2, "TEXTURE_NORTH": 3, "TEXTURE_EAST": 4, "TEXTURE_SOUTH": 5,
    "TEXTURE_WEST": 6,
    "BLOCK_EMPTY": 0, "BLOCK_SQUARE": 1, "BLOCK_TRIANGLE_NORTH_WEST": 2, "BLOCK_TRIANGLE_NORTH_EAST": 3,
    "BLOCK_TRIANGLE_SOUTH_EAST": 4, "BLOCK_TRIANGLE_SOUTH_WEST": 5,
    "ALIGN_LEFT": 0, "ALIGN_RIGHT": 1, "ALIGN_CENTER": 2,
    "VALIGN_TOP": 0, "VALIGN_BOTTOM": 1, "VALIGN_MIDDLE": 2,
    "SIZE_AUTO": 0, "SIZE_FIXED": 1, "SIZE_GROW": 2,
    "LIST_LAYOUT_HORIZONTAL": 0, "LIST_LAYOUT_VERTICAL": 1,
    "ANCHOR_LEFT": 0, "ANCHOR_RIGHT": 1, "ANCHOR_TOP": 2, "ANCHOR_BOTTOM": 3, "ANCHOR_CENTER": 4,
    "SLIDER_ORIENTATION_HORIZONTAL": 0, "SLIDER_ORIENTATION_VERTICAL": 1,
    "KEY_ESCAPE": 27,
}
TERMINAL = ["TERMINAL_" + c + bg for bg in ("", "_BG")
            for c in ("RED", "GREEN", "YELLOW", "BLUE", "MAGENTA", "CYAN", "WHITE")]
HOST_MODULES = {"time": "time", "math": "math", "_json": "json", "traceback": "traceback", "os": "os",
                "_ospath": "posixpath", "_sys": "sys"}


def test_native_classes_in_order():
    for name in NATIVE_CLASSES:
        cls = getattr(b, name)
        assert isinstance(cls, type) and cls.__module__ == "brovaline", name
    assert [n for n in vars(b) if n in NATIVE_CLASSES] == NATIVE_CLASSES


def test_host_classes_functions_and_registry():
    for name in HOST_CLASSES:
        assert isinstance(getattr(b, name), type), name
    for name in FUNCTIONS:
        assert callable(getattr(b, name)), name
    assert isinstance(b._COMPONENTS, dict)


def test_constant_groups():
    for name, value in CONSTANTS.items():
        assert getattr(b, name) == value, name
    assert len([n for n in vars(b) if n.startswith("KEY_")]) == 236
    assert [type(getattr(b, n)).__name__ for n in TERMINAL] == ["TerminalColor"] * 14
    assert isinstance(getattr(b, "__PRINT_COLOR_RESET"), str)
    assert len(b.ASCII_CELLS) == 6 and all(len(c) == 1 for c in b.ASCII_CELLS)


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


def test_no_unexpected_public_names():
    known = set(NATIVE_CLASSES + HOST_CLASSES + FUNCTIONS + TERMINAL + list(CONSTANTS) + list(HOST_MODULES))
    known |= {"Timer", "ASCII_CELLS"}
    extra = [n for n in vars(b) if not n.startswith("_") and n not in known and not n.startswith("KEY_")]
    assert extra == []


def test_loaded_sdl_is_the_copy_the_engine_started():
    from brovaline_tools.sdl import loaded_sdl

    sdl = loaded_sdl()
    video, audio = 0x20, 0x10
    assert sdl.SDL_WasInit(0) & (video | audio) == video | audio
    assert sdl.Mix_QuerySpec(None, None, None) == 1 and sdl.TTF_WasInit() >= 1
    sdl.SDL_PushEvent.argtypes = [ctypes.c_char_p]
    assert loaded_sdl().SDL_PushEvent.argtypes is None  # each caller declares its own prototypes
