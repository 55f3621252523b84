import pytest

import brovaline as b
from raycast_scene import make_level


@pytest.fixture
def walled():
    return b.RaycastingRenderer(b.Texture(8, 4), b.Level())


@pytest.mark.parametrize(
    "start, direction, hit",
    [
        ((15.5, 15.5), (1, 0), (29, 15.5)),
        ((15.5, 15.5), (0, -1), (15.5, 1)),
        ((15.5, 15.5), (-2, -1), (1, 8.25)),
        ((3.25, 28.5), (1, 1), (3.75, 29)),
    ],
)
def test_cast_ray_hits_the_walls_of_the_default_level(walled, start, direction, hit):
    pos, d = b.Vector2(*start), b.Vector2(*direction)
    v = walled.castRay(pos, d)
    assert type(v) is b.Vector2
    assert (v.x, v.y) == pytest.approx(hit, abs=1e-9)
    # The callers' vectors are not changed (the zero-component replacement works on a copy).
    assert (pos.x, pos.y, d.x, d.y) == (*start, *direction)


def test_cast_ray_keywords_and_types(walled):
    hit = walled.castRay(dir=b.Vector2(0, 1), pos=b.Vector2(2.5, 3.5))
    assert (hit.x, hit.y) == (pytest.approx(2.5), 29)


def test_cast_ray_diagonal_block(tmp_path):
    level = make_level(tmp_path, 10, 10, [(9, 9, 9)], cells={(5, 5): b.BLOCK_TRIANGLE_NORTH_WEST})
    r = b.RaycastingRenderer(b.Texture(4, 4), level)
    v = r.castRay(b.Vector2(6.5, 5.5), b.Vector2(-1, 0))
    assert (v.x, v.y) == pytest.approx((5.5, 5.5))
    v = r.castRay(b.Vector2(4.5, 5.5), b.Vector2(1, 0))
    assert (v.x, v.y) == pytest.approx((5, 5.5))


@pytest.mark.parametrize("start", [(4.5, 4.5), (-1, 2), (2, 8), (float("nan"), 1)])
def test_rays_that_leave_or_start_outside_return_none(tmp_path, start):
    level = make_level(tmp_path, 8, 8, [(9, 9, 9)], border=False)
    r = b.RaycastingRenderer(b.Texture(4, 4), level)
    assert r.castRay(b.Vector2(*start), b.Vector2(0.3, 1)) is None


def test_crossing_just_outside_the_grid_is_not_read_as_its_first_column():
    level = b.Level()
    level.setBlock(0, 1, 0)  # an opening in the west border next to the corner
    hit = b.RaycastingRenderer(b.Texture(4, 4), level).castRay(b.Vector2(1e-14, 1e-14), b.Vector2(1, 0))
    assert hit is None or hit.x >= 0
