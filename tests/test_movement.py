import collections
import re
import sys

import pytest

import brovaline as b
from component_keys import key_ahead_of_position


class World:
    """An engine (not initialised) with a movement system over a walled 30 x 30 level."""

    def __init__(self, level):
        self.engine = b.Engine()
        self.ecs = self.engine.ecs
        self.movement = b.MovementSystem(level)
        self.ecs.addSystem(self.movement)
        self.events = []
        self.engine.subscribeEvent(b.CollisionEvent, self.events.append)

    def add(self, x, y, velocity=None, impulse=None, friction=2.0, radius=None, **collision):
        """A body; it moves (is a member of the movement system) when given a velocity or an impulse."""
        components = [b.PositionComponent(b.Vector2(x, y))]
        if velocity is not None or impulse is not None:
            components.append(b.VelocityComponent(b.Vector2(*(velocity or (0, 0))), b.Vector2(*(impulse or (0, 0))),
                                                  friction))
        if radius is not None:
            components.append(b.CollisionComponent(radius, **collision))
        e = b.Entity(-1, *components)
        self.ecs.addEntity(e)
        return e

    def step(self, timeStep=1.0, frames=1):
        for _ in range(frames):
            self.ecs.update(timeStep)

    def contacts(self):
        return [(evt.entity1, evt.entity2) for evt in self.events]


def coordinates(v):
    """x and y as Python reads them, checked against what native code reads (the movement writes natively)."""
    assert (v.x, v.y) == (v * b.Vector2(1, 0), v * b.Vector2(0, 1))
    return v.x, v.y


def pos(entity):
    return coordinates(entity.getComponent(b.PositionComponent).pos)


def impulse(entity):
    return coordinates(entity.getComponent(b.VelocityComponent).impulse)


@pytest.fixture(scope="module")
def level():
    return b.Level()


@pytest.fixture
def world(level, clean_engine_state):
    return World(level)


@pytest.fixture
def unraisable(monkeypatch):
    seen = []
    monkeypatch.setattr(sys, "unraisablehook", lambda u: seen.append(
        (u.object, u.exc_type, re.sub(r" at 0x[0-9a-f]+", "", str(u.exc_value)))))
    return seen


@pytest.mark.parametrize("friction, time_step, expected", [
    (2, 1, (1.8, 2.4)),
    (-2, 0.5, (2.4, 3.2)),  # the factor's sign does not matter
    (10, 1, (0, 0)),        # never reverses: stops at zero
])
def test_friction_wears_the_impulse_down(world, friction, time_step, expected):
    e = world.add(10, 10, velocity=(1, 0), impulse=(3, 4), friction=friction)
    given = e.getComponent(b.VelocityComponent).impulse
    world.step(time_step)
    assert impulse(e) == pytest.approx(expected)
    assert (given.x, given.y) == (3, 4) or expected == (0, 0)  # a shortened impulse is a new vector
    # This frame's move already uses the reduced impulse; the velocity is untouched.
    assert pos(e) == pytest.approx((10 + (1 + expected[0]) * time_step, 10 + expected[1] * time_step))
    assert e.getComponent(b.VelocityComponent).velocity.x == 1
    assert world.events == []


def test_tiny_impulse_is_cleared_in_place(world):
    e = world.add(10, 10, impulse=(5e-5, -5e-5), friction=0)
    vector = e.getComponent(b.VelocityComponent).impulse
    world.step()
    assert (vector.x, vector.y) == (0.0, 0.0)
    assert e.getComponent(b.VelocityComponent).impulse is vector


def test_without_collision_component_walls_do_not_stop(world):
    e = world.add(28.5, 10, velocity=(3, 0))
    world.step()
    assert pos(e) == pytest.approx((31.5, 10))
    assert world.events == []


@pytest.mark.parametrize("table", [dict, collections.UserDict], ids=["dict", "mapping that is no dict"])
def test_solid_bodies_end_touching(world, monkeypatch, table):
    monkeypatch.setattr(b.Engine, "_eventSubscribers", table(b.Engine._eventSubscribers))  # both are heard
    other = world.add(10.4, 10, radius=0.25)
    mover = world.add(9, 10, velocity=(1, 0), radius=0.25)
    world.step()
    assert pos(mover) == pytest.approx((9.9, 10))  # centres 0.5 apart instead of 0.4
    assert pos(other) == (10.4, 10)  # the other body stays where it is
    assert world.contacts() == [(mover, other)]


def test_ignore_flags_are_one_sided(world):
    ghost = world.add(9, 10, velocity=(1, 0), radius=0.25, hasFlags=["player"], ignoreFlags=["monster"])
    monster = world.add(10.4, 10, radius=0.25, hasFlags=["monster", "big"])
    world.step()
    assert pos(ghost) == pytest.approx((10, 10))  # passed into the monster without an event
    assert world.events == []
    ghost.getComponent(b.VelocityComponent).velocity = b.Vector2(0, 0)
    monster.addComponent(b.VelocityComponent(b.Vector2(-0.1, 0)))
    world.step()
    assert world.contacts() == [(monster, ghost)]  # the monster's own lists do not ignore the ghost
    assert pos(monster) == pytest.approx((10.5, 10))


def test_components_never_initialised_have_no_flag_lists(world):
    """Made without the initialiser, a collision component has no flag lists: it neither ignores
    nor is ignored, whichever side of the contact it is on."""
    def bare():
        return b.CollisionComponent.__new__(b.CollisionComponent)  # radius 0.25, flag lists unset

    wall = world.add(10.4, 10, radius=0.25, hasFlags=["monster"], ignoreFlags=["player"])
    mover = b.Entity(-1, b.PositionComponent(b.Vector2(9, 10)), b.VelocityComponent(b.Vector2(1, 0)), bare())
    world.ecs.addEntity(mover)
    world.step()
    assert pos(mover) == pytest.approx((9.9, 10))
    mover.getComponent(b.VelocityComponent).velocity = b.Vector2(0, 0)
    rock = b.Entity(-1, b.PositionComponent(b.Vector2(10.4, 12)), bare())
    world.ecs.addEntity(rock)
    seeker = world.add(9, 12, velocity=(1, 0), radius=0.25, ignoreFlags=["rock"])
    world.step()
    assert pos(seeker) == pytest.approx((9.9, 12))
    assert world.contacts() == [(mover, wall), (seeker, rock)]


def test_trigger_reports_every_frame_without_push(world):
    trigger = world.add(10, 10, radius=0.5, isOnlyTrigger=True)
    mover = world.add(9.5, 10, velocity=(0.25, 0), radius=0.25)
    world.step(frames=3)
    assert pos(mover) == pytest.approx((10.25, 10))
    assert world.contacts().count((mover, trigger)) == 3


def test_moving_trigger_is_pushed_by_solid_bodies(world):
    wall_body = world.add(10.4, 10, radius=0.25)
    trigger = world.add(9, 10, velocity=(1, 0), radius=0.25, isOnlyTrigger=True)
    world.step()
    assert pos(trigger) == pytest.approx((9.9, 10))
    assert world.contacts() == [(trigger, wall_body)]


def test_wall_pushes_out_on_the_frame_after_overlapping(world):
    # The level's east wall is the column x = 29. Walls are probed from where the body was, so the
    # first frame ends 0.1 from the wall (overlapping it) and the second pushes it out with three
    # probes: east (depth 0.15) and the two eastward diagonals (about 0.109 each).
    e = world.add(28.5, 15.5, velocity=(0.4, 0), radius=0.25)
    world.step()
    assert pos(e) == pytest.approx((28.9, 15.5))
    assert world.events == []
    e.getComponent(b.VelocityComponent).velocity = b.Vector2(0, 0)
    world.step()
    x, y = pos(e)
    assert 28.9 - x == pytest.approx(0.3036, abs=1e-3)
    assert y == pytest.approx(15.5, abs=1e-9)  # the diagonal pushes cancel
    assert world.contacts() == [(e, None)] * 3


def test_open_level_and_no_level_give_no_wall_contacts():
    open_level = b.Level()
    for i in range(30):
        for x, y in ((i, 0), (i, 29), (0, i), (29, i)):
            open_level.setBlock(b.BLOCK_EMPTY, x, y)
    try:
        for level in (open_level, None):
            world = World(level)
            e = world.add(15, 15, velocity=(0, 0), radius=40)  # every probe would reach a wall if there were one
            outside = world.add(-50, 80, velocity=(1, -2), radius=1)
            world.step()
            assert pos(e) == (15, 15)
            assert pos(outside) == (-49, 78)
            assert world.events == []
    finally:
        b.Engine._eventSubscribers.clear()


def test_without_engine_bodies_still_collide(level):
    ecs = b.Ecs(None)
    movement = b.MovementSystem(level)
    ecs.addSystem(movement)
    other = b.Entity(-1, b.PositionComponent(b.Vector2(10.4, 10)), b.CollisionComponent(0.25))
    mover = b.Entity(-1, b.PositionComponent(b.Vector2(9, 10)),
                     b.VelocityComponent(b.Vector2(1, 0)), b.CollisionComponent(0.25))
    ecs.addEntity(other)
    ecs.addEntity(mover)
    ecs.update(1.0)
    assert pos(mover) == pytest.approx((9.9, 10))


def test_raising_handler_abandons_only_that_move(world, unraisable):
    other = world.add(10.4, 10, radius=0.25)
    mover = world.add(9, 10, velocity=(1, 0), radius=0.25)
    free = world.add(5, 5, velocity=(1, 0))

    def explode(evt):
        raise RuntimeError("boom")

    world.engine.subscribeEvent(b.CollisionEvent, explode)
    world.step()
    assert unraisable == [("brovaline.MovementSystem._moveWithCollisionDetection", RuntimeError, "boom")]
    assert pos(mover) == (9, 10)  # kept its old position
    assert pos(free) == (6, 5)    # the other entities were updated
    assert world.contacts() == [(mover, other)]
    world.movement.collisionBodySystem._entities = ()  # a body list that is no list abandons the move too
    world.step()
    assert unraisable[1:] == [("brovaline.MovementSystem._moveWithCollisionDetection", TypeError,
                               "CollisionBodySystem._entities must be a list")]
    assert (pos(mover), pos(free)) == ((9, 10), (7, 5))


def clash_ahead_of_position(entity):
    def clash():
        raise RuntimeError("clash")

    key_ahead_of_position(entity).action = clash


@pytest.mark.parametrize("breaks, error, message", [
    (lambda e: setattr(e.getComponent(b.PositionComponent), "pos", None), TypeError,
     "PositionComponent.pos must be a brovaline.Vector2, not NoneType"),
    (lambda e: e._components.pop(b.CollisionComponent), TypeError,  # behind the Ecs' back: still listed as a body
     "entity <brovaline.Entity object> has no brovaline.CollisionComponent"),
    (lambda e: e._components.__setitem__(b.PositionComponent, b.VelocityComponent()), TypeError,
     "the brovaline.PositionComponent of entity <brovaline.Entity object> is a brovaline.VelocityComponent"),
    (clash_ahead_of_position, RuntimeError, "clash"),  # raised for the body's visit alone, not by the update
], ids=["position None", "collision component dropped", "foreign object as position", "raising key comparison"])
def test_broken_body_counts_as_no_contact(world, unraisable, breaks, error, message):
    broken = world.add(9.6, 10, radius=0.25)
    breaks(broken)
    other = world.add(10.4, 10, radius=0.25)
    mover = world.add(9, 10, velocity=(1, 0), radius=0.25)
    world.step()
    assert unraisable == [("brovaline._collisionDist", error, message)]
    assert pos(mover) == pytest.approx((9.9, 10))  # the later body is still tested
    assert world.contacts() == [(mover, other)]


def test_errors_before_the_move_propagate(world):
    e = world.add(10, 10, velocity=(1, 0))
    e.getComponent(b.VelocityComponent).impulse = None
    with pytest.raises(TypeError):
        world.step()


def test_handlers_may_change_components_mid_move(world):
    other = world.add(10.4, 10, radius=0.25)
    mover = world.add(9, 10, velocity=(1, 0), radius=0.25)
    old = mover.getComponent(b.PositionComponent).pos

    def teleport(evt):
        evt.entity1.getComponent(b.PositionComponent).pos = b.Vector2(3, 3)
        world.ecs.removeEntity(other)
        world.movement.collisionBodySystem._entities = []  # the list being walked is dropped

    world.engine.subscribeEvent(b.CollisionEvent, teleport)
    world.step()
    assert pos(mover) == (3, 3)  # the handler's new vector wins; the move finished on the old one
    assert (old.x, old.y) == pytest.approx((9.9, 10))


def test_flag_comparison_may_replace_the_flag_list(world):
    class Flag:
        def __eq__(self, other):
            mover.getComponent(b.CollisionComponent).ignoreFlags = []
            return False

        __hash__ = object.__hash__

    world.add(10.4, 10, radius=0.25, hasFlags=["a", "b"])
    mover = world.add(9, 10, velocity=(1, 0), radius=0.25, ignoreFlags=[Flag(), Flag()])
    world.step()
    assert pos(mover) == pytest.approx((9.9, 10))


def test_collision_body_system_follows_the_movement_system(level):
    engine = b.Engine()
    ecs = engine.ecs
    first = b.AbstractSystem()
    ecs.addSystem(first)
    movement = b.MovementSystem(level=level)
    cbs = movement.collisionBodySystem
    assert isinstance(cbs, b.CollisionBodySystem) and cbs.getEcs() is None
    ecs.addSystem(movement)
    assert ecs.getSystems() == [first, movement, cbs]
    assert cbs.getEcs() is ecs and cbs.getEngine() is engine
    still = b.Entity(-1, b.PositionComponent(), b.CollisionComponent())
    mover = b.Entity(-1, b.PositionComponent(), b.VelocityComponent(), b.CollisionComponent())
    ecs.addEntity(still)
    ecs.addEntity(mover)
    assert movement.entities == [mover] and cbs.entities == [still, mover]
    ecs.addSystem(movement)  # re-adding moves the bodies' system to the end, once
    assert ecs.getSystems() == [first, movement, cbs]
    ecs.removeSystem(movement)
    assert ecs.getSystems() == [first] and cbs.entities == []
    assert cbs.getEcs() is None and cbs.getEngine() is None and movement.getEngine() is None


def test_constructor_and_properties(level):
    """The errors of these calls are in test_binding_errors' table."""
    m = b.MovementSystem(level)
    assert m._level is level and m._cbs is m.collisionBodySystem
    assert m._broadPhase is True  # the comparisons with visiting every body assume it is on by default
    with pytest.raises(TypeError):
        m._setEngine(3)
    assert m.getEngine() is None  # refused before anything was set
    engine = b.Engine()
    m._setEngine(engine=engine)  # outside any Ecs: handed on to the bodies' system all the same
    assert m.getEngine() is engine and m.collisionBodySystem.getEngine() is engine
    m._cbs = None  # without a bodies' system, joining and leaving an Ecs touches no other system
    ecs = b.Ecs(None)
    ecs.addSystem(m)
    ecs.removeSystem(m)
    assert ecs.getSystems() == [] and m.getEcs() is None


def test_python_subclass_overrides_update_entity():
    calls = []

    class Counting(b.MovementSystem):
        def _updateEntity(self, entity, timeStep):
            calls.append(timeStep)
            super()._updateEntity(entity, timeStep=timeStep)

    counting = Counting(None)
    ecs = b.Ecs(None)
    ecs.addSystem(counting)
    e = b.Entity(-1, b.PositionComponent(), b.VelocityComponent(b.Vector2(2, 0)))
    ecs.addEntity(e)
    ecs.update(0.25)
    assert calls == [0.25]
    assert pos(e) == (0.5, 0)
