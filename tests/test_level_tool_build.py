"""Building levels from text and arrays: the bytes each form gives, and the errors that name the cell."""
import os
from pathlib import Path

import numpy as np
import pytest

import brovaline as b
from brovaline_tools.level import Cell, LevelInputError, level_from_arrays, level_from_text, write_level
from brovaline_tools.level.cli import main

LEGEND = {
    "#": Cell("square", walls=3),
    ".": Cell(floor=1, ceiling=255),
    "/": Cell("north_west", floor=1, ceiling=2, walls=4, east=5),
    "x": (b.BLOCK_TRIANGLE_SOUTH_WEST, 1, 2, 6, 7, 8, 9),
    "o": {"block": 4, "floor": 1, "walls": 2},
}


def test_text_cells_become_the_engine_bytes_the_engine_reads_back(tmp_path):
    level = level_from_text("""
        ####
        #/.#
        #xo#
        ####
    """, LEGEND, textures=["t.png"], start=[2.5, 1.5])
    assert (level.width, level.height) == (4, 4)
    assert level.header["start"] == [2.5, 1.5]
    path = tmp_path / "a.lvl"
    write_level(level, path)
    b.Texture(2, 2).saveFile(str(tmp_path / "t.png"))
    engine_level = b.Level(str(path))
    assert engine_level.getBlock(1, 1) == b.BLOCK_TRIANGLE_NORTH_WEST
    assert engine_level.getTextureIndex(b.TEXTURE_EAST, 1, 1) == 5
    raw = np.fromfile(path, np.uint8).reshape(4, 4, 7)
    assert raw[0, 0].tolist() == [1, 0, 0, 3, 3, 3, 3]
    assert raw[1, 1].tolist() == [b.BLOCK_TRIANGLE_NORTH_WEST, 1, 2, 4, 5, 4, 4]
    assert raw[1, 2].tolist() == [0, 1, 255, 0, 0, 0, 0]
    assert raw[2, 1].tolist() == [5, 1, 2, 6, 7, 8, 9]
    assert raw[2, 2].tolist() == [4, 1, 0, 2, 2, 2, 2]


def test_arrays_broadcast_and_named_faces_override_walls():
    blocks = np.array([[1, 1, 1], [1, 0, 1]], np.uint8)
    floor = np.arange(6).reshape(2, 3)
    level = level_from_arrays(blocks, floor=floor, ceiling=255, walls=7, south=9, fogDensity=3)
    assert level.grid.shape == (2, 3, 7)
    assert level.grid[1, 1].tolist() == [0, 4, 255, 7, 7, 9, 7]
    assert level.header == {"fogDensity": 3, "width": 3, "height": 2}


@pytest.mark.parametrize("text, legend, where", [
    ("##\n#?", {"#": Cell("square")}, "cell (1, 1)"),
    ("###\n#", {"#": Cell("square")}, "row 1"),
    ("#", {"#": Cell("diamond")}, "legend '#'"),
    ("#", {"#": Cell(floor=256)}, "legend '#'"),
    ("#", {"#": (1, 2, 3)}, "legend '#'"),
])
def test_bad_text_names_the_place(text, legend, where):
    with pytest.raises(LevelInputError) as e:
        level_from_text(text, legend)
    assert e.value.where == where


@pytest.mark.parametrize("kwargs, message", [
    ({"block": np.zeros(4, np.uint8)}, "2-D"),
    ({"block": np.zeros((2, 2), np.uint8), "floor": np.full((2, 2), 300)}, "0-255"),
    ({"block": np.zeros((2, 2), np.uint8), "floor": np.zeros((3, 2), np.uint8)}, "shape"),
    ({"block": np.zeros((2, 2), np.uint8), "walls": 1.5}, "integers"),
])
def test_bad_arrays_are_refused(kwargs, message):
    with pytest.raises(LevelInputError, match=message):
        level_from_arrays(**kwargs)


def test_the_readme_example_builds_checks_and_writes(tmp_path, monkeypatch, capsys):
    readme = (Path(__file__).resolve().parents[1] / "README.md").read_text()
    section = readme.split("## Making levels", 1)[1]
    code = section.split("```python\n", 1)[1].split("```", 1)[0]
    monkeypatch.chdir(tmp_path)
    exec(compile(code, "README.md", "exec"), {})
    printed = capsys.readouterr().out.splitlines()
    assert len(printed) == 3 and all("is missing" in line for line in printed)
    assert (tmp_path / "room.lvl").stat().st_size == 6 * 4 * 7
    assert (tmp_path / "room.lvl").stat().st_mode & 0o777 == 0o666 & ~_umask()


def _umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


def test_new_writes_a_clean_walled_level_that_the_engine_loads(tmp_path, capsys):
    path = tmp_path / "n.lvl"
    assert main(["new", "12", "8", str(path)]) == 0
    assert main(["check", str(path)]) == 0 and "0 errors, 0 warnings" in capsys.readouterr().out
    level = b.Level(str(path))
    assert (level.getBlock(0, 0), level.getBlock(11, 7), level.getBlock(5, 4)) == (1, 1, 0)
    assert level.textures[0].getSize() == (64, 64) and level.metadata["start"] == [6.0, 4.0]
    assert main(["new", "12", "8", str(path)]) == 2               # kept without --force
    assert main(["new", "2", "9", str(tmp_path / "m.lvl")]) == 2
    assert "2 x 9 leaves no room" in capsys.readouterr().err
