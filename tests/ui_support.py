"""A small generated UI theme and pixel helpers shared by the UI tests.

Every tileset pixel is opaque and names its own position: red = x, green = y, blue = 7, so a
rendered pixel tells which tileset pixel was drawn there.
"""
import copy
import json

import numpy as np
import pytest
from PIL import Image

import brovaline as b

FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
TILESET_SIZE = (128, 80)
MARK = 7

WIDGETS = {
    "panel": {"x": 0, "y": 0, "leftWidth": 4, "middleWidth": 4, "rightWidth": 4,
              "topHeight": 4, "middleHeight": 4, "bottomHeight": 4},
    "scrollPanel": {
        "panel": {"x": 0, "y": 16, "leftWidth": 4, "middleWidth": 4, "rightWidth": 4,
                  "topHeight": 4, "middleHeight": 4, "bottomHeight": 4},
        "clipPadding": {"top": 2, "right": 2, "bottom": 2, "left": 2},
        "sliderMargin": {"top": 1, "right": 1, "bottom": 1, "left": 1},
    },
    "button": {
        "normal": {"x": 0, "y": 32, "left": 4, "middle": 8, "right": 4, "height": 24},
        "hover": {"x": 16, "y": 32, "left": 4, "middle": 8, "right": 4, "height": 24},
    },
    "slider": {
        "horizontalBackground": {"x": 40, "y": 0, "left": 2, "middle": 4, "right": 2, "height": 10},
        "verticalBackground": {"x": 40, "y": 16, "top": 2, "middle": 4, "bottom": 2, "width": 10},
        "horizontalButton": {"normal": {"x": 60, "y": 0, "width": 10, "height": 10}},
        "verticalButton": {"normal": {"x": 60, "y": 16, "width": 10, "height": 10}},
        "leftButton": {"normal": {"x": 80, "y": 0, "width": 16, "height": 10},
                       "hover": {"x": 100, "y": 0, "width": 16, "height": 10}},
        "rightButton": {"normal": {"x": 80, "y": 16, "width": 16, "height": 10},
                        "hover": {"x": 100, "y": 16, "width": 16, "height": 10}},
        "topButton": {"normal": {"x": 80, "y": 32, "width": 10, "height": 16},
                      "hover": {"x": 100, "y": 32, "width": 10, "height": 16}},
        "bottomButton": {"normal": {"x": 80, "y": 56, "width": 10, "height": 16},
                         "hover": {"x": 100, "y": 56, "width": 10, "height": 16}},
    },
}


def tile(x, y):
    """The RGBA colour of tileset pixel (x, y)."""
    return (x, y, MARK, 255)


def write_theme(directory, colors=None, widgets=None, **members):
    """Writes tiles.png and theme.json into `directory`; returns the theme file's path."""
    directory.mkdir(parents=True, exist_ok=True)
    w, h = TILESET_SIZE
    xs, ys = np.meshgrid(np.arange(w), np.arange(h))
    rgba = np.stack([xs, ys, np.full_like(xs, MARK), np.full_like(xs, 255)], axis=-1).astype(np.uint8)
    Image.fromarray(rgba, "RGBA").save(directory / "tiles.png")
    theme = {
        "tileset": "tiles.png",
        "fonts": {"aileron": {"file": FONT_FILE, "size": 12}},
        "colors": colors if colors is not None else {"background": "FF203040", "fontColor": "FFFFFFFF"},
        "widgets": widgets if widgets is not None else copy.deepcopy(WIDGETS),
    }
    theme.update(members)
    path = directory / "theme.json"
    path.write_text(json.dumps(theme))
    return path


@pytest.fixture(scope="module")
def theme(tmp_path_factory):
    return b.UITheme(str(write_theme(tmp_path_factory.mktemp("theme"))))


def make_renderer(theme, size=(200, 120), fill=True):
    return b.UIRenderer(b.Texture(*size), fill, theme)


def pixels(texture, tmp_path):
    """The texture's pixels as an (h, w, 4) RGBA array, read back from a saved PNG."""
    path = tmp_path / "shot.png"
    texture.saveFile(str(path))
    return np.asarray(Image.open(path).convert("RGBA"))


def tile_at(px, x, y):
    """The tileset position drawn at target pixel (x, y), or None for anything else."""
    r, g, bl, a = (int(v) for v in px[y, x])
    return (r, g) if bl == MARK and a == 255 else None


def fixed(widget, width, height):
    widget.sizePolicyX = widget.sizePolicyY = b.SIZE_FIXED
    widget.width, widget.height = width, height
    return widget


class PointerEngine(b.Engine):
    """An engine whose pointer and left button the test sets."""
    pointer = (-1, -1)
    pressed = False

    def getMousePos(self):
        return self.pointer

    def isMouseButtonPressed(self, button):
        return self.pressed and button == 1


@pytest.fixture
def pointer_engine(clean_engine_state):
    e = PointerEngine()
    e.init("ui", (200, 120), show=False)
    return e
