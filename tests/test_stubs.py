"""The type stub against the module: the same names, the same writable properties, the same constant values."""
import ast
import inspect
import sys
from pathlib import Path

import pytest

import brovaline

SOURCE_STUB = Path(__file__).resolve().parent.parent / "stubs" / "brovaline.pyi"
INSTALLED_STUB = Path(brovaline.__file__).parent / "brovaline-stubs" / "__init__.pyi"

# Exceptions keep their fields on the instance.
EXCEPTION_ARGS = {"EngineException": ("m",), "EngineSdlException": ("m",), "LevelFormatException": ("f", "m")}


def bound_names(statements):
    """Names a list of stub statements binds; unannotated private assignments are stub-only aliases."""
    names = {}
    for node in statements:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)):
            names.setdefault(node.name, []).append(node)
        elif isinstance(node, ast.AnnAssign):
            names.setdefault(node.target.id, []).append(node)
        elif isinstance(node, ast.Assign) and not node.targets[0].id.startswith("_"):
            names.setdefault(node.targets[0].id, []).append(node)
        elif isinstance(node, (ast.Import, ast.ImportFrom)):
            for alias in node.names:
                if alias.asname:
                    names.setdefault(alias.asname, []).append(node)
    return names


STUB = bound_names(ast.parse(SOURCE_STUB.read_text(encoding="utf-8")).body)
STUB_CLASSES = {name: nodes[0] for name, nodes in STUB.items() if isinstance(nodes[0], ast.ClassDef)}


def stub_members(class_name):
    """Members of a stub class, including those of its stub base classes."""
    node = STUB_CLASSES[class_name]
    members = bound_names(node.body)
    for base in node.bases:
        if isinstance(base, ast.Name) and base.id in STUB_CLASSES:
            members = {**stub_members(base.id), **members}
    return members


def is_writable_in_stub(nodes):
    """An annotated attribute or a property with a setter; a bare property is read-only."""
    if isinstance(nodes[0], ast.AnnAssign):
        return True
    return any(ast.unparse(d).endswith(".setter") for n in nodes for d in n.decorator_list)


def exports_buffers(cls):
    """Before Python 3.12 the buffer slot has no `__buffer__` attribute: memoryview() shows it is there."""
    try:
        memoryview(cls.__new__(cls))
    except TypeError:
        return False
    except Exception:  # the slot refused this uninitialised object
        pass
    return True


def exists(cls, instance, member):
    if member == "__buffer__" and sys.version_info < (3, 12):
        return exports_buffers(cls)
    return hasattr(cls, member) or hasattr(instance, member)


def public(names):
    return {n for n in names if not n.startswith("_")}


def test_installed_stub_is_the_source_stub():
    if not INSTALLED_STUB.parent.is_dir():
        pytest.skip("the module is not the installed package")
    installed = INSTALLED_STUB.read_text(encoding="utf-8")
    assert installed == SOURCE_STUB.read_text(encoding="utf-8"), "the installed stub is stale: run make build"
    assert (INSTALLED_STUB.parent / "py.typed").is_file()


def test_every_public_module_name_is_in_the_stub():
    assert public(dir(brovaline)) - set(STUB) == set()


def test_every_stub_name_exists_in_the_module():
    assert {n for n in STUB if not hasattr(brovaline, n)} == set()


def test_stub_constants_have_the_module_values():
    wrong = {}
    for name, nodes in STUB.items():
        node = nodes[0]
        if isinstance(node, ast.AnnAssign) and isinstance(node.value, ast.Constant):
            if getattr(brovaline, name) != node.value.value:
                wrong[name] = (node.value.value, getattr(brovaline, name))
    assert wrong == {}


@pytest.mark.parametrize("name", sorted(STUB_CLASSES))
def test_stub_class_matches_the_runtime_class(name):
    cls = getattr(brovaline, name)
    stub_bases = [ast.unparse(b) for b in STUB_CLASSES[name].bases]
    assert stub_bases == [b.__name__ for b in cls.__bases__ if b is not object]

    members = stub_members(name)
    foreign_base = next(b for b in cls.__mro__ if b.__module__ != "brovaline")
    assert public(dir(cls)) - public(dir(foreign_base)) - set(members) == set()

    instance = cls(*EXCEPTION_ARGS[name]) if name in EXCEPTION_ARGS else None
    assert {m for m in members if not exists(cls, instance, m)} == set()


@pytest.mark.parametrize("name", sorted(STUB_CLASSES))
def test_stub_properties_are_writable_exactly_where_the_module_allows(name):
    cls = getattr(brovaline, name)
    members = stub_members(name)
    mismatched = []
    descriptors = {a: d for b in reversed(cls.__mro__) if b.__module__ == "brovaline" for a, d in vars(b).items()
                   if inspect.isgetsetdescriptor(d) and not a.startswith("__")}
    for attr, descriptor in descriptors.items():
        if attr not in members:  # raw fields the stub leaves out; public names are checked above
            continue
        try:
            descriptor.__set__(cls.__new__(cls), None)
            writable = True
        except AttributeError as e:
            writable = "not writable" not in str(e)
        except Exception:  # a setter that refuses None is still a setter
            writable = True
        if is_writable_in_stub(members[attr]) != writable:
            mismatched.append(attr)
    assert mismatched == []


def _documented_stub_members():
    tree = ast.parse(SOURCE_STUB.read_text(encoding="utf-8"))
    for node in tree.body:
        if isinstance(node, (ast.ClassDef, ast.FunctionDef)) and hasattr(brovaline, node.name):
            yield node.name, node, getattr(brovaline, node.name)
            for member in getattr(node, "body", []) if isinstance(node, ast.ClassDef) else []:
                owner = getattr(brovaline, node.name)
                if isinstance(member, ast.FunctionDef) and not member.name.startswith("__") and member.name in vars(owner):
                    yield f"{node.name}.{member.name}", member, getattr(owner, member.name)


def test_stub_docstrings_are_the_module_docstrings():
    """The reference shows the module's docstrings and the stubs' signatures: where a stub repeats a
    docstring for editors, it is the module's text (overloads may describe each form)."""
    differ = []
    for name, node, obj in _documented_stub_members():
        overload = any(isinstance(d, ast.Name) and d.id == "overload" for d in getattr(node, "decorator_list", []))
        stub, runtime = ast.get_docstring(node), inspect.getdoc(obj)
        if stub and not overload and stub != runtime:
            differ.append(f"{name}: stub {stub!r} != module {runtime!r}")
    assert not differ, "\n".join(differ)
