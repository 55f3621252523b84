"""Text signatures of the native classes, methods and functions, read from brovaline.pyi.

The stubs are the one written record of every argument list. The build turns them into a C++
table (``python stubs/text_signatures.py stubs/brovaline.pyi OUT.inc``) that the module attaches
to its methods' docstrings at start-up ("name(args)\\n--\\n\\n"), so ``help()`` and
``inspect.signature`` show the arguments; the tests read the same stubs to check the result.
"""

from __future__ import annotations

import ast
import sys
from pathlib import Path


def _default_text(node: ast.expr) -> str:
    """A default as inspect can read it back: a literal, else `...`."""
    try:
        ast.literal_eval(node)
    except ValueError:
        return "..."
    return ast.unparse(node)


def _parameters(fn: ast.FunctionDef) -> list[tuple[str, str, str | None]]:
    """(kind, name, default text or None) of each parameter; kind is one of
    'positional', 'normal', 'varargs', 'keyword', 'varkw'."""
    args = fn.args
    positional = args.posonlyargs + args.args
    defaults: list[ast.expr | None] = [None] * (len(positional) - len(args.defaults)) + list(args.defaults)
    out = []
    for i, (arg, default) in enumerate(zip(positional, defaults)):
        kind = "positional" if i < len(args.posonlyargs) else "normal"
        out.append((kind, arg.arg, None if default is None else _default_text(default)))
    if args.vararg:
        out.append(("varargs", args.vararg.arg, None))
    for arg, default in zip(args.kwonlyargs, args.kw_defaults):
        out.append(("keyword", arg.arg, None if default is None else _default_text(default)))
    if args.kwarg:
        out.append(("varkw", args.kwarg.arg, None))
    return out


def _merge_overloads(variants: list[list[tuple[str, str, str | None]]]) -> list[tuple[str, str, str | None]]:
    """One parameter list covering every overload: the longest list, a parameter optional (with the
    first default an overload gives, else `...`) when some overload leaves it out or gives it a default."""
    longest = max(variants, key=len)
    merged = []
    for i, (kind, name, default) in enumerate(longest):
        optional = any(len(v) <= i or v[i][2] is not None for v in variants)
        if kind in ("varargs", "varkw") or not optional:
            merged.append((kind, name, default))
        else:
            given = [v[i][2] for v in variants if len(v) > i and v[i][2] is not None]
            merged.append((kind, name, default or (given[0] if given else "...")))
    return merged


def _is_overload(fn: ast.FunctionDef) -> bool:
    return any(isinstance(d, ast.Name) and d.id == "overload" for d in fn.decorator_list)


def _decorators(fn: ast.FunctionDef) -> set[str]:
    return {d.id for d in fn.decorator_list if isinstance(d, ast.Name)} | {
        d.attr for d in fn.decorator_list if isinstance(d, ast.Attribute)
    }


def _render(params: list[tuple[str, str, str | None]], first: str | None) -> str:
    """The parameter list in the text-signature syntax, `first` ("$self", "$type") replacing the
    first parameter."""
    parts: list[str] = []
    if first:
        params = params[1:]
        parts.append(first)
    wrote_star = False
    for i, (kind, name, default) in enumerate(params):
        if kind == "keyword" and not wrote_star:
            parts.append("*")
            wrote_star = True
        if kind == "varargs":
            parts.append("*" + name)
            wrote_star = True
        elif kind == "varkw":
            parts.append("**" + name)
        else:
            parts.append(name if default is None else f"{name}={default}")
        if kind == "positional" and (i + 1 == len(params) or params[i + 1][0] != "positional"):
            parts.append("/")
    return "(" + ", ".join(parts) + ")"


def _collect(body: list[ast.stmt]) -> dict[str, list[ast.FunctionDef]]:
    """Functions by name; properties and non-initialising dunders are left out."""
    found: dict[str, list[ast.FunctionDef]] = {}
    for node in body:
        if not isinstance(node, ast.FunctionDef):
            continue
        decorators = _decorators(node)
        if "property" in decorators or "setter" in decorators or "deleter" in decorators:
            continue
        if node.name.startswith("__") and node.name != "__init__":
            continue
        found.setdefault(node.name, []).append(node)
    return found


def _signature(defs: list[ast.FunctionDef], bound: str | None) -> str:
    chosen = [d for d in defs if _is_overload(d)] or defs[-1:]
    params = _merge_overloads([_parameters(d) for d in chosen])
    decorators = _decorators(chosen[0])
    if bound and "staticmethod" in decorators:
        bound = None
    elif bound and "classmethod" in decorators:
        bound = "$type"
    return _render(params, bound)


def stub_signatures(stub_path: str | Path) -> dict[str, str]:
    """Text signatures by name: "func", "Class" (its constructor) and "Class.method"."""
    tree = ast.parse(Path(stub_path).read_text(encoding="utf-8"))
    result: dict[str, str] = {}
    for name, defs in _collect(tree.body).items():
        result[name] = _signature(defs, None)
    for node in tree.body:
        if not isinstance(node, ast.ClassDef):
            continue
        for name, defs in _collect(node.body).items():
            if name == "__init__":
                # The class's own signature: its constructor's arguments after self.
                sig = _signature(defs, "$self")
                result[node.name] = "(" + sig[len("($self"):].lstrip(", ")
            else:
                result[f"{node.name}.{name}"] = _signature(defs, "$self")
    return result


def cxx_table(signatures: dict[str, str]) -> str:
    lines = ["// Generated from stubs/brovaline.pyi by stubs/text_signatures.py: do not edit."]
    for name, sig in sorted(signatures.items()):
        lines.append(f'{{"{name}", R"sig({sig})sig"}},')
    return "\n".join(lines) + "\n"


def main(argv: list[str]) -> int:
    stub, out = argv[1], Path(argv[2])
    text = cxx_table(stub_signatures(stub))
    if not out.exists() or out.read_text(encoding="utf-8") != text:
        tmp = out.with_suffix(out.suffix + ".tmp")
        tmp.write_text(text, encoding="utf-8")
        tmp.replace(out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
