"""Where game code meets the engine, as ratios against the libraries a Python game would otherwise use,
measured in the same process: esper 3.9 for entity queries and systems, pygame-ce 2.5 for UI text.

Rounds of engine and peer alternate; every figure is the median of its rounds.

    python bench/bench_game.py [--rounds N] [--only queries|systems|ui|demo ...]
"""
import argparse
import os
import statistics
import sys
import tempfile
import time
from pathlib import Path

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")

import brovaline as b  # noqa: E402

try:
    import esper
    import pygame
except ImportError as missing:  # the bench target installs both; nothing here runs without them
    sys.exit(f"bench_game.py needs esper and pygame-ce in this environment ({missing}): run `make bench`")

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
from ui_support import FONT_FILE, write_theme  # noqa: E402  (the tests' generated theme)

ENTITIES = 10_000
LINES = 60
SCREEN = (1920, 1080)
STEP = 1 / 60


def alternate(rounds, **candidates):
    """Median seconds of each candidate callable, their rounds interleaved."""
    times = {name: [] for name in candidates}
    for _ in range(rounds):
        for name, fn in candidates.items():
            t0 = time.perf_counter()
            fn()
            times[name].append(time.perf_counter() - t0)
    return {name: statistics.median(t) for name, t in times.items()}


def line(label, engine_s, peer_s, peer_label, target=None):
    ratio = engine_s / peer_s
    verdict = "" if target is None else f"  target <= {target:.2f} {'ok' if ratio <= target else 'MISSED'}"
    print(f"{label:<52} {engine_s * 1e3:8.3f} ms  {ratio:5.2f} x {peer_label} ({peer_s * 1e3:.3f} ms){verdict}",
          flush=True)
    return ratio


# Plain component classes, as a game using esper would write them.
class Position:
    __slots__ = ("x", "y")

    def __init__(self, x, y):
        self.x, self.y = x, y


class Velocity:
    __slots__ = ("x", "y")

    def __init__(self, x, y):
        self.x, self.y = x, y


class Facing:
    __slots__ = ("x", "y")

    def __init__(self, x, y):
        self.x, self.y = x, y


def worlds():
    """The same 10,000 entities in an Ecs and in esper: all move, every second one also faces somewhere.

    Each world is built in one go, as a game builds its only one: built in turns, the two worlds'
    objects would sit interleaved in memory and each loop would pay for the other's cache lines."""
    esper.switch_world("bench")
    esper.clear_database()
    for i in range(ENTITIES):
        plain = [Position(float(i), 0.5), Velocity(1.0, 0.25)]
        if i % 2:
            plain.append(Facing(1.0, 0.0))
        esper.create_entity(*plain)
    ecs = b.Ecs(None)
    for i in range(ENTITIES):
        components = [b.PositionComponent(b.Vector2(i, 0.5)), b.VelocityComponent(b.Vector2(1.0, 0.25))]
        if i % 2:
            components.append(b.RotationComponent())
        ecs.addEntity(b.Entity(i, *components))
    return ecs


def queries(rounds):
    ecs = worlds()
    P, V, R = b.PositionComponent, b.VelocityComponent, b.RotationComponent

    def engine_move():
        for e in ecs.getEntities(P, V):
            pos = e.getComponent(P).pos
            vel = e.getComponent(V).velocity
            pos.x += vel.x * STEP
            pos.y += vel.y * STEP

    def esper_move():
        for _, (pos, vel) in esper.get_components(Position, Velocity):
            pos.x += vel.x * STEP
            pos.y += vel.y * STEP

    def engine_count():
        n = 0
        for _ in ecs.getEntities(P, V, R):
            n += 1
        assert n == ENTITIES // 2

    def esper_count():
        n = 0
        for _ in esper.get_components(Position, Velocity, Facing):
            n += 1
        assert n == ENTITIES // 2

    t = alternate(rounds, engine_move=engine_move, esper_move=esper_move, engine_count=engine_count,
                  esper_count=esper_count)
    return [
        line("getEntities(P, V), read both, move (10,000)", t["engine_move"], t["esper_move"],
             "esper get_components", 1.0),
        line("getEntities(P, V, R), count the 5,000", t["engine_count"], t["esper_count"],
             "esper get_components", 1.0),
    ]


def systems(rounds):
    ecs = worlds()
    P, V = b.PositionComponent, b.VelocityComponent

    class Mover(b.AbstractSystem):
        def _updateEntity(self, entity, timeStep):
            pos = entity.getComponent(P).pos
            vel = entity.getComponent(V).velocity
            pos.x += vel.x * timeStep
            pos.y += vel.y * timeStep

    class EsperMover(esper.Processor):
        def process(self, timeStep):
            for _, (pos, vel) in esper.get_components(Position, Velocity):
                pos.x += vel.x * timeStep
                pos.y += vel.y * timeStep

    mover = Mover(P, V)
    ecs.addSystem(mover)
    esper.add_processor(EsperMover())
    t = alternate(rounds, engine=lambda: ecs.update(STEP), esper=lambda: esper.process(STEP))
    esper.remove_processor(EsperMover)
    return [line("AbstractSystem subclass, Python _updateEntity (10,000)", t["engine"], t["esper"],
                 "esper processor", 1.5)]


def ui_text(rounds):
    """A panel of 60 text lines on a 1920 x 1080 target, against pygame-ce drawing the same lines."""
    with tempfile.TemporaryDirectory() as tmp:
        theme = b.UITheme(str(write_theme(Path(tmp))))
    lines = [f"line {i}: the quick brown fox jumps over the lazy dog" for i in range(LINES)]
    renderer = b.UIRenderer(b.Texture(*SCREEN), False, theme)
    panel = b.UIPanel()
    for text in lines:
        panel.addChild(b.UIText(text))
    renderer.widget.addChild(panel, 10, 10)
    renderer.render()

    pygame.font.init()
    font = pygame.font.Font(FONT_FILE, 12)
    screen = pygame.Surface(SCREEN, pygame.SRCALPHA)
    cached = [font.render(text, True, (255, 255, 255)) for text in lines]

    def pygame_cached():
        y = 14
        for surface in cached:
            screen.blit(surface, (14, y))
            y += surface.get_height()

    def pygame_render():
        y = 14
        for text in lines:
            surface = font.render(text, True, (255, 255, 255))
            screen.blit(surface, (14, y))
            y += surface.get_height()

    t = alternate(rounds, engine=renderer.render, cached=pygame_cached, rendered=pygame_render)
    return [
        line(f"UIPanel of {LINES} UIText, render()", t["engine"], t["cached"], "pygame-ce cached blits", 2.0),
        line("", t["engine"], t["rendered"], "pygame-ce Font.render + blit"),
    ]


def demo_frame(rounds):
    """engine.update() of the demo at 1920 x 1080 with the HUD and the menu open, next to its parts."""
    root = Path(__file__).resolve().parent.parent / "examples"
    assets = root / "assets"
    if not (assets / "level.lvl.json").exists():
        print("demo frame: skipped, the demo's assets are missing (make bench generates them)")
        return []
    sys.path.insert(0, str(root))
    from demo_game import game as demo

    demo.SIZE = SCREEN
    g = demo.Game(assets, show=False, frames=10 ** 6)
    g.toggle_menu()
    for _ in range(5):
        g.engine.update()
    step = 1 / 60
    t = alternate(rounds, frame=g.engine.update, renderer=lambda: g.world.renderer.update(step),
                  ui=g.ui.render, tasks=lambda: g._frame(step, None))
    rest = t["frame"] - t["renderer"] - t["ui"] - t["tasks"]
    print(f"demo frame at {SCREEN[0]} x {SCREEN[1]}, HUD and menu open: {t['frame'] * 1e3:.3f} ms = "
          f"renderer {t['renderer'] * 1e3:.3f} + UI {t['ui'] * 1e3:.3f} + Python tasks {t['tasks'] * 1e3:.3f} + "
          f"upload, input and the rest {rest * 1e3:.3f} ms", flush=True)
    b.Engine._eventSubscribers.clear()
    b.Engine._tasks.clear()
    return []


PARTS = {"queries": queries, "systems": systems, "ui": ui_text, "demo": demo_frame}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=31)
    parser.add_argument("--only", nargs="+", choices=sorted(PARTS), help="run only these parts")
    args = parser.parse_args()
    print(f"esper {esper.version if hasattr(esper, 'version') else ''}, pygame-ce {pygame.version.ver}")
    for name, part in PARTS.items():
        if not args.only or name in args.only:
            part(args.rounds)


if __name__ == "__main__":
    main()
