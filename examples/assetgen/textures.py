"""Wall, floor and ceiling textures, the sky panorama, the flashlight cone and the crosshair."""
import numpy as np
from PIL import Image, ImageDraw

from .paint import fbm, ramp, rng, save, shade, to_image, tileable_noise

SIZE = 64

# The demo map's textures tileset holds these pictures in this order.
WALLS = ["brick", "stone", "wood", "metal", "moss", "marble", "tiles", "grass", "ceiling"]


def _grid():
    y, x = np.mgrid[0:SIZE, 0:SIZE]
    return x, y


def brick(seed=1):
    x, y = _grid()
    row = y // 16
    shifted = (x + (row % 2) * 16) % SIZE
    brick_id = row * 4 + shifted // 32
    tint = rng(seed).uniform(0.75, 1.15, 64)[brick_id]
    noise = fbm((SIZE, SIZE), 8, seed)
    base = ramp(noise, [(0, (120, 45, 35)), (0.5, (165, 70, 50)), (1, (200, 105, 75))])
    color = shade(base, tint)
    mortar = (y % 16 < 2) | (shifted % 32 < 2)
    color[mortar] = ramp(noise[mortar], [(0, (140, 135, 125)), (1, (185, 180, 170))])
    edge = (y % 16 == 2) | (shifted % 32 == 2)
    color[edge] *= 0.8
    return to_image(color)


def stone(seed=2):
    x, y = _grid()
    noise = fbm((SIZE, SIZE), 6, seed)
    color = ramp(noise, [(0, (85, 85, 95)), (0.5, (125, 125, 130)), (1, (170, 168, 165))])
    block_x = (x + (y // 32) * 16) % 32
    bevel = np.minimum(np.minimum(block_x, 31 - block_x), np.minimum(y % 32, 31 - y % 32))
    light = np.where(bevel < 3, 0.65 + 0.1 * bevel, 1.0)
    color = shade(color, light)
    cracks = tileable_noise((SIZE, SIZE), 16, seed + 7)
    color[np.abs(cracks - 0.5) < 0.015] *= 0.6
    return to_image(color)


def wood(seed=3):
    x, y = _grid()
    plank = x // 16
    warp = fbm((SIZE, SIZE), (4, 2), seed) * 6
    grain = 0.5 + 0.5 * np.sin((x % 16) * 0.9 + warp * 2 + plank * 1.7)
    color = ramp(grain, [(0, (95, 60, 30)), (1, (160, 110, 60))])
    color = shade(color, rng(seed).uniform(0.85, 1.1, 4)[plank])
    color[x % 16 == 0] *= 0.45
    nails = ((x % 16 == 3) | (x % 16 == 12)) & ((y % 32 == 4) | (y % 32 == 5))
    color[nails] = (60, 55, 50)
    return to_image(color)


def metal(seed=4):
    x, y = _grid()
    noise = fbm((SIZE, SIZE), (16, 2), seed)
    color = ramp(noise, [(0, (70, 85, 100)), (1, (120, 140, 160))])
    seam = (y % 32 == 0) | (x == 0)
    color[seam] = (40, 45, 55)
    color[(y % 32 == 1) | (x == 1)] *= 1.3
    for cx in (5, 58):
        for cy in (5, 26, 37, 58):
            r = np.hypot(x - cx, y - cy)
            color[r < 2.2] = (175, 185, 195)
            color[(r >= 2.2) & (r < 3)] = (45, 50, 60)
    stripe = (y >= 14) & (y < 18)
    color[stripe] = np.where(((x[stripe] + y[stripe]) // 4 % 2 == 0)[:, None], (220, 170, 40), (30, 30, 30))
    return to_image(color)


def moss(seed=5):
    stone_rgb = np.asarray(stone(seed), dtype=float)
    growth = fbm((SIZE, SIZE), 4, seed + 11)
    green = ramp(fbm((SIZE, SIZE), 12, seed + 3), [(0, (40, 80, 30)), (1, (90, 140, 50))])
    mix = np.clip((growth - 0.45) * 5, 0, 1)[..., None]
    return to_image(stone_rgb * (1 - mix) + green * mix)


def marble(seed=6):
    x, y = _grid()
    warp = fbm((SIZE, SIZE), 4, seed) * 10
    veins = np.abs(np.sin((x + y) * 0.1 + warp))
    color = ramp(veins, [(0, (120, 110, 130)), (0.15, (200, 195, 205)), (1, (235, 232, 228))])
    return to_image(color)


def tiles(seed=7):
    x, y = _grid()
    checker = ((x // 32) + (y // 32)) % 2
    noise = fbm((SIZE, SIZE), 8, seed)
    dark = ramp(noise, [(0, (50, 55, 65)), (1, (80, 85, 95))])
    light = ramp(noise, [(0, (150, 140, 120)), (1, (190, 180, 160))])
    color = np.where(checker[..., None] == 1, dark, light)
    grout = (x % 32 < 1) | (y % 32 < 1)
    color[grout] = (35, 35, 35)
    return to_image(color)


def grass(seed=8):
    noise = fbm((SIZE, SIZE), 8, seed)
    blades = rng(seed).random((SIZE, SIZE))
    color = ramp(noise, [(0, (40, 85, 30)), (0.6, (70, 125, 45)), (1, (110, 150, 60))])
    color[blades > 0.93] *= 1.35
    color[blades < 0.05] *= 0.6
    return to_image(color)


def ceiling(seed=9):
    x, y = _grid()
    noise = fbm((SIZE, SIZE), 6, seed)
    color = ramp(noise, [(0, (150, 140, 125)), (1, (190, 182, 165))])
    beam = (y % 32) < 8
    color[beam] = ramp(noise[beam], [(0, (80, 50, 30)), (1, (115, 75, 45))])
    color[(y % 32) == 8] *= 0.5
    return to_image(color)


def sky(width=2048, height=512, seed=10):
    """Panorama that wraps around horizontally; the horizon is the middle row."""
    y, x = np.mgrid[0:height, 0:width]
    v = y / (height / 2)
    color = ramp(np.clip(v, 0, 1), [(0, (12, 18, 55)), (0.55, (60, 70, 140)), (0.85, (220, 120, 110)),
                                    (1, (255, 185, 110))])
    stars = rng(seed).random((height, width)) > 0.997
    color[stars & (v < 0.5)] = (255, 255, 230)
    clouds = fbm((height, width), (4, 16), seed + 1, octaves=5)
    cloud_alpha = np.clip((clouds - 0.5) * 3, 0, 1) * np.clip(1 - np.abs(v - 0.55) * 3, 0, 1)
    color = color * (1 - cloud_alpha[..., None]) + np.array([255, 215, 200]) * cloud_alpha[..., None]
    ridge = fbm((1, width), (1, 12), seed + 2, octaves=4)[0]
    ridge_y = height / 2 - height / 32 - ridge * height / 6
    far = y > ridge_y[None, :]
    color[far] = ramp(np.clip((y[far] - height * 0.3) / (height * 0.25), 0, 1), [(0, (95, 70, 120)), (1, (45, 35, 60))])
    near_ridge = height / 2 + 2 - fbm((1, width), (1, 24), seed + 3)[0] * height / 14
    color[y > near_ridge[None, :]] = (30, 28, 40)
    return to_image(color)


def flashlight(width=128, height=512):
    """Light added over the walls. Columns span the screen; the renderer walks down the rows from
    the top of each wall by 3 / distance per screen row, so for walls one to three cells away the
    middle of the wall falls around row 190: the spot is centred there."""
    y, x = np.mgrid[0:height, 0:width]
    across = np.exp(-(((x - width / 2) / (width * 0.2)) ** 2))
    down = np.exp(-(((y - 190) / 110) ** 2))
    value = across * down
    rgb = np.stack([value * 255, value * 240, value * 200], axis=-1)
    return to_image(rgb, value * 255)


def crosshair(size=15):
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    mid = size // 2
    for dx, dy in ((1, 0), (0, 1)):
        draw.line([(mid - 6 * dx, mid - 6 * dy), (mid - 2 * dx, mid - 2 * dy)], fill=(255, 255, 255, 220), width=1)
        draw.line([(mid + 2 * dx, mid + 2 * dy), (mid + 6 * dx, mid + 6 * dy)], fill=(255, 255, 255, 220), width=1)
    draw.point((mid, mid), fill=(255, 80, 60, 255))
    return image


def generate(out):
    walls = [save(globals()[name](), out / "textures" / f"{name}.png") for name in WALLS]
    save(sky(), out / "sky.png")
    save(flashlight(), out / "flashlight.png")
    save(crosshair(), out / "crosshair.png")
    return ["textures/" + name for name in walls]
