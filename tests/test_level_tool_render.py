"""`render`: the top view shows textures, half-block shapes, markers and a grid where they belong;
the first-person view is the engine's own picture of the level."""
import numpy as np
import pytest

from brovaline_tools.level import Cell, level_from_text, top_view
from brovaline_tools.level.cli import main
from brovaline_tools.level.model import write_level
from brovaline_tools.level.render_top import MISSING, SKY, START, SPRITE_ENTITY, ENTITY, WALL_SHADE

RED, GREEN, BLUE = 0xFFFF0000, 0xFF00FF00, 0xFF0000FF
S = 8   # pixels per cell


def level_of(block="square", **header):
    legend = {"#": Cell("square", walls=2), ".": Cell(floor=0, ceiling=1), "x": Cell(block, floor=0, walls=2),
              "s": Cell(floor=255), "?": Cell(floor=9)}
    level = level_from_text("""
        #####
        #.x.#
        #s?.#
        #####
    """, legend, textures=["red.png", "green.png", "blue.png"], **header)
    for name, colour in (("red.png", RED), ("green.png", GREEN), ("blue.png", BLUE)):
        level.images[name] = np.full((4, 4), colour, np.uint32)
    return level


def cell_pixels(picture, x, y):
    """The cell's pixels without its grid lines."""
    return picture[y * S + 1:(y + 1) * S, x * S + 1:(x + 1) * S]


def shade(colour):
    return 0xFF000000 | (int(((colour >> 16) & 0xFF) * WALL_SHADE) << 16) | (int((colour & 0xFF) * WALL_SHADE))


@pytest.mark.parametrize("block, solid_corner, open_corner", [
    ("north_west", (0, 0), (-1, -1)),
    ("north_east", (-1, 0), (0, -1)),
    ("south_east", (0, -1), (-1, 0)),     # solid in its south-west corner
    ("south_west", (-1, -1), (0, 0)),     # solid in its south-east corner
])
def test_top_view_draws_each_half_block_on_its_solid_side(block, solid_corner, open_corner):
    picture = top_view(level_of(block), S, grid=False)
    cell = picture[S:2 * S, 2 * S:3 * S]
    assert cell[solid_corner[1], solid_corner[0]] == shade(BLUE)     # wall texture, darker
    assert cell[open_corner[1], open_corner[0]] == RED                # floor texture
    assert np.count_nonzero(cell == RED) == S * (S - 1) // 2          # pixels on the diagonal are solid
    assert np.count_nonzero(cell == shade(BLUE)) == S * (S + 1) // 2


def test_top_view_surfaces_markers_and_grid():
    level = level_of(start=[1.5, 1.5], entities=[{"position": {"x": 3.5, "y": 1.5}},
                                                 {"position": {"x": 3.5, "y": 2.5}, "sprite": {"sprite": 0}}])
    picture = top_view(level, S)
    assert picture.shape == (4 * S, 5 * S)
    assert (cell_pixels(picture, 0, 0) == shade(BLUE)).all()
    assert (cell_pixels(picture, 1, 2) == SKY).all()            # no floor: open to the sky
    assert (cell_pixels(picture, 2, 2) == MISSING).all()        # texture index past the list
    assert picture[1 * S + S // 2, 1 * S + S // 2] == START
    assert picture[1 * S + S // 2, 3 * S + S // 2] == ENTITY
    assert picture[2 * S + S // 2, 3 * S + S // 2] == SPRITE_ENTITY
    assert picture[S, 3 * S + 1] != picture[S + 1, 3 * S + 1]   # a grid line between the cells
    assert not np.array_equal(picture, top_view(level, S, grid=False))


def test_render_command_writes_both_pictures(tmp_path):
    level = level_of(start=[1.5, 1.5])
    path = tmp_path / "a.lvl"
    write_level(level, path)
    assert main(["render", "--top", "--cell", str(S), str(path), str(tmp_path / "top.png")]) == 0
    assert np.array_equal(argb_of(tmp_path / "top.png"), top_view(level, S))
    # looking east along row 1 from (1.2, 1.5): the half block at (2, 1) is solid on its west side
    out = tmp_path / "view.png"
    assert main(["render", str(path), str(out), "--from", "1.2,1.5", "--facing", "0", "--size", "64x40"]) == 0
    view = argb_of(out)
    assert view.shape == (40, 64)
    red, green, blue = ((view >> shift) & 0xFF for shift in (16, 8, 0))
    assert blue[20, 32] > 200 and red[20, 32] < 50 and green[20, 32] < 50      # the blue wall ahead
    assert green[2, 32] > 200 and red[2, 32] < 50                               # the green ceiling above
    assert main(["render", str(path), str(out), "--from", "7,1"]) == 2
    assert main(["render", str(path), str(out), "--size", "big"]) == 2
    assert main(["render", "--top", str(path), str(tmp_path / "a.lvl" / "top.png")]) == 2   # unwritable output


def argb_of(path):
    import brovaline as b

    texture = b.Texture(str(path))
    return np.array(texture, np.uint32)
