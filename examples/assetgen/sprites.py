"""Sprite sheets: a directional walking sentinel, pulsing glow orbs, a crystal, a tree and a barrel.

Frames are drawn at twice their size and scaled down for smooth edges. Directional sheets store,
for every time step of an animation, one frame per view direction; direction 0 is the view from
the front and the camera's bearing decreases by 360 / directions degrees per step.
"""
import math

import numpy as np
from PIL import Image, ImageDraw

from .paint import save

FRAME = 64
SUPER = 2


def _canvas(size=FRAME):
    image = Image.new("RGBA", (size * SUPER, size * SUPER), (0, 0, 0, 0))
    return image, ImageDraw.Draw(image)


def _finish(image, size=FRAME):
    return image.resize((size, size), Image.LANCZOS)


def _s(*values):
    return [v * SUPER for v in values]


def sentinel_frame(view_angle, step, steps):
    """One frame of the sentinel seen from `view_angle` radians off its facing, walk phase `step`."""
    image, draw = _canvas()
    toward = math.cos(view_angle)        # > 0: its face is towards the camera
    lateral = math.sin(view_angle)       # < 0: it faces the left of the screen
    phase = math.sin(2 * math.pi * step / steps)
    body_w = 12 + 6 * abs(toward)
    cx = 32
    steel, dark, trim = (95, 115, 150, 255), (40, 48, 66, 255), (230, 140, 40, 255)
    limb = (130, 140, 160, 255)
    # legs: swing forwards/backwards when seen from the side, lift when seen from the front
    for side in (-1, 1):
        swing = phase * side
        hip_x = cx + side * body_w * 0.45 * abs(toward)
        foot_x = hip_x + swing * 7 * lateral
        lift = max(0.0, swing) * 5 * abs(toward)
        draw.line(_s(hip_x, 44, foot_x, 61 - lift), fill=limb, width=6 * SUPER)
        draw.ellipse(_s(foot_x - 4, 58 - lift, foot_x + 4, 63 - lift), fill=trim)
    # torso
    draw.rounded_rectangle(_s(cx - body_w, 20, cx + body_w, 47), radius=6 * SUPER, fill=steel, outline=dark,
                           width=SUPER)
    draw.rectangle(_s(cx - body_w, 40, cx + body_w, 43), fill=trim)
    # power pack on its back
    if toward < 0.2:
        px = cx - lateral * 8
        draw.rounded_rectangle(_s(px - 7, 22, px + 7, 38), radius=3 * SUPER, fill=(80, 95, 70, 255), outline=dark,
                               width=SUPER)
        draw.ellipse(_s(px - 2, 27, px + 2, 31), fill=(120, 255, 120, 255))
    # arms swing against the legs
    for side in (-1, 1):
        shoulder_x = cx + side * (body_w + 1) * max(0.35, abs(toward))
        hand_x = shoulder_x - phase * side * 6 * lateral
        draw.line(_s(shoulder_x, 23, hand_x, 41), fill=limb, width=5 * SUPER)
    # head with antenna
    draw.ellipse(_s(cx - 9, 3, cx + 9, 21), fill=steel, outline=dark, width=SUPER)
    draw.line(_s(cx - lateral * 3, 4, cx - lateral * 5, -2), fill=dark, width=SUPER)
    draw.ellipse(_s(cx - lateral * 5 - 2, -3, cx - lateral * 5 + 2, 1), fill=(255, 60, 40, 255))
    # visor: follows the face, narrows when seen from the side, hidden from behind
    if toward > -0.35:
        vx = cx + lateral * 7
        half = 3 + 5 * max(0.0, toward)
        draw.rounded_rectangle(_s(vx - half, 9, vx + half, 14), radius=2 * SUPER, fill=(255, 70, 50, 255))
        draw.rectangle(_s(vx - half + 1, 10, vx - half + 3, 11), fill=(255, 220, 200, 255))
    return _finish(image)


def sentinel_hit_frame(step, steps):
    """Frames of the sentinel being zapped: it flashes and spins."""
    frame = sentinel_frame(2 * math.pi * step / steps, 0, 4).rotate(-20 + 40 * step / (steps - 1),
                                                                     resample=Image.BICUBIC)
    pixels = np.asarray(frame, dtype=float)
    flash = 0.7 * (1 - step / steps)
    pixels[..., :3] = pixels[..., :3] * (1 - flash) + np.array([180, 230, 255]) * flash
    return Image.fromarray(pixels.astype(np.uint8), "RGBA")


def sentinel(directions=8, walk_steps=4, hit_steps=4):
    sheet = Image.new("RGBA", (FRAME * directions, FRAME * (walk_steps + 1)), (0, 0, 0, 0))
    for step in range(walk_steps):
        for d in range(directions):
            sheet.paste(sentinel_frame(-2 * math.pi * d / directions, step, walk_steps),
                        (d * FRAME, step * FRAME))
    for step in range(hit_steps):
        sheet.paste(sentinel_hit_frame(step, hit_steps), (step * FRAME, walk_steps * FRAME))
    animations = {
        "walk": {"frames": walk_steps, "speed": 1.6, "directions": directions},
        "idle": {"frames": 1, "speed": 0.0, "directions": directions},
        "zapped": {"frames": hit_steps, "speed": 2.5, "oscillate": 1, "startFrame": walk_steps * directions},
    }
    return sheet, {"xFrames": directions, "yFrames": walk_steps + 1, "animations": animations}


def orb_frame(pulse, color):
    y, x = np.mgrid[0:FRAME, 0:FRAME]
    r = np.hypot(x - FRAME / 2 + 0.5, y - FRAME / 2 + 0.5) / (FRAME / 2)
    radius = 0.35 + 0.25 * pulse
    glow = np.exp(-(r / radius) ** 2) + 0.6 * np.exp(-(r / (radius * 0.3)) ** 2)
    glow = np.clip(glow, 0, 1)
    core = np.clip(1 - r / (radius * 0.25), 0, 1)
    rgb = np.array(color)[None, None, :] * (1 - core[..., None]) + 255 * core[..., None]
    return Image.fromarray(np.dstack([rgb, glow * 255]).astype(np.uint8), "RGBA")


def orbs(steps=6):
    palettes = {"warm": (255, 170, 60), "cold": (80, 200, 255)}
    sheet = Image.new("RGBA", (FRAME * steps, FRAME * len(palettes)), (0, 0, 0, 0))
    animations = {}
    for row, (name, color) in enumerate(palettes.items()):
        for step in range(steps):
            sheet.paste(orb_frame(step / (steps - 1), color), (step * FRAME, row * FRAME))
        animations[name] = {"frames": steps, "speed": 1.2, "oscillate": 1, "startFrame": row * steps}
    return sheet, {"xFrames": steps, "yFrames": len(palettes), "animations": animations}


def crystal_frame(angle):
    image, draw = _canvas()
    cx, top, waist, bottom = 32, 4, 40, 62
    facets = 6
    points = []
    for i in range(facets):
        a = angle + 2 * math.pi * i / facets
        points.append((math.sin(a), math.cos(a)))
    order = sorted(range(facets), key=lambda i: points[i][1])
    for i in order:
        j = (i + 1) % facets
        if points[i][1] + points[j][1] < -0.2:
            continue
        x1, x2 = cx + points[i][0] * 14, cx + points[j][0] * 14
        light = 0.45 + 0.55 * max(0.0, (points[i][1] + points[j][1]) / 2)
        col = (int(150 * light + 60), int(80 * light + 40), int(255 * light), 235)
        draw.polygon(_s(cx, top, x1, waist, x2, waist), fill=col)
        dim = tuple(int(c * 0.7) for c in col[:3]) + (235,)
        draw.polygon(_s(x1, waist, x2, waist, cx, bottom), fill=dim)
    draw.line(_s(cx, top, cx, bottom), fill=(255, 230, 255, 160), width=SUPER)
    return _finish(image)


def crystal(steps=8):
    sheet = Image.new("RGBA", (FRAME * steps, FRAME), (0, 0, 0, 0))
    for step in range(steps):
        sheet.paste(crystal_frame(math.pi / 3 * step / steps), (step * FRAME, 0))
    return sheet, {"xFrames": steps, "yFrames": 1,
                   "animations": {"turn": {"frames": steps, "speed": 0.8, "oscillate": 1}}}


def tree_frame(sway):
    size = 96
    image, draw = _canvas(size)
    trunk = (95, 65, 40, 255)
    draw.polygon(_s(44, 95, 52, 95, 50 + sway, 40, 46 + sway, 40), fill=trunk)
    blobs = [(48, 34, 24), (34, 44, 15), (62, 44, 15), (40, 22, 14), (58, 24, 13), (49, 12, 11)]
    for i, (bx, by, r) in enumerate(blobs):
        shift = sway * (1.6 - by / 50)
        shadow = (35, 80 + i * 6, 35, 255)
        draw.ellipse(_s(bx + shift - r, by - r, bx + shift + r, by + r), fill=shadow)
        draw.ellipse(_s(bx + shift - r * 0.7, by - r * 0.85, bx + shift + r * 0.5, by + r * 0.3),
                     fill=(70, 140 + i * 8, 60, 255))
    return _finish(image, size)


def tree(steps=4):
    size = 96
    sheet = Image.new("RGBA", (size * steps, size), (0, 0, 0, 0))
    for step in range(steps):
        sheet.paste(tree_frame(-3 + 6 * step / (steps - 1)), (step * size, 0))
    return sheet, {"xFrames": steps, "yFrames": 1,
                   "animations": {"sway": {"frames": steps, "speed": 0.5, "oscillate": 1}}}


def barrel():
    image, draw = _canvas()
    wood, band, dark = (140, 90, 50, 255), (70, 70, 80, 255), (80, 50, 28, 255)
    draw.rounded_rectangle(_s(14, 6, 50, 63), radius=8 * SUPER, fill=wood, outline=dark, width=SUPER)
    for x in (22, 32, 42):
        draw.line(_s(x, 8, x, 61), fill=dark, width=SUPER)
    for y in (14, 34, 54):
        draw.rectangle(_s(14, y, 50, y + 3), fill=band)
    draw.ellipse(_s(15, 3, 49, 11), fill=(165, 115, 70, 255), outline=dark, width=SUPER)
    return _finish(image), {}


SHEETS = {"sentinel": sentinel, "orbs": orbs, "crystal": crystal, "tree": tree, "barrel": barrel}
# The demo map's sprites tileset holds the sheets in this order, with these frame layouts.
ORDER = list(SHEETS)


def generate(out):
    """Writes the sheets and the window icon; returns the level header's "sprites" entries, in ORDER
    (the demo map must agree with them)."""
    entries = []
    for name in ORDER:
        sheet, description = SHEETS[name]()
        filename = save(sheet, out / "sprites" / f"{name}.png")
        entries.append({"texture": "sprites/" + filename, **description})
    save(crystal_frame(0).resize((32, 32), Image.LANCZOS), out / "icon.png")   # the window icon
    return entries
