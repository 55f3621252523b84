import pytest

import brovaline as b


def test_constructors_convert_their_arguments():
    k = b.KeyEvent(65, 0, 1, 0)
    assert (k.key, k.isCtrlPressed, k.isAltPressed, k.isShiftPressed) == (65, False, True, False)
    m = b.MouseClickEvent(3, 4, b.MOUSE_RIGHT)
    assert (m.x, m.y, m.button) == (3, 4, 3)
    w = b.MouseWheelEvent(x=0, y=-2)
    assert (w.x, w.y) == (0, -2)
    f = b.FullscreenEvent([], "yes")
    assert (f.oldValue, f.newValue) == (False, True)
    j = b.Joystick("pad", 2, 4)
    assert b.JoystickAddedEvent(j).joystick is j and b.JoystickAddedEvent(None).joystick is None
    assert all(isinstance(e, b.Event) and e.isAlreadyHandled is False for e in (k, m, w, f, b.Event()))


@pytest.mark.parametrize("make, error", [
    (lambda: b.Event(1), TypeError),
    (lambda: b.Event(x=1), TypeError),
    (lambda: b.KeyEvent(65, 0, 0), TypeError),
    (lambda: b.KeyEvent("a", 0, 0, 0), TypeError),
    (lambda: b.KeyEvent(2 ** 31, 0, 0, 0), OverflowError),
    (lambda: b.MouseClickEvent(1, None, 1), TypeError),
    (lambda: b.JoystickAddedEvent("pad"), TypeError),
])
def test_bad_constructor_arguments(make, error):
    with pytest.raises(error):
        make()


def test_flag_and_uninitialised_events():
    e = b.KeyEvent(65, 1, 0, 0)
    e.isAlreadyHandled = 1
    assert e.isAlreadyHandled is True
    e.__init__(66, 0, 0, 0)
    assert (e.isAlreadyHandled, e.key) == (False, 66)
    m = b.MouseClickEvent.__new__(b.MouseClickEvent)
    assert (m.x, m.y, m.button, m.isAlreadyHandled) == (0, 0, 0, False)
    assert b.JoystickAddedEvent.__new__(b.JoystickAddedEvent).joystick is None


# Dispatch ------------------------------------------------------------------------------------------

def test_fire_without_subscribers(engine):
    assert engine.fireEvent(b.Event()) is None


def test_subscribers_are_called_in_order_with_the_same_object(engine):
    calls = []

    def first(e):
        calls.append(("first", e, e.isAlreadyHandled))
        e.isAlreadyHandled = True
        return "ignored"

    def second(e):
        calls.append(("second", e, e.isAlreadyHandled))

    engine.subscribeEvent(b.KeyEvent, first)
    engine.subscribeEvent(b.KeyEvent, second)
    evt = b.KeyEvent(65, 0, 0, 0)
    assert engine.fireEvent(evt) is None
    assert calls == [("first", evt, False), ("second", evt, True)]
    assert list(b.Engine._eventSubscribers[b.KeyEvent]) == [first, second]


def test_lookup_is_by_exact_class_unless_given(engine):
    got = []
    engine.subscribeEvent(b.Event, got.append)
    click = b.MouseClickEvent(1, 2, 1)
    engine.fireEvent(click)
    assert got == []
    engine.fireEvent(click, b.Event)
    engine.fireEvent(click, evtType=None)
    assert got == [click]


def test_subscription_counts(engine):
    got = []
    engine.subscribeEvent(b.Event, got.append)
    engine.subscribeEvent(b.Event, got.append)
    engine.unsubscribeEvent(b.Event, got.append)
    engine.fireEvent(b.Event())
    assert len(got) == 1
    engine.unsubscribeEvent(b.Event, got.append)
    assert b.Engine._eventSubscribers[b.Event] == []  # emptied lists stay
    engine.unsubscribeEvent(b.Event, got.append)
    engine.unsubscribeEvent(b.KeyEvent, print)


def test_subscriber_table_is_shared_by_engines(engine):
    other = b.Engine()
    got = []
    other.subscribeEvent(b.Event, got.append)
    engine.fireEvent(b.Event())
    assert len(got) == 1


def test_live_iteration(engine):
    calls = []

    def late(e):
        calls.append("late")

    def adder(e):
        calls.append("adder")
        if "late" not in calls:
            engine.subscribeEvent(b.Event, late)

    engine.subscribeEvent(b.Event, adder)
    engine.fireEvent(b.Event())
    assert calls == ["adder", "late"]

    calls.clear()
    b.Engine._eventSubscribers.clear()

    def remover(e):
        calls.append("remover")
        engine.unsubscribeEvent(b.Event, remover)

    def skipped(e):
        calls.append("skipped")

    def last(e):
        calls.append("last")

    for h in (remover, skipped, last):
        engine.subscribeEvent(b.Event, h)
    engine.fireEvent(b.Event())
    assert calls == ["remover", "last"]


def test_handler_exception_ends_dispatch(engine):
    calls = []

    def bad(e):
        raise KeyError("boom")

    engine.subscribeEvent(b.Event, bad)
    engine.subscribeEvent(b.Event, calls.append)
    with pytest.raises(KeyError):
        engine.fireEvent(b.Event())
    assert calls == []


def test_bad_dispatch_calls(engine):
    with pytest.raises(TypeError):
        engine.subscribeEvent([], print)  # unhashable key
    engine.subscribeEvent(b.Event, 42)
    with pytest.raises(TypeError):
        engine.fireEvent(b.Event())
