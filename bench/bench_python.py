"""Python-facing hot paths as ratios against pure-Python equivalents measured in the same run.

    python bench/bench_python.py
"""
import math
import os
import timeit

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import brovaline as b  # noqa: E402

DEGREES_TO_RAD = math.pi / 180.0


class PyVector2:
    """What a game author would write: a plain class with __slots__ and the engine's formulas."""

    __slots__ = ("x", "y")

    def __init__(self, x, y):
        self.x = x
        self.y = y

    def __add__(self, other):
        return PyVector2(self.x + other.x, self.y + other.y)

    def __sub__(self, other):
        return PyVector2(self.x - other.x, self.y - other.y)

    def __mul__(self, other):
        if type(other) is PyVector2:
            return self.x * other.x + self.y * other.y
        return PyVector2(self.x * other, self.y * other)

    def normalize(self):
        length = math.sqrt(self.x * self.x + self.y * self.y)
        if length != 0.0:
            self.x /= length
            self.y /= length

    def rotate(self, degrees):
        a = degrees * DEGREES_TO_RAD
        c, s = math.cos(a), math.sin(a)
        x, y = self.x, self.y
        self.x = c * x - s * y
        self.y = s * x + c * y


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


# (label, statement, the most the engine may cost as a share of the pure-Python cost)
VECTOR_OPERATIONS = [
    ("Vector2(1.0, 2.0)", "V(1.0, 2.0)", 1 / 2),
    ("a + b", "a + c", 1 / 2.5),
    ("a - b", "a - c", 1 / 2.5),
    ("a * b (dot product)", "a * c", 1 / 2.5),
    ("a * 2.0", "a * 2.0", 1 / 2.5),
    ("a.normalize()", "a.normalize()", 1 / 2.5),
    ("a.rotate(30.0)", "a.rotate(30.0)", 1 / 2.5),
    ("a.x (read)", "a.x", 3.0),
    ("a.x = 1.5 (write)", "a.x = 1.5", 3.0),
]


def vectors(n=200_000):
    print("Vector2 against a pure-Python class with __slots__ and the same methods, measured in this run:")
    for label, stmt, target in VECTOR_OPERATIONS:
        engine = best(stmt, n, V=b.Vector2, a=b.Vector2(1.0, 2.0), c=b.Vector2(3.0, 4.0))
        python = best(stmt, n, V=PyVector2, a=PyVector2(1.0, 2.0), c=PyVector2(3.0, 4.0))
        ratio = engine / python
        verdict = "ok" if ratio <= target else "MISSED"
        print(f"{label:<44} {engine:8.1f} ns  {ratio:5.2f} x pure Python ({python:.1f} ns)"
              f"  target <= {target:.2f} {verdict}")


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
