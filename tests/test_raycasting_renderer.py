import math

import numpy as np
import pytest

import brovaline as b
from raycast_scene import BACKGROUND, add_scaled, alpha_blend, argb, image, make_level, renderer, solid

WALL, FLOOR, CEILING, SKY = (200, 100, 40), (20, 200, 60), (90, 30, 220), (10, 20, 250)


def word(rgb):
    return 0xFF000000 | rgb[0] << 16 | rgb[1] << 8 | rgb[2]


def test_constructor_and_defaults():
    target, level = b.Texture(16, 10), b.Level()
    r = b.RaycastingRenderer(target, level)
    assert r.level is level and r.getTarget() is target
    cam = r.getCamera()
    assert type(cam) is b.Camera
    assert (cam.pos.x, cam.pos.y, cam.dir.x, cam.dir.y) == (2.5, 2.5, 0, 1)
    assert (cam.fov, cam.pitch, cam.ratio) == (60, 20, 1.6)
    assert r._interestedComponentTypes == (b.PositionComponent, b.SpriteComponent)
    assert b.RaycastingRenderer(target, None).level is None
    r = b.RaycastingRenderer(level=level, target=target)
    assert r.level is level and r.getTarget() is target


def test_subclass_skipping_the_base_initialiser_draws_and_picks(tmp_path):
    class Bare(b.RaycastingRenderer):
        def __init__(self):  # no super().__init__: no member list yet
            pass

    r = Bare()
    r._target, r._level = b.Texture(8, 6), make_level(tmp_path, 5, 5, [WALL])
    r._camera = b.Camera(b.Vector2(2.5, 2.5), b.Vector2(0, 1), 60, 0)
    r.render()
    assert r.getEntityAtScreenCoords(4, 3) is None and r.entities == []


def test_camera_arguments_and_properties():
    pos, d = b.Vector2(1, 2), b.Vector2(0, 1)
    cam = b.Camera(pos, d, 90, -5)
    assert cam.pos is pos and cam.dir is d and cam.ratio == 1.6
    assert b.Camera(pos, d, 90, -5, 2.0).ratio == 2.0
    cam.fov, cam.pitch, cam.ratio = 75, 3, 1.2
    assert (cam._fov, cam._pitch, cam._ratio) == (75, 3, 1.2)


def test_default_camera_wall_extent(tmp_path):
    # Baseline 220; a wall at distance 2 is drawn with half height int(400 / 1.6 / 2 + 0.5) = 125.
    level = make_level(tmp_path, 5, 8, [WALL], cells={(x, 4): 1 for x in range(5)}, floor=255, ceiling=255)
    r, target = renderer(level, (640, 400), (2.5, 2.0), (0, 1), pitch=20)
    r.render()
    px = argb(target, tmp_path)
    column = px[:, 320]
    wall = alpha_blend(word(WALL), 0xFF000000, 0)
    assert column[94] == BACKGROUND and column[345] == BACKGROUND
    assert (column[95:345] == wall).all()


@pytest.mark.parametrize("direction", [(0, -1), (1, 0), (0, 1), (-1, 0)])
def test_faces_show_their_texture_left_to_right_from_outside(tmp_path, direction):
    left, right = 0xFF0000C8, 0xFFC80000
    level = make_level(tmp_path, 5, 5, [image(tmp_path, "lr.png", [[left, right]])], floor=255, ceiling=255)
    # A narrow view of one cell of the face two cells ahead.
    r, target = renderer(level, (32, 20), (2.5, 2.5), direction, fov=20)
    r.render()
    row = argb(target, tmp_path)[10]
    assert (row[:15] == alpha_blend(left, 0, 0)).all() and (row[17:] == alpha_blend(right, 0, 0)).all()


def test_near_wall_is_clipped_and_shows_the_middle_of_its_texture(tmp_path):
    rows = [0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040]
    level = make_level(tmp_path, 5, 5, [image(tmp_path, "v.png", [[c] for c in rows])], floor=255, ceiling=255)
    r, target = renderer(level, (32, 20), (2.5, 3.5), (0, 1), fov=0, pitch=0)
    r.render()
    column = argb(target, tmp_path)[:, 0]
    # Distance 0.5: half height int(12.5 / 0.5 + 0.5) = 25 from the horizon row 10, so the wall's
    # real top is row -15; rows 0 to 18 are wall, row 19 (the last) is left to the floor.
    step, tex_y = 4 / 51, 15 * 4 / 51
    for y in range(19):
        assert column[y] == alpha_blend(rows[int(tex_y)], 0, 0), y
        tex_y += step
    assert column[19] == BACKGROUND
    assert set(column[:19]) == {alpha_blend(rows[1], 0, 0), alpha_blend(rows[2], 0, 0)}


def test_sky_shows_through_missing_floor_and_ceiling(tmp_path):
    level = make_level(tmp_path, 6, 6, [WALL], floor=255, ceiling=255)
    r, target = renderer(level, (32, 20), (2.5, 2.5), (1, 0))
    r.render()
    assert (argb(target, tmp_path)[0] == BACKGROUND).all()
    sky = tmp_path / "sky.png"
    t = b.Texture(36, 10)
    t.fill(SKY)
    t.saveFile(str(sky))
    level = make_level(tmp_path, 6, 6, [WALL], floor=255, ceiling=255, skytex=str(sky))
    r, target = renderer(level, (32, 20), (2.5, 2.5), (1, 0))
    r.render()
    px = argb(target, tmp_path)
    assert (px[0] == word(SKY)).all() and (px[19] == word(SKY)).all()
    # A sky of one column per degree, each naming itself: column x shows the degree it looks at,
    # the camera's bearing (53.13 degrees here) plus its place in the field of view.
    degrees = image(tmp_path, "degrees.png", [[0xFF000000 | d for d in range(360)]] * 2)
    level = make_level(tmp_path, 6, 6, [WALL], floor=255, ceiling=255, skytex=degrees)
    r, target = renderer(level, (32, 20), (2.5, 2.5), (0.6, 0.8))
    r.render()
    bearing, top = math.degrees(math.atan2(0.8, 0.6)), argb(target, tmp_path)[0]
    for x in range(32):
        angle = x / 32 * 60 + bearing - 30
        if abs(angle - round(angle)) > 1e-6:
            assert top[x] & 0xFFFF == int(angle), x


def test_wall_faces_may_show_texture_255(tmp_path):
    """Wall face bytes have no 'no surface' value: with 256 textures, byte 255 shows the last one."""
    grey = solid(tmp_path, "grey.png", (90, 90, 90))
    frames = []
    for textures, wall in (([grey] * 255 + [WALL], 255), ([WALL], 0)):
        level = make_level(tmp_path, 6, 6, textures, wall=wall, floor=255, ceiling=255)
        r, target = renderer(level, (16, 10), (2.5, 2.5), (1, 0))
        r.render()
        frames.append(argb(target, tmp_path))
    assert (frames[0] == frames[1]).all() and frames[0][5, 8] != BACKGROUND


def test_render_normalises_the_camera_direction_and_releases_the_target(tmp_path):
    r, target = renderer(b.Level(), (8, 6), (5.5, 5.5), (0, 5))
    d = r.getCamera().dir
    r.render()
    assert (d.x, d.y) == (0, 1)
    copy = b.Texture(8, 6)  # the frame left the target unlocked: it blits both ways
    copy.copyFrom(target)
    target.copyFrom(copy)


def test_without_a_level_only_the_background_is_drawn(tmp_path):
    r, target = renderer(None, (8, 6), (5.5, 5.5), (1, 0))
    r.render()
    assert (argb(target, tmp_path) == BACKGROUND).all()
    assert r.getWorldPosByScreenCoords(3, 5)[0] == 1


def test_flashlight_adds_light_to_walls(tmp_path):
    level = make_level(tmp_path, 5, 8, [(16, 16, 16)], floor=255, ceiling=255)
    r, target = renderer(level, (8, 40), (2.5, 5.0), (0, 1), fov=0)
    light = b.Texture(4, 3)
    light.fill((64, 64, 64, 128))
    r._setFlashlight(light)
    r.render()
    px = argb(target, tmp_path)[:, 0]
    # Distance 2: half height 13 from row 7, intensity int(512 / 4) = 128, texel step 1.5: two rows lit.
    wall = alpha_blend(0xFF101010, 0xFF000000, 0)
    assert list(px[7:10]) == [add_scaled(wall, 0x80404040, 128)] * 2 + [wall]
    r._setFlashlight(None)
    r.render()
    assert argb(target, tmp_path)[7, 0] == wall


@pytest.mark.parametrize("size", [(1, 1), (3, 2), (5, 39)])
@pytest.mark.parametrize("pitch, fov", [(-1000, 60), (1000, 60), (20, 720), (0, -400), (15, 360)])
def test_extreme_views_stay_inside_the_target(tmp_path, size, pitch, fov):
    sky = tmp_path / "sky.png"
    t = b.Texture(7, 5)
    t.fill(SKY)
    t.saveFile(str(sky))
    level = make_level(tmp_path, 6, 6, [WALL, FLOOR], floor=1, ceiling=1, skytex=str(sky),
                       cells={(2, 2): [1, 0, 0, 9, 9, 9, 9]})
    r, target = renderer(level, size, (3.5, 3.5), (-1, -0.5), fov=fov, pitch=pitch)
    r.render()
    # Canaries for reads outside the textures or the grid: every pixel is opaque and close to one
    # of the scene's colours (shading moves a channel by a few steps), every pick names a cell.
    px = argb(target, tmp_path)
    rgb = np.stack([(px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF], -1).astype(int)
    nearest = np.min([np.abs(rgb - c).max(-1) for c in (WALL, FLOOR, SKY)], axis=0)
    assert (px >> 24 == 0xFF).all() and nearest.max() <= 12, nearest.max()
    for x in (0, size[0] - 1):
        for y in (0, size[1] - 1):
            kind, cx, cy = r.getWorldCellByScreenCoords(x, y)
            assert 1 <= kind <= 6 and 0 <= cx < 6 and 0 <= cy < 6, (x, y, kind, cx, cy)
            assert r.getEntityAtScreenCoords(x, y) is None


def test_picking_reports_wall_floor_and_ceiling(tmp_path):
    level = make_level(tmp_path, 6, 8, [WALL])
    r, target = renderer(level, (32, 20), (2.5, 2.5), (0, 1), fov=60)
    r.render()
    kind, x, y = r.getWorldCellByScreenCoords(16, 10)  # the horizon row in front of a wall
    assert (kind, x, y) == (b.TEXTURE_NORTH, 2, 7)
    kind, wx, wy = r.getWorldPosByScreenCoords(16, 19)
    assert kind == 1 and wy == pytest.approx(2.5 + 12.5 / 9, rel=1e-6)
    assert wx == pytest.approx(2.5, abs=1e-9)  # the middle column looks straight along +y
    assert r.getWorldCellByScreenCoords(16, 19) == (1, int(wx), int(wy))
    assert r.getWorldPosByScreenCoords(x=16, y=0)[0] == 2
    r.getCamera().pos.y = 6.0  # the wall exactly one unit away fills rows 10 - 12 to 10 + 12
    r.render()
    assert [r.getWorldCellByScreenCoords(16, y)[0] for y in (0, 19)] == [b.TEXTURE_NORTH] * 2
    r.getCamera().pos.y = 2.5
    flat, _ = renderer(level, (32, 0), (2.5, 2.5), (0, 1))  # no rows to draw, yet its columns pick walls
    flat.render()
    assert flat.getWorldCellByScreenCoords(16, 0) == (b.TEXTURE_NORTH, 2, 7)
    cam = r.getCamera()
    cam.dir.x, cam.dir.y = 1.0, 0.0  # off the middle column, along +x: the ray leans sideways
    r.render()
    kind, wx, wy = r.getWorldPosByScreenCoords(4, 19)
    assert kind == 1 and 2.5 + 1 < wx < 2.5 + 12.5 / 9 + 1e-9  # nearer than the middle column's floor point
    assert 0 < abs(wy - 2.5) < (wx - 2.5) * math.tan(math.radians(30))  # inside the 60-degree view
    r._target = b.Texture(16, 20)  # narrower than the last frame: its columns beyond 16 are out of range
    with pytest.raises(IndexError, match=r"^x must lie in 0 <= x < 16 \(the target width\), got 20$"):
        r.getWorldPosByScreenCoords(20, 3)
    r._target = b.Texture(40, 20)  # wider: the last frame cast no ray for columns 32 and on
    with pytest.raises(IndexError, match=r"^x must lie in 0 <= x < 40 \(the target width\), got 32$"):
        r.getWorldPosByScreenCoords(32, 3)


def test_column_without_wall_has_an_invalid_hit(tmp_path):
    level = make_level(tmp_path, 6, 6, [WALL], border=False)
    r, target = renderer(level, (8, 20), (2.5, 2.5), (1, 0), fov=10)
    r.render()
    assert r.getWorldPosByScreenCoords(4, 10) == (0, 0, 0)  # the horizon: no wall there
    assert [r.getWorldPosByScreenCoords(4, y)[0] for y in (9, 11)] == [2, 1]  # a row off it: ceiling, floor


def test_engine_frame_draws_the_level(engine, tmp_path):
    target = b.Texture(64, 40)
    r = b.RaycastingRenderer(target, b.Level())
    r.getCamera().pos.x = 10.5
    engine.ecs.addSystem(r)
    engine.update()
    px = argb(target, tmp_path)
    assert (px != BACKGROUND).any()


# The default level is closed and has floor and ceiling everywhere: every pixel shows the level.
# A pixel left at the sentinel colour was not drawn; one in the background colour is a hole.
@pytest.mark.parametrize("size, threads", [((128, 48), 1), ((128, 48), 2), ((640, 400), 2)])
def test_closed_level_leaves_no_pixel_unpainted_or_showing_the_background(tmp_path, size, threads):
    sentinel = 0xFFFF00FF
    target = b.Texture(*size)
    r = b.RaycastingRenderer(target, b.Level())
    r.threads = threads
    cam = r.getCamera()
    for pos, direction in [((2.5, 2.5), (0, 1)), ((15.2, 14.7), (1, 0.3)), ((27.5, 3.1), (-1, 0.8)),
                           ((5.5, 26.5), (0.6, -1))]:
        cam.pos.x, cam.pos.y = pos
        cam.dir.x, cam.dir.y = direction
        target.fill((255, 0, 255))
        r.render()
        assert cam.dir.length == pytest.approx(1.0)  # normalised natively, read from Python
        assert (cam.dir.x, cam.dir.y) == (cam.dir * b.Vector2(1, 0), cam.dir * b.Vector2(0, 1))
        px = argb(target, tmp_path)
        unpainted = sorted({int(x) for x in (px == sentinel).nonzero()[1]})
        assert not unpainted, f"view {pos} {direction}: columns {unpainted} not drawn"
        holes = (px == BACKGROUND).nonzero()
        assert holes[0].size == 0, f"view {pos} {direction}: background at (x, y) {holes[1][0]}, {holes[0][0]}"
