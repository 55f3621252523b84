# The component registry: component names <-> classes, used by level files. Runs in the brovaline
# namespace at start-up, after the component classes exist.
# (No docstring: it would become the brovaline module's own __doc__.)

_COMPONENTS = {}


def component(name):
    """Class decorator registering a component class under `name` for level files."""

    def innerComponent(cls):
        if type(name) is not str:
            raise TypeError("component name must be a string")
        if type(cls) is not type:
            raise TypeError("component type must be a class")
        _COMPONENTS[name] = cls
        _COMPONENTS[cls] = name
        return cls

    return innerComponent


class DummyComponent:
    """This component type is used for component types in a level that can't be mapped."""


def _registerStandardComponents():
    standard = [
        ("sprite", SpriteComponent),
        ("position", PositionComponent),
        ("rotation", RotationComponent),
        ("collision", CollisionComponent),
        ("velocity", VelocityComponent),
    ]
    for name, cls in standard:
        _COMPONENTS[name] = cls
    for name, cls in standard:
        _COMPONENTS[cls] = name


_registerStandardComponents()
del _registerStandardComponents
