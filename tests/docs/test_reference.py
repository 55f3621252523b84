"""The API reference has an entry for every public name, and every entry names something real."""

import ast
import importlib
import inspect
import re
from pathlib import Path

import pytest

import brovaline
import reference

_ID = re.compile(r'id="((?:brovaline|brovaline_tools)(?:\.\w+)*)"')


@pytest.fixture(scope="module")
def entries(site):
    found = set()
    for page in (site / "reference").glob("*.html"):
        found.update(_ID.findall(page.read_text(encoding="utf-8")))
    return found


STUBS = Path(__file__).resolve().parents[2] / "stubs" / "brovaline.pyi"


def _stub_fields():
    """Class.field for every field a class of the stubs declares (instance attributes included)."""
    fields = set()
    for node in ast.parse(STUBS.read_text(encoding="utf-8")).body:
        if isinstance(node, ast.ClassDef):
            fields.update(f"{node.name}.{n.target.id}" for n in node.body if isinstance(n, ast.AnnAssign))
    return fields


def _instance_attribute(owner, attr):
    """An attribute the class's instances get: declared in the stubs, annotated, or set in its code."""
    if not inspect.isclass(owner):
        return False
    if owner.__module__ == "brovaline":
        return f"{owner.__name__}.{attr}" in _stub_fields()
    if any(attr in vars(c).get("__annotations__", {}) for c in owner.__mro__):
        return True
    try:
        return re.search(rf"self\.{attr}\b", inspect.getsource(owner)) is not None
    except (OSError, TypeError):
        return False


def _resolve(dotted):
    """The object a dotted reference id names, or raises AttributeError/ImportError."""
    parts = dotted.split(".")
    for i in range(len(parts), 0, -1):
        try:
            obj = importlib.import_module(".".join(parts[:i]))
        except ImportError:
            continue
        for j, attr in enumerate(parts[i:]):
            if not hasattr(obj, attr) and j == len(parts) - i - 1 and _instance_attribute(obj, attr):
                return attr
            obj = getattr(obj, attr)
        return obj
    raise ImportError(dotted)


def test_every_public_name_has_an_entry(entries):
    wanted = {f"brovaline.{name}" for name in reference.engine_public_names(brovaline)}
    for module in reference.tools_modules():
        wanted.add(module)
        for name in reference.tools_public_names(module):
            # A name a package re-exports is documented where it is defined.
            obj = getattr(importlib.import_module(module), name)
            home = getattr(obj, "__module__", module)
            wanted.add(f"{home}.{name}" if home in entries else f"{module}.{name}")
    assert not wanted - entries, f"no reference entry for {sorted(wanted - entries)}"


def test_every_entry_names_something_that_exists(entries):
    dangling = []
    for entry in sorted(entries):
        try:
            _resolve(entry)
        except (AttributeError, ImportError):
            dangling.append(entry)
    assert not dangling, f"reference entries naming nothing: {dangling}"


def test_signatures_come_from_the_stubs(site):
    page = (site / "reference" / "level.html").read_text(encoding="utf-8")
    text = re.sub(r"<[^>]+>", "", page)
    assert re.search(r"setBlock\(\s*blockType:\s*int,\s*x:\s*int,\s*y:\s*int", text)
