"""Values as Tiled custom properties, and back.

A property here is a (name, type, value) triple with a Tiled type: "string", "int", "float",
"bool", "color" or "file". Scalars keep their own type; anything else travels as JSON text. An
entity component becomes one property per scalar, named by its path ("velocity.impulse.x"), and,
for the rest (lists, empty objects, keys with a dot), a string property named after the component
holding that rest as a JSON object.
"""
import json
import math
import re

from ..errors import LevelInputError

INT32 = (-(1 << 31), (1 << 31) - 1)
# Characters that XML 1.0 cannot hold, not even escaped (a map may be TMX).
NOT_IN_XML = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ufffe\uffff]")


def scalar_type(value):
    """The Tiled type that holds `value` exactly, or None."""
    if isinstance(value, bool):
        return "bool"
    if isinstance(value, int):
        return "int" if INT32[0] <= value <= INT32[1] else None
    if isinstance(value, float):
        return "float" if math.isfinite(value) else None
    if isinstance(value, str):
        return None if NOT_IN_XML.search(value) else "string"
    return None


def json_text(value):
    return json.dumps(value, sort_keys=True, allow_nan=False)


def component_properties(name, value):
    """The properties that carry one component of an entity, in name order."""
    properties = []
    if not isinstance(value, dict) or not value:
        return [(name, "string", json_text(value))]
    rest = _split(name, value, properties)
    if rest:
        properties.append((name, "string", json_text(rest)))
    return sorted(properties)


def _split(prefix, record, properties):
    rest = {}
    for key, value in record.items():
        path = f"{prefix}.{key}"
        kind = scalar_type(value) if is_plain_name(key) else None
        if kind:
            properties.append((path, kind, value))
        elif isinstance(value, dict) and value and is_plain_name(key):
            nested = _split(path, value, properties)
            if nested:
                rest[key] = nested
        else:
            rest[key] = value
    return rest


def is_plain_name(key):
    """Whether a key can be part of a dotted property name."""
    return bool(key) and "." not in key and scalar_type(key) == "string"


def parse_json(text, path, where, name):
    if not isinstance(text, str):
        raise LevelInputError(path, f"property '{name}' must be a string holding JSON, not {text!r}", where)
    try:
        return json.loads(text)
    except json.JSONDecodeError as e:
        raise LevelInputError(path, f"property '{name}' is not valid JSON ({e.msg} at column {e.colno})", where) from None


def components_from_properties(properties, path, where, skip=()):
    """Rebuilds the components of one object from its properties (names in `skip` are left out)."""
    components = {}
    names = sorted(n for n in properties if n not in skip)
    for name in (n for n in names if "." not in n):
        components[name] = parse_json(properties[name], path, where, name)
    for name in (n for n in names if "." in n):
        component, *keys = name.split(".")
        value = properties[name]
        if scalar_type(value) is None:
            raise LevelInputError(path, f"property '{name}' must be a string, number or bool, not {value!r}", where)
        record = components.setdefault(component, {})
        for key in keys[:-1]:
            if not isinstance(record, dict):
                break
            record = record.setdefault(key, {})
        if not isinstance(record, dict):
            raise LevelInputError(path, f"property '{name}' sets a key inside a value that is not an object", where)
        record[keys[-1]] = value
    return components


def plain_value(value):
    """A Tiled property value as a header value: colours become [r, g, b], files their path text."""
    if isinstance(value, tuple) and len(value) == 4:  # a colour (red, green, blue, alpha)
        return [value[0], value[1], value[2]]
    if not isinstance(value, (bool, int, float, str)):
        return str(value)
    return value
