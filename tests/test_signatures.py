"""help() and inspect.signature show every argument list, and it is the one the stubs declare."""

import ast
import importlib.util
import inspect
import re
from pathlib import Path

import brovaline as b

ROOT = Path(__file__).resolve().parent.parent
STUBS = ROOT / "stubs" / "brovaline.pyi"
_spec = importlib.util.spec_from_file_location("text_signatures", ROOT / "stubs" / "text_signatures.py")
text_signatures = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(text_signatures)

SIGNATURES = text_signatures.stub_signatures(STUBS)


def _stub_params(sig):
    """(name, has default, is *args) of each parameter of a text signature, self left out."""
    source = "def f" + sig.replace("$self", "self").replace("$type", "cls") + ": pass"
    args = ast.parse(source).body[0].args
    positional = args.posonlyargs + args.args
    defaults = len(positional) - len(args.defaults)
    out = [(a.arg, i >= defaults, False) for i, a in enumerate(positional)]
    if args.vararg:
        out.append((args.vararg.arg, False, True))
    out += [(a.arg, d is not None, False) for a, d in zip(args.kwonlyargs, args.kw_defaults)]
    return [p for p in out if p[0] not in ("self", "cls")]


def _runtime_params(obj):
    params = list(inspect.signature(obj).parameters.values())
    return [
        (p.name, p.default is not p.empty, p.kind is p.VAR_POSITIONAL)
        for p in params
        if p.name not in ("self", "cls")
    ]


def _resolve(name):
    obj = b
    for part in name.split("."):
        obj = getattr(obj, part)
    return obj


def _public_callables():
    for name, obj in vars(b).items():
        if name.startswith("_") or inspect.ismodule(obj):
            continue
        if isinstance(obj, type):
            if obj.__module__ != "brovaline" and not obj.__name__ == name:
                continue
            yield name, obj
            for attr, value in vars(obj).items():
                if not attr.startswith("__") and callable(value):
                    yield f"{name}.{attr}", getattr(obj, attr)
        elif callable(obj) and getattr(obj, "__module__", "brovaline") in ("brovaline", None):
            yield name, obj


def test_every_public_callable_shows_its_arguments():
    missing = []
    for name, obj in _public_callables():
        try:
            inspect.signature(obj)
        except (ValueError, TypeError):
            missing.append(name)
    assert not missing, f"no signature for: {missing}"


def test_every_signature_is_the_stubs():
    differ = [
        f"{name}: module {_runtime_params(_resolve(name))} != stubs {_stub_params(SIGNATURES[name])}"
        for name in sorted(n for n in SIGNATURES if not n.startswith("_"))
        if _runtime_params(_resolve(name)) != _stub_params(SIGNATURES[name])
    ]
    assert not differ, "\n".join(differ)


def test_help_names_the_arguments():
    text = inspect.getdoc(b.Level.setBlock)
    assert str(inspect.signature(b.Level.setBlock)) == "(self, /, blockType, x, y)"
    assert text == b.Level.setBlock.__doc__ and "--" not in text


# The native argument parsers name their keywords in the C++ source: BV_PARSE("name", required,
# "a", "b", ...), BV_PARSE_INIT("Class", ...) and BV_METHOD_ARG("name", fn, "arg", ...). Each must
# match a declaration in the stubs, name for name, with the same number of required arguments.
_PARSE = re.compile(r'BV_PARSE(_INIT)?\("(\w+)",\s*(\d+)((?:,\s*"\w+")*)\)')
_ONE_ARG = re.compile(r'BV_METHOD_ARG\("(\w+)",\s*\w+,\s*"(\w+)"')


def _native_parsers():
    for path in sorted((ROOT / "src").rglob("*.cpp")):
        text = path.read_text(encoding="utf-8")
        for init, name, required, names in _PARSE.findall(text):
            yield path.name, bool(init), name, int(required), re.findall(r'"(\w+)"', names)
        for name, arg in _ONE_ARG.findall(text):
            yield path.name, False, name, 1, [arg]


def _stub_candidates(is_init, name):
    if is_init:  # a class without an __init__ of its own in the stubs takes its base's
        declared = [c.__name__ for c in getattr(b, name).__mro__ if c.__name__ in SIGNATURES]
        return [SIGNATURES[declared[0]]] if declared else [[]]
    return [sig for key, sig in SIGNATURES.items() if key.split(".")[-1] == name and "." in key or key == name]


def test_native_keyword_names_match_the_stubs():
    wrong = []
    for file, is_init, name, required, names in _native_parsers():
        declared = []
        for sig in _stub_candidates(is_init, name):
            params = [p for p in _stub_params(sig) if not p[2]] if sig else []
            declared.append(([p[0] for p in params], sum(not p[1] for p in params)))
        if (names, required) not in declared:
            wrong.append(f"{file}: {name}{tuple(names)} required={required}, stubs: {declared}")
    assert not wrong, "\n".join(wrong)
