"""Maps that cannot be levels: each gives exit status 2 and a message naming the file and the
layer, tile or cell, and leaves no level behind (an existing one stays as it was)."""
import json

import pytest

from brovaline_tools.level.cli import main
from brovaline_tools.level.model import LevelData
from brovaline_tools.level.tiled import write_map
from tiled_support import write_sample_level


@pytest.fixture(scope="module")
def maps(tmp_path_factory):
    """The sample level exported as sample.tmx and sample.tmj, with its pictures."""
    directory = tmp_path_factory.mktemp("maps")
    level = write_sample_level(directory / "level")
    assert main(["export", str(level), str(directory / "sample.tmx")]) == 0
    assert main(["export", str(level), str(directory / "sample.tmj")]) == 0
    return directory


def tmx_edit(old, new):
    return lambda text: _replace(text, old, new)


def tmj_edit(change):
    def edit(text):
        tiled_map = json.loads(text)
        change(tiled_map)
        return json.dumps(tiled_map)
    return edit


def _replace(text, old, new):
    assert old in text
    return text.replace(old, new, 1)


def _layer(name):
    return lambda m: next(layer for layer in m["layers"] if layer["name"] == name)


def _set_floor_tile(m, value):
    _layer("floor")(m)["data"][7] = value


def _textures(m):
    return m["tilesets"][0]


CASES = {
    "malformed XML": (".tmx", tmx_edit("</map>", ""), ["malformed XML", "line"]),
    "malformed JSON": (".tmj", lambda t: t[:-30], ["malformed JSON", "line"]),
    "infinite map": (".tmx", tmx_edit('infinite="0"', 'infinite="1"'), ["infinite"]),
    "isometric map": (".tmj", tmj_edit(lambda m: m.update(orientation="isometric")), ["isometric", "orthogonal"]),
    "unknown tile id": (".tmj", tmj_edit(lambda m: _set_floor_tile(m, 999)),
                        ["layer 'floor' cell (1, 1)", "tile 999 is an unknown tile id"]),
    "block shape on the floor": (".tmj", tmj_edit(lambda m: _set_floor_tile(m, 12)),
                                 ["layer 'floor' cell (1, 1)", "a block shape", "takes a texture"]),
    "flipped tile": (".tmj", tmj_edit(lambda m: _set_floor_tile(m, 0x80000001)), ["layer 'floor' cell (1, 1)", "flipped"]),
    "missing image": (".tmx", tmx_edit("tex3.png", "gone.png"), ["tileset 'textures' tile 3", "gone.png", "does not exist"]),
    "grid tileset larger than its image": (
        ".tmj", tmj_edit(lambda m: _textures(m).update(tiles=[], columns=4, tilecount=8, image="level/tex0.png",
                                                       imagewidth=8, imageheight=8, tilewidth=4, tileheight=4)),
        ["tileset 'textures'", "8 tiles of 4 x 4 in 4 columns do not fit its 8 x 8 image"]),
    "too many cells": (".tmx", tmx_edit('width="6" height="5"', 'width="5000" height="4000"'), ["engine's limit"]),
    "unknown layer": (".tmj", tmj_edit(lambda m: _layer("walls")(m).update(name="wall")), ["layer 'wall'", "unknown"]),
    "layer of the wrong size": (".tmj", tmj_edit(lambda m: _layer("floor")(m)["data"].pop()),
                                ["layer 'floor'", "6 x 5 cells"]),
    "fog density as text": (".tmx", tmx_edit('name="fogDensity" type="int" value="9"', 'name="fogDensity" value="9"'),
                            ["map property 'fogDensity'", "must be an int"]),
    "fog colour as text": (".tmx", tmx_edit('name="fogColor" type="color"', 'name="fogColor"'),
                           ["map property 'fogColor'", "must be a color"]),
    "int property that is no number": (".tmx", tmx_edit('type="int" value="9"', 'type="int" value="nine"'),
                                       ["<map>", "property 'fogDensity' is of type int but holds 'nine'"]),
    "frame count of 0": (".tmx", tmx_edit('name="xFrames" type="int" value="4"', 'name="xFrames" type="int" value="0"'),
                         ["tileset 'sprites' tile 0", "'xFrames'"]),
    "unknown block name": (".tmx", tmx_edit('value="north-east"', 'value="ne"'),
                           ["tileset 'blocks' tile 3", "'block' is 'ne'"]),
    "component that is not JSON": (".tmx", tmx_edit('name="marker" value="{}"', 'name="marker" value="{oops"'),
                                   ["layer 'entities' object 4", "property 'marker' is not valid JSON"]),
    "entity id as text": (".tmx", tmx_edit('name="id" type="int" value="2"', 'name="id" value="two"'),
                          ["layer 'entities' object 3", "property 'id' must be an int"]),
    "object showing a texture": (".tmj", tmj_edit(lambda m: _layer("entities")(m)["objects"][1].update(gid=2)),
                                 ["layer 'entities' object 2", "not a sprite sheet"]),
    "two start markers": (".tmj", tmj_edit(lambda m: _layer("entities")(m)["objects"].append(
        dict(_layer("entities")(m)["objects"][0], id=99))), ["layer 'entities' object 99", "second start"]),
}


@pytest.mark.parametrize("case", CASES)
def test_unusable_maps_are_refused_by_name_and_write_nothing(maps, tmp_path, capsys, case):
    suffix, edit, expected = CASES[case]
    source = (maps / ("sample" + suffix)).read_text()
    bad = maps / f"bad-{case.replace(' ', '-')}{suffix}"
    bad.write_text(edit(source))
    target = tmp_path / "out" / "level.lvl"
    target.parent.mkdir()
    target.write_bytes(b"old grid")
    assert main(["import", str(bad), str(target)]) == 2
    message = capsys.readouterr().err
    assert message.startswith(f"brovaline-level import: {bad}: ")
    for part in expected:
        assert part in message
    assert sorted(p.name for p in target.parent.iterdir()) == ["level.lvl"] and target.read_bytes() == b"old grid"


@pytest.mark.parametrize("change, expected", [
    (lambda grid, header: grid.__setitem__((1, 2, 0), 9), "cell (2, 1): has block type 9"),
    (lambda grid, header: grid.__setitem__((0, 3, 1), 6), "cell (3, 0): has floor texture 6, but the level has 6"),
    (lambda grid, header: header["textures"].append("gone.png"), "textures 6 (gone.png): image file"),
    (lambda grid, header: header["entities"].append({"id": "seven"}), "entity 4: 'id' is 'seven'"),
])
def test_levels_that_a_map_cannot_hold_are_refused(tmp_path, capsys, change, expected):
    level = write_sample_level(tmp_path / "level")
    from brovaline_tools.level import read_level

    data = read_level(level)
    change(data.grid, data.header)
    with pytest.raises(Exception) as error:
        write_map(LevelData(data.grid, data.header, data.assets_dir, source=str(level)), tmp_path / "m.tmx")
    assert expected in str(error.value) and str(level) in str(error.value)
    assert not (tmp_path / "m.tmx").exists() and not (tmp_path / "m.tiles").exists()
