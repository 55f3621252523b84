#!/usr/bin/env python3
"""Theme files from hostile data, loaded and drawn through the module.

    python fuzz/theme_fuzz.py [libFuzzer options] [corpus directories]

Each input becomes a theme file (raw text, or a theme built from fuzzed values: tilesets that
exist, are broken or missing, fonts at any size, colour strings, and widget specifications whose
numbers may be anything). A theme that loads is queried, and a widget tree using every themed
widget (panel, button, both sliders, scroll panel, text, image) is laid out and drawn for a few
frames at fuzzed sizes, which reads every widget key at draw time.
"""
import os
import tempfile

import atheris

from module_fuzzing import FONT_FILE, Values, accept, encode, run, settle

import brovaline as b

ASSETS = tempfile.mkdtemp(prefix="theme-fuzz-")


def _write_assets():
    for name, size in (("tiles.png", (64, 48)), ("dot.png", (1, 1))):
        t = b.Texture(*size)
        t.fillChecker()
        t.saveFile(os.path.join(ASSETS, name))
    with open(os.path.join(ASSETS, "bad.png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n broken")


_write_assets()
TILESETS, BAD_TILESETS = ["tiles.png", "dot.png"], ["bad.png", "missing.png", "", FONT_FILE]
BAD_FONTS = [os.path.join(ASSETS, "tiles.png"), "missing.ttf", ""]
RECT = ("x", "y", "width", "height")
NINE = ("x", "y", "leftWidth", "middleWidth", "rightWidth", "topHeight", "middleHeight", "bottomHeight")
THREE_H = ("x", "y", "left", "middle", "right", "height")
THREE_V = ("x", "y", "top", "middle", "bottom", "width")
SIDES = ("top", "right", "bottom", "left")


class ThemeValues(Values):
    def spec(self, keys):
        return self.record({k: lambda: self.integer(0, 24) for k in keys})

    def states(self, keys, names=("normal", "hover")):
        return self.record({n: lambda: self.maybe(self.spec, keys) for n in names})

    def colour(self):
        digits = "0123456789abcdefABCDEF"
        text = "".join(self.pick(digits) for _ in range(self.pick_good([6, 8], [0, 3, 9])))
        return self.any() if self.rare() else self.pick(["", "0x", "0X"]) + text

    def widgets(self):
        return self.record({
            "panel": lambda: self.spec(NINE),
            "scrollPanel": lambda: self.record({"panel": lambda: self.spec(NINE), "clipPadding": lambda: self.spec(SIDES),
                                                "sliderMargin": lambda: self.spec(SIDES)}),
            "button": lambda: self.states(THREE_H),
            "slider": lambda: self.record({
                "horizontalBackground": lambda: self.spec(THREE_H),
                "verticalBackground": lambda: self.spec(THREE_V),
                "horizontalButton": lambda: self.states(RECT, ("normal",)),
                "verticalButton": lambda: self.states(RECT, ("normal",)),
                "leftButton": lambda: self.states(RECT), "rightButton": lambda: self.states(RECT),
                "topButton": lambda: self.states(RECT), "bottomButton": lambda: self.states(RECT)}),
        })

    def theme(self):
        return self.record({
            "tileset": lambda: self.pick_good(TILESETS, BAD_TILESETS),
            "fonts": lambda: {self.pick_good(["aileron"], ["other"]): self.record({
                "file": lambda: self.pick_good([FONT_FILE], BAD_FONTS),
                "size": lambda: self.integer(1, 20)}) for _ in range(self.small(1, 2))},
            "colors": lambda: {name: self.colour() for name in ("background", "fontColor", "x") if not self.rare()},
            "widgets": self.widgets,
        })


def size(v, widget):
    widget.sizePolicyX = widget.sizePolicyY = b.SIZE_FIXED
    accept(setattr, widget, "width", v.integer(-2, 120))
    accept(setattr, widget, "height", v.integer(-2, 80))
    return widget


def draw(v, theme):
    """A tree of every themed widget at fuzzed sizes, laid out and drawn for a few frames."""
    renderer = b.UIRenderer(b.Texture(v.small(1, 120), v.small(1, 90)), v.fdp.ConsumeBool(), theme)
    panel = size(v, b.UIPanel())
    lst = b.UIListContainer()
    lst.addChild(b.UIButton(v.fdp.ConsumeUnicodeNoSurrogates(v.small(0, 8))))
    lst.addChild(size(v, b.UISlider(v.integer(), v.integer(), v.integer(), b.SLIDER_ORIENTATION_HORIZONTAL)))
    lst.addChild(size(v, b.UISlider(v.integer(), v.integer(), v.integer(), b.SLIDER_ORIENTATION_VERTICAL)))
    lst.addChild(size(v, b.UIScrollPanel(b.UIText(v.fdp.ConsumeUnicodeNoSurrogates(v.small(0, 40))))))
    lst.addChild(b.UIImage(b.Texture(v.small(1, 8), v.small(1, 8)), v.integer(-1, 40), v.integer(-1, 40)))
    panel.addChild(lst)
    renderer.widget.addChild(panel, v.integer(-20, 60), v.integer(-20, 60))
    for _ in range(v.small(1, 3)):
        accept(renderer.render)


def test_one_input(data):
    fdp = atheris.FuzzedDataProvider(data)
    v = ThemeValues(fdp)
    with tempfile.NamedTemporaryFile("w", suffix=".json", dir=ASSETS, delete=False) as f:
        f.write(fdp.ConsumeUnicodeNoSurrogates(v.small(0, 300)) if v.small(0, 9) == 0 else encode(v.theme()))
        path = f.name
    try:
        theme = accept(b.UITheme, path)
    finally:
        os.unlink(path)
    if theme is not None:
        for name in ("background", "fontColor", "aileron", 3, None):
            accept(theme.getIntColor, name)
            accept(theme.getColor, name)
            accept(theme.getFont, name)
        accept(theme._convertRgbaToIntColor, [v.integer(0, 255) for _ in range(v.small(2, 5))])
        accept(draw, v, theme)
    settle()


if __name__ == "__main__":
    run(test_one_input)
