"""Time per MovementSystem.update with 1000 moving bodies, as ratios against baselines measured in the same run.

Scene: a 64 x 64 level with a closed border and scattered blocks (square and diagonal), 1000 bodies of
radius 0.25 with random velocities. Baselines: the same update visiting every body for every mover
(the broad phase off), and a pure-Python loop that only moves each entity by its velocity.

    python bench/bench_physics.py [--frames N] [--bodies N]
"""
import argparse
import json
import os
import random
import statistics
import tempfile
import time
from pathlib import Path

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import brovaline as b  # noqa: E402

SIZE = 64
STEP = 1 / 60


def write_level(folder, rng):
    """Border walls and about 6 % of the inner cells blocked, a quarter of them diagonal half blocks."""
    grid = bytearray()
    for y in range(SIZE):
        for x in range(SIZE):
            if x in (0, SIZE - 1) or y in (0, SIZE - 1):
                block = 1
            elif rng.random() < 0.06:
                block = rng.choice((1, 1, 1, 1, 1, 1, 2, 3, 4, 5))
            else:
                block = 0
            grid += bytes([block, 0, 0, 0, 0, 0, 0])
    path = folder / "bench.lvl"
    path.write_bytes(bytes(grid))
    (folder / "bench.lvl.json").write_text(json.dumps({"width": SIZE, "height": SIZE, "textures": []}))
    return b.Level(str(path))


def build(level, count, seed, broad_phase, listener):
    """An engine whose Ecs holds a movement system and `count` bodies on free cells."""
    rng = random.Random(seed)
    engine = b.Engine()
    movement = b.MovementSystem(level)
    movement._broadPhase = broad_phase
    engine.ecs.addSystem(movement)
    b.Engine._eventSubscribers.clear()
    if listener:
        engine.subscribeEvent(b.CollisionEvent, listener)
    for i in range(count):
        while True:
            x, y = rng.uniform(1, SIZE - 1), rng.uniform(1, SIZE - 1)
            if level.getBlock(int(x), int(y)) == b.BLOCK_EMPTY:
                break
        velocity = b.Vector2(rng.uniform(-2, 2), rng.uniform(-2, 2))
        engine.ecs.addEntity(b.Entity(i, b.PositionComponent(b.Vector2(x, y)), b.VelocityComponent(velocity),
                                      b.CollisionComponent(0.25)))
    return engine, movement


def median_ms(update, frames):
    times = []
    for _ in range(frames):
        t0 = time.perf_counter()
        update(STEP)
        times.append(time.perf_counter() - t0)
    return statistics.median(times) * 1000


def python_loop(entities):
    """The least a per-entity loop in Python does: move every entity by its velocity."""
    parts = [(e.getComponent(b.PositionComponent).pos, e.getComponent(b.VelocityComponent).velocity)
             for e in entities]

    def update(step):
        for pos, velocity in parts:
            pos.x += velocity.x * step
            pos.y += velocity.y * step

    return update


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=100)
    parser.add_argument("--bodies", type=int, default=1000)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        level = write_level(Path(tmp), random.Random(1))
    try:
        quiet_ms = None
        for label, listens in (("no collision listener", False), ("a Python collision listener", True)):
            events = []
            listener = events.append if listens else None
            _, broad = build(level, args.bodies, 2, True, listener)
            broad_ms = median_ms(broad.update, args.frames)
            per_frame = len(events) / args.frames
            _, plain = build(level, args.bodies, 2, False, listener)
            plain_ms = median_ms(plain.update, max(args.frames // 10, 5))
            loop_ms = median_ms(python_loop(broad.entities), args.frames)
            line = (f"MovementSystem.update, {args.bodies} bodies, {label}: {broad_ms:.3f} ms/frame, "
                    f"{broad_ms / plain_ms:.3f} x visiting every body ({plain_ms:.3f} ms), "
                    f"{broad_ms / loop_ms:.2f} x a pure-Python velocity loop ({loop_ms:.3f} ms)")
            if listens:
                # The listener is a bare list.append: what is left is the cost of delivering the events.
                per_event_us = (broad_ms - quiet_ms) * 1000 / per_frame if per_frame else float("nan")
                line += (f"; {per_frame:.0f} events per frame, {broad_ms / quiet_ms:.2f} x the frame without a "
                         f"listener, {per_event_us:.2f} us per delivered event over it")
            else:
                quiet_ms = broad_ms
            print(line, flush=True)
    finally:
        b.Engine._eventSubscribers.clear()


if __name__ == "__main__":
    main()
