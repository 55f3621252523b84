import json
import sys

import pytest
from PIL import Image

import brovaline as b


def write_level(directory, header, grid=b"", name="a.lvl"):
    """Writes a level file pair and returns the grid file's path as a str."""
    path = directory / name
    path.write_bytes(grid)
    (directory / (name + ".json")).write_text(header if isinstance(header, str) else json.dumps(header))
    return str(path)


def write_png(path, size=(8, 8)):
    Image.new("RGBA", size, (200, 10, 10, 255)).save(path)
    return path


@pytest.fixture
def unraisable(monkeypatch):
    """Collects the errors reported as unraisable: (context, exception) pairs."""
    seen = []
    monkeypatch.setattr(sys, "unraisablehook", lambda u: seen.append((u.object, u.exc_value)))
    return seen


@pytest.fixture
def default_level(capsys):
    level = b.Level()
    return level, capsys.readouterr().out.splitlines()


def test_ascii_cells():  # the constants' values are checked against the stub (test_stubs.py)
    assert b.ASCII_CELLS == ["\u25a1", "\u25a0", "\u25e4", "\u25e5", "\u25e3", "\u25e2"]


def test_default_level(default_level):
    level, lines = default_level
    assert (level.width, level.height, level.getSize()) == (30, 30, (30, 30))
    assert level.metadata == {"width": 30, "height": 30, "fogColor": [0, 0, 0], "fogDensity": 5}
    assert (level._width, level._height) == (30, 30) and level._metadata is level.metadata
    with pytest.raises(AttributeError):
        level._width = 40  # the grid size is fixed
    assert level.filename == "???" and level._assetsPath is None
    [checker] = level.textures
    assert (checker.width, checker.height) == (64, 64) and level._textureSurfaces == (checker,)
    for y in range(30):
        for x in range(30):
            border = x in (0, 29) or y in (0, 29)
            assert level.getBlock(x, y) == (b.BLOCK_SQUARE if border else b.BLOCK_EMPTY)
            assert all(level.getTextureIndex(k, x, y) == 0 for k in range(1, 7))
    assert len(lines) == 32 and lines[0] == "INIT EMPTY LEVEL"
    assert lines[1] == "    " + "".join(f"{x} " for x in range(30))
    assert lines[2] == "  0 " + "\u25a0 " * 30
    assert lines[3] == "  1 \u25a0 " + "\u25a1 " * 28 + "\u25a0 "


def test_print_level_wraps_column_numbers(default_level, capsys):
    level, _ = default_level
    level.setBlock(b.BLOCK_TRIANGLE_SOUTH_WEST, 1, 1)
    level.printLevel()
    lines = capsys.readouterr().out.splitlines()
    assert lines[0] == "    " + "".join(f"{x % 10} " for x in range(30))
    assert lines[2].startswith("  1 \u25a0 \u25e2 \u25a1 ")


def test_cell_accessors(default_level, tmp_path):
    level, _ = default_level
    level.setTextureIndex(7, b.TEXTURE_EAST, 2, 3)
    level.setBlock(257, 4, 5)
    level.setTextureIndex(-1, b.TEXTURE_FLOOR, 4, 5)
    assert level.getTextureIndex(b.TEXTURE_EAST, 2, 3) == 7
    assert level.getBlock(4, 5) == 1 and level.getTextureIndex(b.TEXTURE_FLOOR, 4, 5) == 255
    assert level.getTexture(b.TEXTURE_NORTH, 1, 1) is level.textures[0]
    assert level.getTexture(b.TEXTURE_FLOOR, 4, 5) is None
    level.setTextureIndex(1, b.TEXTURE_SOUTH, 1, 1)  # index == number of textures
    assert level.getTexture(b.TEXTURE_SOUTH, 1, 1) is None
    path = str(tmp_path / "g.lvl")
    level.saveFile(path)
    grid = (tmp_path / "g.lvl").read_bytes()
    assert len(grid) == 30 * 30 * 7
    assert grid[(2 + 3 * 30) * 7 + 4] == 7 and grid[(4 + 5 * 30) * 7] == 1


@pytest.mark.parametrize("call, error", [
    (lambda l: l.getBlock(30, 0), IndexError), (lambda l: l.getBlock(0, -1), IndexError),
    (lambda l: l.setBlock(1, -1, 3), IndexError), (lambda l: l.getTextureIndex(7, 1, 1), IndexError),
    (lambda l: l.setTextureIndex(1, -1, 1, 1), IndexError), (lambda l: l.getTexture(3, 1, 30), IndexError),
    (lambda l: l.getBlock(1.0, 1), TypeError), (lambda l: l.setBlock(2**40, 1, 1), OverflowError),
    (lambda l: l.getBlock(1), TypeError),
])
def test_accessors_refuse_bad_cells_and_arguments(default_level, call, error):
    with pytest.raises(error):
        call(default_level[0])


def test_grid_changes_are_saved_header_fog_changes_are_not(tmp_path):
    level = b.Level(write_level(tmp_path, {"width": 2, "height": 2, "fogColor": [1, 2, 3]}))
    level.setBlock(b.BLOCK_TRIANGLE_NORTH_EAST, 1, 1)
    level.fogColor = (10, 20, 30)
    assert level._fogColor == 0xFF0A141E and level.fogColor == (10, 20, 30)
    level.saveFile(str(tmp_path / "b.lvl"))
    saved = b.Level(str(tmp_path / "b.lvl"))
    assert saved.getBlock(1, 1) == b.BLOCK_TRIANGLE_NORTH_EAST and saved.fogColor == (1, 2, 3)


def test_grid_file_shorter_or_longer_than_the_header_says(tmp_path):
    short = b.Level(write_level(tmp_path, {"width": 3, "height": 2}, b"\x01\x02"))  # padded with empty cells
    assert short.getBlock(0, 0) == 1 and short.getTextureIndex(b.TEXTURE_FLOOR, 0, 0) == 2
    assert short.getTextureIndex(b.TEXTURE_CEILING, 0, 0) == 0
    empty = b.Level(write_level(tmp_path, {"width": 3, "height": 2}, name="e.lvl"))
    assert all(empty.getBlock(x, y) == 0 for x in range(3) for y in range(2))
    path = write_level(tmp_path, {"width": 2, "height": 1}, bytes(range(1, 15)) + b"\xff" * 100, name="l.lvl")
    long = b.Level(path)  # read up to the grid's size; the rest is dropped on save
    assert long.getBlock(1, 0) == 8 and long.getTextureIndex(b.TEXTURE_WEST, 1, 0) == 14
    long.saveFile(path)
    assert open(path, "rb").read() == bytes(range(1, 15))


@pytest.mark.parametrize("header, message", [
    ({}, "The 'width' property is required"),
    ({"width": 4}, "The 'height' property is required"),
    ({"height": 4}, "The 'width' property is required"),
    ({"width": "4", "height": 4}, "The 'width' property requires an int value"),
    ({"width": True, "height": 4}, "The 'width' property requires an int value"),
    ({"width": 4, "height": 3.0}, "The 'height' property requires an int value"),
    ({"width": 0, "height": 4}, "The 'width' property must be positive"),
    ({"width": 4, "height": -2}, "The 'height' property must be positive"),
    ({"width": 2**40, "height": 1}, "The 'width' property is too large"),
    ({"width": 100000, "height": 100000}, "The level is too large: 100000 x 100000 cells, at most 16777216"),
    ({"width": 4096, "height": 4097}, "The level is too large: 4096 x 4097 cells, at most 16777216"),
    ({"width": 2**24 + 1, "height": 1}, "The 'width' property is too large"),
    ([1, 2], "The header must be a JSON object"),
])
def test_header_errors(tmp_path, header, message):
    path = write_level(tmp_path, header)
    with pytest.raises(b.LevelFormatException) as info:
        b.Level(path)
    assert info.value.msg.startswith(message) and info.value.filename == path


def test_invalid_json(tmp_path):
    path = write_level(tmp_path, '{"width": 4,')
    with pytest.raises(b.LevelFormatException) as info:
        b.Level(path)
    try:
        json.loads('{"width": 4,')
    except ValueError as e:
        decoder_message = str(e)
    assert info.value.msg == "Invalid JSON header: " + decoder_message


def test_missing_files_and_constructor_arguments(tmp_path):
    with pytest.raises(FileNotFoundError):
        b.Level(str(tmp_path / "nothing.lvl"))
    (tmp_path / "x.lvl.json").write_text('{"width": 1, "height": 1}')
    with pytest.raises(FileNotFoundError):
        b.Level(str(tmp_path / "x.lvl"))
    with pytest.raises(TypeError):
        b.Level(None, 3)
    level = b.Level(write_level(tmp_path, {"width": 1, "height": 1}), assetsPath="/assets")
    assert level._assetsPath == "/assets"


def test_load_metadata_keeps_the_grid_size(default_level):
    level, _ = default_level
    level._loadMetadata("m.lvl", '{"width": 2, "height": 2, "x": 1}')
    assert level.metadata == {"width": 2, "height": 2, "x": 1} and level.getSize() == (2, 2)
    assert level.width == 30 and level.getBlock(29, 29) == b.BLOCK_SQUARE


def test_fog_settings(tmp_path, default_level):
    level = b.Level(write_level(tmp_path, {"width": 1, "height": 1}))
    assert (level.fogColor, level.fogDensity, level.groundFogColor, level.groundFogDensity) == \
        ((0, 0, 0), 5, (255, 255, 255), 0)
    level = b.Level(write_level(tmp_path, {"width": 1, "height": 1, "groundFogColor": [1, 2, 3],
                                           "groundFogDensity": 4, "fogDensity": 7}))
    assert (level._groundFogColor, level.groundFogDensity, level.fogDensity) == (0xFF010203, 4, 7)
    assert (level._fogColor, level._groundFogDensity, level._fogDensity) == (0xFF000000, 4, 7)
    level.groundFogColor = [255, 0, 0]
    assert level.groundFogColor == (255, 0, 0)
    for bad in [(1, 2), (1, 2, 3, 4), (256, 0, 0), (-1, 0, 0)]:
        with pytest.raises(ValueError):
            level.fogColor = bad
    with pytest.raises(NotImplementedError):
        del level.fogColor


@pytest.mark.parametrize("bad", [{"fogColor": [1, 2]}, {"fogColor": 3}, {"fogColor": [1, 2, 300]}])
def test_a_bad_fog_colour_does_not_drop_the_other_fog_settings(tmp_path, unraisable, bad):
    header = dict({"width": 2, "height": 1, "fogDensity": 9, "groundFogColor": [4, 5, 6], "groundFogDensity": 3},
                  **bad)
    path = write_level(tmp_path, header)
    level = b.Level(path)
    [(context, error)] = unraisable
    assert context == "brovaline.Level._loadFogSettings" and isinstance(error, (ValueError, TypeError))
    assert str(error).startswith(f"'{path}.json': fogColor = {bad['fogColor']!r}: ")
    assert level.width == 2 and level._fogColor == 0xFF000000  # the default colour
    assert (level.fogDensity, level.groundFogColor, level.groundFogDensity) == (9, (4, 5, 6), 3)


def test_each_bad_fog_setting_is_reported_on_its_own(tmp_path, unraisable):
    header = {"width": 1, "height": 1, "fogColor": "red", "groundFogColor": [1, 2, 3], "fogDensity": "x"}
    level = b.Level(write_level(tmp_path, header))
    assert len(unraisable) == 2
    assert (level.fogColor, level.fogDensity, level.groundFogColor) == ((0, 0, 0), 5, (1, 2, 3))


def test_convert_path(default_level):
    level, _ = default_level
    assert level._convertPath("wall.png") == "wall.png"
    level._assetsPath = "maps"
    assert level._convertPath("wall.png") == "maps/wall.png"
    assert level._convertPath("/data/wall.png") == "/data/wall.png"
    with pytest.raises(TypeError):
        level._assetsPath = 1


def test_assets(tmp_path):
    (tmp_path / "art").mkdir()
    write_png(tmp_path / "art" / "wall.png", (16, 8))
    write_png(tmp_path / "art" / "sky.png")
    write_png(tmp_path / "art" / "guard.png", (64, 32))
    header = {
        "width": 2, "height": 2, "skytex": "art/sky.png", "textures": ["art/wall.png", "art/sky.png"],
        "sprites": [
            {"texture": "art/guard.png"},
            {"texture": "art/guard.png", "xFrames": 4, "yFrames": 2,
             "animations": {"walk": {"frames": 2, "directions": 2}, "die": {"frames": 3, "oscillate": 1,
                                                                             "speed": 0.5, "startFrame": 4}}},
        ],
    }
    level = b.Level(write_level(tmp_path, header))
    assert level._assetsPath == str(tmp_path)
    assert level._skyTex.width == 8
    assert [t.width for t in level.textures] == [16, 8] and level._textureSurfaces == tuple(level.textures)
    plain, guard = level.sprites
    assert (plain.width, plain.height, list(plain.animations)) == (64, 32, ["_"])
    assert (guard.width, guard.height, list(guard.animations)) == (16, 16, ["walk", "die"])
    c = b.SpriteComponent(guard)
    c.currentAnimationKey = "die"
    assert (c._currentMinFrame, c._currentMaxFrame, c._animationSpeed) == (4, 7, 0.5)
    c.currentAnimationKey = "walk"
    assert (c._currentDirections, c._animationSpeed) == (2, 0.1)


# Asset errors name the header file and the entry: in the message ("'d/a.lvl.json': sprites[1] has no
# 'texture'"), or, for the image error whose text is fixed, in a note.
@pytest.mark.parametrize("extra, error, where", [
    ({"textures": ["ok.png", "missing.png"]}, IOError, "textures[1]"),
    ({"skytex": "missing.png"}, IOError, "skytex"),
    ({"sprites": [{"texture": "missing.png"}]}, IOError, "sprites[0]"),
    ({"sprites": [{"texture": "ok.png"}, {"xFrames": 2}]}, KeyError, "sprites[1] has no 'texture'"),
    ({"sprites": [{"texture": "ok.png", "animations": {"a": {"speed": 1}}}]}, KeyError,
     "sprites[0].animations['a'] has no 'frames'"),
    ({"sprites": [{"texture": "ok.png", "animations": {"a": {"frames": 0}}}]}, ValueError,
     "sprites[0].animations['a']: SpriteAnimation frameCount must be at least 1 (got 0)"),
    ({"sprites": [{"texture": "ok.png", "animations": {"a": {"frames": 2}, "b": {"frames": 1, "directions": 0}}}]},
     ValueError, "sprites[0].animations['b']: SpriteAnimation directions must be at least 1 (got 0)"),
    ({"sprites": [{"texture": "ok.png", "xFrames": 0}]}, ValueError, "sprites[0]: "),
    ({"textures": "ok.png"}, TypeError, None),
])
def test_asset_errors_name_the_file_and_entry(tmp_path, extra, error, where):
    write_png(tmp_path / "ok.png")
    path = write_level(tmp_path, dict({"width": 1, "height": 1}, **extra))
    with pytest.raises(error) as caught:
        b.Level(path)
    if error is IOError:
        assert str(caught.value) == f"Unable to load image file '{tmp_path / 'missing.png'}'"
        assert caught.value.__notes__ == [f"in '{path}.json': {where}"]
    elif where:
        assert str(caught.value.args[0]).startswith(f"'{path}.json': {where}")


def entity_level(tmp_path, entities, sprites=()):
    write_png(tmp_path / "s.png")
    header = {"width": 1, "height": 1, "entities": entities, "sprites": [{"texture": "s.png"} for _ in sprites]}
    return b.Level(write_level(tmp_path, header))


def test_entities_are_loaded(tmp_path):
    level = entity_level(tmp_path, [
        {"id": 7, "position": {"x": 1, "y": 2}},
        {"velocity": {"x": 1, "y": 0}, "collision": {}, "sprite": {"sprite": 0}},
    ], sprites=[0])
    first, second = level.getEntities()
    assert first.id == 7 and list(first._components) == [b.PositionComponent]
    assert first.getComponent(b.PositionComponent).y == 2.0
    assert second.id == -1
    assert level.getEntities(b.VelocityComponent, b.SpriteComponent) == [second]
    assert level.getEntities(b.PositionComponent, b.SpriteComponent) == []
    assert level.getEntities() is level.getEntities() is level._entities


def test_a_bad_entity_is_reported_and_the_rest_load_and_save(tmp_path, unraisable):
    level = entity_level(tmp_path, [{"id": 1, "position": {"x": 1, "y": 1}}, {"id": 2, "position": {"x": 1}},
                                    {"id": 3, "position": {"x": 2, "y": 2}}, {"id": "x"}, {"id": 5}])
    assert [e.id for e in level.getEntities()] == [1, 3, 5]
    (context, error), (_, bad_id) = unraisable
    assert context == "brovaline.Level._loadEntities" and isinstance(error, KeyError)
    assert isinstance(bad_id, ValueError)
    out = str(tmp_path / "saved.lvl")
    level.saveFile(out)
    assert [e.id for e in b.Level(out).getEntities()] == [1, 3, 5]


@pytest.mark.parametrize("raw_id", [7.0, "7", True])
def test_entity_ids_are_converted_to_int(tmp_path, raw_id):
    [entity] = entity_level(tmp_path, [{"id": raw_id}]).getEntities()
    assert entity.id == int(raw_id) and type(entity.id) is int


# The report names the header file, the entry, and the key and value at fault.
@pytest.mark.parametrize("entity, error, message", [
    ({"id": "x"}, ValueError, "entities[0]['id'] = 'x': invalid literal for int()"),
    ({"id": 1.5, "position": {"x": 0, "y": 0}}, ValueError, "entities[0]['id'] = 1.5: Entity ID must be int"),
    (["position"], TypeError, "entities[0]: an entity entry must be a JSON object, got list"),
    ({"id": 2, "position": {"x": 1}}, KeyError, "entities[0]['position'] = {'x': 1} has no 'y'"),
    ({"velocity": {"x": "fast", "y": 0}}, TypeError, "entities[0]['velocity'] = {'x': 'fast', 'y': 0}: x = 'fast': "),
    ({"sprite": {"sprite": 3}}, IndexError, "entities[0]['sprite'] = {'sprite': 3}: sprite index 3 is out of range"),
    ({"collision": {"radius": "wide", "hasFlags": list(range(20))}}, ValueError,  # a long value is cut short
     "entities[0]['collision'] = {'radius': 'wide', 'hasFlags': [0, 1, 2, 3, 4, 5, 6, 7, 8...: radius = 'wide': could"
     " not convert"),
])
def test_bad_entity_entries_are_reported_with_file_key_and_value(tmp_path, unraisable, entity, error, message):
    level = entity_level(tmp_path, [entity])
    assert level.getEntities() == []
    [(context, reported)] = unraisable
    assert type(reported) is error and context == "brovaline.Level._loadEntities"
    assert str(reported.args[0]).startswith(f"'{tmp_path / 'a.lvl'}.json': {message}")


def test_entities_save_with_their_components(tmp_path, capsys):
    level = entity_level(tmp_path, [
        {"id": 3, "position": {"x": 1, "y": 2}, "mystery": {"value": 42}},
        {"id": 4, "sprite": {"sprite": 0, "scale": 2}},
    ], sprites=[0])
    assert "unknown component type 'mystery'" in capsys.readouterr().out
    out = str(tmp_path / "saved.lvl")
    level.saveFile(out)
    saved = json.loads((tmp_path / "saved.lvl.json").read_text())["entities"]
    assert saved[0] == {"id": 3, "position": {"x": 1.0, "y": 2.0}, "mystery": {"value": 42}}
    assert saved[1]["sprite"]["scale"] == 2.0 and saved[1]["sprite"]["currentAnimation"] == "_"
    [mystery] = [c for c in b.Level(out).getEntities()[0].getComponents() if isinstance(c, b.DummyComponent)]
    assert type(mystery).__name__ == "_Component_mystery" and mystery.value == 42


def test_save_then_load_reproduces_grid_header_and_entities(tmp_path, capsys):
    write_png(tmp_path / "s.png")
    header = {"width": 4, "height": 3, "fogColor": [9, 8, 7], "fogDensity": 9, "groundFogDensity": 2,
              "sprites": [{"texture": "s.png"}], "extra": {"kept": [1, 2], "nested": [1, "two", None]},
              "entities": [{"id": 1, "position": {"x": 1.5, "y": 2.0}, "mystery": {"n": 3, "tags": ["a", "b"]}},
                           {"id": 2, "sprite": {"sprite": 0}, "mystery": {"n": 4, "tags": []}}]}
    grid = bytes(range(4 * 3 * 7))
    first = b.Level(write_level(tmp_path, header, grid))
    assert (first.width, first.height, first.getSize()) == (4, 3, (4, 3))
    assert first.getBlock(1, 0) == 7 and first.getTextureIndex(b.TEXTURE_WEST, 3, 2) == 83
    out = str(tmp_path / "one.lvl")
    capsys.readouterr()
    first.saveFile(out)
    assert capsys.readouterr().out == f"wrote file {out}.json\nwrote file {out}\n"
    text = (tmp_path / "one.lvl.json").read_text()
    saved = json.loads(text)
    assert text == json.dumps(saved, sort_keys=True, indent=4)
    assert dict(saved, entities=None) == dict(header, entities=None) and saved["entities"][0] == header["entities"][0]
    second = b.Level(out)
    assert second.fogDensity == 9
    second.saveFile(str(tmp_path / "two.lvl"))
    for name in ("two.lvl", "two.lvl.json"):
        assert (tmp_path / name).read_bytes() == (tmp_path / name.replace("two", "one")).read_bytes()
    assert (tmp_path / "two.lvl").read_bytes() == grid
    assert second.metadata == dict(first.metadata) == saved
    [mystery] = [c for c in second.getEntities()[1].getComponents() if isinstance(c, b.DummyComponent)]
    assert (mystery.n, mystery.tags) == (4, [])
    first.saveFile(tmp_path / "path.lvl")  # os.PathLike names work too
    assert b.Level(tmp_path / "path.lvl").filename == str(tmp_path / "path.lvl")


def test_unregistered_component_class_gives_a_clear_save_error(tmp_path, default_level):
    level, _ = default_level

    class Loose:
        pass

    level.addEntity(b.Entity(1, Loose()))
    with pytest.raises(KeyError, match="not registered"):
        level.saveFile(str(tmp_path / "x.lvl"))
    assert not (tmp_path / "x.lvl.json").exists()


def test_dump_to_dict(default_level):
    level, _ = default_level

    class Thing:
        def __init__(self):
            self.a = [1, (2, 3)]
            self._private = 1
            self.name = "text"
            self.child = type("Child", (), {})()
            self.child.b = {"_x": 1, "y": 2}

    assert level._dumpToDict(Thing()) == {"a": [1, [2, 3]], "name": "text", "child": {"b": {"y": 2}}}
    looped = []
    looped.append(looped)
    with pytest.raises(RecursionError):
        level._dumpToDict(looped)


def test_entity_methods_and_ecs_sync(default_level):
    level, _ = default_level
    a, c = b.Entity(1), b.Entity(2)
    level.addEntity(a)
    level.addEntity(c)
    with pytest.raises(TypeError):
        level.addEntity("entity")
    ecs = b.Engine().ecs
    ecs.addEntity(b.Entity(9))
    level.syncEntitiesToEcs(ecs)
    assert ecs.getEntities() == [a, c] and a._ecs is ecs
    level.removeEntity(a)
    with pytest.raises(ValueError):
        level.removeEntity(a)
    level.syncEntitiesFromEcs(ecs)
    assert level.getEntities() == [a, c] and level.getEntities() is not ecs.getEntities()
    level.removeAllEntities()
    assert level.getEntities() == []


def test_json_entity_methods(tmp_path, default_level):
    level = entity_level(tmp_path, [{"id": 1}, {"id": 2}])
    first, second = level.getEntities()
    level.removeEntityFromJson(first)
    assert level.getEntities() == [second] and level.metadata["entities"] == [{"id": 2}]
    level.addEntityFromJson({"id": 5})
    assert level.metadata["entities"] == [{"id": 2}, {"id": 5}] and level.getEntities() == [second]
    with pytest.raises(ValueError):
        level.removeEntityFromJson(first)
    with pytest.raises(KeyError):
        default_level[0].addEntityFromJson({"id": 1})
    # The header out of step: nothing is removed from either list.
    level.metadata["entities"] = []
    with pytest.raises(IndexError):
        level.removeEntityFromJson(second)
    assert level.getEntities() == [second]


def test_bare_dummy_component_saves_under_its_type_name(default_level):
    level, _ = default_level
    d = b.DummyComponent()
    d.typeName, d.colour = "tag", "red"
    level.addEntity(b.Entity(1, d))
    level._updateEntityMetadata()
    assert level.metadata["entities"] == [{"id": 1, "tag": {"typeName": "tag", "colour": "red"}}]
