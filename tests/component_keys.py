"""A component-dict key that Python code meets while the engine looks up an entity's position."""
import brovaline as b


class ArmedKey:
    """A key with the position class's hash, whose comparison runs `action` once one is set."""

    def __init__(self):
        self.action = None

    def __hash__(self):
        return hash(b.PositionComponent)

    def __eq__(self, other):
        if self.action:
            self.action()
        return False


def key_ahead_of_position(entity):
    """Puts a new ArmedKey ahead of `entity`'s own components, so that looking up its position
    compares the key first; returns the key, still unarmed."""
    key = ArmedKey()
    entity._components = {key: None, **entity._components}
    return key
