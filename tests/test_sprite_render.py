import sys

import pytest

import brovaline as b
from component_keys import key_ahead_of_position
from raycast_scene import BACKGROUND, alpha_blend, argb, make_level, renderer

RED, BLUE = (200, 30, 30), (30, 30, 200)


class SteppingEngine(b.Engine):
    """An engine whose frames last a fixed time step."""

    def __init__(self, step):
        super().__init__()
        self.step = step

    def getTimeStep(self):
        return self.step


def word(rgb, alpha=255):
    return alpha << 24 | rgb[0] << 16 | rgb[1] << 8 | rgb[2]


def sheet(rgb, alpha=255, size=(2, 2)):
    t = b.Texture(*size)
    t.fill((*rgb, alpha))
    return t


def sprite_entity(pos, texture, animation=None, **options):
    animation = animation or b.SpriteAnimation("idle", 1, False, 0.0, 0, 1)
    sprite = b.Sprite(texture, 1, 1, [animation])
    return b.Entity(-1, b.PositionComponent(b.Vector2(*pos)), b.SpriteComponent(sprite, **options))


@pytest.fixture
def scene(tmp_path):
    """A 32 x 20 view along +x from (2.5, 5.5) in an empty walled 12 x 12 level without floor or ceiling."""

    def build(*entities, cells=None, step=0.0, border=True, **header):
        level = make_level(tmp_path, 12, 12, [(90, 90, 90)], cells=cells, border=border, floor=255, ceiling=255,
                           **header)
        r, target = renderer(level, (32, 20), (2.5, 5.5), (1, 0))
        ecs = b.Ecs(None)
        ecs.addSystem(r)
        r._setEngine(SteppingEngine(step))
        for e in entities:
            ecs.addEntity(e)
        r.render()
        return r, argb(target, tmp_path)

    return build


def shaded(rgb, alpha=255):
    """A sprite pixel after the ground fog and fog blends with amount 0."""
    return alpha_blend(alpha_blend(word(rgb, alpha), 0xFFFFFFFF, 0), 0xFF000000, 0)


# Sprites sit slightly right of the view axis: exactly on it, the rounding of the 360-degree view
# rotation puts them half a column to the left.
AHEAD = (6.5, 5.55)


def test_sprite_covers_its_projected_square(scene):
    # Depth 4: half height int(20 / 1.6 / 4) = 3, centred on column 16 and the horizon row 10.
    e = sprite_entity(AHEAD, sheet(RED))
    r, px = scene(e)
    expected = alpha_blend(BACKGROUND, shaded(RED), 255)
    assert (px[7:13, 13:19] == expected).all()
    assert (px[6, 13:19] != expected).all() and (px[13, 13:19] != expected).all()
    assert px[10, 12] != expected and px[10, 19] != expected
    sc = e.getComponent(b.SpriteComponent)
    assert sc._dist == pytest.approx(4.0, rel=1e-3)
    assert sc._angleToCam == pytest.approx(1.5, abs=0.01)  # the camera is behind an entity facing +x
    # Picked on the square from left to left + 2 * half and top to top + 2 * half, both ends included.
    assert [r.getEntityAtScreenCoords(x, 10) for x in (12, 13, 16, 19, 20)] == [None, e, e, e, None]
    assert [r.getEntityAtScreenCoords(16, y) for y in (6, 7, 13, 14)] == [None, e, e, None]
    # Picking measures the distance again, from where the camera stands now, but not the angle.
    r.getCamera().pos.x, r.getCamera().pos.y = 6.5, 3.55  # beside the sprite
    r.getEntityAtScreenCoords(16, 10)
    assert sc._dist == pytest.approx(2.0, rel=1e-3) and sc._angleToCam == pytest.approx(1.5, abs=0.01)


def test_nearer_sprite_is_drawn_last_and_picked(scene):
    far, near = sprite_entity((7.5, 5.5), sheet(BLUE)), sprite_entity((4.5, 5.5), sheet(RED))
    r, px = scene(near, far)
    assert list(r.entities) == [far, near]
    assert px[10, 16] == alpha_blend(BACKGROUND, shaded(RED), 255)
    assert r.getEntityAtScreenCoords(16, 10) is near


def test_walls_hide_sprites_column_by_column(scene):
    # The sprite spans columns 16 to 21; the block's corner (6, 6) cuts off column 21 only.
    e = sprite_entity((6.5, 6.2), sheet(RED))
    r, px = scene(e, cells={(5, 6): 1})
    expected = alpha_blend(BACKGROUND, shaded(RED), 255)
    row = px[12]
    assert (row[16:21] == expected).all()
    assert row[21] != expected and row[15] != expected
    assert r.getWorldCellByScreenCoords(21, 10)[1:] == (5, 6)
    assert r.getEntityAtScreenCoords(18, 12) is e  # picked where it is drawn, right of the centre
    assert r.getEntityAtScreenCoords(14, 12) is None


def test_sprites_show_in_columns_without_walls(scene):
    e = sprite_entity(AHEAD, sheet(RED))
    r, px = scene(e, border=False)
    assert (px[7:13, 13:19] == alpha_blend(BACKGROUND, shaded(RED), 255)).all()
    assert r.getEntityAtScreenCoords(16, 10) is e


def test_sprite_behind_the_camera_still_animates_but_is_never_picked(scene, monkeypatch):
    reports = []
    monkeypatch.setattr(sys, "unraisablehook", reports.append)
    anim = b.SpriteAnimation("walk", 4, False, 1.0, 0, 1)
    e = sprite_entity((2.0, 5.55), sheet(RED, size=(8, 2)), anim)  # half a unit behind
    # One standing on the camera is not in front either: passed over before its sprite is looked at.
    on_camera = sprite_entity((2.5, 5.5), sheet(BLUE))
    on_camera.getComponent(b.SpriteComponent).sprite = None
    r, px = scene(e, on_camera, step=0.25)
    assert reports == []
    assert e.getComponent(b.SpriteComponent).animationPercentage == 0.25
    assert (px[:, 14:18] != alpha_blend(BACKGROUND, shaded(RED), 255)).all()
    r.getCamera().ratio = 100  # a square of half height int(20 / 100 / depth) = 0: one pixel, were it in front
    assert all(r.getEntityAtScreenCoords(x, y) is None for x in range(32) for y in range(20))


def test_oscillating_animation_turns_back(scene):
    anim = b.SpriteAnimation("swing", 4, True, 0.3, 0, 1)
    e = sprite_entity(AHEAD, sheet(RED), anim)
    sc = e.getComponent(b.SpriteComponent)
    sc.animationPercentage = 0.9
    scene(e, step=1.0)
    assert sc.animationPercentage == pytest.approx(0.95)
    assert sc._animationSpeed == -0.3


def test_additive_blending(scene):
    e = sprite_entity(AHEAD, sheet((100, 0, 0), alpha=128), blendMode=b.BLENDMODE_ADD)
    _, px = scene(e)
    src = shaded((100, 0, 0), 128)
    red = min(255, 0 + ((src >> 16 & 0xFF) * 128 >> 8))
    assert px[12, 16] == (0xFF000000 | red << 16 | 180 << 8 | 100)
    e = sprite_entity(AHEAD, sheet((100, 0, 0), alpha=128), blendMode=2)  # not additive: alpha blending
    _, px = scene(e)
    assert px[12, 16] == alpha_blend(BACKGROUND, src, 128)


@pytest.mark.parametrize("missing", ["animation", "sprite"])
def test_undrawable_sprite_ends_the_pass(scene, monkeypatch, missing):
    reports = []
    monkeypatch.setattr(sys, "unraisablehook", reports.append)
    far, broken, near = (sprite_entity(pos, sheet(rgb)) for pos, rgb in
                         [((9.5, 5.55), BLUE), ((7.5, 5.55), RED), ((4.5, 5.55), RED)])
    component = broken.getComponent(b.SpriteComponent)
    if missing == "animation":
        component.currentAnimation = None
    else:
        component.sprite = None
    _, px = scene(far, broken, near)
    # The far sprite is drawn, the pass stops at the broken one, the near one is not drawn.
    assert px[10, 16] == alpha_blend(BACKGROUND, shaded(BLUE), 255)
    assert [(r.exc_type, r.object) for r in reports] == [(AttributeError, "brovaline.RaycastingRenderer.renderSprites")]


def keyed_ecs(tmp_path, *entities):
    """A renderer in an Ecs holding `entities`, and a key met first when the second one's position is looked up."""
    r, target = renderer(make_level(tmp_path, 12, 12, [(90, 90, 90)]), (32, 20), (2.5, 5.5), (1, 0))
    ecs = b.Ecs(None)
    ecs.addSystem(r)
    for e in entities:
        ecs.addEntity(e)
    return r, target, ecs, key_ahead_of_position(entities[1])


def test_a_failing_component_lookup_ends_the_pass(tmp_path, monkeypatch):
    reports = []
    monkeypatch.setattr(sys, "unraisablehook", reports.append)
    e = sprite_entity(AHEAD, sheet(RED))
    r, target, _, key = keyed_ecs(tmp_path, sprite_entity((9.5, 5.55), sheet(BLUE)), e)

    def fail():
        raise LookupError("compared")

    key.action = fail
    r.render()
    assert [(u.exc_type, u.object) for u in reports] == [(LookupError, "brovaline.RaycastingRenderer.renderSprites")]
    assert argb(target, tmp_path)[10, 16] != alpha_blend(BACKGROUND, shaded(RED), 255)


def test_a_component_lookup_that_shrinks_the_entity_list_ends_the_walk(tmp_path, monkeypatch):
    """The walk over the renderer's entities stops at the list's current end, not its end when the walk began."""
    reports = []
    monkeypatch.setattr(sys, "unraisablehook", reports.append)
    first, keyed, last = (sprite_entity(pos, sheet(rgb)) for pos, rgb in
                          [((9.5, 5.55), BLUE), (AHEAD, RED), ((4.5, 8.55), BLUE)])
    r, target, ecs, key = keyed_ecs(tmp_path, first, keyed, last)

    def drop_the_others():
        key.action = None
        ecs.removeEntity(first)
        ecs.removeEntity(last)

    key.action = drop_the_others
    r.render()
    assert reports == []
    assert argb(target, tmp_path)[10, 16] == alpha_blend(BACKGROUND, shaded(RED), 255)


@pytest.mark.parametrize("shadeless", [False, True])
def test_fog_reaches_sprites_unless_shadeless(scene, shadeless):
    e = sprite_entity(AHEAD, sheet(RED), shadeless=shadeless)
    _, px = scene(e, fogDensity=100, fogColor=[0, 250, 0])
    pixel = word(RED) if shadeless else alpha_blend(alpha_blend(word(RED), 0xFFFFFFFF, 0), 0xFF00FA00, 255)
    assert px[10, 16] == alpha_blend(BACKGROUND, pixel, 255)


def test_ground_fog_thickens_down_a_sprite(scene):
    """The ground fog amount at the sprite's distance (density 40 x distance 4.0003 = 160) grows
    with the square of the height down the billboard's six rows; a negative density is no fog."""
    def frame(density):
        return scene(sprite_entity(AHEAD, sheet(RED)), groundFogDensity=density, groundFogColor=[255, 255, 0])[1]

    fogged = frame(40)
    for k in range(6):
        ground = alpha_blend(word(RED), 0xFFFFFF00, int((k / 6) ** 2 * 160))
        assert (fogged[7 + k, 13:19] == alpha_blend(BACKGROUND, alpha_blend(ground, 0xFF000000, 0), 255)).all(), k
    assert (frame(-40) == frame(0)).all()


def test_half_size_sprite_stands_on_the_floor(scene):
    e = sprite_entity(AHEAD, sheet(RED), scale=0.5, zOffset=0.5)
    _, px = scene(e)
    expected = alpha_blend(BACKGROUND, shaded(RED), 255)
    covered = px == expected
    assert covered[10:13, 14:17].all()
    assert covered.sum() == 9


def test_frames_outside_the_sheet_are_not_drawn(scene):
    anim = b.SpriteAnimation("lost", 2, False, 0.0, 7, 4)
    e = sprite_entity(AHEAD, sheet(RED), anim)
    _, px = scene(e)
    assert not (px == alpha_blend(BACKGROUND, shaded(RED), 255)).any()


def test_members_that_lost_a_component_behind_the_ecs_back_are_skipped(scene):
    kept, stripped, moved = (sprite_entity(AHEAD, sheet(RED)), sprite_entity((7.5, 5.5), sheet(BLUE)),
                             sprite_entity((8.5, 5.5), sheet(BLUE)))
    r, _ = scene(kept, stripped, moved)
    del stripped._components[b.SpriteComponent]  # still a member: nothing told the renderer
    moved.getComponent(b.PositionComponent).pos = None
    r._entities.append(5)  # not an entity at all
    r.render()
    assert r.getEntityAtScreenCoords(16, 10) is kept
