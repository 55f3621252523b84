"""Contact state from collision events: "began touching" and "stopped touching" with the side touched.

The movement system reports a `CollisionEvent` on every frame two bodies overlap (and for every wall
probe that touches). `ContactSystem` keeps the set of current contacts from frame to frame and fires a
`ContactBeganEvent` when a contact appears and a `ContactEndedEvent` when it is gone, through the
engine's usual dispatch (`engine.subscribeEvent(ContactBeganEvent, handler)`).
"""
import math

import brovaline as b

# compass names of the eight directions, from east turning towards the south (y grows southwards)
SIDES = ("east", "south-east", "south", "south-west", "west", "north-west", "north", "north-east")
_NEIGHBOURS = [(ox, oy) for oy in (-1, 0, 1) for ox in (-1, 0, 1) if ox or oy]


def side_of(dx, dy):
    """The compass side, one of SIDES, of the direction (dx, dy) in map coordinates (None for zero)."""
    if dx == 0 and dy == 0:
        return None
    return SIDES[round(math.atan2(dy, dx) / (math.pi / 4)) % 8]


class ContactEvent(b.Event):
    """A contact between `entity1` (the body that moved) and `entity2` (another body, or None for a
    wall of the level); `side` is where `entity2` (or the wall) lies as seen from `entity1`."""

    def __init__(self, entity1, entity2, side):
        super().__init__()
        self.entity1, self.entity2, self.side = entity1, entity2, side

    def __repr__(self):
        other = "wall" if self.entity2 is None else f"entity {self.entity2.id}"
        return f"{type(self).__name__}(entity {self.entity1.id}, {other}, {self.side})"


class ContactBeganEvent(ContactEvent):
    """Two bodies (or a body and a wall) began touching in this frame."""


class ContactEndedEvent(ContactEvent):
    """A contact of the previous frame is gone in this frame."""


def _position(entity):
    pos = entity.getComponent(b.PositionComponent)
    return (pos.pos.x, pos.pos.y) if pos is not None else None


def _wall_sides(level, entity):
    """Sides of the entity towards the nearest point of every solid neighbouring cell within its radius
    (two cells of one straight wall give one side)."""
    position, body = _position(entity), entity.getComponent(b.CollisionComponent)
    if level is None or position is None or body is None:
        return {None}
    x, y = position
    cx, cy = math.floor(x), math.floor(y)
    width, height = level.getSize()
    sides = set()
    for ox, oy in _NEIGHBOURS:
        nx, ny = cx + ox, cy + oy
        if 0 <= nx < width and 0 <= ny < height and level.getBlock(nx, ny) == b.BLOCK_EMPTY:
            continue   # outside the grid counts as wall
        near_x, near_y = min(max(x, nx), nx + 1), min(max(y, ny), ny + 1)
        if math.hypot(near_x - x, near_y - y) <= body.radius + 1e-6:
            sides.add(side_of(near_x - x, near_y - y))
    return sides or {None}


class ContactSystem(b.AbstractSystem):
    """Turns collision events into contact notifications. Add it to the Ecs after the movement system
    (so it compares whole frames): `engine.ecs.addSystem(ContactSystem(level))`. `level` gives the
    sides of wall contacts (None: wall contacts have side None).

    A contact between two bodies lasts while they touch, whatever side they slide to (its side is where
    it began); each wall side the body touches is a contact of its own."""

    def __init__(self, level=None):
        super().__init__(b.CollisionComponent)
        self.level = level
        self.contacts = {}        # (entity1, entity2, wall side or None) -> the contact's ContactBeganEvent
        self._touching = {}       # the same keys, seen in this frame -> side

    def _setEngine(self, engine):
        if self.getEngine() is not None:
            self.getEngine().unsubscribeEvent(b.CollisionEvent, self._on_collision)
        super()._setEngine(engine)
        if engine is not None:
            engine.subscribeEvent(b.CollisionEvent, self._on_collision)

    def _on_collision(self, event):
        mover, other = event.entity1, event.entity2
        if other is None:
            for side in _wall_sides(self.level, mover):
                self._touching[mover, None, side] = side
        else:
            here, there = _position(mover), _position(other)
            side = side_of(there[0] - here[0], there[1] - here[1]) if here and there else None
            self._touching.setdefault((mover, other, None), side)

    def touching(self, entity, other=..., side=...):
        """The current contacts of `entity`, as ContactBeganEvents, optionally only those with `other`
        (None: walls) and on `side`."""
        return [contact for (first, second, _), contact in self.contacts.items()
                if first is entity and (other is ... or second is other) and (side is ... or contact.side == side)]

    def update(self, timeStep):
        engine = self.getEngine()
        for key in [key for key in self.contacts if key not in self._touching]:
            engine.fireEvent(ContactEndedEvent(*key[:2], self.contacts.pop(key).side))
        for key, side in self._touching.items():   # in the order the movement system reported them
            if key not in self.contacts:
                self.contacts[key] = ContactBeganEvent(*key[:2], side)
                engine.fireEvent(self.contacts[key])
        self._touching = {}
