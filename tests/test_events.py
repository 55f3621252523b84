import pytest

import brovaline as b

EVENT_CLASSES = [b.Event, b.KeyEvent, b.MouseClickEvent, b.MouseWheelEvent, b.FullscreenEvent, b.JoystickAddedEvent]


def test_class_hierarchy_and_names():
    for cls in EVENT_CLASSES[1:]:
        assert cls.__mro__[1] is b.Event
    assert [repr(c) for c in EVENT_CLASSES[:2]] == ["<class 'brovaline.Event'>", "<class 'brovaline.KeyEvent'>"]


def test_constructors_store_converted_values():
    k = b.KeyEvent(65, 0, 1, 0)
    assert (k.key, k.isCtrlPressed, k.isAltPressed, k.isShiftPressed) == (65, False, True, False)
    m = b.MouseClickEvent(3, 4, b.MOUSE_RIGHT)
    assert (m.x, m.y, m.button) == (3, 4, 3)
    w = b.MouseWheelEvent(x=0, y=-2)
    assert (w.x, w.y) == (0, -2)
    f = b.FullscreenEvent([], "yes")
    assert (f.oldValue, f.newValue) == (False, True)
    j = b.Joystick("pad", 2, 4)
    assert b.JoystickAddedEvent(j).joystick is j
    assert b.JoystickAddedEvent(None).joystick is None
    assert all(e.isAlreadyHandled is False for e in (k, m, w, f, b.Event()))


@pytest.mark.parametrize("make, error", [
    (lambda: b.Event(1), TypeError),
    (lambda: b.Event(x=1), TypeError),
    (lambda: b.KeyEvent(65, 0, 0), TypeError),
    (lambda: b.KeyEvent("a", 0, 0, 0), TypeError),
    (lambda: b.KeyEvent(1.5, 0, 0, 0), TypeError),
    (lambda: b.KeyEvent(2 ** 31, 0, 0, 0), OverflowError),
    (lambda: b.MouseClickEvent(1, 2), TypeError),
    (lambda: b.MouseClickEvent(1, None, 1), TypeError),
    (lambda: b.MouseWheelEvent(-2 ** 31 - 1, 0), OverflowError),
    (lambda: b.FullscreenEvent(1), TypeError),
    (lambda: b.JoystickAddedEvent("pad"), TypeError),
    (lambda: b.JoystickAddedEvent(), TypeError),
])
def test_bad_constructor_arguments(make, error):
    with pytest.raises(error):
        make()


def test_joystick_added_event_names_the_argument():
    with pytest.raises(TypeError, match="Argument 'joystick' has incorrect type"):
        b.JoystickAddedEvent(3)


def test_properties():
    e = b.KeyEvent(65, 1, 0, 0)
    e.isAlreadyHandled = 1
    assert e.isAlreadyHandled is True and e._isAlreadyHandled is True
    with pytest.raises(NotImplementedError, match="__del__"):
        del e.isAlreadyHandled
    with pytest.raises(AttributeError):
        e.key = 3
    e._key = 66
    assert e.key == 66
    with pytest.raises(OverflowError, match="value too large to convert to int"):
        e._key = 2 ** 40


def test_fields_of_uninitialised_events_are_zero():
    m = b.MouseClickEvent.__new__(b.MouseClickEvent)
    assert (m.x, m.y, m.button, m.isAlreadyHandled) == (0, 0, 0, False)
    assert b.JoystickAddedEvent.__new__(b.JoystickAddedEvent).joystick is None


def test_init_clears_the_flag_again():
    e = b.MouseWheelEvent(1, 1)
    e.isAlreadyHandled = True
    e.__init__(2, 3)
    assert (e.isAlreadyHandled, e.x, e.y) == (False, 2, 3)


def test_python_subclass():
    class Custom(b.Event):
        def __init__(self, payload):
            super().__init__()
            self.payload = payload

    c = Custom(5)
    assert c.payload == 5 and c.isAlreadyHandled is False


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
        engine.subscribeEvent(b.Event)
    with pytest.raises(TypeError):
        engine.subscribeEvent([], print)  # unhashable key
    with pytest.raises(TypeError):
        engine.fireEvent()
    engine.subscribeEvent(b.Event, 42)
    with pytest.raises(TypeError):
        engine.fireEvent(b.Event())
