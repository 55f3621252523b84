"""A renderer lays its tree out again only when something could change the layout: every frame after
a change must come out as from a renderer that has never drawn the tree before."""
import numpy as np
import pytest

import brovaline as b
from ui_support import fixed, pixels, theme, write_theme  # noqa: F401

SIZE = (200, 120)


class Scene:
    """A panel of texts and an image, anchored in the root, and a second anchored text."""

    def __init__(self, theme, scroll=False):
        self.renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
        self.panel = b.UIPanel()
        self.texts = [b.UIText(f"line {i}") for i in range(4)]
        for t in self.texts:
            self.panel.addChild(t)
        self.image = fixed(b.UIImage(b.Texture(6, 4)), 6, 4)
        self.panel.addChild(self.image)
        self.corner = b.UIText("corner")
        root = self.renderer.widget
        if scroll:
            self.scroll = fixed(b.UIScrollPanel(self.panel), 120, 60)
            root.addChild(self.scroll, 4, 4)
        else:
            root.addChild(self.panel, 4, 4)
        root.addChild(self.corner, 2, 2, b.ANCHOR_RIGHT, b.ANCHOR_BOTTOM)

    def frame(self, tmp_path):
        """The target's pixels and the boxes of the widgets in the tree, after one frame."""
        self.renderer.render()
        return pixels(self.renderer.getTarget(), tmp_path), boxes(self.renderer.widget)


def boxes(widget):
    children = widget.getChildren() if isinstance(widget, b.AbstractUIContainer) else []
    return [widget.rect, *(box for child in children for box in boxes(child))]


def other_theme(tmp_path, size):
    path = write_theme(tmp_path / f"theme{size}", fonts={"aileron": {
        "file": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "size": size}})
    return b.UITheme(str(path))


def set_target(s, tmp_path):
    s.renderer._target = b.Texture(160, 150)


def new_root(s, tmp_path):
    root = b.UIListContainer()
    root.addChild(s.corner)
    s.renderer.widget = root


def reinit_theme(s, tmp_path):
    s.renderer.theme.__init__(str(write_theme(tmp_path / "big", fonts={"aileron": {
        "file": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "size": 20}})))


CHANGES = {
    "text": lambda s, p: s.texts[1].setText("a much longer second line"),
    "text property": lambda s, p: setattr(s.texts[2], "text", "two\nlines"),
    "colour": lambda s, p: setattr(s.texts[0], "color", (255, 0, 0, 255)),
    "resized": lambda s, p: fixed(s.texts[3], 70, 30),
    "grown": lambda s, p: setattr(s.texts[0], "sizePolicyX", b.SIZE_GROW),
    "image size": lambda s, p: setattr(s.image, "height", 20),
    "margin": lambda s, p: s.texts[1].setMargin(3, 0, 5, 9),
    "padding": lambda s, p: s.panel.setPadding(1, 2),
    "alignment": lambda s, p: setattr(s.texts[0], "horizontalAlign", b.ALIGN_RIGHT),
    "row layout": lambda s, p: setattr(s.panel, "layout", b.LIST_LAYOUT_HORIZONTAL),
    "moved by its anchor": lambda s, p: setattr(s.renderer.widget._wrappedChildren[0], "_x", 30),
    "moved by hand": lambda s, p: setattr(s.corner, "_y", 3),
    "added": lambda s, p: s.panel.addChild(b.UIText("added")),
    "removed": lambda s, p: s.panel.removeChild(s.texts[0]),
    "children list edited": lambda s, p: s.panel.getChildren().reverse(),
    "child swapped in the list": lambda s, p: s.panel.getChildren().__setitem__(0, b.UIText("swapped in")),
    "all removed": lambda s, p: s.panel.removeAllChildren(),
    "hidden": lambda s, p: setattr(s.texts[2], "isVisible", False),
    "target replaced": set_target,
    "root replaced": new_root,
    "theme reloaded": reinit_theme,
}


@pytest.mark.parametrize("scroll", [False, True], ids=["panel", "scroll panel"])
@pytest.mark.parametrize("change", list(CHANGES), ids=list(CHANGES))
def test_frames_after_a_change_match_a_fresh_renderer(tmp_path, change, scroll):
    live = Scene(b.UITheme(str(write_theme(tmp_path / "live"))), scroll)
    for _ in range(3):
        live.frame(tmp_path)
    CHANGES[change](live, tmp_path)
    fresh_theme = b.UITheme(str(write_theme(tmp_path / "fresh")))
    fresh = Scene(fresh_theme, scroll)
    CHANGES[change](fresh, tmp_path)
    expected_px, expected_rects = fresh.frame(tmp_path)
    for _ in range(3):  # the frame after the change, and those after it that may skip the layout
        px, rects = live.frame(tmp_path)
        assert rects == expected_rects
        assert np.array_equal(px, expected_px)


FIELDS = [
    (lambda s: s.texts[0], "sizePolicyX", b.SIZE_GROW), (lambda s: s.texts[0], "sizePolicyY", b.SIZE_GROW),
    (lambda s: s.image, "width", 30), (lambda s: s.image, "height", 9),
    (lambda s: s.texts[1], "horizontalAlign", b.ALIGN_CENTER), (lambda s: s.texts[1], "verticalAlign", b.VALIGN_BOTTOM),
    *((lambda s: s.texts[2], f"margin{side}", 5) for side in ("Left", "Top", "Right", "Bottom")),
    *((lambda s: s.panel, f"padding{side}", 3) for side in ("Left", "Top", "Right", "Bottom")),
    (lambda s: s.panel, "layout", b.LIST_LAYOUT_HORIZONTAL),
    *((lambda s: s.renderer.widget._wrappedChildren[1], name, value)
      for name, value in (("_x", 7), ("_y", 9), ("_anchorTypeX", b.ANCHOR_CENTER), ("_anchorTypeY", b.ANCHOR_TOP))),
]


@pytest.mark.parametrize("owner, name, value", FIELDS, ids=[f"{name}{i}" for i, (_, name, _) in enumerate(FIELDS)])
def test_every_layout_field_is_watched(theme, tmp_path, owner, name, value):
    live, fresh = Scene(theme), Scene(theme)
    for _ in range(3):
        live.renderer.render()
    for scene in (live, fresh):
        setattr(owner(scene), name, value)
    fresh.renderer.render()
    for _ in range(3):
        live.renderer.render()
        assert boxes(live.renderer.widget) == boxes(fresh.renderer.widget)


def test_shown_again_and_scrolled_match_a_fresh_renderer(theme, tmp_path):
    live = Scene(theme, scroll=True)
    live.texts[1].isVisible = False
    live.frame(tmp_path)
    live.frame(tmp_path)
    live.texts[1].isVisible = True
    live.scroll.scrollPosY = 12
    fresh = Scene(theme, scroll=True)
    fresh.frame(tmp_path)  # the scroll bar's range comes from the first layout
    fresh.scroll.scrollPosY = 12
    for _ in range(2):
        assert live.frame(tmp_path)[1] == fresh.frame(tmp_path)[1]
    assert np.array_equal(live.frame(tmp_path)[0], fresh.frame(tmp_path)[0])


class Creeping(b.UIText):
    """Moves itself one pixel right in every update, and counts its drawings."""
    drawn = 0

    def update(self, mouseX, mouseY, isMouseLeftPressed):
        super().update(mouseX, mouseY, isMouseLeftPressed)
        self.marginLeft += 1

    def render(self, *clip):
        Creeping.drawn += 1
        super().render(*clip)


def test_python_overrides_run_every_frame_and_their_changes_are_laid_out(theme):
    renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
    panel = b.UIPanel()
    creeping = Creeping("creeping")
    panel.addChild(creeping)
    renderer.widget.addChild(panel, 0, 0)
    Creeping.drawn = 0
    for frame in range(5):
        renderer.render()
        # The layout of each frame sees the margin that the previous frames' updates left.
        assert creeping.rect[0] == 8 + frame
        assert panel.width == 16 + creeping.width + frame
    assert Creeping.drawn == 5


def test_a_layout_error_is_raised_again_every_frame(tmp_path):
    no_font = b.UITheme(str(write_theme(tmp_path, fonts={})))
    renderer = b.UIRenderer(b.Texture(*SIZE), False, no_font)
    renderer.widget.addChild(b.UIText("needs a font"), 0, 0)
    for _ in range(3):
        with pytest.raises(KeyError, match="aileron"):
            renderer.render()


def test_a_button_settles_its_label_as_before(theme):
    """A button centres its label from the sizes of the frame before: the frames keep that delay."""
    renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
    button = b.UIButton("press")
    renderer.widget.addChild(button, 0, 0)
    label = button.getChildren()[0]
    frames = []
    for text in ("press", "press", "press", "two\nlines", "two\nlines", "two\nlines", "two\nlines"):
        button.setText(text) if text != button.getText() else None
        renderer.render()
        frames.append((button.height, label.height, label.rect[1]))
    for (height, label_height, _), (_, _, y) in zip(frames, frames[1:]):
        assert y == int((height - label_height) / 2)
    assert frames[3][2] != frames[5][2]


def test_a_layout_that_needs_two_frames_to_settle_gets_them(theme):
    """A growing text laid out in one list but whose parent is another list reads that list's client
    width as the frame before left it: it takes the new width one frame after the change."""
    renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
    first, second = b.UIListContainer(), fixed(b.UIListContainer(), 50, 20)
    renderer.widget.addChild(first, 0, 0)
    renderer.widget.addChild(second, 0, 40)
    text = b.UIText("grows")
    text.sizePolicyX = b.SIZE_GROW
    first.addChild(text)
    second.addChild(text)
    second.getChildren().remove(text)  # still its parent, laid out by the first list only
    widths = []
    for width in (50, 50, 50, 90, 90, 90, 90):
        second.width = width
        renderer.render()
        widths.append(text.width)
    assert widths == [0, 50, 50, 50, 90, 90, 90]


class SharedLines(str):
    """A text whose splitlines hands out one list that the test edits afterwards."""
    shared = ["one"]

    def splitlines(self, keepends=False):
        return SharedLines.shared


def test_lines_split_by_a_str_subclass_are_measured_every_frame(theme):
    renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
    text = b.UIText(SharedLines("ignored"))
    renderer.widget.addChild(text, 0, 0)
    renderer.render()
    renderer.render()
    one = text.rect
    SharedLines.shared.append("two")
    renderer.render()
    assert text.rect[3] > one[3]


def test_a_tree_made_into_a_cycle_after_a_frame_raises_as_before(theme):
    renderer = b.UIRenderer(b.Texture(*SIZE), True, theme)
    panel = b.UIListContainer()
    panel.addChild(b.UIText("inside"))
    renderer.widget.addChild(panel, 0, 0)
    renderer.render()
    renderer.render()
    panel.getChildren().append(panel)
    for _ in range(2):
        with pytest.raises(RecursionError):
            renderer.render()
