import pytest

import brovaline as b


def body(x, y, radius=0.25, **kwargs):
    return b.Entity(-1, b.PositionComponent(b.Vector2(x, y)), b.CollisionComponent(radius, **kwargs))


@pytest.fixture
def bodies():
    """A collision-body system in an Ecs, and a function adding bodies to both."""
    ecs = b.Ecs(None)
    cbs = b.CollisionBodySystem()
    ecs.addSystem(cbs)

    def add(*args, **kwargs):
        e = body(*args, **kwargs)
        ecs.addEntity(e)
        return e

    add.cbs = cbs
    add.ecs = ecs
    return add


def test_collision_event_stores_both_entities():
    mover, other = b.Entity(1), b.Entity(2)
    evt = b.CollisionEvent(mover, other)
    assert isinstance(evt, b.Event)
    assert evt.entity1 is mover and evt.entity2 is other
    assert evt.isAlreadyHandled is False
    evt.isAlreadyHandled = True
    evt.__init__(other, mover)  # a fresh start: not handled yet
    assert (evt.isAlreadyHandled, evt.entity1, evt.entity2) == (False, other, mover)
    evt.__init__(mover, other)
    wall = b.CollisionEvent(entity1=mover, entity2=None)
    assert wall.entity2 is None
    evt._entity1 = None  # the raw fields are writable, type-checked
    assert evt.entity1 is None and evt._entity2 is other


def test_members_are_entities_with_position_and_collision(bodies):
    a = bodies(1, 1)
    only_position = b.Entity(-1, b.PositionComponent())
    bodies.ecs.addEntity(only_position)
    assert bodies.cbs.entities == [a]
    only_position.addComponent(b.CollisionComponent())
    assert bodies.cbs.entities == [a, only_position]
    assert bodies.cbs.update(0.5) is None
    never_initialised = b.CollisionBodySystem.__new__(b.CollisionBodySystem)  # no member list at all
    assert never_initialised.traceEntities(b.Vector2(0, 0), b.Vector2(1, 0), 10.0) == []


@pytest.mark.parametrize("start, max_dist, expected, shift", [
    ((0, 0), 10, [4.5], 0),  # the near side of the circle
    ((0, 0), 4, [], 0),      # the body lies beyond maxDist
    ((0, 0), 4.5, [], 0),    # the distance must be strictly shorter
    ((5, 0), 10, [0.5], 0),  # from inside the body: the exit point
    ((5, 0), 10, [], 1e17),  # the same far out, where the exit point rounds onto the start: distance 0
    ((6, 0), 10, [], 0),     # the body is behind the start
    ((0, 1), 10, [], 0),     # the segment passes beside it
])
def test_trace_single_body(bodies, start, max_dist, expected, shift):
    target = bodies(5 + shift, 0, 0.5)
    result = bodies.cbs.traceEntities(b.Vector2(start[0] + shift, start[1]), b.Vector2(1, 0), max_dist)
    assert [e for e, _ in result] == [target] * len(expected)
    assert [d for _, d in result] == pytest.approx(expected, abs=1e-5)


def test_trace_sorts_nearest_first_and_keeps_member_order_on_ties(bodies):
    far = bodies(3.25, 0)
    near = bodies(2.25, 0)
    tie_a = bodies(6.25, 1, 0.25, isOnlyTrigger=True)  # triggers and flags do not matter
    tie_b = bodies(6.25, 1, 0.25, hasFlags=["x"])
    result = bodies.cbs.traceEntities(b.Vector2(0, 1), b.Vector2(1, 0), 10)
    assert [e for e, _ in result] == [tie_a, tie_b]
    result = bodies.cbs.traceEntities(b.Vector2(0, 0), b.Vector2(1, 0), 10)
    assert [e for e, _ in result] == [near, far]
    assert [d for _, d in result] == pytest.approx([2, 3], abs=1e-5)


def test_trace_normalises_the_direction_in_place(bodies):
    assert bodies.cbs.traceEntities(b.Vector2(0, 0), b.Vector2(1, 0), 10) == []  # no bodies
    bodies(3, 4, 0.5)
    direction = b.Vector2(6, 8)
    result = bodies.cbs.traceEntities(b.Vector2(0, 0), direction, 10)
    assert (direction.x, direction.y) == pytest.approx((0.6, 0.8))
    assert [d for _, d in result] == pytest.approx([4.5], abs=1e-5)
    zero = b.Vector2(0, 0)  # stays zero and finds nothing, even from inside a body
    assert bodies.cbs.traceEntities(b.Vector2(0, 4), zero, 10) == []
    assert (zero.x, zero.y) == (0, 0)


def test_trace_reads_the_stored_components_of_entity_subclasses(bodies):
    class Hiding(b.Entity):  # getComponent is no hook the engine calls
        def getComponent(self, componentType):
            return None

    hidden = Hiding(-1, b.PositionComponent(b.Vector2(5, 0)), b.CollisionComponent(0.5))
    bodies.ecs.addEntity(hidden)
    result = bodies.cbs.traceEntities(b.Vector2(0, 0), b.Vector2(1, 0), 10)
    assert [e for e, _ in result] == [hidden]
