import math

import pytest

import brovaline as b
from brovaline import Vector2


def xy(v):
    return (v.x, v.y)


def test_construction():
    v = Vector2(x=1, y=2.5)
    assert type(v.x) is float and xy(v) == (1.0, 2.5) == (v._x, v._y)
    assert xy(Vector2.__new__(Vector2, 1, 2, 3)) == (0.0, 0.0)  # allocation alone ignores its arguments


@pytest.mark.parametrize("args, kwargs", [((1,), {}), ((1, 2, 3), {}), (("a", 2), {}), ((1,), {"z": 2}),
                                          ((1, None), {})])
def test_bad_construction(args, kwargs):
    with pytest.raises(TypeError):
        Vector2(*args, **kwargs)


def test_length_and_normalize():
    v = Vector2(3, 4)
    assert v.length == 5.0
    v.normalize()
    assert xy(v) == pytest.approx((0.6, 0.8))
    z = Vector2(0, 0)
    z.normalize()
    assert xy(z) == (0.0, 0.0)


def test_operators_make_new_vectors():
    a, c = Vector2(1, 2), Vector2(10, 20)
    s, d, scaled = a + c, c - a, a * 2
    assert type(s) is Vector2 and xy(s) == (11.0, 22.0) and xy(d) == (9.0, 18.0)
    assert xy(scaled) == (2.0, 4.0) and scaled is not a and xy(a) == (1.0, 2.0)
    dot = Vector2(1, 0) * Vector2(0, 1)
    assert type(dot) is float and dot == 0.0


@pytest.mark.parametrize("op", [lambda v, o: v + o, lambda v, o: v - o, lambda v, o: v.set(o),
                                lambda v, o: v.add(o), lambda v, o: v.sub(o)])
@pytest.mark.parametrize("other", [None, 3])
def test_vector_operands_are_checked(op, other):
    with pytest.raises(TypeError, match="Argument 'other' has incorrect type"):
        op(Vector2(1, 1), other)


@pytest.mark.parametrize("expr", [lambda v: 2 * v, lambda v: v * "a", lambda v: -v, lambda v: v / 2,
                                  lambda v: v.scale(v)])
def test_unsupported_operations(expr):
    with pytest.raises(TypeError):
        expr(Vector2(1, 2))


def test_in_place_operations():
    v = Vector2(1, 2)
    v.set(Vector2(5, 6))
    v.add(Vector2(1, 1))
    assert xy(v) == (6.0, 7.0)
    v.sub(Vector2(2, 4))
    v.scale(2)
    assert xy(v) == (8.0, 6.0)
    v.negate()
    c = v.copy()
    c.x = 0
    assert xy(v) == (-8.0, -6.0)


class FloatSub(float):
    pass


@pytest.mark.parametrize("name", ["x", "y", "_x", "_y"])
@pytest.mark.parametrize("value, stored", [(1.5, 1.5), (-0.0, -0.0), (2, 2.0), (FloatSub(2.5), 2.5), (True, 1.0)])
def test_coordinate_writes_store_doubles(name, value, stored):
    v = Vector2(7, 7)
    setattr(v, name, value)
    assert type(getattr(v, name)) is float and getattr(v, name) == stored
    assert math.copysign(1, getattr(v, name)) == math.copysign(1, stored)
    assert xy(v).count(7.0) == 1


@pytest.mark.parametrize("write, error", [
    (lambda v: setattr(v, "x", "1.5"), TypeError), (lambda v: setattr(v, "y", None), TypeError),
    (lambda v: delattr(v, "x"), NotImplementedError), (lambda v: setattr(v, "z", 1.5), AttributeError),
    (lambda v: setattr(v, "length", 1.5), AttributeError), (lambda v: setattr(Vector2, "x", 1.5), TypeError),
])
def test_bad_writes_are_refused(write, error):
    v = Vector2(1, 2)
    with pytest.raises(error):
        write(v)
    assert xy(v) == (1.0, 2.0)


def test_subclass_properties_take_the_writes():
    class Clamped(Vector2):
        @property
        def x(self):
            return self._x

        @x.setter
        def x(self, value):
            self._x = min(value, 1.0)

    c = Clamped(0, 0)
    c.x = 5.0
    c.y = 5.0
    assert xy(c) == (1.0, 5.0) and c * Vector2(1, 0) == 1.0
    with pytest.raises(AttributeError):  # the member is read-only: writes take the checked path
        Vector2.x.__set__(c, 0.5)


def native_xy(v):
    """The coordinates as native code reads them (the dot product), next to what Python reads."""
    return (v * Vector2(1, 0), v * Vector2(0, 1))


class Sub(Vector2):
    pass


# Python reads a coordinate's float object, native code its double: every way of writing keeps them equal.
VECTOR_WRITES = {
    "init again": lambda v: v.__init__(2, -3.5),
    "set": lambda v: v.set(Vector2(0.25, 9)),
    "add": lambda v: v.add(Vector2(0.5, 1)),
    "sub": lambda v: v.sub(Vector2(0.5, 1)),
    "scale": lambda v: v.scale(3),
    "rotate": lambda v: v.rotate(30),
    "negate": lambda v: v.negate(),
    "normalize": lambda v: v.normalize(),
    "x float": lambda v: setattr(v, "x", 0.125),
    "_y int": lambda v: setattr(v, "_y", 4),
    "y built name": lambda v: setattr(v, "".join(["y"]), 2.5),
}


@pytest.mark.parametrize("kind", [Vector2, Sub])
@pytest.mark.parametrize("write", VECTOR_WRITES)
def test_python_and_native_reads_agree_after_every_write(kind, write):
    v = kind(3, 4)
    held = (v.x, v.y, v._x, v._y)
    for _ in range(2):  # the second time the coordinates' floats are held by nobody else
        VECTOR_WRITES[write](v)
        assert xy(v) == (v._x, v._y) == native_xy(v)
        assert type(v.x) is float and type(v.y) is float
    assert held == (3.0, 4.0, 3.0, 4.0)  # floats read before the writes keep their values
    fresh = kind.__new__(kind)
    assert xy(fresh) == native_xy(fresh) == (0.0, 0.0)


def test_rotate_uses_the_old_coordinates():
    v = Vector2(1, 0)
    v.rotate(90)
    assert v.x == pytest.approx(6.1e-17, abs=1e-18) and v.y == 1.0
    w = Vector2(2, 1)
    w.rotate(180)
    assert xy(w) == pytest.approx((-2.0, -1.0))


@pytest.mark.parametrize("x, y, degrees", [(0, 1, 90.0), (-1, 0, 180.0), (0, -1, -90.0)])
def test_get_degrees(x, y, degrees):
    assert Vector2(x, y).getDegrees() == degrees


def test_angle_to():
    assert Vector2(1, 0).angleTo(Vector2(-1, 0)) == math.pi
    assert Vector2(1, 0).angleToInDegrees(Vector2(0, 5)) == pytest.approx(90.0)
    # The cosine of these two computes to slightly above 1: clamped, not a domain error.
    a, c = Vector2(0.1, 0.7), Vector2(0.3, 2.1)
    assert (a * c) / (a.length * c.length) > 1.0
    assert a.angleTo(c) == 0.0


def test_angle_to_accepts_vector_like_objects():
    class Like:
        length = 2.0

        def __rmul__(self, v):
            return -2.0 * v.x

    assert Vector2(1, 0).angleTo(Like()) == math.pi


@pytest.mark.parametrize("method", ["angleTo", "angleToInDegrees"])
@pytest.mark.parametrize("a, c", [((0, 0), (1, 0)), ((1, 0), (0, 0))])
def test_angle_to_zero_vector(method, a, c):
    with pytest.raises(ZeroDivisionError):
        getattr(Vector2(*a), method)(Vector2(*c))


def test_text_form_and_identity():
    v = Vector2(1, 2.5)
    assert str(v) == repr(v) == "Vector2(1.000000, 2.500000)"
    assert str(Vector2(-1e300, 0)).startswith("Vector2(-1000000000000000052504760255204420248704468")
    assert Vector2(1, 1) != Vector2(1, 1)


def test_subclass():
    class Named(Vector2):
        def __init__(self, x, y, name):
            super().__init__(x, y)
            self.name = name

    n = Named(1, 2, "n")
    assert n.name == "n" and xy(n) == (1.0, 2.0)
    assert type(n + n) is Vector2 and n * n == 5.0


def test_angle_constants():
    assert b._RAD_TO_DEGREES == 57.29577951308232
    assert b._DEGREES_TO_RAD == 0.017453292519943295
