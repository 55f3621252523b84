"""What the API reference lists: every public name of brovaline, sorted into pages by topic, and
every public module of brovaline_tools. Read from the modules themselves, so the reference grows
with them; the site build and the reference test both use this."""

from __future__ import annotations

import ast
import importlib
import inspect
import pkgutil
import types

# Reference pages of brovaline: (page file, title, rule). A name goes to the first page whose rule
# accepts it; the rules look at the name and at what the object is.
ENGINE_PAGES = [
    ("errors", "Errors", lambda n, o: isinstance(o, type) and issubclass(o, BaseException)),
    ("events", "Events and input",
     lambda n, o: (isinstance(o, type) and n.endswith("Event") and not n.startswith("UI"))
     or n.startswith(("KEY_", "MOUSE_")) or n in ("Joystick",)),
    ("ui", "User interface",
     lambda n, o: n.startswith(("UI", "AbstractUI", "ALIGN_", "SIZE_", "ANCHOR_", "LAYOUT_", "SLIDER_"))
     or n in ("ButtonClickEvent", "SliderValueChangedEvent")),
    ("level", "Level", lambda n, o: n.startswith(("Level", "BLOCK_", "TEXTURE_", "ASCII_"))),
    ("ecs", "Entities, components and systems",
     lambda n, o: n in ("Entity", "Ecs", "System", "component", "DummyComponent")
     or n.endswith(("Component", "System")) and n not in ("RaycastingRenderer",)),
    ("sprites", "Sprites", lambda n, o: n.startswith("Sprite")),
    ("rendering", "Rendering", lambda n, o: n in ("Renderer", "RaycastingRenderer", "Camera")
     or n.startswith("BLENDMODE_")),
    ("resources", "Textures, fonts, sound and music",
     lambda n, o: n in ("Texture", "Font", "Sound", "SoundHandle", "Music")
     or n.endswith(("Volume",))),
    ("engine", "Engine, tasks and the rest", lambda n, o: True),
]

TOOLS_PACKAGE = "brovaline_tools"


def engine_public_names(module: types.ModuleType) -> list[str]:
    """The module's public names: not underscored, not a module it imports (math, os...) nor a
    class it re-exports from the standard library (threading.Timer)."""
    names = []
    for name, obj in vars(module).items():
        if name.startswith("_") or isinstance(obj, types.ModuleType):
            continue
        if callable(obj) and getattr(obj, "__module__", module.__name__) not in (module.__name__, None):
            continue
        names.append(name)
    return names


def engine_pages(module: types.ModuleType) -> dict[str, tuple[str, list[str]]]:
    """page file -> (title, names in the module's own order)."""
    pages: dict[str, tuple[str, list[str]]] = {page: (title, []) for page, title, _ in ENGINE_PAGES}
    for name in engine_public_names(module):
        obj = getattr(module, name)
        for page, _title, rule in ENGINE_PAGES:
            if rule(name, obj):
                pages[page][1].append(name)
                break
    return pages


def tools_modules() -> list[str]:
    """brovaline_tools and each of its public modules (no part of the dotted name underscored)."""
    package = importlib.import_module(TOOLS_PACKAGE)
    found = [TOOLS_PACKAGE]
    for info in pkgutil.walk_packages(package.__path__, TOOLS_PACKAGE + "."):
        if not any(part.startswith("_") for part in info.name.split(".")):
            found.append(info.name)
    return sorted(found)


def _top_level_bindings(module_name: str) -> tuple[list[str], set[str]]:
    """Names the module's source binds itself (definitions and assignments, not imports), in
    order, and those of them bound by unpacking (`A, B = 0, 1`)."""
    module = importlib.import_module(module_name)
    tree = ast.parse(inspect.getsource(module))
    names: list[str] = []
    unpacked: set[str] = set()
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.AsyncFunctionDef, ast.ClassDef)):
            names.append(node.name)
        targets = node.targets if isinstance(node, ast.Assign) else [node.target] if isinstance(node, ast.AnnAssign) else []
        for target in targets:
            if isinstance(target, ast.Name):
                names.append(target.id)
            elif isinstance(target, ast.Tuple):
                for element in target.elts:
                    if isinstance(element, ast.Name):
                        names.append(element.id)
                        unpacked.add(element.id)
    return names, unpacked


def tools_public_names(module_name: str) -> list[str]:
    """A tools module's public names: its __all__, else what its source defines without an
    underscore."""
    module = importlib.import_module(module_name)
    if hasattr(module, "__all__"):
        return list(module.__all__)
    names, _ = _top_level_bindings(module_name)
    return list(dict.fromkeys(n for n in names if not n.startswith("_")))


def tools_unpacked_constants(module_name: str) -> list[str]:
    """Public constants bound by unpacking, which the reference's source reader does not list."""
    names, unpacked = _top_level_bindings(module_name)
    return [n for n in dict.fromkeys(names) if n in unpacked and not n.startswith("_")]
