"""Small levels, solid textures and pixel read-back for the raycasting renderer tests."""
import json

import numpy as np
from PIL import Image

import brovaline as b

BACKGROUND = 0xFF00B464


def argb(tex, tmp_path, name="frame.png"):
    """The texture's pixels as an array of 0xAARRGGBB words (rows first), read back through saveFile."""
    path = tmp_path / name
    tex.saveFile(str(path))
    rgba = np.asarray(Image.open(path).convert("RGBA")).astype(np.uint32)
    r, g, bl, a = (rgba[..., i] for i in range(4))
    return a << 24 | r << 16 | g << 8 | bl


def alpha_blend(base, overlay, alpha):
    a = alpha & 0xFF
    out = base & 0xFF000000
    for shift in (16, 8, 0):
        out |= ((((overlay >> shift) & 0xFF) * a + ((base >> shift) & 0xFF) * (255 - a)) >> 8) << shift
    return out


def add_scaled(dst, src, weight):
    out = dst & 0xFF000000
    for shift in (16, 8, 0):
        out |= min(255, ((dst >> shift) & 0xFF) + ((((src >> shift) & 0xFF) * weight) >> 8)) << shift
    return out


def solid(tmp_path, name, rgb, size=(4, 4)):
    """A PNG file of one opaque colour; returns its path."""
    t = b.Texture(*size)
    t.fill(rgb)
    path = tmp_path / name
    t.saveFile(str(path))
    return str(path)


def image(tmp_path, name, rows):
    """A PNG file whose pixels are the given rows of 0xAARRGGBB words; returns its path."""
    words = np.array(rows, dtype=np.uint32)
    rgba = np.stack([words >> 16, words >> 8, words, words >> 24], axis=-1).astype(np.uint8)
    path = tmp_path / name
    Image.fromarray(rgba, "RGBA").save(path)
    return str(path)


def make_level(tmp_path, width, height, textures, cells=None, border=True, floor=0, ceiling=0, wall=0, **header):
    """A level file pair: `textures` lists (r, g, b) colours or image paths, `cells` maps (x, y) to a
    block type or to all seven bytes; `header` adds keys such as fogDensity or skytex."""
    grid = bytearray()
    cells = cells or {}
    for y in range(height):
        for x in range(width):
            edge = x in (0, width - 1) or y in (0, height - 1)
            cell = [1 if border and edge else 0, floor, ceiling, wall, wall, wall, wall]
            given = cells.get((x, y))
            if isinstance(given, int):
                cell[0] = given
            elif given is not None:
                cell = list(given)
            grid += bytes(cell)
    names = [t if isinstance(t, str) else solid(tmp_path, f"tex{i}.png", t) for i, t in enumerate(textures)]
    path = tmp_path / "scene.lvl"
    path.write_bytes(bytes(grid))
    meta = {"width": width, "height": height, "textures": names, "fogDensity": 0, **header}
    (tmp_path / "scene.lvl.json").write_text(json.dumps(meta))
    return b.Level(str(path))


def renderer(level, size, pos, direction, fov=60, pitch=0, ratio=1.6):
    target = b.Texture(*size)
    r = b.RaycastingRenderer(target, level)
    cam = r.getCamera()
    cam.pos.x, cam.pos.y = pos
    cam.dir.x, cam.dir.y = direction
    cam.fov, cam.pitch, cam.ratio = fov, pitch, ratio
    return r, target
