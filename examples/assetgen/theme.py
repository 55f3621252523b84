"""The UI theme: a tileset with every widget piece, the theme file describing it, and the font."""
import json
import shutil
from pathlib import Path

from PIL import Image, ImageDraw

from .paint import save

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
FONTS = {"aileron": ("DejaVuSans.ttf", 14)}

PANEL = (20, 24, 36, 215)
PANEL_EDGE = (150, 170, 210, 255)
BUTTON = (60, 80, 120, 255)
BUTTON_HOVER = (95, 130, 190, 255)
TRACK = (30, 35, 50, 255)
KNOB = (235, 180, 70, 255)


def _nine_patch(draw, x, y, fill, edge):
    """A 32 x 32 rounded frame: 8 pixel corners around a 16 pixel stretchable middle."""
    draw.rounded_rectangle([x, y, x + 31, y + 31], radius=7, fill=fill, outline=edge, width=2)


def _button(draw, x, y, fill):
    """A 32 x 28 button: 6 pixel caps around a 20 pixel tile."""
    draw.rounded_rectangle([x, y, x + 31, y + 27], radius=6, fill=fill, outline=PANEL_EDGE, width=1)
    draw.line([x + 3, y + 2, x + 28, y + 2], fill=(255, 255, 255, 70))


def _arrow(draw, x, y, direction, fill):
    draw.rounded_rectangle([x, y, x + 15, y + 15], radius=3, fill=fill, outline=PANEL_EDGE, width=1)
    shapes = {"left": [(10, 4), (10, 11), (5, 7.5)], "right": [(5, 4), (5, 11), (10, 7.5)],
              "up": [(4, 10), (11, 10), (7.5, 5)], "down": [(4, 5), (11, 5), (7.5, 10)]}
    draw.polygon([(x + px, y + py) for px, py in shapes[direction]], fill=(240, 240, 250, 255))


def tileset():
    image = Image.new("RGBA", (128, 128), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    _nine_patch(draw, 0, 0, PANEL, PANEL_EDGE)
    _nine_patch(draw, 32, 0, (10, 12, 20, 230), (90, 100, 130, 255))
    _button(draw, 0, 32, BUTTON)
    _button(draw, 0, 64, BUTTON_HOVER)
    draw.rounded_rectangle([0, 96, 15, 111], radius=4, fill=TRACK)          # horizontal track 4|8|4 x 16
    draw.rounded_rectangle([64, 32, 79, 47], radius=4, fill=TRACK)          # vertical track 4|8|4 x 16
    draw.rounded_rectangle([32, 96, 41, 111], radius=3, fill=KNOB)          # horizontal thumb 10 x 16
    draw.rounded_rectangle([48, 96, 63, 105], radius=3, fill=KNOB)          # vertical thumb 16 x 10
    for i, direction in enumerate(("left", "right", "up", "down")):
        _arrow(draw, 64 + 32 * (i % 2), 64 + 16 * (i // 2), direction, BUTTON)
        _arrow(draw, 80 + 32 * (i % 2), 64 + 16 * (i // 2), direction, BUTTON_HOVER)
    return image


def _box(x, y, w, h):
    return {"x": x, "y": y, "width": w, "height": h}


def _step_button(x, y):
    return {"normal": _box(x, y, 16, 16), "hover": _box(x + 16, y, 16, 16)}


def widgets():
    nine = {"leftWidth": 8, "middleWidth": 16, "rightWidth": 8, "topHeight": 8, "middleHeight": 16, "bottomHeight": 8}
    button = {"left": 6, "middle": 20, "right": 6, "height": 28}
    return {
        "panel": {"x": 0, "y": 0, **nine},
        "scrollPanel": {
            "panel": {"x": 32, "y": 0, **nine},
            "clipPadding": {"top": 4, "right": 4, "bottom": 4, "left": 4},
            "sliderMargin": {"top": 4, "right": 4, "bottom": 4, "left": 4},
        },
        "button": {"normal": {"x": 0, "y": 32, **button}, "hover": {"x": 0, "y": 64, **button}},
        "slider": {
            "horizontalBackground": {"x": 0, "y": 96, "left": 4, "middle": 8, "right": 4, "height": 16},
            "verticalBackground": {"x": 64, "y": 32, "top": 4, "middle": 8, "bottom": 4, "width": 16},
            "horizontalButton": {"normal": _box(32, 96, 10, 16)},
            "verticalButton": {"normal": _box(48, 96, 16, 10)},
            "leftButton": _step_button(64, 64),
            "rightButton": _step_button(96, 64),
            "topButton": _step_button(64, 80),
            "bottomButton": _step_button(96, 80),
        },
    }


def generate(out):
    save(tileset(), out / "ui" / "tileset.png")
    fonts = {}
    for name, (filename, size) in FONTS.items():
        source = FONT_DIR / filename
        if not source.exists():
            raise SystemExit(f"{source} not found: install Debian's fonts-dejavu-core (make system-deps does)")
        shutil.copyfile(source, out / "ui" / filename)
        fonts[name] = {"file": filename, "size": size}
    theme = {
        "tileset": "tileset.png",
        "fonts": fonts,
        "colors": {"background": "FF000000", "fontColor": "FFE8ECF4", "highlight": "FFF0B446",
                   "muted": "FF8C96AA"},
        "widgets": widgets(),
    }
    (out / "ui" / "theme.json").write_text(json.dumps(theme, indent=2))
