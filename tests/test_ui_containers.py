import pytest

import brovaline as b
from ui_support import fixed, make_renderer, pixels, theme, tile_at  # noqa: F401


def test_constants():
    assert (b.LIST_LAYOUT_HORIZONTAL, b.LIST_LAYOUT_VERTICAL) == (0, 1)
    assert (b.ANCHOR_LEFT, b.ANCHOR_RIGHT, b.ANCHOR_TOP, b.ANCHOR_BOTTOM, b.ANCHOR_CENTER) == (0, 1, 2, 3, 4)


def laid_out(theme, container, *children, at=(0, 100)):
    """Adds the children to the container, places it in a renderer and runs one frame."""
    r = make_renderer(theme, size=(300, 300))
    for child in children:
        container.addChild(child)
    r.widget.addChild(container, *at)
    r.render()
    return r


def two_children():
    return fixed(b.UIWidget(), 40, 20), fixed(b.UIWidget(), 60, 30)


def test_vertical_list(theme):
    first, second = two_children()
    lst = b.UIListContainer()
    assert lst.layout == b.LIST_LAYOUT_VERTICAL
    laid_out(theme, lst, first, second)
    assert (first._y, second._y, lst.height, lst.width) == (100, 120, 50, 60)


def test_horizontal_list_with_middle_alignment(theme):
    first, second = two_children()
    first.verticalAlign = b.VALIGN_MIDDLE
    lst = b.UIListContainer()
    lst.layout = b.LIST_LAYOUT_HORIZONTAL
    laid_out(theme, lst, first, second)
    assert (lst.width, lst.height) == (100, 30)
    assert (first._x, first._y, second._x, second._y) == (0, 105, 40, 100)


# List width 8 + 60 + 8 = 76; the 40-wide child has margins left 3, right 5.
@pytest.mark.parametrize("align, x", [(b.ALIGN_LEFT, 8 + 3), (b.ALIGN_RIGHT, 8 + 76 - 40 - 5), (b.ALIGN_CENTER, 8 + 18)])
def test_cross_axis_alignment_uses_the_full_size_from_the_padded_origin(theme, align, x):
    first, second = two_children()
    first.setMargin(0, 5, 0, 3)
    first.horizontalAlign = align
    lst = b.UIListContainer()
    lst.setPadding(0, 8)
    laid_out(theme, lst, first, second, at=(0, 0))
    assert lst.width == 76 and first._x == x


def test_grow_children_each_take_the_whole_client_size(theme):
    a, c = b.UIWidget(), b.UIWidget()
    a.sizePolicyX = c.sizePolicyX = b.SIZE_GROW
    c.setMargin(0, 0, 0, 10)
    lst = fixed(b.UIListContainer(), 100, 50)
    lst.layout = b.LIST_LAYOUT_HORIZONTAL
    lst.setPadding(5)
    laid_out(theme, lst, a, c)
    assert (a.width, c.width) == (90, 80)
    assert (a._x, c._x) == (5, 5 + 90 + 10)


@pytest.mark.parametrize("values, sides", [((3,), (3, 3, 3, 3)), ((1, 2), (1, 2, 1, 2)), ((1, 2, 3), (1, 2, 3, 2)),
                                           ((1, 2, 3, 4), (1, 2, 3, 4))])
def test_set_padding(values, sides):
    lst = b.UIListContainer()
    lst.setPadding(*values)
    assert (lst.paddingTop, lst.paddingRight, lst.paddingBottom, lst.paddingLeft) == sides


def test_set_padding_count():
    with pytest.raises(ValueError, match="setPadding takes either 1, 2, 3 or 4 values. 5 were given."):
        b.UIListContainer().setPadding(1, 2, 3, 4, 5)


def test_list_adds_duplicates_and_type_checks(theme):
    w = fixed(b.UIWidget(), 10, 10)
    lst = b.UIListContainer()
    laid_out(theme, lst, w, w)
    assert lst.getChildren() == [w, w] and lst.height == 20
    with pytest.raises(TypeError, match="child"):
        lst.addChild("widget")


def test_panel_pads_by_8_and_draws_its_frame(theme, tmp_path):
    child = fixed(b.UIWidget(), 40, 10)
    panel = b.UIPanel()
    r = laid_out(theme, panel, child, at=(20, 30))
    assert (panel.width, panel.height, child._x, child._y) == (56, 26, 28, 38)
    px = pixels(r.getTarget(), tmp_path)
    assert tile_at(px, 20, 30) == (0, 0) and tile_at(px, 75, 55) == (11, 11)


@pytest.mark.parametrize("anchor_x, ox, width, expected", [
    (b.ANCHOR_LEFT, 10, 50, 10),
    (b.ANCHOR_RIGHT, 10, 50, 140),
    (b.ANCHOR_CENTER, 0, 51, 74),
    (b.ANCHOR_CENTER, 6, 50, 81),
])
def test_anchored_x(theme, anchor_x, ox, width, expected):
    r = make_renderer(theme, size=(200, 100))
    child = fixed(b.UIWidget(), width, 10)
    r.widget.addChild(child, ox, 0, anchor_x)
    r.render()
    assert child._x == expected


def test_anchored_y_and_margins(theme):
    r = make_renderer(theme, size=(200, 100))
    bottom, centre = fixed(b.UIWidget(), 10, 20), fixed(b.UIWidget(), 10, 20)
    bottom.setMargin(0, 0, 4, 0)
    centre.setMargin(6, 0, 0, 0)
    r.widget.addChild(bottom, 0, 5, anchorTypeY=b.ANCHOR_BOTTOM)
    r.widget.addChild(centre, 0, 0, b.ANCHOR_LEFT, b.ANCHOR_CENTER)
    r.render()
    assert bottom._y == 100 - 5 - 4 - 20
    assert centre._y == 50 + 6 - 10


def test_anchored_children_are_unique_and_removable():
    c = b.UIAnchoredContainer()
    assert (c.sizePolicyX, c.sizePolicyY) == (b.SIZE_GROW, b.SIZE_GROW)
    w, other = b.UIWidget(), b.UIWidget()
    c.addChild(w, 1, 2)
    c.addChild(w, 3, 4)
    assert c.getChildren() == [w] and len(c._wrappedChildren) == 1
    assert w.getParent() is c
    c.removeChild(other)
    c.removeChild(w)
    assert c.getChildren() == [] and c._wrappedChildren == []
    assert w.getParent() is c  # removing leaves the child's links as they were
    c.removeChild(None)  # None is no child: nothing happens
    with pytest.raises(TypeError, match="Argument 'child' has incorrect type"):
        c.removeChild("widget")


def test_removing_all_children_drops_their_anchors(theme):
    r = make_renderer(theme)
    old, new = b.UIAnchoredContainer(), b.UIAnchoredContainer()
    w = fixed(b.UIWidget(), 10, 10)
    old.addChild(w, 70, 70)
    old.removeAllChildren()
    assert old.getChildren() == [] and old._wrappedChildren == []
    new.addChild(w, 5, 6)
    r.widget.addChild(new, 0, 0)
    r.widget.addChild(old, 0, 0)  # positioned after `new`: it must not move `w` any more
    r.render()
    assert (w._x, w._y) == (5, 6)


def test_anchor_wrapper():
    w = b.UIWidget()
    wrapper = b._UIAnchorWrapper(w, 1, 2, b.ANCHOR_RIGHT, b.ANCHOR_BOTTOM)
    assert (wrapper._wrapped, wrapper._x, wrapper._y, wrapper._anchorTypeX, wrapper._anchorTypeY) == (w, 1, 2, 1, 3)
    with pytest.raises(TypeError):
        b._UIAnchorWrapper(w, 1, 2, 0)


def test_attachment_reaches_subtrees_added_later(theme):
    r = make_renderer(theme)
    outer, inner, leaf = b.UIListContainer(), b.UIListContainer(), b.UIWidget()
    inner.addChild(leaf)
    outer.addChild(inner)
    assert leaf.getRenderer() is None
    r.widget.addChild(outer, 0, 0)
    assert leaf.getRenderer() is r and leaf.getParent() is inner


class Hit(b.UIWidget):
    def __init__(self, log, name, consume):
        super().__init__()
        self.log, self.name, self.consume = log, name, consume

    def _onClick(self, evt):
        self.log.append(self.name)
        return self.consume


@pytest.mark.parametrize("container", [b.UIListContainer, b.UIAnchoredContainer])
def test_clicks_go_from_the_last_child_to_the_first(container):
    log = []
    c = container()
    for name, consume in (("first", True), ("second", False), ("third", False)):
        child = Hit(log, name, consume)
        c.addChild(child) if container is b.UIListContainer else c.addChild(child, 0, 0)
    assert c._onClick(b.MouseClickEvent(1, 1, 1)) is True
    assert log == ["third", "second", "first"]


def test_plain_containers_never_consume_a_click_but_panels_do(theme):
    evt = b.MouseClickEvent(5, 5, 1)
    for container, consumed in ((b.UIListContainer, False), (b.UIPanel, True)):
        c = fixed(container(), 20, 20)
        calls = []
        c.onClick = calls.append
        c.update(5, 5, False)
        assert c._onClick(evt) is consumed and len(calls) == int(consumed)


def test_children_may_be_removed_while_a_click_is_routed():
    c = b.UIListContainer()

    class Remover(b.UIWidget):
        def _onClick(self, evt):
            c.removeAllChildren()
            return False

    for _ in range(3):
        c.addChild(Remover())
    assert c._onClick(b.MouseClickEvent(0, 0, 1)) is False and c.getChildren() == []


def test_foreign_objects_in_the_child_list_are_reported(theme):
    r = make_renderer(theme)
    c = b.UIListContainer()
    r.widget.addChild(c, 0, 0)
    c.getChildren().append("not a widget")
    with pytest.raises(TypeError, match="UIWidget"):
        r.render()


def test_containers_do_not_clip_their_children(theme, tmp_path):
    r = make_renderer(theme, size=(100, 100), fill=False)
    outer = fixed(b.UIListContainer(), 5, 5)
    panel = fixed(b.UIPanel(), 20, 20)
    outer.addChild(panel)
    r.widget.addChild(outer, 0, 0)
    r.render()
    assert tile_at(pixels(r.getTarget(), tmp_path), 19, 19) == (11, 11)


def test_a_tree_that_contains_itself_raises_instead_of_crashing(theme):
    r = make_renderer(theme)
    c = b.UIListContainer()
    r.widget.addChild(c, 0, 0)
    with pytest.raises(RecursionError):
        c.addChild(c)
    with pytest.raises(RecursionError):
        r.render()
    c.removeAllChildren()
    r.render()
