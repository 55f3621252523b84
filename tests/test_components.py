import traceback

import pytest

import brovaline as b
from brovaline import Vector2


@pytest.fixture
def registry():
    """The component registry, restored after the test."""
    saved = dict(b._COMPONENTS)
    yield b._COMPONENTS
    b._COMPONENTS.clear()
    b._COMPONENTS.update(saved)


def test_standard_components_are_registered_both_ways_in_order():
    names = ["sprite", "position", "rotation", "collision", "velocity"]
    classes = [b.SpriteComponent, b.PositionComponent, b.RotationComponent, b.CollisionComponent,
               b.VelocityComponent]
    assert list(b._COMPONENTS)[:10] == names + classes
    for name, cls in zip(names, classes):
        assert b._COMPONENTS[name] is cls and b._COMPONENTS[cls] == name


def test_decorator_registers_and_returns_the_class(registry):
    @b.component("health")
    class Health:
        pass

    assert registry["health"] is Health and registry[Health] == "health"

    @b.component("health")
    class Health2:
        pass

    assert registry["health"] is Health2 and registry[Health] == "health"


@pytest.mark.parametrize("name, target, message", [
    (3, type("C", (), {}), "component name must be a string"),
    ("fn", lambda: None, "component type must be a class"),
    ("instance", object(), "component type must be a class"),
])
def test_decorator_checks_when_applied(name, target, message):
    decorate = b.component(name)  # no check yet
    with pytest.raises(TypeError, match=message) as raised:
        decorate(target)
    # The registry is embedded Python source: its traceback names the file it lives in.
    assert traceback.extract_tb(raised.tb)[-1].filename == "src/ecs/component_registry.py"


def test_dummy_component():
    assert b.DummyComponent.__bases__ == (object,)
    assert b.DummyComponent.__doc__ == "This component type is used for component types in a level that can't be mapped."


def test_vector_components_default_and_store_the_given_vector():
    assert (b.PositionComponent().x, b.PositionComponent().y) == (0.0, 0.0)
    d = b.RotationComponent().dir
    assert (d.x, d.y) == (1.0, 0.0)
    v = Vector2(1, 2)
    p = b.PositionComponent(v)
    assert p.pos is v and p._pos is v
    v.x = 5
    assert p.x == 5.0
    p.y = 7
    assert v.y == 7.0
    vel = b.VelocityComponent(impulse=v, friction=3)
    assert vel.impulse is v and vel.friction == 3.0 and (vel.x, vel.y) == (0.0, 0.0)
    assert vel.velocity is not b.VelocityComponent().velocity


@pytest.mark.parametrize("make", [
    lambda: b.PositionComponent((1, 2)),
    lambda: b.VelocityComponent(velocity=[0, 0]),
    lambda: b.VelocityComponent(impulse=3),
    lambda: b.RotationComponent("east"),
])
def test_vector_arguments_must_be_vectors(make):
    with pytest.raises(TypeError):
        make()


@pytest.mark.parametrize("cls, names", [
    (b.PositionComponent, ("pos", "_pos")),
    (b.VelocityComponent, ("velocity", "_velocity", "impulse", "_impulse")),
    (b.RotationComponent, ("dir", "_dir")),
])
def test_vector_fields_of_every_component(cls, names):
    bare = cls.__new__(cls)
    c = cls()
    for name in names:
        assert getattr(bare, name) is None
        v = b.Vector2(1, 2)
        setattr(c, name, v)
        assert getattr(c, name) is v and getattr(c, name.lstrip("_")) is v
        with pytest.raises(TypeError, match=f"'{name}'.*Vector2.*tuple"):
            setattr(c, name, (1, 2))
        with pytest.raises(NotImplementedError, match="__del__"):
            delattr(c, name)
        if not name.startswith("_"):  # the slot itself is written only through the checked property
            with pytest.raises(AttributeError):
                vars(cls)[name].__set__(c, v)
    setattr(c, names[0], None)
    assert getattr(c, names[0]) is None
    if cls is b.PositionComponent:
        with pytest.raises(AttributeError):
            c.x

    class Own(cls):  # a subclass's own attribute of the same name wins, as for any attribute
        pass

    setattr(Own, names[0], property(lambda self: "own", lambda self, value: setattr(self, "seen", value)))
    own = Own()
    setattr(own, names[0], (1, 2))
    assert getattr(own, names[0]) == "own" and own.seen == (1, 2)


def test_position_and_rotation_records_change_the_vector_in_place():
    level = b.Level.__new__(b.Level)
    v = Vector2(0, 0)
    p = b.PositionComponent(v)
    p.loadFromDict(level, {"x": 1, "y": 2.5})
    assert (v.x, v.y) == (1.0, 2.5)
    assert p.dumpToDict(level) == {"x": 1.0, "y": 2.5}
    r = b.RotationComponent()
    with pytest.raises(KeyError):
        r.loadFromDict(level, {"x": 0})
    r.loadFromDict(level, {"x": 0, "y": -1})
    assert r.dumpToDict(level) == {"x": 0.0, "y": -1.0}
    c = level.createComponent("position", {"x": 3, "y": 4})  # through loadFromDict
    assert type(c) is b.PositionComponent and (c.x, c.y) == (3.0, 4.0)


def test_velocity_record():
    level = None
    v = b.VelocityComponent()
    v.loadFromDict(level, {"x": 1, "y": 0})
    assert (v.impulse.x, v.impulse.y, v.friction) == (0.0, 0.0, 2.0)
    d = v.dumpToDict(level)
    assert d == {"x": 1.0, "y": 0.0, "friction": 2.0} and list(d) == ["x", "y", "friction"]
    v.loadFromDict(level, {"x": 1, "y": 0, "impulse": {"x": 0.5, "y": 0}, "friction": 4})
    d = v.dumpToDict(level)
    assert list(d) == ["x", "y", "friction", "impulse"] and d["impulse"] == {"x": 0.5, "y": 0.0}
    assert d["friction"] == 4.0


def test_collision_defaults_and_records():
    c = b.CollisionComponent()
    assert (c.radius, c.isOnlyTrigger, c.hasFlags, c.ignoreFlags) == (0.25, False, [], [])
    # Every component gets lists of its own: changing one leaves the others alone.
    c.hasFlags.append("wall")
    assert b.CollisionComponent().hasFlags == []
    flags = ["a"]
    c.loadFromDict(None, {"radius": 1, "isOnlyTrigger": 1, "hasFlags": flags})
    assert c.hasFlags is flags and c.radius == 1.0 and c.isOnlyTrigger is True
    empty = []
    c.loadFromDict(None, {"hasFlags": empty})
    assert c.hasFlags == [] and c.hasFlags is not empty
    assert (c.radius, c.isOnlyTrigger) == (0.25, False)
    d = c.dumpToDict(None)
    assert list(d) == ["radius", "isOnlyTrigger", "hasFlags", "ignoreFlags"]
    assert d["hasFlags"] is c.hasFlags and d["isOnlyTrigger"] is False


@pytest.mark.parametrize("action", [
    lambda: b.CollisionComponent(hasFlags=("a",)),
    lambda: b.CollisionComponent(ignoreFlags="ab"),
    lambda: setattr(b.CollisionComponent(), "hasFlags", {1}),
    lambda: setattr(b.CollisionComponent(), "_ignoreFlags", 3),
    lambda: b.CollisionComponent().loadFromDict(None, {"hasFlags": (1,)}),
])
def test_flag_lists_must_be_lists(action):
    with pytest.raises(TypeError, match=r"^Expected list, got \w+$"):
        action()


# A record's value that is not a number keeps its error type and names the key and the value.
@pytest.mark.parametrize("component, record, error, message", [
    (b.PositionComponent, {"x": None, "y": 1}, TypeError, "x = None: must be real number"),
    (b.RotationComponent, {"x": 0, "y": "up"}, TypeError, "y = 'up': must be real number"),
    (b.VelocityComponent, {"x": 1, "y": 0, "impulse": {"x": "a", "y": 0}}, TypeError, "impulse.x = 'a': "),
    (b.VelocityComponent, {"x": 1, "y": 0, "friction": []}, TypeError, "friction = []: "),
    (b.CollisionComponent, {"radius": "wide"}, ValueError, "radius = 'wide': could not convert"),
])
def test_bad_record_values_name_the_key(component, record, error, message):
    with pytest.raises(error) as caught:
        component().loadFromDict(None, record)
    assert str(caught.value).startswith(message)


def test_create_component_for_unknown_name_warns_once(registry, capsys):
    level = b.Level.__new__(b.Level)
    first = level.createComponent("glow", {"strength": 3})
    second = level.createComponent("glow", {"strength": 4, "_hidden": 1})
    out = capsys.readouterr().out
    assert out == "unknown component type 'glow'\n"
    cls = type(first)
    assert cls is type(second) and cls.__name__ == "_Component_glow" and cls.__bases__ == (b.DummyComponent,)
    assert registry["glow"] is cls and registry[cls] == "glow"
    assert first.strength == 3 and second._hidden == 1
    assert level._dumpToDict(second) == {"strength": 4}
