"""A first-person picture of a level, drawn by the engine's own raycasting renderer."""
import math
import tempfile

from .check import start_of
from .engine_level import engine_level


def camera_start(level):
    """The start marker, or the middle of the level when there is none."""
    return start_of(level) or (level.width / 2, level.height / 2)


def facing_vector(degrees):
    """0 degrees looks east, 90 south (x grows east, y south)."""
    angle = math.radians(degrees)
    return math.cos(angle), math.sin(angle)


def first_person_view(level, position, facing, size):
    """Renders `level` from `position` (x, y in cells) looking `facing` degrees into a new engine
    Texture of `size` (width, height), with the level's entities and their sprites."""
    import brovaline as b

    with tempfile.TemporaryDirectory(prefix="brovaline-render-") as directory:
        engine_lvl = engine_level(level, directory)
    target = b.Texture(*size)
    engine = b.Engine()
    renderer = b.RaycastingRenderer(target, engine_lvl)
    engine.ecs.addSystem(renderer)
    engine_lvl.syncEntitiesToEcs(engine.ecs)
    camera = renderer.getCamera()
    camera.pos.set(b.Vector2(*position))
    camera.dir.set(b.Vector2(*facing_vector(facing)))
    renderer.render()
    return target
