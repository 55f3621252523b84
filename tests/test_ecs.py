import gc
import weakref

import pytest

import brovaline as b


class Pos:
    pass


class Vel:
    pass


class SubPos(Pos):
    pass


@pytest.fixture
def ecs():
    return b.Ecs(None)


def test_entity_ids():
    e = b.Entity()
    assert e.id == -1
    ecs = b.Ecs(None)
    ecs.addEntity(e)
    assert e.id == id(e)
    seven = b.Entity(7)
    ecs.addEntity(seven)
    assert seven.id == 7
    assert b.Entity(id=-5).id == -5
    for bad in (True, 1.0, "1"):
        with pytest.raises(ValueError, match="Entity ID must be int"):
            b.Entity(bad)


def test_components_keyed_by_exact_class():
    p1, p2, v = Pos(), Pos(), Vel()
    e = b.Entity(1, p1, v, p2)
    assert e.getComponent(Pos) is p2  # later one wins in the constructor
    e.addComponent(Pos())
    assert e.getComponent(Pos) is p2  # present one stays
    s = SubPos()
    e.addComponent(s)
    assert e.getComponent(SubPos) is s
    e.removeComponent(Pos())  # any instance of the class removes the stored one
    assert e.getComponent(Pos) is None
    e.removeComponentType(SubPos)
    assert list(e.getComponents()) == [v]
    e.removeComponentType(Pos)  # absent: silently nothing


class Meta(type):  # classes of this metaclass compare by name: identity does not decide for them
    def __eq__(cls, other):
        return isinstance(other, Meta) and cls.__name__ == other.__name__

    __hash__ = type.__hash__


Named, Twin = Meta("Named", (), {}), Meta("Named", (), {})

# getComponent remembers what it found; every way of changing what an entity holds must show at once.
LOOKUP_CHANGES = {
    "component added": lambda e, other: e.addComponent(Vel()),
    "component type removed": lambda e, other: e.removeComponentType(Pos),
    "dict item replaced": lambda e, other: e._components.__setitem__(Pos, Pos()),
    "dict item popped": lambda e, other: e._components.pop(Pos),
    "dict cleared": lambda e, other: e._components.clear(),
    "dict replaced": lambda e, other: setattr(e, "_components", {Pos: Pos()}),
    "dicts swapped": lambda e, other: setattr(e, "_components", other._components),
    "equal-named class added": lambda e, other: e._components.__setitem__(Twin, Twin()),
}


@pytest.mark.parametrize("change", LOOKUP_CHANGES)
def test_get_component_sees_every_change(change):
    e, other = b.Entity(1, Pos(), Named()), b.Entity(2, Pos(), Vel())
    for _ in range(2):  # the second round reads what the first remembered
        for cls in (Pos, Vel, Named, Twin):
            assert e.getComponent(cls) is e._components.get(cls)
    LOOKUP_CHANGES[change](e, other)
    for cls in (Pos, Vel, Named, Twin):
        assert e.getComponent(cls) is e._components.get(cls)


def test_membership_is_eager(ecs):
    system = b.AbstractSystem(Pos, Vel)
    ecs.addSystem(system)
    e = b.Entity(1, Pos())
    ecs.addEntity(e)
    assert system.entities == []
    e.addComponent(Vel())
    assert system.entities == [e]
    e.removeComponentType(Pos)
    assert system.entities == []
    every = b.AbstractSystem()
    ecs.addSystem(every)
    assert every.entities == [e]
    ecs.removeEntity(e)
    assert every.entities == [] and e._ecs is None and e.id == 1
    free = b.Entity(2)
    free.addComponent(Pos())  # a free entity only changes its dict
    assert free._ecs is None


def test_get_entities_and_lookup(ecs):
    a, c = b.Entity(5, Pos()), b.Entity(5, Pos(), Vel())
    ecs.addEntity(a)
    ecs.addEntity(c)
    ecs.addEntity(a)  # twice: no change
    assert ecs.getEntities() is ecs.getEntities()
    assert ecs.getEntities() == [a, c]
    it = ecs.getEntities(Pos, Vel)
    assert list(it) == [c] and list(it) == []
    assert ecs.getEntityById(5) is a
    assert ecs.getEntityById(6) is None
    ecs.removeAllEntities()
    assert ecs.getEntities() == []


def test_membership_uses_python_equality_where_defined(ecs):
    """Lists are searched by identity only while nothing in them defines ==; then `in` decides."""

    class SameId(b.Entity):
        def __eq__(self, other):
            return isinstance(other, b.Entity) and other.id == self.id

        __hash__ = b.Entity.__hash__

    system = b.AbstractSystem()
    ecs.addSystem(system)
    first, twin, plain = SameId(7), SameId(7), b.Entity(7)
    ecs.addEntity(first)
    ecs.addEntity(twin)  # equal to one already there: no change
    ecs.addEntity(plain)  # plain == falls back to first's ==, which says equal
    assert ecs.getEntities() == [first] and system.entities == [first]
    ecs.removeEntity(twin)  # removes the equal one
    assert ecs.getEntities() == [] and system.entities == []
    ecs.addEntity(plain)
    ecs.getEntities().insert(0, SameId(8))  # a foreign == ahead of plain in the live list
    ecs.addEntity(b.Entity(8))
    assert [e.id for e in ecs.getEntities()] == [8, 7]
    ecs.removeEntity(plain)
    assert [e.id for e in ecs.getEntities()] == [8] and system.entities == []


# getEntities(*types) reads each entity when it reaches it: the same entities, in the same order, as a
# filter over the list would give, whatever the loop changes on the way.

def reference_query(entities, types):
    return filter(lambda e: all(t in e._components for t in types), entities)


def add_vel(ents, i):
    ents[i + 1].addComponent(Vel())


QUERY_CHANGES = {
    "component added ahead": add_vel,
    "component removed ahead": lambda ents, i: ents[i + 1].removeComponentType(Pos),
    "dict changed directly": lambda ents, i: ents[i + 1]._components.pop(Vel, None),
    "dict replaced": lambda ents, i: setattr(ents[i + 1], "_components", {Pos: Pos(), Vel: Vel()}),
    "entity appended": lambda ents, i: ents.append(b.Entity(99, Pos(), Vel())),
    "entity removed behind": lambda ents, i: ents.pop(0),
    "entity replaced ahead": lambda ents, i: ents.__setitem__(i + 1, b.Entity(98, Pos(), Vel())),
    "list cleared": lambda ents, i: ents.clear(),
}


@pytest.mark.parametrize("change", QUERY_CHANGES)
def test_query_reflects_changes_made_during_iteration(change):
    def run(query):
        ecs = b.Ecs(None)
        for i in range(8):
            ecs.addEntity(b.Entity(i, Pos(), *([Vel()] if i % 2 else [])))
        ents = ecs.getEntities()
        list(query(ecs, ents))  # a first pass: the entities now remember their answers
        seen = []
        for e in query(ecs, ents):
            seen.append(e.id)
            if len(seen) == 2:
                QUERY_CHANGES[change](ents, ents.index(e) if e in ents else 0)
        return seen, [e.id for e in query(ecs, ents)]  # and once more, after the change

    assert run(lambda ecs, ents: ecs.getEntities(Pos, Vel)) == run(lambda ecs, ents: reference_query(ents, (Pos, Vel)))


def test_queries_of_different_classes_alternate(ecs):
    for i in range(6):
        ecs.addEntity(b.Entity(i, *[c() for c, bit in ((Pos, 1), (Vel, 2), (Named, 4)) if i & bit]))
    queries = [(Pos, Vel), (Pos,), (Vel,), (Vel, Pos), (Named,), (Twin,), (Pos, Vel)]
    for _ in range(2):
        for types in queries:
            assert list(ecs.getEntities(*types)) == list(reference_query(ecs.getEntities(), types))
        ecs.getEntities()[3].removeComponentType(Pos)


def test_query_entities_of_every_kind(ecs):
    class Tagged(b.Entity):
        @property
        def _components(self):
            return {Pos: None, Vel: None}

    class Plain:  # not an Entity at all, only the attribute
        _components = {Pos: None, Vel: None}

    tagged, plain, sub = Tagged(1), Plain(), b.Entity(3, SubPos(), Vel())
    ents = ecs.getEntities()
    ents += [tagged, plain, sub]
    assert list(ecs.getEntities(Pos, Vel)) == [tagged, plain]
    it = ecs.getEntities(Pos)
    assert list(it) == [tagged, plain]
    ents.append(b.Entity(4, Pos()))
    assert list(it) == []  # an exhausted query stays exhausted
    ecs._entities = tuple(ents)  # not a list: still a lazy filter over it
    assert [e for e in ecs.getEntities(Pos)] == [tagged, plain, ents[-1]]


@pytest.mark.parametrize("entity, types, error", [
    (b.Entity.__new__(b.Entity), (Pos,), "NoneType"),
    (b.Entity(1, Pos()), ([],), "unhashable"),
])
def test_query_errors_come_when_the_entity_is_reached(ecs, entity, types, error):
    ecs.getEntities().append(entity)
    it = ecs.getEntities(*types)
    with pytest.raises(TypeError, match=error):
        next(it)


def test_system_add_remove_and_update_order(ecs):
    calls = []

    class Recorder(b.AbstractSystem):
        def __init__(self, name):
            super().__init__(Pos)
            self.name = name

        def _updateEntity(self, entity, timeStep):
            calls.append((self.name, entity.id, timeStep))

    first, second = Recorder("first"), Recorder("second")
    ecs.addSystem(first)
    ecs.addSystem(second)
    ecs.addSystem(first)  # twice: only recomputes membership
    assert ecs.getSystems() == [first, second]
    ecs.addEntity(b.Entity(1, Pos()))
    ecs.addEntity(b.Entity(2, Pos()))
    ecs.update(0.5)
    assert calls == [("first", 1, 0.5), ("first", 2, 0.5), ("second", 1, 0.5), ("second", 2, 0.5)]
    assert first.getEcs() is ecs and first.getEngine() is None
    ecs.removeSystem(first)
    assert first.entities == [] and first.getEcs() is None and first.getEngine() is None
    ecs.removeSystem(first)  # absent: nothing


def test_snapshots_allow_mutation_during_update(ecs):
    late = b.AbstractSystem()

    class Mutator(b.AbstractSystem):
        def update(self, timeStep):
            ecs.addSystem(late)
            ecs.removeSystem(self)

    ecs.addSystem(Mutator())
    ecs.update(0.1)
    assert ecs.getSystems() == [late]

    removed = []

    class Remover(b.AbstractSystem):
        def _updateEntity(self, entity, timeStep):
            removed.append(entity.id)
            for other in list(ecs.getEntities()):
                ecs.removeEntity(other)

    ecs.addSystem(Remover())
    for i in range(3):
        ecs.addEntity(b.Entity(i))
    ecs.update(0.1)
    assert removed == [0, 1, 2]  # the snapshot still visits removed entities


def test_python_update_entity_is_looked_up_for_each_entity(ecs):
    seen = []

    class Swapping(b.AbstractSystem):
        def _updateEntity(self, entity, timeStep):
            seen.append(("class", entity.id))
            self._updateEntity = lambda entity, timeStep: seen.append(("instance", entity.id))

    class Failing(b.AbstractSystem):
        def _updateEntity(self, entity, timeStep):
            seen.append(("failing", entity.id))
            raise KeyError(entity.id)

    for i in range(3):
        ecs.addEntity(b.Entity(i))
    ecs.addSystem(Swapping())
    ecs.update(0.1)
    assert seen == [("class", 0), ("instance", 1), ("instance", 2)]
    seen.clear()
    ecs.addSystem(Failing())
    with pytest.raises(KeyError, match="0"):
        ecs.update(0.1)
    assert seen == [("instance", 0), ("instance", 1), ("instance", 2), ("failing", 0)]


def test_exception_in_system_stops_the_frame(ecs):
    ran = []

    class Boom(b.AbstractSystem):
        def update(self, timeStep):
            raise RuntimeError("boom")

    class After(b.AbstractSystem):
        def update(self, timeStep):
            ran.append(True)

    ecs.addSystem(Boom())
    ecs.addSystem(After())
    with pytest.raises(RuntimeError):
        ecs.update(0.1)
    assert ran == []


def test_membership_hooks_are_overridable(ecs):
    seen = []

    class Spy(b.AbstractSystem):
        def _updateEntityMembership(self, entity):
            seen.append((entity in ecs.getEntities(), entity._ecs))
            b.AbstractSystem._updateEntityMembership(self, entity)

    class Odd(b.AbstractSystem):
        def _interestedIn(self, entity):
            return entity.id % 2 == 1

    odd = Odd()
    ecs.addSystem(Spy())
    ecs.addSystem(odd)
    for i in range(4):
        ecs.addEntity(b.Entity(i))
    assert seen == [(False, None)] * 4  # membership is computed before the entity is appended
    assert [e.id for e in odd.entities] == [1, 3]


def test_argument_checks():
    with pytest.raises(TypeError):
        b.Ecs()
    with pytest.raises(TypeError, match=r"Argument 'engine' has incorrect type \(expected brovaline.Engine, got int\)"):
        b.Ecs(5)
    with pytest.raises(TypeError):
        b.AbstractSystem(types=1)
    system = b.AbstractSystem()
    with pytest.raises(TypeError, match="expected brovaline.Ecs"):
        system._ecs = 3
    system._engine = None
    e = b.Entity(1)
    with pytest.raises(TypeError):
        e._ecs = "x"
    with pytest.raises(TypeError):
        b.Ecs(None).addEntity("not an entity")


def test_engine_ecs_cycle_is_collected():
    engine = b.Engine()
    ecs = engine.ecs
    system = b.AbstractSystem()
    ecs.addSystem(system)
    entity = b.Entity(1)
    ecs.addEntity(entity)
    refs = [weakref.ref(o) for o in (engine, ecs, system, entity)]
    del engine, ecs, system, entity
    gc.collect()
    assert [r() for r in refs] == [None] * 4


def test_python_subclass_skipping_init_is_safe():
    class Lazy(b.AbstractSystem):
        def __init__(self):
            pass

    class LazyEntity(b.Entity):
        def __init__(self):
            pass

    ecs = b.Ecs(None)
    lazy = Lazy()
    ecs.addSystem(lazy)
    entity = LazyEntity()
    assert entity.id == -1
    ecs.addEntity(entity)
    ecs.update(0.1)
    assert lazy.entities == [entity]
