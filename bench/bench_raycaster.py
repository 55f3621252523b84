"""Frame time of RaycastingRenderer.render() as a ratio against baselines measured in the same run.

Baselines: the textbook raycaster bench/ref_raycaster.cpp (built with g++ here, same scene, camera
path, sizes and per-column floor loop order) and a plain copy of one frame's pixels.

    python bench/bench_raycaster.py [--frames N] [--sizes 640x400,1920x1080]
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


def write_level(folder):
    """30 x 30, walled border, 16 pillars and two wall segments (the reference scene)."""
    grid = bytearray()
    for y in range(SIZE):
        for x in range(SIZE):
            border = x in (0, SIZE - 1) or y in (0, SIZE - 1)
            pillar = x in (5, 12, 17, 24) and y in (5, 12, 17, 24)
            segment = (y == 22 and 8 <= x <= 12) or (x == 22 and 5 <= y <= 9)
            wall = 0 if pillar else 1
            grid += bytes([int(border or pillar or segment), 2, 3, wall, wall, wall, wall])
    path = folder / "bench.lvl"
    path.write_bytes(bytes(grid))
    header = {"width": SIZE, "height": SIZE, "textures": write_textures(folder), "fogDensity": 8,
              "fogColor": [0x10, 0x10, 0x20]}
    (folder / "bench.lvl.json").write_text(json.dumps(header))
    return b.Level(str(path))


def camera_at(i, n):
    """Frame i of n walks a circle of radius 6 around (15, 15), looking along it with a sway."""
    a = 2 * math.pi * i / n
    look = a + math.pi / 2 + 0.5 * math.sin(3 * a)
    return (15 + 6 * math.cos(a), 15 + 6 * math.sin(a)), (math.cos(look), math.sin(look))


def engine_frames(level, w, h, frames):
    r = b.RaycastingRenderer(b.Texture(w, h), level)
    cam = r.getCamera()
    cam.fov, cam.pitch, cam.ratio = 60, 0, 1.6
    times = []
    for i in range(frames):
        (px, py), (dx, dy) = camera_at(i, frames)
        cam.pos.x, cam.pos.y, cam.dir.x, cam.dir.y = px, py, dx, dy
        t0 = time.perf_counter()
        r.render()
        times.append(time.perf_counter() - t0)
    return statistics.median(times) * 1000


def copy_frame(w, h, frames):
    src, dst = np.ones(w * h, np.uint32), np.zeros(w * h, np.uint32)
    times = []
    for _ in range(frames):
        t0 = time.perf_counter()
        np.copyto(dst, src)
        times.append(time.perf_counter() - t0)
    return statistics.median(times) * 1000


def reference_frames(folder, sizes, frames):
    """Median ms per size of the textbook raycaster, or {} when no C++ compiler is available."""
    compiler = shutil.which("g++")
    if not compiler:
        return {}
    exe = folder / "ref_raycaster"
    subprocess.run([compiler, "-O2", "-std=c++17", "-o", str(exe), str(HERE / "ref_raycaster.cpp")], check=True)
    out = subprocess.run([str(exe), "--frames", str(frames), "--sizes", ",".join(f"{w}x{h}" for w, h in sizes),
                          "--floor", "cols"], check=True, capture_output=True, text=True).stdout
    result = {}
    for line in out.splitlines():
        rec = json.loads(line)
        if rec["bench"] == "ref_cpp":
            result[(rec["w"], rec["h"])] = rec["median_ms"]
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=200)
    parser.add_argument("--sizes", default="640x400,1920x1080")
    args = parser.parse_args()
    sizes = [tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")]
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        level = write_level(folder)
        reference = reference_frames(folder, sizes, args.frames)
        for w, h in sizes:
            engine = engine_frames(level, w, h, args.frames)
            copy = copy_frame(w, h, args.frames)
            line = f"{w}x{h}: engine {engine:.3f} ms/frame, {engine / copy:.1f} x a frame copy ({copy:.3f} ms)"
            if (w, h) in reference:
                ref = reference[(w, h)]
                line += f", {engine / ref:.2f} x the textbook raycaster ({ref:.3f} ms)"
            print(line)
            sys.stdout.flush()


if __name__ == "__main__":
    main()
