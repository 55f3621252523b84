"""`check`: each kind of problem is found, at its cell or entity, with the right severity; exit statuses."""
import numpy as np
import pytest

from brovaline_tools.level import Cell, check_level, level_from_text, write_level
from brovaline_tools.level.cli import main

LEGEND = {"#": Cell("square"), ".": Cell(), "/": Cell("north_west"), "\\": Cell("south_west"),
          "^": Cell("north_east"), "v": Cell("south_east")}
ROOM = """
#######
#.....#
#./...#
#.....#
#######
"""


def room(text=ROOM, **header):
    header.setdefault("start", [1.5, 1.5])
    level = level_from_text(text, LEGEND, textures=["t.png"], **header)
    level.images["t.png"] = np.full((2, 2), 0xFF808080, np.uint32)
    return level


def found(level):
    """(severity, first cell or subject, message) of every finding."""
    return {(f.severity, tuple(int(v) for v in f.cells[0]) if len(f.cells) else f.subject, f.message)
            for f in check_level(level)}


def set_byte(x, y, k, value):
    def change(level):
        level.grid[y, x, k] = value
    return change


def entity(x, y, **more):
    def change(level):
        level.header["entities"] = [dict({"id": 3, "position": {"x": x, "y": y}}, **more)]
    return change


def both(*changes):
    def change(level):
        for c in changes:
            c(level)
    return change


@pytest.mark.parametrize("change, severity, place, fragment", [
    (set_byte(3, 2, 1, 5), "error", (3, 2), "floor texture index 5 is past the 1 textures"),
    (set_byte(3, 2, 2, 1), "error", (3, 2), "ceiling texture index 1"),
    # the wall's outer face is never seen, the inner one is
    (both(set_byte(3, 0, 3, 9), set_byte(3, 0, 5, 9)), "error", (3, 0), "south face texture index 9"),
    # a half block's open side shows on its diagonal
    (set_byte(2, 2, 4, 9), "error", (2, 2), "east face texture index 9"),
    (set_byte(4, 2, 0, 9), "error", (4, 2), "unknown block type 9"),
    (set_byte(3, 0, 0, 0), "error", (3, 0), "open north border"),
    (set_byte(0, 2, 0, 0), "error", (0, 2), "open west border"),
    (entity(0.5, 0.5), "error", "entity 0 (id 3)", "inside the solid part of cell (0, 0) (block type 1)"),
    (entity(2.2, 2.3), "error", "entity 0 (id 3)", "inside the solid part of cell (2, 2) (block type 2)"),
    (entity(9, 1), "error", "entity 0 (id 3)", "(9, 1) is outside the 7 x 5 grid"),
    (entity(3, 1, sprite={"sprite": 0}), "error", "entity 0 (id 3)", "sprite index 0 is not one of the 0 sprites"),
    (lambda level: level.header.update(start=[0.5, 2.5]), "error", "the start", "inside the solid part"),
    (lambda level: level.header.update(start="middle"), "error", "header key 'start'", "must be [x, y]"),
    (lambda level: level.header.pop("start"), "warning", "header key 'start'", "no start marker"),
    (lambda level: level.images.clear(), "error", "'textures'[0]", "the image ./t.png is missing"),
    (lambda level: setattr(level, "grid_file_bytes", 5), "error", "grid file <level text>", "has 5 bytes, but 7 x 5"),
])
def test_each_problem_is_found_at_its_place(change, severity, place, fragment):
    level = room()
    assert not check_level(level)
    change(level)
    findings = found(level)
    assert len(findings) == 1, findings
    (got_severity, got_place, message), = findings
    assert (got_severity, got_place) == (severity, place)
    assert fragment in message


def test_half_blocks_are_solid_only_in_their_solid_triangle():
    level = room()
    entity(2.8, 2.7)(level)                       # in the open triangle of the half block at (2, 2)
    level.grid[0, 3, 0] = 2                       # on the border, solid towards the outside
    assert not check_level(level)


@pytest.mark.parametrize("middle, unreachable", [
    (".", []),
    ("#", [(1, 1), (1, 2), (1, 3)]),
    ("/", [(1, 1), (1, 2), (1, 3)]),              # open to the south and east: joins the right side only
    ("\\", [(1, 1), (1, 2), (1, 3), (2, 2)]),     # open to the north and west: joins the left side only
    ("v", []),                            # open to the north and east, and its west side is solid...
])
def test_reachability_follows_the_open_sides_of_half_blocks(middle, unreachable):
    text = f"""
    #####
    #.#.#
    #.{middle}.#
    #.#.#
    #####
    """
    if middle == "v":   # ...so the left side joins through the row below instead
        text = text.replace("#.#.#\n    #####", "#...#\n    #####")
    level = room(text, start=[3.5, 1.5])
    cells = sorted(tuple(map(int, xy)) for f in check_level(level) for xy in f.cells)
    assert cells == unreachable
    assert all(f.severity == "warning" for f in check_level(level))


def test_cells_touching_at_a_corner_do_not_connect_and_each_area_is_one_finding():
    level = room("""
    #####
    #.###
    ##.##
    ###.#
    #####
    """)
    findings = check_level(level)
    assert [f.cells.tolist() for f in findings] == [[[2, 2]], [[3, 3]]]


def test_exit_statuses_and_listing(tmp_path, capsys):
    path = tmp_path / "a.lvl"
    level = room()
    write_level(level, path)
    assert main(["check", str(path)]) == 0
    level.header.pop("start")
    write_level(level, path)
    assert main(["check", str(path)]) == 0                          # warnings alone
    level.grid[1:4, 2, 1] = 7
    write_level(level, path)
    capsys.readouterr()
    assert main(["check", str(path)]) == 1
    out = capsys.readouterr().out
    assert f"{path}: error: cell (2, 1): floor texture index 7 is past the 1 textures" in out
    assert f"{path}: error: cell (2, 3): floor" in out
    assert out.endswith("1 error, 1 warning\n")
    path.with_name("a.lvl.json").write_text("{not json")
    assert main(["check", str(path)]) == 2
    assert "a.lvl.json: line 1 column 2" in capsys.readouterr().err
    assert main(["check", str(tmp_path / "none.lvl")]) == 2


def test_long_lists_of_cells_are_cut_unless_all_are_asked_for(tmp_path, capsys):
    level = room()
    level.grid[1:4, 1:6, 1] = 7     # 14 open cells (one is the half block)
    path = tmp_path / "a.lvl"
    write_level(level, path)
    main(["check", str(path)])
    lines = capsys.readouterr().out.splitlines()
    assert len(lines) == 12 and lines[10].endswith("error: 5 more cells: floor texture index 7 is past the 1 textures")
    main(["check", "--all", str(path)])
    assert len(capsys.readouterr().out.splitlines()) == 16
