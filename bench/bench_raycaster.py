"""Median frame time of RaycastingRenderer.render() as a ratio against a baseline measured in the same run.

The baseline is the textbook raycaster bench/ref_raycaster.cpp (built with g++ here; same level,
textures, camera path and sizes; walls, floor and ceiling with fog; the faster of its two floor
loop orders). The engine draws three scenes along that path: plain walls, floor and ceiling; the
same with fog, ground fog and a sky; and that with 50 directional animated sprites, each on one
thread and on all of the machine's cores.

    python bench/bench_raycaster.py [--frames N] [--rounds R] [--sizes 640x400,1920x1080]
"""
import argparse
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


def engine_frames(level, w, h, frames, threads, sheet=None):
    """Frame times in ms along the camera path."""
    r = b.RaycastingRenderer(b.Texture(w, h), level)
    r.threads = threads
    ecs = add_sprites(r, sheet) if sheet else None  # noqa: F841 (keeps the entities alive)
    cam = r.getCamera()
    cam.fov, cam.pitch, cam.ratio = 60, 0, 1.6
    times = []
    for i in range(frames):
        (px, py), (dx, dy) = camera_at(i, frames)
        cam.pos.x, cam.pos.y, cam.dir.x, cam.dir.y = px, py, dx, dy
        t0 = time.perf_counter()
        r.render()
        times.append((time.perf_counter() - t0) * 1000)
    return times


def build_reference(folder):
    """The textbook raycaster's executable, or None without g++."""
    compiler = shutil.which("g++")
    if not compiler:
        return None
    exe = folder / "ref_raycaster"
    subprocess.run([compiler, "-O2", "-std=c++17", "-o", str(exe), str(HERE / "ref_raycaster.cpp")], check=True)
    return exe


def reference_frames(exe, sizes, frames):
    """Median ms per size of the textbook raycaster (the faster of its floor orders)."""
    out = subprocess.run([str(exe), "--frames", str(frames), "--sizes", ",".join(f"{w}x{h}" for w, h in sizes),
                          "--floor", "both"], check=True, capture_output=True, text=True).stdout
    result = {}
    for line in out.splitlines():
        rec = json.loads(line)
        if rec["bench"] == "ref_cpp":
            size = (rec["w"], rec["h"])
            result[size] = min(result.get(size, math.inf), rec["median_ms"])
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=60, help="frames per round")
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
        cores = b.RaycastingRenderer(b.Texture(1, 1), None).threads
        exe = build_reference(folder)
        # The machine is shared: baseline and engine take turns, round after round, and the
        # medians are taken over all rounds.
        reference, engine = {}, {}
        for _ in range(args.rounds):
            if exe:
                for size, ms in reference_frames(exe, sizes, args.frames).items():
                    reference.setdefault(size, []).append(ms)
            for w, h in sizes:
                for name, level, sprites in scenes:
                    for threads in sorted({1, cores}):
                        times = engine_frames(level, w, h, args.frames, threads, sprites)
                        engine.setdefault((w, h, name, threads), []).extend(times)
        for w, h in sizes:
            ref = statistics.median(reference[(w, h)]) if (w, h) in reference else None
            print(f"{w}x{h}: baseline " + (f"{ref:.3f} ms/frame" if ref else "not built (no g++)"))
            for name, _, _ in scenes:
                cells = []
                for threads in sorted({1, cores}):
                    ms = statistics.median(engine[(w, h, name, threads)])
                    ratio = f" = {ms / ref:.2f} x baseline" if ref else ""
                    cells.append(f"{threads} thread{'s' if threads > 1 else ''} {ms:7.3f} ms{ratio}")
                print(f"  {name:<24} " + "; ".join(cells))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
