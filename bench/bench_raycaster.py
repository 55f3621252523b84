"""Median frame time of RaycastingRenderer.render() as a ratio against a baseline measured in the same run.

The baseline is the textbook raycaster bench/ref_raycaster.cpp (built with g++ -O2 here as a
shared object, bench/ref_raycaster_frames.cpp, and called frame by frame; same level, textures,
camera path and sizes; walls, floor and ceiling with fog; the faster of its two floor loop orders).
The engine draws three scenes along that path: plain walls, floor and ceiling; the same with fog,
ground fog and a sky; and that with 50 directional animated sprites, each on one thread and on all
of the machine's cores. Baseline and engine take turns frame by frame.

    python bench/bench_raycaster.py [--frames N] [--rounds R] [--sizes 640x400,1920x1080]
"""
import argparse
import ctypes
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")  # idle BLAS threads would compete with the renderer

import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

import brovaline as b  # noqa: E402

HERE = Path(__file__).resolve().parent
SIZE, TEX = 30, 64


def write_textures(folder):
    """The reference scene's four 64 x 64 textures as PNG files: xor, brick, floor, ceiling."""
    y, x = np.mgrid[0:TEX, 0:TEX].astype(np.uint32)
    xor = np.stack([((x ^ y) << 2) & 0xFF, (x << 2) & 0xFF, (y << 2) & 0xFF], -1)
    mortar = (y % 16 == 0) | ((x + 16 * ((y // 16) % 2)) % 32 == 0)
    brick = np.where(mortar[..., None], 0xB0, np.stack([(160 + x * y % 64) & 0xFF, 0 * x + 40, 0 * x + 30], -1))
    checker = ((x // 8 + y // 8) % 2).astype(bool)[..., None]
    floor = np.where(checker, np.array([0x70, 0x70, 0x70]), np.array([0x40, 0x48, 0x50]))
    v = 96 + (x * 3 + y * 5) % 32
    ceiling = np.stack([v, v, v], -1)
    names = []
    for name, rgb in [("xor", xor), ("brick", brick), ("floor", floor), ("ceiling", ceiling)]:
        path = folder / f"{name}.png"
        Image.fromarray(rgb.astype(np.uint8), "RGB").save(path)
        names.append(str(path))
    return names


def write_sky(folder):
    """A 512 x 128 panorama: a blue gradient with a band of hills."""
    y, x = np.mgrid[0:128, 0:512].astype(np.int32)
    hills = y > 80 + (12 * np.sin(x / 40.0)).astype(np.int32)
    rgb = np.where(hills[..., None], np.stack([40 + x % 30, 90 + y % 20, 40 + 0 * x], -1),
                   np.stack([60 + y, 110 + y, 200 + y // 3], -1))
    path = folder / "sky.png"
    Image.fromarray(rgb.astype(np.uint8), "RGB").save(path)
    return str(path)


def write_level(folder, name, fog, extras):
    """30 x 30, walled border, 16 pillars and two wall segments (the reference scene). With
    `extras`, ground fog and a sky that shows through a courtyard open to the sky."""
    grid = bytearray()
    for y in range(SIZE):
        for x in range(SIZE):
            border = x in (0, SIZE - 1) or y in (0, SIZE - 1)
            pillar = x in (5, 12, 17, 24) and y in (5, 12, 17, 24)
            segment = (y == 22 and 8 <= x <= 12) or (x == 22 and 5 <= y <= 9)
            wall = 0 if pillar else 1
            ceiling = 255 if extras and 13 <= x <= 16 and 13 <= y <= 16 else 3
            grid += bytes([int(border or pillar or segment), 2, ceiling, wall, wall, wall, wall])
    path = folder / f"{name}.lvl"
    path.write_bytes(bytes(grid))
    header = {"width": SIZE, "height": SIZE, "textures": write_textures(folder), "fogDensity": 8 if fog else 0,
              "fogColor": [0x10, 0x10, 0x20]}
    if extras:
        header.update(groundFogDensity=6, groundFogColor=[0xA0, 0xA0, 0xB0], skytex=write_sky(folder))
    (folder / f"{name}.lvl.json").write_text(json.dumps(header))
    return b.Level(str(path))


def write_sheet(folder):
    """A 512 x 256 sprite sheet: 4 walking frames in 8 view directions, 64 x 64 each, with
    transparent corners."""
    y, x = np.mgrid[0:256, 0:512].astype(np.int32)
    fx, fy = x % 64 - 32, y % 64 - 32
    frame = x // 64 + 8 * (y // 64)
    rgba = np.stack([(frame * 8 + fx + 32) % 256, (fy * 3 + 128) % 256, (frame * 23) % 256,
                     np.where(fx * fx + fy * fy < 900, 255, 0)], -1)
    path = folder / "sheet.png"
    Image.fromarray(rgba.astype(np.uint8), "RGBA").save(path)
    return b.Texture(str(path))


class FixedStepEngine(b.Engine):
    """Frames of 1/60 s, so that the sprites animate."""

    def getTimeStep(self):
        return 1 / 60


def add_sprites(renderer, sheet, count=50):
    """`count` directional walking sprites on open cells, facing random ways."""
    rng = np.random.default_rng(5)
    walk = b.SpriteAnimation("walk", 4, False, 2.0, 0, 8)
    ecs = b.Ecs(None)
    ecs.addSystem(renderer)
    renderer._setEngine(FixedStepEngine())
    placed = 0
    while placed < count:
        x, y = rng.uniform(1.2, SIZE - 1.2, 2)
        if int(x) in (5, 12, 17, 24) and int(y) in (5, 12, 17, 24):
            continue
        if (int(y) == 22 and 8 <= int(x) <= 12) or (int(x) == 22 and 5 <= int(y) <= 9):
            continue
        a = rng.uniform(0, 2 * math.pi)
        sprite = b.SpriteComponent(b.Sprite(sheet, 8, 4, [walk]), scale=0.7, zOffset=0.3)
        ecs.addEntity(b.Entity(-1, b.PositionComponent(b.Vector2(x, y)), sprite,
                               b.RotationComponent(b.Vector2(math.cos(a), math.sin(a)))))
        placed += 1
    return ecs


def camera_at(i, n):
    """Frame i of n walks a circle of radius 6 around (15, 15), looking along it with a sway."""
    a = 2 * math.pi * i / n
    look = a + math.pi / 2 + 0.5 * math.sin(3 * a)
    return (15 + 6 * math.cos(a), 15 + 6 * math.sin(a)), (math.cos(look), math.sin(look))


def timed(call):
    """(wall-clock ms, calling thread's CPU ms) of call()."""
    t0, c0 = time.perf_counter(), time.thread_time()
    call()
    return (time.perf_counter() - t0) * 1000, (time.thread_time() - c0) * 1000


def engine_drawer(level, w, h, threads, sheet=None):
    """A function drawing frame i of n of the camera path with the engine; returns timed()'s pair."""
    r = b.RaycastingRenderer(b.Texture(w, h), level)
    r.threads = threads
    ecs = add_sprites(r, sheet) if sheet else None
    cam = r.getCamera()
    cam.fov, cam.pitch, cam.ratio = 60, 0, 1.6

    def draw(i, n):
        (px, py), (dx, dy) = camera_at(i, n)
        cam.pos.x, cam.pos.y, cam.dir.x, cam.dir.y = px, py, dx, dy
        return timed(r.render)

    draw.keep = ecs  # the entities live as long as the drawer
    return draw


def build_reference(folder):
    """The textbook raycaster as a shared object drawing one frame per call, or None without g++."""
    compiler = shutil.which("g++")
    if not compiler:
        return None
    lib = folder / "libref_raycaster.so"
    subprocess.run([compiler, "-O2", "-std=c++17", "-shared", "-fPIC", "-o", str(lib),
                    str(HERE / "ref_raycaster_frames.cpp")], check=True, capture_output=True)
    ref = ctypes.CDLL(str(lib))
    ref.ref_build_scene.restype = None
    ref.ref_render_frame.argtypes = [ctypes.c_void_p] + [ctypes.c_int] * 5
    ref.ref_render_frame.restype = None
    ref.ref_build_scene()
    return ref


def reference_drawer(ref, w, h, column_floor):
    """A function drawing frame i of n with the textbook raycaster (floor row by row, or column
    by column); returns timed()'s pair."""
    pixels = np.zeros(w * h, np.uint32)
    address = pixels.ctypes.data

    def draw(i, n):
        return timed(lambda: ref.ref_render_frame(address, w, h, i, n, column_floor))

    draw.keep = pixels
    return draw


FLOOR_ORDERS = ("rows", "cols")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=60, help="frames per round (points of the camera path)")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--sizes", default="640x400,1920x1080")
    args = parser.parse_args()
    sizes = [tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")]
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        plain = write_level(folder, "plain", fog=False, extras=False)
        foggy = write_level(folder, "foggy", fog=True, extras=True)
        sheet = write_sheet(folder)
        scenes = [("walls, floor, ceiling", plain, None), ("+ fog, ground fog, sky", foggy, None),
                  ("+ 50 sprites", foggy, sheet)]
        probe = b.RaycastingRenderer(b.Texture(1, 1), None)
        cores = probe.threads
        thread_counts = sorted({1, cores})
        print(f"pixel path: {probe._pixelPath}; {cores} cores; load average {os.getloadavg()[0]:.1f}")
        ref = build_reference(folder)
        # The machine is shared: every drawer draws each point of the camera path in turn, the
        # baseline's two floor orders first, so that a busy moment slows them all alike; the
        # medians are taken over all frames of all rounds.
        drawers = []
        for w, h in sizes:
            if ref:
                drawers += [((w, h, order), reference_drawer(ref, w, h, k)) for k, order in enumerate(FLOOR_ORDERS)]
            drawers += [((w, h, name, threads), engine_drawer(level, w, h, threads, sprites))
                        for name, level, sprites in scenes for threads in thread_counts]
        times = {key: ([], []) for key, _ in drawers}
        for _ in range(args.rounds):
            for i in range(args.frames):
                for key, draw in drawers:
                    wall, cpu = draw(i, args.frames)
                    times[key][0].append(wall)
                    times[key][1].append(cpu)

        def median(key, clock):
            return statistics.median(times[key][clock])

        # One thread: the ratio also by the CPU time of the drawing thread, which a busy machine
        # disturbs less than the clock (waits for a core are left out).
        for w, h in sizes:
            if not ref:
                print(f"{w}x{h}: baseline not built (no g++)")
            base = [min(median((w, h, order), clock) for order in FLOOR_ORDERS) for clock in (0, 1)] if ref else None
            if ref:
                print(f"{w}x{h}: baseline {base[0]:.3f} ms/frame (CPU {base[1]:.3f} ms)")
            for name, _, _ in scenes:
                cells = []
                for threads in thread_counts:
                    key = (w, h, name, threads)
                    cell = f"{threads} thread{'s' if threads > 1 else ''} {median(key, 0):7.3f} ms"
                    if ref:
                        cell += f" = {median(key, 0) / base[0]:.2f} x"
                        if threads == 1:
                            cell += f" (CPU {median(key, 1) / base[1]:.2f} x)"
                    cells.append(cell)
                print(f"  {name:<24} " + "; ".join(cells))
        print(f"load average {os.getloadavg()[0]:.1f}")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
