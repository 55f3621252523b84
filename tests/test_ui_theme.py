import json
import os

import pytest

import brovaline as b
from ui_support import WIDGETS, fixed, make_renderer, pixels, theme, tile_at, write_theme  # noqa: F401


def load(tmp_path, **kwargs):
    return b.UITheme(str(write_theme(tmp_path, **kwargs)))


def test_theme_members_are_loaded_relative_to_the_theme_file(tmp_path, monkeypatch):
    path = write_theme(tmp_path / "themes")
    monkeypatch.chdir(tmp_path)
    t = b.UITheme(os.path.join("themes", "theme.json"))
    assert t.getFont("aileron").size == 12
    assert t.widgets == WIDGETS
    assert t.widgets is t.widgets  # the parsed dictionary itself, not a copy
    assert path.exists()


@pytest.mark.parametrize("text, value, rgba", [
    ("FF0000", 0x00FF0000, (255, 0, 0, 0)),
    ("0xFF0000", 0x00FF0000, (255, 0, 0, 0)),
    ("0XFF0000", 0x00FF0000, (255, 0, 0, 0)),
    ("80FF0000", 0x80FF0000, (255, 0, 0, 128)),
    ("0x80ff0000", 0x80FF0000, (255, 0, 0, 128)),
    (255, 0x255, (0, 2, 0x55, 0)),
])
def test_colour_strings(tmp_path, text, value, rgba):
    t = load(tmp_path, colors={"background": text})
    assert t.getIntColor("background") == value
    assert t.getColor("background") == rgba


@pytest.mark.parametrize("color, value", [((1, 2, 3), 0xFF010203), ((1, 2, 3, 4), 0x04010203), ([0, 0, 0], 0xFF000000)])
def test_convert_rgba_to_int_color(theme, color, value):
    assert theme._convertRgbaToIntColor(color) == value


@pytest.mark.parametrize("color", [(1, 2), (1, 2, 3, 4, 5)])
def test_convert_rgba_to_int_color_needs_3_or_4_values(theme, color):
    with pytest.raises(ValueError):
        theme._convertRgbaToIntColor(color)


def test_lookups_of_unknown_names(theme):
    for lookup in (theme.getColor, theme.getIntColor, theme.getFont):
        with pytest.raises(KeyError):
            lookup("nothing")
    with pytest.raises(KeyError):
        theme.getFont(None)
    with pytest.raises(TypeError, match="name"):
        theme.getFont(3)
    with pytest.raises(AttributeError):
        theme.widgets = {}


@pytest.mark.parametrize("member", ["tileset", "fonts", "colors", "widgets"])
def test_missing_member_is_a_key_error(tmp_path, member):
    path = write_theme(tmp_path)
    data = json.loads(path.read_text())
    del data[member]
    path.write_text(json.dumps(data))
    with pytest.raises(KeyError) as caught:
        b.UITheme(str(path))
    assert caught.value.args[0] == f"{str(path)!r}: the theme has no {member!r}"


# The file, key and value at fault: in the message, or, for the file errors whose text is fixed
# ("Unable to load image file '...'"), in a note.
@pytest.mark.parametrize("change, error, where", [
    ({"widgets": [1, 2]}, TypeError, None),
    ({"tileset": "missing.png"}, IOError, "tileset"),
    ({"fonts": {"aileron": {"file": "missing.ttf", "size": 10}}}, IOError, "fonts['aileron']"),
    ({"fonts": {"aileron": {"file": "x.ttf"}}}, KeyError, "fonts['aileron'] has no 'size'"),
    ({"fonts": {"aileron": {"file": "missing.ttf", "size": 0}}}, ValueError,
     "fonts['aileron']: Font size must be positive (got 0)"),
    ({"colors": {"background": "red"}}, ValueError, "colors['background'] should be hexadecimal"),
])
def test_broken_themes_are_rejected(tmp_path, change, error, where):
    with pytest.raises(error) as caught:
        load(tmp_path, **change)
    theme = str(tmp_path / "theme.json")
    if error is IOError:
        assert f"'{tmp_path / 'missing.'}" in str(caught.value)
        assert caught.value.__notes__ == [f"in {theme!r}: {where}"]
    elif where:
        assert str(caught.value.args[0]).startswith(f"{theme!r}: {where}")


def test_unreadable_files(tmp_path):
    with pytest.raises(OSError):
        b.UITheme(str(tmp_path / "missing.json"))
    bad = tmp_path / "bad.json"
    bad.write_text("{not json")
    with pytest.raises(ValueError):
        b.UITheme(str(bad))


def panel_frame(theme, tmp_path, width, height, widgets=None):
    """Draws a fixed-size panel at (10, 10) and returns the target's pixels."""
    r = make_renderer(theme, size=(40, 40), fill=False)
    if widgets is not None:
        theme.widgets.clear()
        theme.widgets.update(widgets)
    r.widget.addChild(fixed(b.UIPanel(), width, height), 10, 10)
    r.render()
    return pixels(r.getTarget(), tmp_path)


def test_nine_patch_stretches_edges_and_middle(theme, tmp_path):
    px = panel_frame(theme, tmp_path, 20, 16)
    assert tile_at(px, 10, 10) == (0, 0)   # top-left corner at natural size
    assert tile_at(px, 13, 13) == (3, 3)
    assert tile_at(px, 26, 10) == (8, 0)   # top-right corner at x + width - 4
    assert tile_at(px, 29, 25) == (11, 11)
    assert tile_at(px, 14, 10)[0] in range(4, 8)  # the top edge stretched over 12 pixels
    assert tile_at(px, 20, 18) in {(x, y) for x in range(4, 8) for y in range(4, 8)}
    assert tile_at(px, 9, 9) is None and tile_at(px, 30, 26) is None


def test_nine_patch_at_corner_size_draws_the_corners_only(theme, tmp_path):
    px = panel_frame(theme, tmp_path, 8, 8)
    assert [tile_at(px, x, y) for x, y in [(10, 10), (14, 10), (10, 14), (17, 17)]] == [(0, 0), (8, 0), (0, 8), (11, 11)]


def test_nine_patch_smaller_than_its_corners_overlaps_them(theme, tmp_path):
    px = panel_frame(theme, tmp_path, 6, 6)
    assert tile_at(px, 10, 10) == (0, 0)
    assert tile_at(px, 12, 12) == (8, 8)  # the bottom-right corner drawn last, at x + 6 - 4
    assert tile_at(px, 16, 16) is None


@pytest.mark.parametrize("spec", [
    {"x": -5000, "y": -5000, "leftWidth": 10 ** 9, "middleWidth": 2 ** 31 - 1, "rightWidth": 7,
     "topHeight": 2 ** 31 - 1, "middleHeight": -4, "bottomHeight": 2 ** 31 - 1},
    {"x": 120, "y": 75, "leftWidth": 400, "middleWidth": 400, "rightWidth": 400,
     "topHeight": 400, "middleHeight": 400, "bottomHeight": 400},
])
def test_hostile_panel_specs_stay_inside_both_surfaces(tmp_path, spec):
    t = load(tmp_path, widgets=dict(WIDGETS, panel=spec))
    px = panel_frame(t, tmp_path, 30, 30)
    assert px.shape == (40, 40, 4)  # drawn without reading or writing outside the surfaces


def test_widget_specs_are_read_every_frame(tmp_path):
    t = load(tmp_path)
    moved = dict(WIDGETS["panel"], x=12)
    px = panel_frame(t, tmp_path, 12, 12, widgets=dict(WIDGETS, panel=moved))
    assert tile_at(px, 10, 10) == (12, 0)


def _without(path):
    """WIDGETS with the entry at `path` (a tuple of keys) removed."""
    widgets = json.loads(json.dumps(WIDGETS))
    node = widgets
    for key in path[:-1]:
        node = node[key]
    del node[path[-1]]
    return widgets


# What a theme lacks -> the widget that needs it and the key path its KeyError names. The error
# comes when the widget is first drawn, as before; its message says which file, key and widget.
@pytest.mark.parametrize("members, widget, needed", [
    ({"fonts": {"main": {"file": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "size": 12}}},
     "UIText", 'the font "aileron"'),
    ({"colors": {"background": "FF000000"}}, "UIText", 'the colour "fontColor"'),
    ({"colors": {"fontColor": "FFFFFFFF"}}, "UIRenderer", 'the colour "background"'),
    ({"widgets": _without(("slider",))}, "UIScrollPanel", "widgets.slider.verticalBackground"),  # its scroll bar
    ({"widgets": _without(("panel", "middleHeight"))}, "UIPanel", "widgets.panel.middleHeight"),
    ({"widgets": _without(("button", "normal", "height"))}, "UIButton", "widgets.button.normal.height"),
])
def test_a_missing_theme_key_names_file_key_and_widget(tmp_path, members, widget, needed):
    path = write_theme(tmp_path, **members)
    r = make_renderer(b.UITheme(str(path)), size=(120, 120))
    content = {"UIText": lambda: b.UIText("hi"), "UIRenderer": b.UIPanel, "UIPanel": b.UIPanel,
               "UIButton": lambda: b.UIButton("ok"),
               "UIScrollPanel": lambda: fixed(b.UIScrollPanel(fixed(b.UIPanel(), 50, 400)), 60, 60)}[widget]
    with pytest.raises(KeyError) as caught:
        r.widget.addChild(content(), 0, 0)
        r.render()
    message = caught.value.args[0]
    who, what = message.split(" needs ", 1)
    assert who == widget.replace("UIScrollPanel", "UISlider") and what.startswith(needed) and repr(str(path)) in message, message
    assert isinstance(caught.value.__cause__, KeyError)


