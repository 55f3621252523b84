"""The site's pictures that are not a guide's code block: each widget in the demo theme, every
tileset piece, fog settings side by side, a sprite sheet with its cells numbered and a sprite seen
from each of its view directions. Drawn by the engine, headless, from the demo's assets.

Run as a script: python tools/docs/pictures.py OUT_DIR (the site build does).
"""

from __future__ import annotations

import json
import math
import os
import sys
import tempfile
from pathlib import Path

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import brovaline as b  # noqa: E402
from PIL import Image, ImageDraw  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
ASSETS = ROOT / "examples" / "assets"
THEME = ASSETS / "ui" / "theme.json"


def _image(texture: b.Texture) -> Image.Image:
    with tempfile.TemporaryDirectory() as tmp:
        path = Path(tmp) / "t.png"
        texture.saveFile(str(path))
        return Image.open(path).convert("RGBA").copy()


def _labelled(images: list[tuple[str, Image.Image]], scale: int = 1) -> Image.Image:
    """Pictures side by side, each with its caption underneath."""
    images = [(label, im.resize((im.width * scale, im.height * scale), Image.NEAREST)) for label, im in images]
    width = sum(im.width for _, im in images) + 8 * (len(images) + 1)
    height = max(im.height for _, im in images) + 28
    sheet = Image.new("RGBA", (width, height), (250, 250, 250, 255))
    draw = ImageDraw.Draw(sheet)
    x = 8
    for label, im in images:
        sheet.paste(im, (x, 4), im)
        draw.text((x, im.height + 10), label, fill=(20, 20, 20, 255))
        x += im.width + 8
    return sheet


def widgets() -> dict[str, Image.Image]:
    """Each widget of the demo theme, drawn alone by a UIRenderer."""
    theme = b.UITheme(str(THEME))

    def draw(widget, size=(200, 60), fixed=None, hover=None):
        renderer = b.UIRenderer(b.Texture(*size), True, theme)
        if fixed:
            widget.sizePolicyX = widget.sizePolicyY = b.SIZE_FIXED
            widget.width, widget.height = fixed
        renderer.widget.addChild(widget, 8, 8)
        if hover:
            renderer.widget.update(*hover, False)
        renderer.render()
        return _image(renderer.getTarget())

    long_text = b.UIListContainer()
    for i in range(12):
        long_text.addChild(b.UIText(f"line {i + 1} of the help text"))
    pictures = {
        "UIText": draw(b.UIText("Hello, brovaline")),
        "UIButton": draw(b.UIButton("Play")),
        "UIButton (hovered)": draw(b.UIButton("Play"), hover=(20, 20)),
        "UIPanel": draw(b.UIPanel(), size=(120, 80), fixed=(100, 60)),
        "UISlider": draw(b.UISlider(40), size=(200, 40), fixed=(180, 16)),
        "UISlider (vertical)": draw(b.UISlider(40, 0, 100, b.SLIDER_ORIENTATION_VERTICAL), size=(40, 120),
                                    fixed=(16, 100)),
        "UIScrollPanel": draw(b.UIScrollPanel(long_text), size=(240, 120), fixed=(220, 100)),
        "UIImage": draw(b.UIImage(b.Texture(str(ASSETS / "icon.png"))), size=(80, 80)),
    }
    return {f"widget-{name.split()[0].lower()}{'-' + name.split()[1][1:-1] if ' ' in name else ''}.png": im
            for name, im in pictures.items()}


def tileset_pieces() -> dict[str, Image.Image]:
    """Every rectangle of the tileset that the demo theme names, enlarged three times."""
    theme = json.loads(THEME.read_text())
    tileset = Image.open(THEME.parent / theme["tileset"]).convert("RGBA")
    pieces = {}

    def walk(node, path):
        if "x" in node and "y" in node:
            if "leftWidth" in node:
                w = node["leftWidth"] + node["middleWidth"] + node["rightWidth"]
                h = node["topHeight"] + node["middleHeight"] + node["bottomHeight"]
            elif "left" in node:
                w, h = node["left"] + node["middle"] + node["right"], node["height"]
            elif "top" in node:
                w, h = node["width"], node["top"] + node["middle"] + node["bottom"]
            else:
                w, h = node["width"], node["height"]
            crop = tileset.crop((node["x"], node["y"], node["x"] + w, node["y"] + h))
            pieces["piece-" + "-".join(path) + ".png"] = crop.resize((w * 3, h * 3), Image.NEAREST)
            return
        for key, value in node.items():
            if isinstance(value, dict):
                walk(value, path + [key])

    walk(theme["widgets"], [])
    return pieces


def _view(level, pos, direction, size=(320, 200), ecs=None):
    target = b.Texture(*size)
    renderer = b.RaycastingRenderer(target, level)
    camera = renderer.getCamera()
    camera.pos.set(b.Vector2(*pos))
    camera.dir.set(b.Vector2(*direction))
    if ecs is not None:
        ecs.addSystem(renderer)
        ecs.update(0.0)
        ecs.removeSystem(renderer)
    else:
        renderer.render()
    return _image(target)


def fog() -> dict[str, Image.Image]:
    """The same view with no fog, distance fog, and distance plus ground fog."""
    level = b.Level(str(ASSETS / "level.lvl"))
    settings = [("no fog", 0, 0), ("fogDensity 30", 30, 0), ("fogDensity 30, groundFogDensity 60", 30, 60)]
    views = []
    for label, density, ground in settings:
        level.fogDensity, level.groundFogDensity = density, ground
        views.append((label, _view(level, (2.5, 6.5), (1, 0.2), size=(280, 175))))
    return {"fog.png": _labelled(views)}


def sprite_sheet() -> dict[str, Image.Image]:
    """The sentinel's sheet with every cell's number: cells count left to right, top to bottom."""
    header = json.loads((ASSETS / "level.lvl.json").read_text())
    sprite = header["sprites"][0]
    sheet = Image.open(ASSETS / sprite["texture"]).convert("RGBA")
    scale = 2
    sheet = sheet.resize((sheet.width * scale, sheet.height * scale), Image.NEAREST)
    draw = ImageDraw.Draw(sheet)
    cw, ch = sheet.width // sprite["xFrames"], sheet.height // sprite["yFrames"]
    for row in range(sprite["yFrames"]):
        for col in range(sprite["xFrames"]):
            x, y = col * cw, row * ch
            draw.rectangle((x, y, x + cw - 1, y + ch - 1), outline=(255, 0, 255, 255))
            draw.rectangle((x + 1, y + 1, x + 22, y + 12), fill=(0, 0, 0, 200))
            draw.text((x + 3, y + 1), str(row * sprite["xFrames"] + col), fill=(255, 255, 0, 255))
    return {"sheet-cells.png": sheet}


def view_directions() -> dict[str, Image.Image]:
    """A sentinel (8 view directions) seen from eight sides: the sheet's row changes with the angle
    between the camera and the sprite's rotation."""
    level = b.Level(str(ASSETS / "level.lvl"))
    level.fogDensity = level.groundFogDensity = 0
    sprite = level.sprites[0]
    ecs = b.Ecs(None)
    centre = b.Vector2(5.5, 12.5)
    for x in range(3, 9):
        for y in range(10, 16):
            level.setBlock(b.BLOCK_EMPTY, x, y)
    entity = b.Entity(-1, b.PositionComponent(centre), b.RotationComponent(b.Vector2(1, 0)),
                      b.SpriteComponent(sprite, zOffset=0.0))
    ecs.addEntity(entity)
    views = []
    for i in range(8):
        angle = math.radians(45 * i)
        eye = (centre.x + 1.6 * math.cos(angle), centre.y + 1.6 * math.sin(angle))
        view = _view(level, eye, (-math.cos(angle), -math.sin(angle)), size=(120, 120), ecs=ecs)
        views.append((f"{45 * i}°", view))
    return {"view-directions.png": _labelled(views)}


def all_pictures() -> dict[str, Image.Image]:
    pictures = {}
    for make in (widgets, tileset_pieces, fog, sprite_sheet, view_directions):
        pictures.update(make())
    return pictures


def main(out: str) -> int:
    out_dir = Path(out)
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, image in all_pictures().items():
        image.save(out_dir / name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
