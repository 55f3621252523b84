"""MovementSystem.update with the broad phase gives exactly what visiting every body gives."""
import math
import random
import struct
import sys
import types

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
        # Some worlds hold only giants, whose reach and cells no longer fit in a double.
        giants = seed % 10 == 9
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
                if giants:
                    radius = 7e307
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
        if rng is not None and rng.random() < 0.5:
            rng.choice(HANDLER_ACTIONS)(self, rng, rng.choice(self.entities))

    def add_body(self, rng):
        e = b.Entity(len(self.entities), b.PositionComponent(b.Vector2(rng.uniform(1, 9), rng.uniform(1, 9))),
                     b.CollisionComponent(rng.uniform(0.1, 0.5)))
        self.entities.append(e)
        self.engine.ecs.addEntity(e)

    def positions(self):
        out = []
        for e in self.entities:
            position = e._components.get(b.PositionComponent)
            p = position.pos if position is not None else b.Vector2(math.inf, math.inf)
            out.append(struct.pack("<dd", p.x, p.y))
        return out


def _component(entity, kind):
    return entity.getComponent(kind) or kind()  # a detached one when the entity has none


def _somewhere(rng):
    return rng.uniform(1, SIZE - 1), rng.uniform(1, SIZE - 1)


# What a collision handler may do to the world, each something the next bodies' tests must see (or not
# be affected by): positions changed in place or replaced, vectors shared with other components changed,
# sizes and flags changed (also in place), components and entities added and removed.
HANDLER_ACTIONS = [
    lambda scene, rng, e: None,
    lambda scene, rng, e: None,
    lambda scene, rng, e: sorted(map(str, scene.contacts[-9:])),  # Python that touches nothing of the world
    lambda scene, rng, e: {}.update(a=1),  # changes a dict that no body holds
    lambda scene, rng, e: setattr(_component(e, b.PositionComponent), "pos", b.Vector2(*_somewhere(rng))),
    lambda scene, rng, e: setattr(_component(e, b.PositionComponent).pos, "x", rng.uniform(1, SIZE - 1)),
    lambda scene, rng, e: setattr(_component(e, b.PositionComponent).pos, "_y", rng.uniform(1, SIZE - 1)),
    lambda scene, rng, e: _component(e, b.PositionComponent).pos.set(b.Vector2(*_somewhere(rng))),
    lambda scene, rng, e: _component(e, b.PositionComponent).pos.add(b.Vector2(rng.uniform(-3, 3), 0)),
    lambda scene, rng, e: _component(e, b.PositionComponent).pos.rotate(rng.uniform(-5, 5)),
    lambda scene, rng, e: _component(e, b.PositionComponent).pos.__init__(*_somewhere(rng)),
    lambda scene, rng, e: _component(e, b.PositionComponent).loadFromDict(None, dict(zip("xy", _somewhere(rng)))),
    lambda scene, rng, e: _component(e, b.PositionComponent).__init__(b.Vector2(*_somewhere(rng))),
    # the velocity (or impulse) vector may be another body's position
    lambda scene, rng, e: _component(e, b.VelocityComponent).velocity.scale(rng.uniform(-2, 2)),
    lambda scene, rng, e: _component(e, b.VelocityComponent).impulse.negate(),
    lambda scene, rng, e: setattr(_component(e, b.VelocityComponent), "velocity", _component(
        rng.choice(scene.entities), b.PositionComponent).pos),
    lambda scene, rng, e: setattr(_component(e, b.CollisionComponent), "radius", rng.uniform(0.1, 1.5)),
    lambda scene, rng, e: setattr(_component(e, b.CollisionComponent), "_radius", rng.uniform(2, 5)),
    lambda scene, rng, e: _component(e, b.CollisionComponent).__init__(rng.uniform(0.1, 0.8)),
    lambda scene, rng, e: setattr(_component(e, b.CollisionComponent), "hasFlags", random_flags(rng)),
    lambda scene, rng, e: setattr(_component(e, b.CollisionComponent), "ignoreFlags", random_flags(rng)),
    lambda scene, rng, e: (_component(e, b.CollisionComponent).hasFlags or []).append(
        rng.choice(("a", 1, LoudFlag("a")))),
    lambda scene, rng, e: (_component(e, b.CollisionComponent).ignoreFlags or []).append(
        rng.choice(("a", "b", LoudFlag("a")))),
    lambda scene, rng, e: (_component(e, b.CollisionComponent).hasFlags or [0]).clear(),
    lambda scene, rng, e: e.removeComponent(b.CollisionComponent),
    lambda scene, rng, e: e.addComponent(b.CollisionComponent(rng.uniform(0.1, 0.6))),
    lambda scene, rng, e: e._components.__setitem__(  # behind the Ecs' back
        b.PositionComponent, b.PositionComponent(b.Vector2(*_somewhere(rng)))),
    lambda scene, rng, e: e._components.__setitem__(b.CollisionComponent, b.CollisionComponent(1.0)),
    lambda scene, rng, e: setattr(e, "_components", dict(e._components)),
    lambda scene, rng, e: scene.engine.ecs.removeEntity(e) if e._ecs is not None else None,
    lambda scene, rng, e: scene.add_body(rng),
]


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
    ghost = b.Entity(4, b.PositionComponent(spot), b.CollisionComponent(0.25, isOnlyTrigger=True))  # shares it too
    body = b.Entity(0, b.PositionComponent(spot), b.CollisionComponent(0.25))
    if how == "impulse cleared in place":  # (20, 20) is shorter than the friction: cleared to (0, 0)
        pusher = b.Entity(1, b.PositionComponent(b.Vector2(40, 40)), b.VelocityComponent(b.Vector2(0, 0), spot, 1000))
    else:  # the same vector as its position: moves the body by (-20, -20)
        pusher = b.Entity(1, b.PositionComponent(spot), b.VelocityComponent(b.Vector2(-20, -20), b.Vector2(0, 0), 0))
    mover = b.Entity(2, b.PositionComponent(b.Vector2(1, 0)), b.VelocityComponent(b.Vector2(-0.6, 0)),
                     b.CollisionComponent(0.25))
    first = b.Entity(3, b.PositionComponent(b.Vector2(30, 0)), b.VelocityComponent(), b.CollisionComponent(0.25))
    for e in (first, ghost, body, pusher, mover):  # the first mover sees every body where it started
        engine.ecs.addEntity(e)
    movement.update(1.0)
    assert (spot.x, spot.y) == (0, 0)
    assert contacts == [(2, 4), (2, 0)]


def _movement_on(broad_phase):
    """A new engine whose Ecs runs a MovementSystem on no level, with the broad phase on or off."""
    engine = b.Engine()
    movement = b.MovementSystem(None)
    movement._broadPhase = broad_phase
    engine.ecs.addSystem(movement)
    return engine, movement


def _far_position(far):
    return far.getComponent(b.PositionComponent)


# Ways for a handler to put the far body (or a new one, id 1) at (5.9, 5), or its reach, in the mover's
# path. `w` holds the three bodies, a detached velocity sharing the far one's position vector, the Ecs,
# and a position component made beforehand at that spot (so that making it does not count as the change).
BRING_INTO_THE_PATH = {
    "position replaced": lambda w: setattr(_far_position(w.far), "pos", w.ready.pos),
    "x set": lambda w: (setattr(_far_position(w.far).pos, "x", 5.9), setattr(_far_position(w.far).pos, "y", 5.0)),
    "only y lowered": lambda w: setattr(_far_position(w.far).pos, "y", 5.0),  # the far body starts at (5.9, 50)
    "only x lowered": lambda w: setattr(_far_position(w.far).pos, "x", 5.9),  # the far body starts at (50, 5)
    "set in place": lambda w: _far_position(w.far).pos.set(w.ready.pos),
    "re-initialised": lambda w: _far_position(w.far).pos.__init__(5.9, 5),
    "through a vector shared with a velocity": lambda w: w.spare.velocity.sub(b.Vector2(44.1, 45)),
    "component replaced behind the Ecs": lambda w: w.far._components.__setitem__(b.PositionComponent, w.ready),
    "component dict replaced": lambda w: setattr(w.far, "_components", {
        b.PositionComponent: w.ready, b.CollisionComponent: w.far.getComponent(b.CollisionComponent)}),
    "radius grown": lambda w: setattr(w.far.getComponent(b.CollisionComponent), "radius", 63.5),
    # Every radius changed so that its first differing byte is one less, or one more: 0.25 to 0.2421875
    # or 0.265625, the far body's to 15872 or 16384 (0x3FD0... to 0x3FCF... and 0x40CF..., or to
    # 0x3FD1... and 0x40D0...).
    "every radius shrunk by a byte": lambda w: [setattr(e.getComponent(b.CollisionComponent), "radius", r) for e, r in
                                                ((w.trigger, 0.2421875), (w.mover, 0.2421875), (w.far, 15872.0))],
    "every radius grown by a byte": lambda w: [setattr(e.getComponent(b.CollisionComponent), "radius", r) for e, r in
                                               ((w.trigger, 0.265625), (w.mover, 0.265625), (w.far, 16384.0))],
    "new entity": lambda w: w.ecs.addEntity(b.Entity(1, w.ready, b.CollisionComponent(0.25))),
}


def bring_into_the_path(how, broad_phase):
    engine, movement = _movement_on(broad_phase)
    trigger = b.Entity(0, b.PositionComponent(b.Vector2(5.5, 5)), b.CollisionComponent(0.25, isOnlyTrigger=True))
    far_start = {"only y lowered": (5.9, 50), "only x lowered": (50, 5)}.get(how, (50, 50))
    far = b.Entity(1, b.PositionComponent(b.Vector2(*far_start)), b.CollisionComponent(0.25))
    spare = b.VelocityComponent(_far_position(far).pos)  # detached, sharing the far body's position
    world = types.SimpleNamespace(far=far, spare=spare, ecs=engine.ecs, ready=b.PositionComponent(b.Vector2(5.9, 5)))
    mover = b.Entity(2, b.PositionComponent(b.Vector2(5, 5)), b.VelocityComponent(b.Vector2(0.5, 0)),
                     b.CollisionComponent(0.25))
    world.trigger, world.mover = trigger, mover
    for e in (trigger, far, mover) if how != "new entity" else (trigger, mover):
        engine.ecs.addEntity(e)
    contacts = []
    bring = BRING_INTO_THE_PATH[how]

    def handler(evt):
        contacts.append((evt.entity1.id, evt.entity2.id))
        if len(contacts) == 1:
            bring(world)

    engine.subscribeEvent(b.CollisionEvent, handler)
    movement.update(1.0)
    b.Engine._eventSubscribers.clear()
    pos = mover.getComponent(b.PositionComponent).pos
    return contacts, struct.pack("<dd", pos.x, pos.y)


@pytest.mark.parametrize("how", BRING_INTO_THE_PATH)
def test_a_handler_bringing_a_body_into_the_path_is_seen_at_once(how):
    contacts, position = bring_into_the_path(how, broad_phase=True)
    assert contacts[:2] == [(2, 0), (2, 1)]
    assert (contacts, position) == bring_into_the_path(how, broad_phase=False)



class ComponentsWithSideEffects(dict):
    """An entity's components that are not an exact dict: the engine reads them through getComponent,
    and reading the velocity runs `on_velocity` once."""

    on_velocity = None

    def get(self, key, *default):
        if key is b.VelocityComponent and self.on_velocity:
            action, self.on_velocity = self.on_velocity, None
            action()
        return super().get(key, *default)


class ReleasedImpulse(b.Vector2):
    """An impulse that runs `on_release` when the movement drops it for the shortened one."""

    on_release = None

    def __del__(self):
        if self.on_release:
            self.on_release()


@pytest.mark.parametrize("broad_phase", [False, True])
@pytest.mark.parametrize("when", ["its velocity is read", "its old impulse is released"])
def test_a_body_moved_while_the_mover_is_handled_is_seen(broad_phase, when):
    """Python code that runs while the mover's own data is handled puts a far body in its path."""
    engine, movement = _movement_on(broad_phase)
    first = b.Entity(0, b.PositionComponent(b.Vector2(30, 30)), b.VelocityComponent(b.Vector2(0.1, 0)),
                     b.CollisionComponent(0.25))
    far = b.Entity(1, b.PositionComponent(b.Vector2(50, 50)), b.CollisionComponent(0.25))
    into_the_path = lambda: _far_position(far).pos.set(b.Vector2(5.9, 5))  # noqa: E731
    impulse = ReleasedImpulse(0.5, 0) if when == "its old impulse is released" else b.Vector2(0.5, 0)
    mover = b.Entity(2, b.PositionComponent(b.Vector2(5, 5)), b.VelocityComponent(b.Vector2(0, 0), impulse, 0),
                     b.CollisionComponent(0.25))
    if when == "its velocity is read":
        mover._components = ComponentsWithSideEffects(mover._components)
    for e in (first, far, mover):
        engine.ecs.addEntity(e)
    if when == "its velocity is read":
        mover._components.on_velocity = into_the_path
    else:
        impulse.on_release = into_the_path
    del impulse
    contacts = []
    engine.subscribeEvent(b.CollisionEvent, lambda evt: contacts.append((evt.entity1.id, evt.entity2.id)))
    movement.update(1.0)
    b.Engine._eventSubscribers.clear()
    assert contacts == [(2, 1)]


# Who has the unusable position: the report that moves the far body, and every report the frame makes.
BROKEN = {
    "a body": ("brovaline._collisionDist", ["brovaline._collisionDist"]),
    "a mover": ("brovaline.MovementSystem._moveWithCollisionDetection",
                ["brovaline._collisionDist", "brovaline.MovementSystem._moveWithCollisionDetection",
                 "brovaline._collisionDist"]),
}


@pytest.mark.parametrize("broad_phase", [False, True])
@pytest.mark.parametrize("broken_one", BROKEN)
def test_a_body_moved_while_a_broken_one_is_reported_is_seen(broad_phase, broken_one, monkeypatch):
    """Reporting a body or mover whose position is unusable runs the unraisable hook, which puts a far
    body in the mover's path before the mover reaches it in member order (a broken mover after the grid
    was made by an earlier one)."""
    engine, movement = _movement_on(broad_phase)
    mover_parts = (b.VelocityComponent(b.Vector2(0.1, 0)),) if broken_one == "a mover" else ()
    broken = b.Entity(0, b.PositionComponent(b.Vector2(30, 30)), *mover_parts, b.CollisionComponent(0.25))
    far = b.Entity(1, b.PositionComponent(b.Vector2(50, 50)), b.CollisionComponent(0.25))
    # moved by an impulse that stays: no write of its own before its walk tells the frame of the change
    mover = b.Entity(2, b.PositionComponent(b.Vector2(5, 5)),
                     b.VelocityComponent(b.Vector2(0, 0), b.Vector2(0.5, 0), 0), b.CollisionComponent(0.25))
    first = b.Entity(3, b.PositionComponent(b.Vector2(40, 40)), b.VelocityComponent(b.Vector2(0.1, 0)),
                     b.CollisionComponent(0.25))
    for e in (broken, far, mover) if broken_one == "a body" else (first, far, broken, mover):
        engine.ecs.addEntity(e)
    broken.getComponent(b.PositionComponent).pos = None
    moving_report, expected_reports = BROKEN[broken_one]
    reports = []

    def hook(u):
        reports.append(u.object)
        if u.object == moving_report:
            _far_position(far).pos.set(b.Vector2(5.9, 5))

    monkeypatch.setattr(sys, "unraisablehook", hook)
    contacts = []
    engine.subscribeEvent(b.CollisionEvent, lambda evt: contacts.append((evt.entity1.id, evt.entity2.id)))
    movement.update(1.0)
    b.Engine._eventSubscribers.clear()
    assert (reports, contacts) == (expected_reports, [(2, 1)])


@pytest.mark.parametrize("broad_phase", [False, True])
def test_flags_whose_comparison_runs_python_are_compared_like_every_other(broad_phase):
    """Far bodies hold a flag whose comparison runs Python, from the start or gained in place: every
    later mover that ignores flags compares each of them, near or far."""
    engine, movement = _movement_on(broad_phase)
    compared = []

    class CountedFlag(LoudFlag):
        def __eq__(self, other):
            compared.append((self.name, other))
            return False

        __hash__ = object.__hash__

    far_flags = ["b"]
    trigger = b.Entity(0, b.PositionComponent(b.Vector2(5.5, 5)), b.CollisionComponent(0.25, isOnlyTrigger=True))
    far = b.Entity(1, b.PositionComponent(b.Vector2(50, 50)), b.CollisionComponent(0.25, hasFlags=far_flags))
    loud = [b.Entity(4 + i, b.PositionComponent(b.Vector2(*spot)), b.CollisionComponent(0.25, hasFlags=[CountedFlag(n)]))
            for i, (spot, n) in enumerate((((50, 90), "y"), ((90, 50), "z")))]  # apart, in cells of their own
    movers = [b.Entity(2 + i, b.PositionComponent(b.Vector2(5, 5 + 3 * i)), b.VelocityComponent(b.Vector2(0.5, 0)),
                       b.CollisionComponent(0.25, ignoreFlags=["a"] if i else [])) for i in range(2)]
    for e in (trigger, far, *movers, *loud):
        engine.ecs.addEntity(e)
    engine.subscribeEvent(b.CollisionEvent, lambda evt: far_flags.append(CountedFlag("x")))
    movement.update(1.0)
    assert compared == [("x", "a"), ("y", "a"), ("z", "a")]


def replace_the_body_list(broad_phase, in_place):
    """The first mover's handler gives the collision-body system a new list of the same length (or changes
    the list in place, which touches no dict), the far body swapped for one in the second mover's path:
    the second mover meets it."""
    engine, movement = _movement_on(broad_phase)
    trigger = b.Entity(0, b.PositionComponent(b.Vector2(5.5, 5)), b.CollisionComponent(0.25, isOnlyTrigger=True))
    far = b.Entity(1, b.PositionComponent(b.Vector2(50, 50)), b.CollisionComponent(0.25))
    near = b.Entity(1, b.PositionComponent(b.Vector2(10.9, 10)), b.CollisionComponent(0.25))
    movers = [b.Entity(2 + i, b.PositionComponent(b.Vector2(5 + 5 * i, 5 + 5 * i)),
                       b.VelocityComponent(b.Vector2(0.5, 0)), b.CollisionComponent(0.25)) for i in range(2)]
    for e in (trigger, far, *movers):
        engine.ecs.addEntity(e)
    cbs = movement.collisionBodySystem
    contacts = []

    def handler(evt):
        contacts.append((evt.entity1.id, evt.entity2.id))
        if len(contacts) == 1 and in_place:
            cbs._entities[1] = near
        elif len(contacts) == 1:
            cbs._entities = [near if e is far else e for e in cbs._entities]

    engine.subscribeEvent(b.CollisionEvent, handler)
    movement.update(1.0)
    b.Engine._eventSubscribers.clear()
    return contacts


@pytest.mark.parametrize("in_place", [False, True])
def test_a_body_list_replaced_by_a_handler_is_read_by_the_next_mover(in_place):
    contacts = replace_the_body_list(True, in_place)
    assert contacts == [(2, 0), (3, 1)]
    assert contacts == replace_the_body_list(False, in_place)
