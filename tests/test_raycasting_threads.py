"""The renderer's drawing threads (the setting, and frames that do not depend on it) and its pixel path."""
import gc
import re
from pathlib import Path

import pytest

import brovaline as b
from conftest import run_script
from raycast_scene import argb, image, make_level, renderer


def _threads_of_process():
    return len(list(Path("/proc/self/task").iterdir()))


def test_threads_setting(tmp_path):
    gc.collect()  # joins the workers of renderers other tests left behind
    before = _threads_of_process()
    r, _ = renderer(make_level(tmp_path, 6, 6, [(90, 90, 90)]), (130, 10), (2.5, 2.5), (1, 0))
    cores = r.threads
    assert isinstance(cores, int) and cores >= 1
    r.threads = 3
    assert r.threads == 3
    r.render()  # three column chunks: the two workers start
    assert _threads_of_process() == before + 2
    r.threads = 1  # joins them
    assert r.threads == 1
    assert _threads_of_process() == before
    r.render()
    for default in (0, None):
        r.threads = 3
        r.threads = default
        assert r.threads == cores


@pytest.mark.parametrize("value, error", [(-1, ValueError), (2**70, OverflowError), ("2", TypeError)])
def test_a_refused_threads_value_keeps_the_setting(tmp_path, value, error):
    r, _ = renderer(make_level(tmp_path, 6, 6, [(90, 90, 90)]), (16, 10), (2.5, 2.5), (1, 0))
    r.threads = 2
    with pytest.raises(error):
        r.threads = value
    assert r.threads == 2


def scene_frame(tmp_path, threads, size=(97, 61)):
    """One frame of a level with diagonals, open floor and ceiling cells, fog, ground fog, a sky,
    directional sprites and the flashlight, drawn with the given number of threads."""
    rows = [[0xFF000000 | (x * 37 + y * 11) % 256 << 16 | (x * y * 5) % 256 << 8 | (x ^ y) * 15 for x in range(8)]
            for y in range(8)]
    sky = image(tmp_path, "sky.png", [[0xFF000000 | x * 7 << 8 | y * 20 for x in range(30)] for y in range(12)])
    cells = {(3, 3): 2, (5, 2): 3, (4, 6): 4, (6, 5): 5, (2, 6): 1,
             (4, 4): [0, 255, 255, 0, 0, 0, 0], (5, 4): [0, 0, 255, 0, 0, 0, 0], (3, 5): [0, 255, 0, 0, 0, 0, 0]}
    level = make_level(tmp_path, 9, 9, [image(tmp_path, "pattern.png", rows), (200, 60, 20)], cells=cells,
                       wall=1, fogDensity=9, fogColor=[20, 20, 40], groundFogDensity=4,
                       groundFogColor=[200, 200, 210], skytex=sky)
    r, target = renderer(level, size, (1.7, 1.4), (1, 0.8), fov=70, pitch=-9)
    r.threads = threads
    r._setFlashlight(b.Texture(image(tmp_path, "light.png", [[0xFF406080 + x * 3 for x in range(6)]] * 6)))
    ecs = b.Ecs(None)
    ecs.addSystem(r)
    sheet = b.Texture(image(tmp_path, "sheet.png", [[0x80000000 | (x * 13 + y) * 3000 for x in range(16)]
                                                   for y in range(8)]))
    walk = b.SpriteAnimation("walk", 2, False, 0.0, 0, 4)
    for i, (x, y) in enumerate([(3.2, 2.1), (4.6, 3.1), (6.5, 6.5), (2.5, 4.2), (5.5, 5.2), (7.4, 2.5)]):
        sprite = b.SpriteComponent(b.Sprite(sheet, 4, 2, [walk]), shadeless=i % 3 == 0, zOffset=0.3 * (i % 2),
                                   scale=0.6 + 0.2 * i, blendMode=i % 2)
        ecs.addEntity(b.Entity(-1, b.PositionComponent(b.Vector2(x, y)), sprite,
                               b.RotationComponent(b.Vector2(1 - i, i))))
    r.render()
    return argb(target, tmp_path)


def test_frames_are_the_same_with_any_number_of_threads(tmp_path):
    one = scene_frame(tmp_path, 1)
    assert len({int(v) for v in one.ravel()}) > 50  # a varied picture
    for threads in (2, 3, 7):
        assert (scene_frame(tmp_path, threads) == one).all()


def test_interpreter_exits_with_running_workers(tmp_path):
    make_level(tmp_path, 6, 6, [(90, 90, 90)])
    result = run_script(f"""
        import brovaline as b
        r = b.RaycastingRenderer(b.Texture(300, 40), b.Level({str(tmp_path / "scene.lvl")!r}))
        r.threads = 4
        r.render()
        kept = r
    """)
    assert result.returncode == 0, result.stderr


@pytest.mark.skipif(not Path("/proc/cpuinfo").exists(), reason="reads the processor's flags from /proc/cpuinfo")
def test_pixel_path_follows_the_processor_unless_asked_for_plain(monkeypatch):
    """The wide passes draw wherever the processor and the system support AVX2 (as Linux lists its
    flags), unless BROVALINE_PLAIN_PIXELS asks for the plain ones (any value but "" or "0"). The choice
    is made at import."""
    flags = set(re.findall(r"\w+", Path("/proc/cpuinfo").read_text()))
    script = "import brovaline as b; print(b.RaycastingRenderer.__new__(b.RaycastingRenderer)._pixelPath)"
    widest = "avx2" if "avx2" in flags else "plain"
    monkeypatch.delenv("BROVALINE_PLAIN_PIXELS", raising=False)
    assert run_script(script).stdout.split() == [widest]
    for value, path in (("", widest), ("0", widest), ("1", "plain"), ("no", "plain")):
        monkeypatch.setenv("BROVALINE_PLAIN_PIXELS", value)
        assert run_script(script).stdout.split() == [path], value
    assert '"plain" or "avx2"' in b.RaycastingRenderer._pixelPath.__doc__  # names both values it reads back
