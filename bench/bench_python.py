"""Python-facing hot paths as ratios against pure-Python equivalents measured in the same run.

    python bench/bench_python.py
"""
import os
import timeit

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import brovaline as b  # noqa: E402


class PyVector2:
    __slots__ = ("x", "y")

    def __init__(self, x, y):
        self.x = x
        self.y = y

    def __add__(self, other):
        return PyVector2(self.x + other.x, self.y + other.y)

    def normalize(self):
        length = (self.x * self.x + self.y * self.y) ** 0.5
        if length:
            self.x /= length
            self.y /= length


class PySystem:
    """A pure-Python system loop with the same shape as AbstractSystem.update."""

    def __init__(self, entities):
        self.entities = entities

    def _updateEntity(self, entity, timeStep):
        pass

    def update(self, timeStep):
        for entity in list(self.entities):
            self._updateEntity(entity, timeStep)


def best(stmt, number, **names):
    return min(timeit.repeat(stmt, globals=names, number=number, repeat=5)) / number * 1e9


def report(label, engine_ns, baseline_ns, baseline_label):
    print(f"{label:<44} {engine_ns:8.1f} ns  {engine_ns / baseline_ns:5.2f} x {baseline_label} ({baseline_ns:.1f} ns)")


def vectors():
    a, c = b.Vector2(1.0, 2.0), b.Vector2(3.0, 4.0)
    pa, pc = PyVector2(1.0, 2.0), PyVector2(3.0, 4.0)
    n = 200_000
    report("Vector2(1.0, 2.0)", best("V(1.0, 2.0)", n, V=b.Vector2), best("V(1.0, 2.0)", n, V=PyVector2),
           "pure Python")
    report("a + b", best("a + c", n, a=a, c=c), best("a + c", n, a=pa, c=pc), "pure Python")
    report("a.x", best("a.x", n, a=a), best("a.x", n, a=pa), "pure Python")
    report("a.normalize()", best("a.normalize()", n, a=a), best("a.normalize()", n, a=pa), "pure Python")


def components():
    pos = b.PositionComponent(b.Vector2(1.0, 2.0))
    n = 200_000
    report("PositionComponent.pos", best("p.pos", n, p=pos), best("p.x", n, p=PyVector2(1.0, 2.0)),
           "a slot read")


def systems(count=1000):
    class Counting(b.AbstractSystem):
        def _updateEntity(self, entity, timeStep):
            pass

    ecs = b.Ecs(None)
    native, python = b.AbstractSystem(b.PositionComponent), Counting(b.PositionComponent)
    ecs.addSystem(native)
    ecs.addSystem(python)
    for i in range(count):
        ecs.addEntity(b.Entity(i, b.PositionComponent(b.Vector2(i, i))))
    baseline = PySystem(list(ecs.getEntities()))
    per = 200
    base_ns = best("s.update(0.016)", per, s=baseline) / count
    report(f"AbstractSystem.update, per entity ({count})", best("s.update(0.016)", per, s=native) / count, base_ns,
           "pure Python loop")
    report("  with a Python _updateEntity", best("s.update(0.016)", per, s=python) / count, base_ns,
           "pure Python loop")

    movement = b.MovementSystem(None)
    world = b.Ecs(None)
    world.addSystem(movement)
    for i in range(count):
        world.addEntity(b.Entity(i, b.PositionComponent(b.Vector2(i, 0.5)),
                                 b.VelocityComponent(b.Vector2(1.0, 0.0))))
    report(f"MovementSystem.update, per entity ({count})", best("s.update(0.016)", per, s=movement) / count,
           base_ns, "pure Python loop")


if __name__ == "__main__":
    vectors()
    components()
    systems()
