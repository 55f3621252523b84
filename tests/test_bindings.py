"""Module-wide conventions shared by every native class."""
import pytest

import brovaline as b
from conftest import run_script


def test_qualified_type_names():
    for cls in (b.Engine, b.Ecs, b.Entity, b.AbstractSystem, b.Renderer, b.Texture, b.Resource):
        assert cls.__module__ == "brovaline"
        assert repr(cls) == "<class 'brovaline.%s'>" % cls.__name__


def test_properties_refuse_deletion_and_read_only_assignment():
    entity = b.Entity(3)
    for name in ("id", "_id", "_components", "_ecs"):
        with pytest.raises(NotImplementedError, match="__del__"):
            delattr(entity, name)
    with pytest.raises(AttributeError):
        entity.id = 4
    entity._id = 4
    assert entity.id == 4
    with pytest.raises(NotImplementedError, match="__del__"):
        del b.Engine().ecs


def test_argument_type_error_text():
    with pytest.raises(TypeError) as info:
        b.Renderer(5)
    assert str(info.value) == "Argument 'target' has incorrect type (expected brovaline.Texture, got int)"
    b.Renderer(None)


def test_int_conversion_limits():
    with pytest.raises(OverflowError):
        b.Texture(2 ** 31, 1)
    with pytest.raises(OverflowError):
        b.Texture(1, 1).fill((-1, 0, 0))
    with pytest.raises(OverflowError):
        b.Entity(2 ** 70)


def test_argument_counts():
    with pytest.raises(TypeError):
        b.Resource()
    with pytest.raises(TypeError):
        b.Resource("a", "b")
    with pytest.raises(TypeError):
        b.Resource(filename="a", other=1)
    assert b.Resource(filename="a").filename == "a"


def test_import_fails_cleanly_when_sdl_cannot_start():
    result = run_script("""
        import os
        os.environ["SDL_AUDIODRIVER"] = "no-such-driver"
        try:
            import brovaline
        except Exception as exc:
            print(type(exc).__name__, exc.msg)
    """)
    assert result.stdout.strip() == "EngineSdlException Could not initialize the engine."


def _vector():
    return b.Vector2(1.0, 0.0)


def _ecs_with_entity():
    ecs = b.Ecs(None)
    ecs.addEntity(b.Entity(7))
    return ecs


@pytest.mark.parametrize("make, method, keyword, value, result", [
    (_vector, "rotate", "degrees", 180.0, None),
    (_vector, "scale", "other", 2.0, None),
    (_vector, "angleToInDegrees", "other", b.Vector2(0.0, 1.0), 90.0),
    (lambda: b.Entity(), "getComponent", "componentType", b.PositionComponent, None),
    (_ecs_with_entity, "getEntityById", "id", 7, 7),
    (lambda: b.AbstractSystem(), "_setEcs", "ecs", None, None),
    (lambda: b.Joystick("pad", 1, 1), "isButtonPressed", "button", 0, 0),
    (lambda: b.Engine(), "getKeyName", "keycode", b.KEY_A, "A"),
    (lambda: b.PositionComponent(b.Vector2(1.0, 2.0)), "dumpToDict", "level", None, {"x": 1.0, "y": 2.0}),
    (lambda: b.MovementSystem(None), "_setEngine", "engine", None, None),
])
def test_one_argument_methods_take_it_by_position_or_keyword(make, method, keyword, value, result):
    by_position, by_keyword = make(), make()
    for r in (getattr(by_position, method)(value), getattr(by_keyword, method)(**{keyword: value})):
        assert (r.id if isinstance(r, b.Entity) else r) == result
    if isinstance(by_position, b.Vector2):
        assert str(by_position) == str(by_keyword)
    with pytest.raises(TypeError, match="unexpected keyword argument 'wrong'"):
        getattr(make(), method)(wrong=value)
    with pytest.raises(TypeError, match="multiple values"):
        getattr(make(), method)(value, **{keyword: value})
    with pytest.raises(TypeError):
        getattr(make(), method)()
