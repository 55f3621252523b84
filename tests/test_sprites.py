import pytest

import brovaline as b


def anim(name, frames=4, oscillate=False, speed=0.3, start=0, directions=1):
    return b.SpriteAnimation(name, frames, oscillate, speed, start, directions)


@pytest.fixture
def walk_run():
    walk, run = anim("walk", oscillate=True), anim("run", speed=0.5, start=4, directions=2)
    return b.Sprite(b.Texture(256, 64), 8, 2, [walk, run]), walk, run


@pytest.mark.parametrize("x_frames, y_frames, size", [(8, 2, (32, 32)), (3, 2, (85, 32)), (1, 1, (256, 64))])
def test_frame_size_truncates(x_frames, y_frames, size):
    s = b.Sprite(b.Texture(256, 64), x_frames, y_frames, [])
    assert (s.width, s.height) == size


@pytest.mark.parametrize("x_frames, y_frames", [(0, 1), (1, 0), (-2, 1)])
def test_frame_grid_must_be_positive(x_frames, y_frames):
    with pytest.raises(ValueError, match="Frames must be positive"):
        b.Sprite(b.Texture(8, 8), x_frames, y_frames, [])


@pytest.mark.parametrize("args", [(1, 0, False, 1, 0, 1), (1, 1, False, 1, -1, 1), (1, 1, False, 1, 0, 0),
                                  (1, 4, False, 1, 2**31 - 1, 1)])
def test_animation_counts_are_checked(args):
    with pytest.raises(ValueError):
        b.SpriteAnimation("a", *args[1:])


def test_sprite_argument_checks():
    with pytest.raises(TypeError, match="Cannot convert int to brovaline.SpriteAnimation"):
        b.Sprite(b.Texture(8, 8), 1, 1, [anim("a"), 5])
    with pytest.raises(TypeError, match="Argument 'texture'"):
        b.Sprite(None, 1, 1, [])
    with pytest.raises(TypeError, match="Argument 'spriteAnimations'"):
        b.Sprite(b.Texture(8, 8), 1, 1, (anim("a"),))
    with pytest.raises(TypeError):
        b.SpriteAnimation(3, 1, False, 1, 0, 1)


def test_raw_sprite_fields(walk_run):
    sprite, walk, run = walk_run
    assert (sprite._xFrames, sprite._yFrames, sprite._width, sprite._height) == (8, 2, 32, 32)
    assert sprite._texture is sprite.texture and sprite._animations is sprite.animations
    # Unusable raw values leave a component without animations instead of crashing.
    sprite._animations = None
    with pytest.raises(StopIteration):
        b.SpriteComponent(sprite)
    c = b.SpriteComponent()
    c.sprite = sprite
    with pytest.raises(KeyError):
        c.currentAnimationKey = "walk"


def test_later_animation_of_the_same_name_wins():
    first, second = anim("a"), anim("a")
    s = b.Sprite(b.Texture(8, 8), 1, 1, [first, anim("b"), second])
    assert list(s.animations) == ["a", "b"] and s.animations["a"] is second


def test_component_starts_with_the_first_animation(walk_run):
    sprite, walk, run = walk_run
    c = b.SpriteComponent(sprite, zOffset=0.5, blendMode=b.BLENDMODE_ADD)
    assert c.currentAnimation is walk and c.currentAnimationKey == "walk"
    assert (c._currentMinFrame, c._currentMaxFrame, c._currentDirections, c._animationSpeed) == (0, 4, 1, 0.3)
    assert (c.zOffset, c.scale, c.blendMode, c._blendMode, c.shadeless) == (0.5, 1.0, "add", 1, False)
    with pytest.raises(StopIteration):
        b.SpriteComponent(b.Sprite(b.Texture(8, 8), 1, 1, []))
    with pytest.raises(TypeError, match="Argument 'blendMode'"):
        b.SpriteComponent(blendMode="add")
    with pytest.raises(TypeError, match="Argument '_blendMode'"):
        c._blendMode = "add"  # the raw field takes the integer only
    for out_of_range in (-1, 2**32):
        with pytest.raises(OverflowError):
            b.SpriteComponent(blendMode=out_of_range)
    assert b.SpriteComponent(blendMode=2)._blendMode == 2  # any unsigned value; only 1 adds


def test_setting_the_current_animation(walk_run):
    sprite, walk, run = walk_run
    c = b.SpriteComponent(sprite)
    c._animationSpeed = -0.3
    c.animationPercentage = 0.7
    c.currentAnimation = walk  # already current: playback kept
    assert c._animationSpeed == -0.3
    c.currentAnimationKey = "run"
    assert c.currentAnimation is run and c._animationSpeed == 0.5 and c.animationPercentage == 0.7
    assert (c._currentMinFrame, c._currentMaxFrame, c._currentDirections) == (4, 8, 2)
    with pytest.raises(KeyError):
        c.currentAnimationKey = "jump"
    with pytest.raises(TypeError, match="Cannot convert str to brovaline.SpriteAnimation"):
        c.currentAnimation = "walk"
    c.currentAnimation = anim("foreign")
    with pytest.raises(StopIteration):
        c.currentAnimationKey


def test_no_animation(walk_run):
    sprite, walk, run = walk_run
    c = b.SpriteComponent(sprite)
    c.currentAnimation = None
    assert c.currentAnimation is None and c.currentAnimationKey is None
    assert (c._currentMinFrame, c._currentMaxFrame, c._currentDirections, c._animationSpeed) == (0, 0, 0, 0.0)
    c.currentAnimationKey = "run"
    c.currentAnimationKey = None
    assert c.currentAnimation is None


def test_sprite_property(walk_run):
    sprite, walk, run = walk_run
    c = b.SpriteComponent()
    assert c.sprite is None and c.currentAnimation is None
    c.sprite = sprite
    assert c.currentAnimation is None  # giving a sprite does not choose an animation
    with pytest.raises(TypeError, match="Cannot convert int to brovaline.Sprite"):
        c.sprite = 1
    with pytest.raises(NotImplementedError, match="__del__"):
        del c.sprite


@pytest.mark.parametrize("value, read, dumped", [("add", "add", "add"), ("blend", "alpha", "blend"),
                                                 (1, "alpha", "blend")])
def test_blend_mode_property(walk_run, value, read, dumped):
    level = b.Level.__new__(b.Level)
    level.sprites.append(walk_run[0])
    c = b.SpriteComponent(walk_run[0])
    c.blendMode = value
    assert c.blendMode == read
    assert c.dumpToDict(level)["blendMode"] == dumped


def test_record_round_trip(walk_run):
    level = b.Level.__new__(b.Level)
    level.sprites.extend([b.Sprite(b.Texture(8, 8), 1, 1, [anim("x")]), walk_run[0]])
    c = b.SpriteComponent()
    c.loadFromDict(level, {"sprite": 1, "shadeless": 1, "zOffset": 0.25, "blendMode": "add",
                           "currentAnimation": "run", "animationPercentage": 0.5})
    record = c.dumpToDict(level)
    assert record == {"sprite": 1, "shadeless": True, "zOffset": 0.25, "scale": 1.0, "blendMode": "add",
                      "currentAnimation": "run", "animationPercentage": 0.5}
    assert list(record) == ["sprite", "shadeless", "zOffset", "scale", "blendMode", "currentAnimation",
                            "animationPercentage"]
    # Omitted keys take their defaults.
    c.loadFromDict(level, {"sprite": 1})
    assert (c.shadeless, c.zOffset, c.blendMode, c.currentAnimationKey, c.animationPercentage) == \
        (False, 0.0, "alpha", "walk", 0.0)


@pytest.mark.parametrize("record, error", [({}, KeyError), ({"sprite": 2}, IndexError),
                                           ({"sprite": -1}, IndexError), ({"sprite": 0, "currentAnimation": "no"},
                                                                          KeyError)])
def test_bad_records(walk_run, record, error):
    level = b.Level.__new__(b.Level)
    level.sprites.append(walk_run[0])
    with pytest.raises(error):
        b.SpriteComponent().loadFromDict(level, record)


def test_dump_of_a_sprite_outside_the_level(walk_run):
    level = b.Level.__new__(b.Level)
    with pytest.raises(ValueError):
        b.SpriteComponent(walk_run[0]).dumpToDict(level)
