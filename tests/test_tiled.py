"""Tiled maps as levels: round trips through our own export and import, through the real Tiled,
and on random levels; grid tilesets cut into textures; the demo's map."""
import json
import os
import sys
import tempfile
from pathlib import Path

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import brovaline as b
from brovaline_tools.level import read_level
from brovaline_tools.level.cli import main
from brovaline_tools.level.model import LevelData
from brovaline_tools.level.tiled import import_map, read_map, write_map
from tiled_support import (assert_same_level, sample_header, tiled_export, write_picture,
                           write_pictures, write_sample_level)

EXAMPLES = Path(__file__).resolve().parents[1] / "examples"


@pytest.fixture
def level_path(tmp_path):
    return write_sample_level(tmp_path / "level")


@pytest.mark.parametrize("suffix", [".tmx", ".tmj"])
def test_export_then_import_gives_the_same_level(level_path, tmp_path, suffix, capsys):
    map_path = tmp_path / "maps" / ("sample" + suffix)
    assert main(["export", str(level_path), str(map_path)]) == 0
    assert main(["import", str(map_path), str(tmp_path / "out" / "level.lvl")]) == 0
    assert_same_level(level_path, tmp_path / "out" / "level.lvl")
    # pictures from outside the level's directory were copied in beside it
    header = read_level(tmp_path / "out" / "level.lvl").header
    assert all(name.startswith("level.lvl.images/") for name in header["textures"])
    # into the original directory the names are the original ones, and the bytes deterministic
    import_map(map_path, tmp_path / "level" / "again.lvl")
    again = read_level(tmp_path / "level" / "again.lvl")
    assert again.header == dict(read_level(level_path).header)
    assert (tmp_path / "level" / "again.lvl.json").read_bytes() == (tmp_path / "level" / "level.lvl.json").read_bytes()
    first = map_path.read_bytes()
    write_map(again, map_path)
    assert map_path.read_bytes() == first


@pytest.mark.parametrize("ours, theirs", [(".tmx", "json"), (".tmj", "tmx"), (".tmx", "tmx")])
def test_round_trip_through_the_real_tiled(level_path, tmp_path, ours, theirs):
    exported = write_map(read_level(level_path), tmp_path / ("ours" + ours))
    resaved = tiled_export(theirs, exported, tmp_path / "tiled" / ("theirs." + ("tmj" if theirs == "json" else theirs)))
    import_map(resaved, tmp_path / "out" / "level.lvl")
    assert_same_level(level_path, tmp_path / "out" / "level.lvl")


def test_the_engine_loads_an_imported_level_with_a_game_component(level_path, tmp_path):
    import_map(write_map(read_level(level_path), tmp_path / "m.tmj"), tmp_path / "out" / "level.lvl")

    class Health:
        def loadFromDict(self, level, record):
            self.points, self.tags = record["points"], record["tags"]

    b.component("health")(Health)
    try:
        level = b.Level(str(tmp_path / "out" / "level.lvl"))
    finally:
        del b._COMPONENTS["health"], b._COMPONENTS[Health]
    assert (level.fogColor, level.fogDensity, level.groundFogDensity) == ((34, 30, 48), 9, 22)
    assert len(level.textures) == 6 and [len(s.animations) for s in level.sprites] == [2, 1]
    first, second, *_ = level.getEntities()
    position = first.getComponent(b.PositionComponent)
    assert first.id == 1 and (position.x, position.y) == (2.5, 1.5)
    assert first.getComponent(b.SpriteComponent).currentAnimationKey == "walk"
    assert first.getComponent(b.CollisionComponent).hasFlags == ["npc"]
    health = second.getComponent(Health)
    assert (health.points, health.tags) == (7, ["boss"])


def test_grid_tilesets_are_cut_into_one_texture_per_tile(tmp_path, monkeypatch):
    # a 2 x 2 sheet of 4 x 4 tiles with a margin of 1 and a spacing of 2, after a one-picture collection
    sheet = np.zeros((11, 11), np.uint32)
    for tile in range(4):
        x, y = 1 + (tile % 2) * 6, 1 + (tile // 2) * 6
        sheet[y:y + 4, x:x + 4] = 0xFF000010 + tile
    texture = b.Texture(11, 11)
    np.asarray(texture)[...] = sheet
    texture.saveFile(str(tmp_path / "sheet.png"))
    write_picture(tmp_path / "single.png", 4, 4, 9)
    (tmp_path / "grid.tmx").write_text("""<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" tiledversion="1.8.2" orientation="orthogonal" renderorder="right-down" width="3" height="1" tilewidth="4"
     tileheight="4" infinite="0" nextlayerid="3" nextobjectid="1">
 <tileset firstgid="1" name="single" tilewidth="4" tileheight="4" tilecount="1" columns="0">
  <tile id="0"><image width="4" height="4" source="single.png"/></tile>
 </tileset>
 <tileset firstgid="2" source="sets/sheet.tsx"/>
 <layer id="1" name="floor" width="3" height="1"><data encoding="csv">5,1,2</data></layer>
 <layer id="2" name="walls" width="3" height="1"><data encoding="csv">0,0,4</data></layer>
</map>""")
    (tmp_path / "sets").mkdir()
    (tmp_path / "sets" / "sheet.tsx").write_text("""<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="sheet" tilewidth="4" tileheight="4" spacing="2" margin="1"
         tilecount="4" columns="2"><image source="../sheet.png" width="11" height="11"/></tileset>""")
    monkeypatch.chdir(tmp_path)   # a relative map name, an external tileset in another directory
    level = import_map("grid.tmx", "out/level.lvl")
    assert level.grid[0, :, :3].tolist() == [[0, 4, 255], [0, 0, 255], [1, 1, 255]]
    assert level.grid[0, 2, 3:].tolist() == [3, 3, 3, 3]
    names = level.header["textures"]
    assert names[0] == "single.png" or names[0].endswith("/single.png")
    for tile, name in enumerate(names[1:]):
        pixels = np.array(b.Texture(str(tmp_path / "out" / name)))
        assert pixels.shape == (4, 4) and np.all(pixels == 0xFF000010 + tile)


def test_the_demo_map_gives_the_level_the_demo_assets_describe(tmp_path):
    sys.path.insert(0, str(EXAMPLES))
    import make_assets
    from assetgen import sprites, textures

    texture_names, sprite_entries = textures.generate(tmp_path), sprites.generate(tmp_path)
    make_assets.import_level(tmp_path)
    header = read_level(tmp_path / "level.lvl").header
    assert (header["textures"], header["sprites"]) == (texture_names, sprite_entries)
    assert header["skytex"] == "sky.png" and len(header["entities"]) == 15


# Random levels: every block type, floors and ceilings of 255, many textures, game components

PICTURES = 12
names = st.text("abcdefghij_", min_size=1, max_size=6)
scalars = st.one_of(st.booleans(), st.integers(-10**12, 10**12), st.floats(-1e6, 1e6, allow_nan=False),
                    st.text(max_size=8))
values = st.recursive(scalars, lambda inner: st.one_of(st.lists(inner, max_size=3),
                                                       st.dictionaries(names, inner, max_size=3)), max_leaves=6)
components = st.dictionaries(names.filter(lambda n: n not in ("id", "position", "sprite")), values, max_size=3)
coordinate = st.floats(0, 8, allow_nan=False)


@st.composite
def random_levels(draw):
    width, height = draw(st.integers(1, 7)), draw(st.integers(1, 7))
    textures = draw(st.integers(1, PICTURES))
    cells = draw(st.lists(st.tuples(st.integers(0, 5), st.sampled_from([*range(textures), 255]),
                                    st.sampled_from([*range(textures), 255]),
                                    *[st.integers(0, textures - 1)] * 4),
                          min_size=width * height, max_size=width * height))
    entities = []
    for _ in range(draw(st.integers(0, 4))):
        entity = dict(draw(components))
        if draw(st.booleans()):
            entity["id"] = draw(st.integers(-1000, 1000))
        if draw(st.booleans()):
            entity["position"] = {"x": draw(coordinate), "y": draw(coordinate)}
        if draw(st.booleans()):
            entity["sprite"] = {"sprite": draw(st.integers(0, 1)), "scale": draw(st.floats(0.1, 3))}
        entities.append(entity)
    header = sample_header(textures=textures, entities=entities)
    header["textures"] = [f"tex{i % PICTURES}.png" for i in draw(st.permutations(range(PICTURES)))[:textures]]
    header.update(draw(st.dictionaries(names.map(lambda n: "x" + n), values, max_size=3)))
    return LevelData(np.array(cells, np.uint8).reshape(height, width, 7), header)


@pytest.fixture(scope="module")
def pictures(tmp_path_factory):
    directory = tmp_path_factory.mktemp("pictures")
    write_pictures(directory, textures=PICTURES)
    return directory


@settings(max_examples=60, deadline=None, suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(level=random_levels(), suffix=st.sampled_from([".tmx", ".tmj"]))
def test_random_levels_survive_export_and_import(pictures, level, suffix):
    level.assets_dir = str(pictures)
    with tempfile.TemporaryDirectory(dir=pictures) as directory:
        back = read_map(write_map(level, Path(directory) / ("random" + suffix)))
    back.header = dict(back.header, textures=[os.path.basename(n) for n in back.header["textures"]],
                       skytex=os.path.basename(back.header["skytex"]),
                       sprites=[dict(s, texture="sheets/" + os.path.basename(s["texture"]))
                                for s in back.header["sprites"]])
    assert back.grid.tobytes() == level.grid.tobytes()
    assert back.header == dict(level.header, width=level.width, height=level.height)
    json.dumps(back.header, allow_nan=False)   # plain JSON values only, as the header file needs
