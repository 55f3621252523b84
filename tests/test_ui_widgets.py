import numpy as np
import pytest

import brovaline as b
from ui_support import FONT_FILE, fixed, make_renderer, pixels, pointer_engine, theme, tile_at  # noqa: F401


@pytest.fixture(scope="module")
def font():
    return b.Font(FONT_FILE, 12)


def attached(theme, *widgets, size=(200, 120), engine=None):
    """A renderer holding the widgets at (10, 10), after two frames (a button's label settles in the second)."""
    r = make_renderer(theme, size=size)
    for w in widgets:
        r.widget.addChild(w, 10, 10)
    if engine is not None:
        engine.ecs.addSystem(r)
    r.render()
    r.render()
    return r


# UIText

def test_text_lines_and_measurement(theme, font):
    text = b.UIText("first line\nsecond")
    assert text.getRenderedTextSize() == (0, 0)  # not attached
    attached(theme, text)
    w1, h1 = font.getRenderedTextSize("first line")
    w2, h2 = font.getRenderedTextSize("second")
    # As drawn: the widest line, the lines' heights stacked.
    assert (text.width, text.height) == (max(w1, w2), h1 + h2)
    assert text.getRenderedTextSize() == (max(w1, w2), h1 + h2)
    gap, empty = b.UIText("a\n\nb"), b.UIText("")  # an empty line takes the font size
    attached(theme, gap, empty)
    (wa, ha), (wb, hb) = font.getRenderedTextSize("a"), font.getRenderedTextSize("b")
    assert gap.getRenderedTextSize() == (max(wa, wb), ha + 12 + hb) and (empty.width, empty.height) == (0, 0)


def test_text_colour_defaults_to_the_theme_when_attached(theme):
    plain, red = b.UIText("x"), b.UIText("x", (255, 0, 0))
    assert plain.color is None
    attached(theme, plain, red)
    assert plain.color == (255, 255, 255, 255) and red.color == (255, 0, 0)


def test_set_text_types():
    text = b.UIText("a")
    text.text = "b\nc"
    assert text.getText() == "b\nc"
    with pytest.raises(TypeError, match=r"Argument 'text' has incorrect type \(expected str, got int\)"):
        text.setText(5)
    with pytest.raises(AttributeError):
        text.setText(None)


def test_text_is_drawn_inside_its_clipped_box(theme, tmp_path):
    text = b.UIText("MMMM", (0, 255, 0))
    r = attached(theme, text)
    px = pixels(r.getTarget(), tmp_path)
    box = px[10:10 + text.height, 10:10 + text.width]
    assert (box[..., 1] > 200).any()
    outside = px.copy()
    outside[10:10 + text.height, 10:10 + text.width] = 0
    assert not (outside[..., 1] > 200).any()
    r.getTarget().fill((0, 0, 0))
    text.render(0, 0, 12, 200)  # only two columns of the text remain visible
    px = pixels(r.getTarget(), tmp_path)
    assert not (px[:, 12:, 1] > 200).any()


# UIButton and ButtonClickEvent

def test_button_layout_settles_the_label_in_the_middle(theme):
    button = b.UIButton("Label")
    label = button.getChildren()[0]
    r = make_renderer(theme)
    r.widget.addChild(button, 10, 10)
    r.render()
    assert (label.horizontalAlign, label.verticalAlign) == (b.ALIGN_CENTER, b.VALIGN_MIDDLE)
    assert (button.width, button.height) == (label.width + 8, 24)
    assert label._x == 14 and label._y == 10  # the first frame uses the sizes before layout
    r.render()
    assert label._y == 10 + (24 - label.height) // 2 and button.paddingTop == (24 - label.height) // 2
    assert button.text == "Label" and button.getText() == "Label"
    button.setText("Other")
    assert label.getText() == "Other"


@pytest.mark.parametrize("hovered, source_x", [(False, 0), (True, 16)])
def test_button_three_patch(theme, tmp_path, hovered, source_x):
    button = fixed(b.UIButton(""), 30, 24)
    r = attached(theme, button)
    if hovered:
        button.update(20, 20, False)
    r.getTarget().fill((0, 0, 0))
    button.render()
    px = pixels(r.getTarget(), tmp_path)
    row = [tile_at(px, 10 + i, 10) for i in range(30)]
    sx = source_x
    assert row[0] == (sx, 32) and row[4] == (sx + 4, 32) and row[12] == (sx + 4, 32) and row[19] == (sx + 11, 32)
    assert [x for x, _ in row[20:26]] == [sx + 4 + i for i in (0, 1, 3, 4, 5, 7)]  # squeezed as SDL stretches
    assert row[26] == (sx + 12, 32) and row[29] == (sx + 15, 32)
    assert tile_at(px, 40, 10) is None and tile_at(px, 10, 33) == (sx, 55)


def test_button_with_a_zero_middle_tile_fails_to_draw(tmp_path):
    from ui_support import WIDGETS, write_theme
    widgets = dict(WIDGETS, button={"normal": dict(WIDGETS["button"]["normal"], middle=0),
                                    "hover": WIDGETS["button"]["hover"]})
    with pytest.raises(ZeroDivisionError):
        attached(b.UITheme(str(write_theme(tmp_path, widgets=widgets))), b.UIButton("x"))


def test_button_click_fires_an_event(theme, pointer_engine):
    button = b.UIButton("go")
    attached(theme, button, engine=pointer_engine)
    handled, fired = [], []
    button.onClick = handled.append
    pointer_engine.subscribeEvent(b.ButtonClickEvent, fired.append)
    # The click's own position counts, not the hover state of the last frame.
    assert button._onClick(b.MouseClickEvent(15, 15, 3)) is True
    assert len(handled) == 1 and fired == handled
    evt = fired[0]
    assert isinstance(evt, b.MouseClickEvent) and (evt.target, evt.x, evt.y, evt.button) == (button, 15, 15, 3)
    assert button._onClick(b.MouseClickEvent(500, 15, 1)) is False
    button.isEnabled = False
    assert button._onClick(b.MouseClickEvent(15, 15, 1)) is False and len(fired) == 1


def test_widget_event_arguments():
    with pytest.raises(TypeError, match="target"):
        b.ButtonClickEvent(b.UIWidget(), 1, 2, 1)
    evt = b.ButtonClickEvent(None, 1, 2, 3)
    assert (evt.target, evt.x, evt.y, evt.button, evt.isAlreadyHandled) == (None, 1, 2, 3, False)
    with pytest.raises(TypeError, match="target"):
        b.SliderValueChangedEvent(b.UIWidget(), 1, 2)
    with pytest.raises(TypeError):
        b.SliderValueChangedEvent(None, 1)
    assert b.SliderValueChangedEvent(None, 1, 2).newValue == 2


# UIImage

def checker_texture(w, h):
    t = b.Texture(w, h)
    t.fill((0, 0, 255))
    return t


def test_image_size():
    tex = checker_texture(32, 16)
    img = b.UIImage(tex, 64)
    assert (img.width, img.height, img.sizePolicyX, img.alpha) == (64, 16, b.SIZE_FIXED, 255)
    img.texture = checker_texture(8, 4)
    assert (img.width, img.height) == (8, 4)
    with pytest.raises(TypeError, match="texture"):
        b.UIImage("tex")
    with pytest.raises(AttributeError):
        b.UIImage(None)
    assert b.UIImage(None, 3, 4).height == 4


def test_image_is_stretched_with_its_opacity(theme, tmp_path):
    tex = checker_texture(2, 2)
    img = b.UIImage(tex, 20, 10)
    img.alpha = 128 + 256  # only the low byte counts
    r = make_renderer(theme, fill=False)
    r.getTarget().fill((0, 0, 0))
    r.widget.addChild(img, 10, 10)
    r.render()
    px = pixels(r.getTarget(), tmp_path)
    assert abs(int(px[15, 20, 2]) - 128) <= 2 and px[15, 20, 0] == 0
    assert px[9, 9, 2] == 0 and px[20, 30, 2] == 0 and px[19, 29, 2] > 100
    copy = b.Texture(2, 2)
    copy.copyFrom(tex)  # the texture itself keeps its full opacity
    assert tuple(pixels(copy, tmp_path)[0, 0]) == (0, 0, 255, 255)


# UISlider and SliderValueChangedEvent

def test_slider_percent(monkeypatch):
    reports = []
    monkeypatch.setattr("sys.unraisablehook", reports.append)
    assert b.UISlider(5, 5, 5).percent == 0 and reports == []  # an empty range rests at the start
    assert b.UISlider(50).percent == 0.5
    s = b.UISlider(15, 10, 20)
    assert s.percent == 0.5
    s.percent = 0.25
    assert s.value == 12
    assert b.UISlider(200).value == 200  # the initial value is not clamped


def test_value_changes_are_clamped_and_announced(theme, pointer_engine):
    slider = b.UISlider(95)
    attached(theme, slider, engine=pointer_engine)
    events = []
    pointer_engine.subscribeEvent(b.SliderValueChangedEvent, events.append)
    slider.value = 500
    slider.value = 100
    slider.value = -3
    assert slider.value == 0
    assert [(e.target, e.oldValue, e.newValue) for e in events] == [(slider, 95, 100), (slider, 100, 0)]
    b.UISlider(1).value = 2  # without an engine nothing is announced


def test_step_buttons(theme, pointer_engine):
    slider = fixed(b.UISlider(95), 200, 10)
    attached(theme, slider, engine=pointer_engine)
    events = []
    pointer_engine.subscribeEvent(b.SliderValueChangedEvent, events.append)
    slider.update(10 + 200 - 5, 15, False)  # over the plus button
    assert slider._onClick(b.MouseClickEvent(0, 0, 1)) is True
    assert slider.value == 100 and [(e.oldValue, e.newValue) for e in events] == [(95, 100)]
    slider.update(15, 15, False)  # over the minus button
    slider._onClick(b.MouseClickEvent(0, 0, 1))
    assert slider.value == 90
    slider.update(100, 15, False)  # on the track: consumed, no step
    assert slider._onClick(b.MouseClickEvent(0, 0, 1)) is True and slider.value == 90


@pytest.mark.parametrize("orientation, size", [(b.SLIDER_ORIENTATION_HORIZONTAL, (56, 10)),
                                               (b.SLIDER_ORIENTATION_VERTICAL, (10, 56))])
def test_slider_minimum_size(theme, orientation, size):
    slider = b.UISlider(0, orientation=orientation)
    attached(theme, slider)
    assert (slider.width, slider.height) == size


def test_slider_drawing_places_the_thumb_on_the_track(theme, tmp_path):
    slider = fixed(b.UISlider(50), 200, 10)
    r = attached(theme, slider)
    px = pixels(r.getTarget(), tmp_path)
    assert tile_at(px, 10, 10) == (80, 0)                      # minus button
    assert tile_at(px, 10 + 184, 10) == (80, 16)               # plus button at x + 200 - 16
    assert tile_at(px, 10 + 95, 10) == (60, 0)                 # thumb at x + 16 + 158 * 0.5
    assert tile_at(px, 10 + 94, 10)[0] in range(40, 48)        # track


@pytest.mark.parametrize("value, thumb_x", [(29, 16 + 29), (57, 16 + 57), (100, 16 + 100)])
def test_thumb_offset_is_a_single_precision_share_of_the_track(theme, tmp_path, value, thumb_x):
    slider = fixed(b.UISlider(value), 16 + 100 + 10 + 16, 10)  # a track of 100 pixels
    px = pixels(attached(theme, slider).getTarget(), tmp_path)
    assert tile_at(px, 10 + thumb_x, 10) == (60, 0)
    assert tile_at(px, 10 + thumb_x - 1, 10) != (60, 0)


# A press on the thumb (at 10 + 100) drags it; one started off the thumb moves nothing.
@pytest.mark.parametrize("press_x, pointer_x, value", [(10 + 100, 10 + 16 + 5, 0), (10 + 100, 0, 0),
                                                       (10 + 100, 10 + 16 + 5 + 79, 50), (10 + 100, 400, 100),
                                                       (10 + 30, 10 + 150, 50)])
def test_dragging_the_thumb(theme, press_x, pointer_x, value):
    slider = fixed(b.UISlider(50), 200, 10)
    attached(theme, slider)
    slider.update(press_x, 15, True)
    slider.update(pointer_x, 15, True)
    assert slider.value == value
    slider.update(pointer_x, 15, False)  # released: moving on changes nothing
    slider.update(10 + 150, 15, False)
    assert slider.value == value


def test_vertical_slider_thumb_and_buttons(theme, tmp_path):
    slider = fixed(b.UISlider(0, 0, 10, b.SLIDER_ORIENTATION_VERTICAL), 10, 100)
    r = attached(theme, slider)
    slider.update(15, 10 + 100 - 5, False)
    slider._onClick(b.MouseClickEvent(0, 0, 1))
    assert slider.value == 10
    r.render()
    px = pixels(r.getTarget(), tmp_path)
    assert tile_at(px, 10, 10) == (80, 32)                     # top button
    assert tile_at(px, 10, 10 + 84) in {(100, 56), (80, 56)}  # bottom button at y + 100 - 16
    assert tile_at(px, 10, 10 + 16 + 58) == (60, 16)           # thumb at the end of the 58-long track


# UIScrollPanel

def tall_content(height=300, width=50):
    return fixed(b.UIWidget(), width, height)


def attached_panel(theme, content, height=100, engine=None):
    """A 100-wide scroll panel around the content, attached at (10, 10) to a 200 x 200 renderer."""
    panel = fixed(b.UIScrollPanel(content), 100, height)
    return panel, attached(theme, panel, size=(200, 200), engine=engine)


def test_scroll_panel_scrolls_its_content(theme):
    content = tall_content()
    panel, r = attached_panel(theme, content)
    assert panel.content is content and content.getParent() is panel and panel.getRenderer() is r
    assert content._y == 10 + 10 and panel.scrollPosY == 0
    panel.scrollPosY = 500  # clamped by the scroll bar to 300 + 20 - 100
    r.render()
    assert panel.scrollPosY == 220
    r.render()
    assert content._y == 10 + 10 - 220
    content.height = 150  # shrinks: the offset follows the new end instead of scrolling it out of view
    r.render()
    assert panel.scrollPosY == 70
    r.render()
    assert content._y == 10 + 10 - 70


def test_wheel_scrolls_the_bar_when_hovered(theme, pointer_engine):
    panel, r = attached_panel(theme, tall_content(), engine=pointer_engine)
    panel.scrollPosY = 120
    panel.update(50, 50, False)
    assert panel._onScroll(b.MouseWheelEvent(0, 1)) is True
    r.render()
    assert panel.scrollPosY == 70
    panel.update(50, 50, False)
    panel._onScroll(b.MouseWheelEvent(0, 3))
    r.render()
    assert panel.scrollPosY == 0
    panel.update(500, 500, False)
    assert panel._onScroll(b.MouseWheelEvent(0, -1)) is False


def test_horizontal_offset(theme):
    panel, _ = attached_panel(theme, tall_content(width=20))
    panel.scrollPosX = 20
    assert panel.scrollPosX == 0
    panel.scrollPosX = -7
    assert panel.scrollPosX == -7


def test_growing_content_fills_the_padded_client_area(theme):
    content = b.UIWidget()
    content.sizePolicyX = b.SIZE_GROW
    attached_panel(theme, content)
    assert content.width == 100 - 20 - 10  # padding and the scroll bar's width


def test_scroll_panel_content_is_clipped(theme, tmp_path):
    _, r = attached_panel(theme, b.UIImage(checker_texture(4, 4), 300, 300), height=80)
    px = pixels(r.getTarget(), tmp_path)
    blue = px[..., 2] == 255
    assert blue[20, 20]
    ys, xs = np.nonzero(blue & (px[..., 0] == 0))
    assert xs.min() >= 10 + 2 and xs.max() < 10 + 100 - 2 and ys.max() < 10 + 80 - 2
    assert tile_at(px, 10, 10) == (0, 16)  # the frame


def test_scroll_panel_content_and_padding_errors():
    panel = b.UIScrollPanel(b.UIWidget())
    assert (panel.paddingLeft, panel.wheelScrollPixels, panel.sizePolicyX) == (10, 50, b.SIZE_FIXED)
    with pytest.raises(TypeError, match="content"):
        b.UIScrollPanel(None)
    with pytest.raises(ValueError, match="setPadding takes either 1, 2, 3 or 4 values. 0 were given."):
        panel.setPadding()
    panel.setPadding(1, 2)
    assert (panel.paddingTop, panel.paddingLeft) == (1, 2)
    panel.removeAllChildren()
    with pytest.raises(IndexError):
        panel.content
    other = b.UIWidget()
    panel.content = other
    assert panel.getChildren() == [other]


def test_scroll_bar_clicks_come_first(theme):
    panel, r = attached_panel(theme, tall_content())
    panel.update(10 + 100 - 6, 10 + 100 - 6, False)  # over the bar's bottom button
    assert panel._onClick(b.MouseClickEvent(0, 0, 1)) is True
    r.render()
    assert panel.scrollPosY == 10


# A text's drawing is reused between frames: every change shows in the next frame exactly as in a
# renderer that never drew the earlier state.

def moved_to(renderer, text):
    text.getParent().removeChild(text)
    renderer.widget.addChild(text, 10, 10)
    return renderer


def big_font_theme(tmp_path):
    from ui_support import write_theme
    return b.UITheme(str(write_theme(tmp_path / "big", fonts={"aileron": {"file": FONT_FILE, "size": 20}})))


TEXT_CHANGES = {
    "text": lambda text, r, tmp: text.setText("other\nlines"),
    "colour": lambda text, r, tmp: setattr(text, "color", (255, 0, 0)),
    "colour list in place": lambda text, r, tmp: text.color.__setitem__(1, 0),
    "moved": lambda text, r, tmp: (r.widget.removeChild(text), r.widget.addChild(text, 30, 40)),
    "resized": lambda text, r, tmp: fixed(text, 25, 8),
    "theme": lambda text, r, tmp: moved_to(make_renderer(big_font_theme(tmp)), text),
}


@pytest.mark.parametrize("change", TEXT_CHANGES)
def test_text_drawing_follows_every_change(theme, tmp_path, change):
    text = b.UIText("first line\nsecond", [255, 255, 255])
    r = attached(theme, text)
    changed = TEXT_CHANGES[change](text, r, tmp_path)
    r = changed if isinstance(changed, b.UIRenderer) else r
    r.render()
    r.render()
    fresh = b.UIText(text.text, None if text.color is None else list(text.color))
    fresh.sizePolicyX, fresh.sizePolicyY = text.sizePolicyX, text.sizePolicyY
    fresh.width, fresh.height = text.width, text.height
    fr = make_renderer(r.theme)
    fr.widget.addChild(fresh, text._x - r.widget._x, text._y - r.widget._y)
    fr.render()
    fr.render()
    assert np.array_equal(pixels(r.getTarget(), tmp_path), pixels(fr.getTarget(), tmp_path))
