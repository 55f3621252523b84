"""Every error the renderers' and the physics' classes raise at their Python surface, by type and exact
text: one row per error (a message starting with ^ is a regular expression for the whole text)."""
import re
import sys

import pytest

import brovaline as b

def V(x=0.0, y=0.0):
    return b.Vector2(x, y)


def arg(name, expected, got):
    return f"Argument '{name}' has incorrect type (expected brovaline.{expected}, got {got})"


def rr(level=None, width=4):
    return b.RaycastingRenderer(b.Texture(width, 3), level)


def with_attrs(obj, **attrs):
    for name, value in attrs.items():
        setattr(obj, name, value)
    return obj


def rendered(**attrs):
    """A renderer that has drawn one frame of the default level, then had `attrs` set."""
    r = rr(b.Level())
    r.render()
    return with_attrs(r, **attrs)


def camera(**attrs):
    return with_attrs(b.Camera(V(), V(0, 1), 60, 0), **attrs)


def unraisable(action):
    """Runs `action` and raises the one error it reported as unraisable."""
    seen = []
    hook, sys.unraisablehook = sys.unraisablehook, seen.append
    try:
        action()
    finally:
        sys.unraisablehook = hook
    assert len(seen) == 1, seen
    raise seen[0].exc_value


def sprite_pass(**component):
    """Renders the default level with entity 7 ahead of the default camera, its SpriteComponent changed."""
    sprite = b.Sprite(b.Texture(2, 2), 1, 1, [b.SpriteAnimation("idle", 1, False, 0.0, 0, 1)])
    r, ecs = rr(b.Level()), b.Ecs(None)
    ecs.addSystem(r)
    ecs.addEntity(b.Entity(7, b.PositionComponent(V(2.5, 4.5)), with_attrs(b.SpriteComponent(sprite), **component)))
    unraisable(r.render)


def moved(entity):
    b.MovementSystem(None)._updateEntity(entity, 1.0)


def mover(component=b.VelocityComponent, **attrs):
    """A moving entity whose `component` has had `attrs` set."""
    e = b.Entity(-1, b.PositionComponent(V()), b.VelocityComponent(V(1, 0)))
    with_attrs(e.getComponent(component), **attrs)
    return e


def foreign_position():
    """A body whose component dict holds a VelocityComponent under the PositionComponent key."""
    e = b.Entity(-1, b.CollisionComponent())
    e._components[b.PositionComponent] = b.VelocityComponent()
    return e


def traced(*members):
    cbs = b.CollisionBodySystem()
    cbs._entities = list(members)
    return cbs.traceEntities(V(), V(1, 0), 10.0)


def pick(name, *args):
    return lambda: getattr(rendered(), name)(*args)


NOT_WRITABLE = "attribute '{}' of 'brovaline.{}' objects is not writable"
PICKS = ["getEntityAtScreenCoords", "getWorldPosByScreenCoords", "getWorldCellByScreenCoords"]
ADDRESS = "<brovaline.Entity object at 0x[0-9a-f]+>"

ROWS = [
    # Camera
    ("camera too few", lambda: b.Camera(V(), V(), 60), TypeError,
     "Camera() takes at least 4 positional arguments (3 given)"),
    ("camera too many", lambda: b.Camera(V(), V(), 60, 0, 1.6, 0), TypeError,
     "Camera() takes at most 5 positional arguments (6 given)"),
    ("camera keyword", lambda: b.Camera(V(), V(), 60, 0, zoom=1), TypeError,
     "Camera() got an unexpected keyword argument 'zoom'"),
    ("camera pos twice", lambda: b.Camera(V(), V(), 60, 0, pos=V()), TypeError,
     "Camera() got multiple values for keyword argument 'pos'"),
    ("camera pos", lambda: b.Camera(None, V(), 60, 0), TypeError, arg("pos", "Vector2", "NoneType")),
    ("camera dir", lambda: b.Camera(V(), 5, 60, 0), TypeError, arg("dir", "Vector2", "int")),
    ("camera fov", lambda: b.Camera(V(), V(), 1.5, 0), TypeError, "an integer is required"),
    ("camera pitch", lambda: b.Camera(V(), V(), 60, "1"), TypeError,
     "'str' object cannot be interpreted as an integer"),
    ("camera ratio", lambda: b.Camera(V(), V(), 60, 0, "r"), TypeError, "must be real number, not str"),
    ("camera pos read-only", lambda: camera(pos=V()), AttributeError, NOT_WRITABLE.format("pos", "Camera")),
    ("camera dir read-only", lambda: camera(dir=V()), AttributeError, NOT_WRITABLE.format("dir", "Camera")),
    ("camera _pos", lambda: camera(_pos=(1, 2)), TypeError, arg("_pos", "Vector2", "tuple")),
    ("camera _dir", lambda: camera(_dir=1), TypeError, arg("_dir", "Vector2", "int")),
    ("camera fov range", lambda: camera(fov=2**40), OverflowError, "value too large to convert to int"),
    ("camera fov delete", lambda: delattr(camera(), "fov"), NotImplementedError, "__del__"),
    ("camera ratio type", lambda: camera(_ratio=None), TypeError, "must be real number, not NoneType"),
    # Renderer
    ("renderer keyword", lambda: b.Renderer(target=None, other=1), TypeError,
     "Renderer() got an unexpected keyword argument 'other'"),
    ("renderer target twice", lambda: b.Renderer(None, target=None), TypeError,
     "Renderer() got multiple values for argument 'target'"),
    ("renderer no target", lambda: b.Renderer(), TypeError, "Renderer() missing required argument 'target'"),
    ("renderer only a type", lambda: b.Renderer(component=int), TypeError,
     "Renderer() got an unexpected keyword argument 'component'"),
    ("renderer target", lambda: b.Renderer("t.png"), TypeError, arg("target", "Texture", "str")),
    ("renderer target keyword", lambda: b.Renderer(target=5), TypeError, arg("target", "Texture", "int")),
    ("renderer _target", lambda: with_attrs(b.Renderer(None), _target=1), TypeError,
     arg("_target", "Texture", "int")),
    # RaycastingRenderer
    ("rr too few", lambda: b.RaycastingRenderer(b.Texture(2, 2)), TypeError,
     "RaycastingRenderer() takes exactly 2 positional arguments (1 given)"),
    ("rr too many", lambda: b.RaycastingRenderer(b.Texture(2, 2), None, None), TypeError,
     "RaycastingRenderer() takes exactly 2 positional arguments (3 given)"),
    ("rr target None", lambda: b.RaycastingRenderer(None, None), TypeError, arg("target", "Texture", "NoneType")),
    ("rr target", lambda: b.RaycastingRenderer(5, None), TypeError, arg("target", "Texture", "int")),
    ("rr level", lambda: b.RaycastingRenderer(b.Texture(2, 2), 5), TypeError, arg("level", "Level", "int")),
    ("rr flashlight", lambda: rr()._setFlashlight(5), TypeError, arg("flashlight", "Texture", "int")),
    ("rr flashlight count", lambda: rr()._setFlashlight(), TypeError,
     "_setFlashlight() takes exactly 1 positional argument (0 given)"),
    ("rr flashlight keyword", lambda: rr()._setFlashlight(light=None), TypeError,
     "_setFlashlight() got an unexpected keyword argument 'light'"),
    ("castRay count", lambda: rr(b.Level()).castRay(V()), TypeError,
     "castRay() takes exactly 2 positional arguments (1 given)"),
    ("castRay pos", lambda: rr(b.Level()).castRay(5, V(1, 0)), TypeError, arg("pos", "Vector2", "int")),
    ("castRay pos None", lambda: rr(b.Level()).castRay(None, V(1, 0)), TypeError,
     arg("pos", "Vector2", "NoneType")),
    ("castRay dir", lambda: rr(b.Level()).castRay(V(1, 1), (1, 0)), TypeError, arg("dir", "Vector2", "tuple")),
    ("castRay no level", lambda: rr().castRay(V(1, 1), V(1, 0)), RuntimeError, "RaycastingRenderer has no level"),
    ("render never initialised", lambda: b.RaycastingRenderer.__new__(b.RaycastingRenderer).render(), RuntimeError,
     "RaycastingRenderer has no camera"),
    ("render no target", lambda: rendered(_target=None).render(), RuntimeError,
     "RaycastingRenderer has no target texture"),
    ("render camera pos", lambda: rendered(_camera=camera(_pos=None)).render(), RuntimeError,
     "The camera's pos and dir must be Vector2 objects"),
    ("render camera dir", lambda: rendered(_camera=camera(_dir=None)).render(), RuntimeError,
     "The camera's pos and dir must be Vector2 objects"),
    ("pick no camera", lambda: rendered(_camera=None).getEntityAtScreenCoords(0, 0), RuntimeError,
     "RaycastingRenderer has no camera"),
    ("pick no target", lambda: rendered(_target=None).getWorldPosByScreenCoords(0, 0), RuntimeError,
     "RaycastingRenderer has no target texture"),
    *[(f"{name} count", pick(name, 1), TypeError, f"{name}() takes exactly 2 positional arguments (1 given)")
      for name in PICKS],
    *[(f"{name} x={x}", pick(name, x, 0), IndexError, f"x must lie in 0 <= x < 4 (the target width), got {x}")
      for name in PICKS for x in (-1, 4)],
    ("pick x type", pick(PICKS[0], 1.5, 0), TypeError, "an integer is required"),
    ("pick y type", pick(PICKS[1], 0, "1"), TypeError, "'str' object cannot be interpreted as an integer"),
    ("threads float", lambda: with_attrs(rr(), threads=1.5), TypeError, "threads must be an int or None, not float"),
    ("threads bool", lambda: with_attrs(rr(), threads=True), TypeError, "threads must be an int or None, not bool"),
    ("threads negative", lambda: with_attrs(rr(), threads=-1), ValueError,
     "threads must be between 0 and 256, not -1"),
    ("threads many", lambda: with_attrs(rr(), threads=257), ValueError,
     "threads must be between 0 and 256, not 257"),
    ("threads huge", lambda: with_attrs(rr(), threads=2**70), OverflowError,
     "Python int too large to convert to C long"),
    ("threads delete", lambda: delattr(rr(), "threads"), NotImplementedError, "__del__"),
    ("rr level read-only", lambda: with_attrs(rr(), level=None), AttributeError,
     NOT_WRITABLE.format("level", "RaycastingRenderer")),
    ("rr pixel path read-only", lambda: with_attrs(rr(), _pixelPath="plain"), AttributeError,
     NOT_WRITABLE.format("_pixelPath", "RaycastingRenderer")),
    ("rr _level", lambda: with_attrs(rr(), _level=1), TypeError, arg("_level", "Level", "int")),
    ("rr _camera", lambda: with_attrs(rr(), _camera=V()), TypeError, arg("_camera", "Camera", "brovaline.Vector2")),
    ("rr _flashlight", lambda: with_attrs(rr(), _flashlight=1), TypeError, arg("_flashlight", "Texture", "int")),
    ("sprite without animation", lambda: sprite_pass(_currentAnimation=None), AttributeError,
     "the SpriteComponent of entity 7 has no current animation"),
    ("sprite without sprite", lambda: sprite_pass(_sprite=None), AttributeError,
     "the SpriteComponent of entity 7 has no sprite"),
    # CollisionEvent
    ("event no entities", lambda: b.CollisionEvent(), TypeError,
     "CollisionEvent() takes exactly 2 positional arguments (0 given)"),
    ("event too few", lambda: b.CollisionEvent(b.Entity()), TypeError,
     "CollisionEvent() takes exactly 2 positional arguments (1 given)"),
    ("event too many", lambda: b.CollisionEvent(None, None, None), TypeError,
     "CollisionEvent() takes exactly 2 positional arguments (3 given)"),
    ("event entity1", lambda: b.CollisionEvent(3, None), TypeError, arg("entity1", "Entity", "int")),
    ("event entity2", lambda: b.CollisionEvent(b.Entity(), 3), TypeError, arg("entity2", "Entity", "int")),
    ("event _entity1", lambda: with_attrs(b.CollisionEvent(None, None), _entity1=3), TypeError,
     arg("_entity1", "Entity", "int")),
    ("event _entity2", lambda: with_attrs(b.CollisionEvent(None, None), _entity2=3), TypeError,
     arg("_entity2", "Entity", "int")),
    ("event entity1 read-only", lambda: with_attrs(b.CollisionEvent(None, None), entity1=None), AttributeError,
     NOT_WRITABLE.format("entity1", "CollisionEvent")),
    ("event entity2 delete", lambda: delattr(b.CollisionEvent(None, None), "entity2"), NotImplementedError,
     "__del__"),
    # CollisionBodySystem
    ("bodies argument", lambda: b.CollisionBodySystem(1), TypeError, "CollisionBodySystem() takes no arguments"),
    ("bodies keyword", lambda: b.CollisionBodySystem(entities=[]), TypeError,
     "CollisionBodySystem() takes no arguments"),
    ("bodies update count", lambda: b.CollisionBodySystem().update(), TypeError,
     "update() takes exactly 1 positional argument (0 given)"),
    ("trace count", lambda: b.CollisionBodySystem().traceEntities(V(), V()), TypeError,
     "traceEntities() takes exactly 3 positional arguments (2 given)"),
    ("trace pos", lambda: b.CollisionBodySystem().traceEntities((0, 0), V(1, 0), 1), TypeError,
     arg("pos", "Vector2", "tuple")),
    ("trace dir", lambda: b.CollisionBodySystem().traceEntities(V(), None, 1), TypeError,
     arg("dir", "Vector2", "NoneType")),
    ("trace maxDist", lambda: b.CollisionBodySystem().traceEntities(V(), V(1, 0), "far"), TypeError,
     "must be real number, not str"),
    ("trace member list", lambda: with_attrs(b.CollisionBodySystem(), _entities=()).traceEntities(V(), V(1, 0), 1),
     TypeError, "CollisionBodySystem._entities must be a list"),
    ("trace member position", lambda: traced(b.Entity(-1, with_attrs(b.PositionComponent(), pos=None), b.CollisionComponent())),
     TypeError, "PositionComponent.pos must be a brovaline.Vector2, not NoneType"),
    ("trace member without collision", lambda: traced(b.Entity(-1, b.PositionComponent())), TypeError,
     f"^entity {ADDRESS} has no brovaline.CollisionComponent$"),
    ("trace member with a foreign position", lambda: traced(foreign_position()), TypeError,
     f"^the brovaline.PositionComponent of entity {ADDRESS} is a brovaline.VelocityComponent$"),
    # MovementSystem
    ("movement count", lambda: b.MovementSystem(), TypeError,
     "MovementSystem() takes exactly 1 positional argument (0 given)"),
    ("movement level", lambda: b.MovementSystem(5), TypeError, arg("level", "Level", "int")),
    ("movement ecs", lambda: b.MovementSystem(None)._setEcs(3), TypeError, arg("ecs", "Ecs", "int")),
    ("movement engine", lambda: b.MovementSystem(None)._setEngine(3), TypeError, arg("engine", "Engine", "int")),
    ("movement update", lambda: b.MovementSystem(None).update("x"), TypeError, "must be real number, not str"),
    ("movement update count", lambda: b.MovementSystem(None).update(), TypeError,
     "update() takes exactly 1 positional argument (0 given)"),
    ("movement entity count", lambda: b.MovementSystem(None)._updateEntity(mover()), TypeError,
     "_updateEntity() takes exactly 2 positional arguments (1 given)"),
    ("movement time step", lambda: b.MovementSystem(None)._updateEntity(mover(), "x"), TypeError,
     "must be real number, not str"),
    ("movement _level", lambda: with_attrs(b.MovementSystem(None), _level=1), TypeError, arg("_level", "Level", "int")),
    ("movement _cbs", lambda: with_attrs(b.MovementSystem(None), _cbs=b.AbstractSystem()), TypeError,
     arg("_cbs", "CollisionBodySystem", "brovaline.AbstractSystem")),
    ("movement bodies read-only", lambda: with_attrs(b.MovementSystem(None), collisionBodySystem=None),
     AttributeError, NOT_WRITABLE.format("collisionBodySystem", "MovementSystem")),
    ("mover without position", lambda: moved(b.Entity(-1, b.VelocityComponent())), TypeError,
     f"^entity {ADDRESS} has no brovaline.PositionComponent$"),
    ("mover impulse", lambda: moved(mover(impulse=None)), TypeError,
     "VelocityComponent.impulse must be a brovaline.Vector2, not NoneType"),
    ("mover velocity", lambda: moved(mover(velocity=None)), TypeError,
     "VelocityComponent.velocity must be a brovaline.Vector2, not NoneType"),
    ("mover position", lambda: moved(mover(b.PositionComponent, pos=None)), TypeError,
     "PositionComponent.pos must be a brovaline.Vector2, not NoneType"),
]


@pytest.mark.parametrize("call, error, message", [row[1:] for row in ROWS], ids=[row[0] for row in ROWS])
def test_error(call, error, message):
    with pytest.raises(error) as raised:
        call()
    text = str(raised.value)
    assert re.fullmatch(message, text) if message.startswith("^") else text == message, text
