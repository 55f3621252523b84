"""Level files: read, build, check, write; Tiled maps in and out; the `brovaline-level` command.

The names below are imported on first use, so that `python -m brovaline_tools.level` can choose
SDL's drivers before the engine module is loaded.
"""
import importlib

_EXPORTS = {
    "LevelData": "model",
    "LevelInputError": "errors",
    "read_level": "model",
    "write_level": "model",
    "load_any": "model",
    "Cell": "build",
    "level_from_text": "build",
    "level_from_arrays": "build",
    "Finding": "check",
    "check_level": "check",
    "top_view": "render_top",
    "first_person_view": "render_view",
}

__all__ = sorted(_EXPORTS)


def __getattr__(name):
    module = _EXPORTS.get(name)
    if module is None:
        raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
    value = getattr(importlib.import_module(f"{__name__}.{module}"), name)
    globals()[name] = value
    return value
