"""MovementSystem.update with the broad phase gives exactly what visiting every body gives."""
import math
import random
import struct

import pytest

import brovaline as b

pytestmark = pytest.mark.usefixtures("clean_engine_state")   # the scenes subscribe on engines of their own

SIZE = 30


class LoudFlag:
    """A flag whose comparison runs Python code."""

    def __init__(self, name):
        self.name = name

    def __eq__(self, other):
        return isinstance(other, LoudFlag) and other.name == self.name

    __hash__ = object.__hash__


def random_level(rng):
    level = b.Level()  # walled 30 x 30
    for _ in range(rng.randrange(0, 60)):
        level.setBlock(rng.choice((1, 1, 1, 2, 3, 4, 5)), rng.randrange(1, SIZE - 1), rng.randrange(1, SIZE - 1))
    return level


def random_flags(rng):
    return rng.choice((None, [], ["a"], ["b", 1], [1], ["a", "c"]))


class Scene:
    """A world rebuilt identically from a seed, with the broad phase on or off."""

    def __init__(self, seed, broad_phase):
        rng = random.Random(seed)
        self.engine = b.Engine()
        self.movement = b.MovementSystem(random_level(rng))
        self.movement._broadPhase = broad_phase
        self.engine.ecs.addSystem(self.movement)
        self.entities = []
        self.contacts = []
        self.handler_rng = random.Random(seed) if rng.random() < 0.5 else None
        self.listens = rng.random() < 0.8
        crowd = rng.uniform(3, SIZE - 2)
        previous = b.Vector2(0.5, 0.5)  # the last body's position vector, sometimes shared with the next one
        for i in range(rng.randrange(40, 160)):
            x, y = rng.uniform(1, 1 + crowd), rng.uniform(1, 1 + crowd)
            pos = previous if rng.random() < 0.03 else b.Vector2(x, y)
            components = [b.PositionComponent(pos)]
            if rng.random() < 0.8:
                speed = rng.choice((0.3, 1, 3))
                velocity = b.Vector2(rng.uniform(-speed, speed), rng.uniform(-speed, speed))
                if rng.random() < 0.01:
                    velocity = b.Vector2(math.nan, 0)
                impulse = b.Vector2(rng.uniform(-2, 2), rng.uniform(-2, 2)) if rng.random() < 0.2 else b.Vector2(0, 0)
                friction = rng.uniform(0, 3)
                if rng.random() < 0.03:  # a body's position as the impulse, cleared in place by strong friction
                    impulse, friction = previous, 1000
                components.append(b.VelocityComponent(velocity, impulse, friction))
            if rng.random() < 0.9:
                radius = rng.choice((0.25, 0.25, rng.uniform(0.05, 0.6), rng.uniform(-0.1, 0.1)))
                if rng.random() < 0.03:
                    radius = rng.uniform(2, 6)
                has_flags = random_flags(rng)
                if rng.random() < 0.02:
                    has_flags = [LoudFlag("a")]
                components.append(b.CollisionComponent(radius, isOnlyTrigger=rng.random() < 0.15, hasFlags=has_flags,
                                                       ignoreFlags=random_flags(rng)))
            previous = pos
            e = b.Entity(i, *components)
            self.engine.ecs.addEntity(e)
            self.entities.append(e)

    def update(self, time_step):
        """One frame; the subscriber table is shared by all engines, so it is set up for this scene."""
        b.Engine._eventSubscribers.clear()
        if self.listens:
            self.engine.subscribeEvent(b.CollisionEvent, self.record)
        self.movement.update(time_step)

    def record(self, evt):
        other = evt.entity2
        self.contacts.append((evt.entity1.id, None if other is None else other.id))
        rng = self.handler_rng
        if rng is None or rng.random() < 0.75:
            return
        target = rng.choice(self.entities)
        action = rng.randrange(5)
        if action == 0 and target.getComponent(b.PositionComponent) is not None:
            target.getComponent(b.PositionComponent).pos = b.Vector2(rng.uniform(1, SIZE - 1), rng.uniform(1, SIZE - 1))
        elif action == 1 and target.getComponent(b.CollisionComponent) is not None:
            target.getComponent(b.CollisionComponent).radius = rng.uniform(0.1, 1.5)
        elif action == 2 and target.getComponent(b.CollisionComponent) is not None:
            target.getComponent(b.CollisionComponent).hasFlags = random_flags(rng)
        elif action == 3 and target._ecs is not None:
            self.engine.ecs.removeEntity(target)
        else:
            e = b.Entity(len(self.entities), b.PositionComponent(b.Vector2(rng.uniform(1, 9), rng.uniform(1, 9))),
                         b.CollisionComponent(rng.uniform(0.1, 0.5)))
            self.entities.append(e)
            self.engine.ecs.addEntity(e)

    def positions(self):
        out = []
        for e in self.entities:
            p = e.getComponent(b.PositionComponent).pos
            out.append(struct.pack("<dd", p.x, p.y))
        return out


@pytest.mark.parametrize("seed", range(40))
def test_broad_phase_matches_visiting_every_body(seed):
    plain = Scene(seed, broad_phase=False)
    broad = Scene(seed, broad_phase=True)
    for _ in range(8):
        plain.update(0.1)
        broad.update(0.1)
        assert broad.contacts == plain.contacts
        assert broad.positions() == plain.positions()
    assert plain.contacts or not plain.listens


def test_broad_phase_matches_without_listeners():
    """Without subscribers no event is made; the bodies must still end in the same places."""
    for seed in range(100, 110):
        plain = Scene(seed, broad_phase=False)
        broad = Scene(seed, broad_phase=True)
        plain.listens = broad.listens = False
        for _ in range(8):
            plain.update(0.1)
            broad.update(0.1)
        assert broad.positions() == plain.positions()


@pytest.mark.parametrize("how", ["impulse cleared in place", "moved by an entity without a body"])
def test_a_body_moved_through_a_shared_vector_is_found_where_it_went(how):
    engine = b.Engine()
    movement = b.MovementSystem(None)
    engine.ecs.addSystem(movement)
    contacts = []
    engine.subscribeEvent(b.CollisionEvent, lambda evt: contacts.append((evt.entity1.id, evt.entity2.id)))
    spot = b.Vector2(20, 20)
    body = b.Entity(0, b.PositionComponent(spot), b.CollisionComponent(0.25))
    if how == "impulse cleared in place":  # (20, 20) is shorter than the friction: cleared to (0, 0)
        pusher = b.Entity(1, b.PositionComponent(b.Vector2(40, 40)), b.VelocityComponent(b.Vector2(0, 0), spot, 1000))
    else:  # the same vector as its position: moves the body by (-20, -20)
        pusher = b.Entity(1, b.PositionComponent(spot), b.VelocityComponent(b.Vector2(-20, -20), b.Vector2(0, 0), 0))
    mover = b.Entity(2, b.PositionComponent(b.Vector2(1, 0)), b.VelocityComponent(b.Vector2(-0.6, 0)),
                     b.CollisionComponent(0.25))
    first = b.Entity(3, b.PositionComponent(b.Vector2(30, 0)), b.VelocityComponent(), b.CollisionComponent(0.25))
    for e in (first, body, pusher, mover):  # the first mover sees every body where it started
        engine.ecs.addEntity(e)
    movement.update(1.0)
    assert (spot.x, spot.y) == (0, 0)
    assert contacts == [(2, 0)]


def test_a_handler_moving_a_later_body_into_the_path_is_seen_at_once():
    engine = b.Engine()
    movement = b.MovementSystem(None)
    engine.ecs.addSystem(movement)
    trigger = b.Entity(0, b.PositionComponent(b.Vector2(5.5, 5)), b.CollisionComponent(0.25, isOnlyTrigger=True))
    far = b.Entity(1, b.PositionComponent(b.Vector2(50, 50)), b.CollisionComponent(0.25))
    mover = b.Entity(2, b.PositionComponent(b.Vector2(5, 5)), b.VelocityComponent(b.Vector2(0.5, 0)),
                     b.CollisionComponent(0.25))
    for e in (trigger, far, mover):
        engine.ecs.addEntity(e)
    contacts = []

    def bring_the_far_body(evt):
        contacts.append((evt.entity1.id, evt.entity2.id))
        far.getComponent(b.PositionComponent).pos = b.Vector2(5.9, 5)

    engine.subscribeEvent(b.CollisionEvent, bring_the_far_body)
    movement.update(1.0)
    assert contacts == [(2, 0), (2, 1)]
    assert mover.getComponent(b.PositionComponent).pos.x == pytest.approx(5.4)
