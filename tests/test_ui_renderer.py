import gc
import weakref

import pytest

import brovaline as b
from brovaline_tools.testing import release
from brovaline_tools.testing.sdl_events import flush_events
from ui_support import fixed, make_renderer, pixels, pointer_engine, theme  # noqa: F401


def test_constants():
    assert (b.ALIGN_LEFT, b.ALIGN_RIGHT, b.ALIGN_CENTER) == (0, 1, 2)
    assert (b.VALIGN_TOP, b.VALIGN_BOTTOM, b.VALIGN_MIDDLE) == (0, 1, 2)
    assert (b.SIZE_AUTO, b.SIZE_FIXED, b.SIZE_GROW) == (0, 1, 2)


def test_renderer_starts_with_an_attached_anchored_root(theme):
    r = make_renderer(theme)
    assert isinstance(r, b.Renderer) and r.theme is theme
    assert type(r.widget) is b.UIAnchoredContainer
    assert r.widget.getRenderer() is r and r.widget.getParent() is None
    assert r.getSize() == (200, 120)
    assert r.entities == []


@pytest.mark.parametrize("args, name", [
    ((5, 1, None), "target"),
    ((None, 1, 5), "theme"),
])
def test_renderer_argument_types(args, name):
    with pytest.raises(TypeError, match=name):
        b.UIRenderer(*args)
    with pytest.raises(TypeError):
        b.UIRenderer(None, 1)


def test_replacing_the_root_attaches_the_new_tree(theme):
    r = make_renderer(theme)
    old = r.widget
    root, leaf = b.UIListContainer(), b.UIWidget()
    root.addChild(leaf)
    assert leaf.getRenderer() is None
    r.widget = root
    assert r.widget is root and leaf.getRenderer() is r and old.getRenderer() is None
    for bad in (None, 3):
        with pytest.raises(TypeError, match="widget"):
            r.widget = bad


def test_frame_fills_the_background_and_lays_out(theme, tmp_path):
    r = make_renderer(theme)
    child = b.UIWidget()
    child.sizePolicyX = b.SIZE_GROW
    child.setMargin(0, 5, 0, 15)
    r.widget.addChild(child, 0, 0)
    r.render()
    assert (r.widget.width, r.widget.height) == (200, 120)
    assert child.width == 180 and child._x == 15
    assert tuple(pixels(r.getTarget(), tmp_path)[60, 100]) == (0x20, 0x30, 0x40, 0xFF)


def test_without_fill_the_target_is_kept(theme, tmp_path):
    r = make_renderer(theme, fill=False)
    r.getTarget().fill((1, 2, 3))
    r.render()
    assert tuple(pixels(r.getTarget(), tmp_path)[0, 0]) == (1, 2, 3, 255)


def test_size_policies(theme):
    r = make_renderer(theme)
    auto, fixed_ = b.UIWidget(), fixed(b.UIWidget(), 30, 20)
    auto.width = 99
    for w in (auto, fixed_):
        r.widget.addChild(w, 0, 0)
    r.render()
    assert (auto.width, auto.height) == (0, 0)
    assert (fixed_.width, fixed_.height) == (30, 20)


@pytest.mark.parametrize("px, py, inside", [(10, 15, False), (11, 15, True), (40, 15, False), (39, 11, True),
                                            (20, 10, False), (20, 30, False)])
def test_is_inside_has_strict_bounds(px, py, inside):
    w = fixed(b.UIWidget(), 30, 20)
    w._x, w._y = 10, 10
    assert w.isInside(px, py) is inside
    assert w._pointInRect(px, py, 10, 10, 30, 20) is inside


@pytest.mark.parametrize("values, sides", [
    ((4,), (4, 4, 4, 4)),
    ((1, 2), (1, 2, 1, 2)),
    ((1, 2, 3), (1, 2, 3, 2)),
    ((1, 2, 3, 4), (1, 2, 3, 4)),
])
def test_set_margin(values, sides):
    w = b.UIWidget()
    w.setMargin(*values)
    assert (w.marginTop, w.marginRight, w.marginBottom, w.marginLeft) == sides


def test_set_margin_errors():
    w = b.UIWidget()
    for values in ((), (1, 2, 3, 4, 5)):
        with pytest.raises(ValueError, match="setMargin takes either 1, 2, 3 or 4 values. %d were given." % len(values)):
            w.setMargin(*values)
    with pytest.raises(TypeError):
        w.setMargin(7, "x")
    assert w.marginTop == 7  # sides assigned before the bad value stay assigned
    with pytest.raises(OverflowError):
        w.marginLeft = 2 ** 31


def test_widget_defaults_and_properties():
    w = b.UIWidget()
    assert (w.isVisible, w.isEnabled, w.isHovered, w.onClick, w.userData) == (True, True, False, None, None)
    assert (w.horizontalAlign, w.verticalAlign, w.sizePolicyX, w._x) == (b.ALIGN_LEFT, b.VALIGN_TOP, b.SIZE_AUTO, 0)
    w.isVisible = []
    assert w.isVisible is False
    with pytest.raises(AttributeError):
        w.isHovered = True
    with pytest.raises(NotImplementedError, match="__del__"):
        del w.width


def test_render_needs_an_attached_widget_unless_invisible():
    w = b.UIWidget()
    with pytest.raises(b.EngineException) as info:
        w.render()
    assert info.value.msg == "Can not render a widget that is not attached to a UIRenderer object!"
    w.isVisible = False
    w.render()


class Recorder(b.UIWidget):
    def __init__(self):
        super().__init__()
        self.calls = []

    def onDragStart(self, x, y):
        self.calls.append(("start", x, y))

    def onDrag(self, x, y, dx, dy):
        self.calls.append(("drag", dx, dy))

    def onDragEnd(self, x, y):
        self.calls.append(("end", x, y))


def test_drag_notifications_reach_python_overrides():
    w = fixed(Recorder(), 100, 100)
    w.update(10, 10, False)
    w.update(10, 10, True)
    w.update(15, 10, True)
    w.update(200, 12, True)  # the drag goes on outside the widget
    w.update(200, 12, False)
    assert w.calls == [("start", 10, 10), ("drag", 0, 0), ("drag", 5, 0), ("drag", 185, 2), ("end", 200, 12)]


@pytest.mark.parametrize("widget", [b.UIWidget, lambda: b.UISlider(0)])
@pytest.mark.parametrize("method, count", [("onDragStart", 2), ("onDragEnd", 2), ("onDrag", 4), ("update", 3)])
def test_argument_count_errors_name_the_method(widget, method, count):
    with pytest.raises(TypeError, match=rf"^{method}\(\) takes exactly {count} positional arguments \(1 given\)"):
        getattr(widget(), method)(0)


def test_one_argument_methods_take_their_argument_by_keyword(theme):
    w, lst = b.UIWidget(), b.UIListContainer()
    w._setParent(parent=lst)
    assert w.getParent() is lst
    assert w._onClick(evt=None) is False and w._onScroll(evt=None) is False
    lst.removeChild(child=w)
    text, button = b.UIText("a"), b.UIButton("a")
    text.setText(text="b")
    button.setText(label="c")
    assert (text.text, button.text) == ("b", "c")
    assert theme.getColor(name="background") == (0x20, 0x30, 0x40, 0xFF)
    assert theme.getIntColor(name="background") == 0xFF203040
    assert theme.getFont(name="aileron").size == 12
    assert theme._convertRgbaToIntColor(color=(1, 2, 3)) == 0xFF010203
    evt = b.MouseClickEvent(1, 1, 1)
    make_renderer(theme)._onClick(evt=evt)
    assert evt.isAlreadyHandled is False


def test_drag_starts_when_moving_onto_a_widget_with_the_button_held():
    w = fixed(Recorder(), 100, 100)
    w._x = 50
    w.update(10, 10, True)
    w.update(60, 10, True)
    assert w.calls[0] == ("start", 60, 10)


def test_overridden_is_inside_decides_hover():
    class Everywhere(b.UIWidget):
        def isInside(self, x, y):
            return True

    w = Everywhere()
    w.update(-100, -100, False)
    assert w.isHovered


def test_click_rule_of_a_plain_widget():
    w = fixed(b.UIWidget(), 10, 10)
    evt = b.MouseClickEvent(5, 5, 1)
    assert w._onClick(evt) is False  # not hovered
    w.update(5, 5, False)
    assert w._onClick(evt) is True   # hovered, no handler: still consumed
    seen = []
    w.onClick = seen.append
    w.isEnabled = False
    assert w._onClick(evt) is False and seen == []
    w.isEnabled = True
    assert w._onClick(evt) is True and seen == [evt]
    assert w._onScroll(b.MouseWheelEvent(0, 1)) is False


def test_renderer_marks_consumed_clicks(theme):
    r = make_renderer(theme)
    target = fixed(b.UIWidget(), 20, 20)
    r.widget.addChild(target, 0, 0)
    target.update(5, 5, False)
    hit, miss = b.MouseClickEvent(5, 5, 1), b.MouseClickEvent(50, 50, 1)
    r._onClick(hit)
    target.update(50, 50, False)
    r._onClick(miss)
    assert hit.isAlreadyHandled is True and miss.isAlreadyHandled is False


def test_engine_clicks_reach_the_widget_under_the_pointer(theme, pointer_engine):
    r = make_renderer(theme)
    pointer_engine.ecs.addSystem(r)
    seen = []
    button = fixed(b.UIWidget(), 40, 40)
    button.onClick = lambda evt: seen.append((evt.x, evt.y, evt.button))
    r.widget.addChild(button, 10, 10)
    pointer_engine.pointer = (20, 20)
    pointer_engine.update()  # lays out and hovers
    flush_events()
    release(pointer_engine, 20, 20, button=3)
    pointer_engine.update()
    assert seen == [(20, 20, 3)]
    pointer_engine.ecs.removeSystem(r)
    release(pointer_engine, 20, 20)
    pointer_engine.update()
    assert len(seen) == 1
    assert all(not handlers for handlers in b.Engine._eventSubscribers.values())


def test_renderer_reads_the_pointer_from_its_engine(theme, pointer_engine):
    r = make_renderer(theme)
    pointer_engine.ecs.addSystem(r)
    w = fixed(Recorder(), 50, 50)
    r.widget.addChild(w, 0, 0)
    pointer_engine.pointer, pointer_engine.pressed = (10, 10), True
    pointer_engine.update()
    assert w.isHovered and w.calls == [("start", 10, 10), ("drag", 0, 0)]


def test_set_engine_checks_its_argument(theme):
    with pytest.raises(TypeError, match="engine"):
        make_renderer(theme)._setEngine(3)


def test_a_dropped_widget_tree_is_freed(theme):
    r = make_renderer(theme)
    panel, button = b.UIPanel(), b.UIButton("ok")
    panel.addChild(button)
    scroll = b.UIScrollPanel(b.UIText("text"))
    panel.addChild(scroll)
    r.widget.addChild(panel, 0, 0)
    r.render()
    refs = [weakref.ref(o) for o in (r, panel, button, scroll, r.widget)]
    del r, panel, button, scroll
    gc.collect()
    assert [ref() for ref in refs] == [None] * len(refs)


def test_frame_passes_reach_python_overrides_and_native_bases(theme):
    calls = []

    class Custom(b.UIWidget):
        def render(self, clipX=-1, clipY=-1, clipWidth=-1, clipHeight=-1):
            calls.append(("render", clipX, clipY, clipWidth, clipHeight))

    class CountingButton(b.UIButton):
        def update(self, x, y, pressed):
            calls.append(("update", x, y, pressed))
            super().update(x, y, pressed)

    r = make_renderer(theme)
    button = CountingButton("b")
    r.widget.addChild(Custom(), 0, 0)
    r.widget.addChild(button, 0, 0)
    r.render()
    assert calls == [("update", -1, -1, False), ("render", -1, -1, -1, -1)]
    assert button.width > 0 and button.getChildren()[0].getRenderer() is r
