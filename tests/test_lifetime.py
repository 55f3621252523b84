"""Long sessions: whatever is built and dropped over and over must give its memory back.

Each test builds and drops as often to warm up (first-use caches, interned names, free lists)
as it then repeats while measuring, and compares four counters with the warmed-up state: blocks of Python's object allocator, bytes in
use by the C heap (glibc's mallinfo2: grids, hit buffers, FreeType), SDL's live allocations
(surfaces, chunks, fonts) and live engine objects (weak references to the last ones built).
"""
import ctypes
import gc
import json
import sys
import wave
import weakref

import pytest

import brovaline as b
from brovaline_tools.sdl import loaded_sdl
from ui_support import FONT_FILE, write_theme

SDL = loaded_sdl()
SDL.SDL_GetNumAllocations.restype = ctypes.c_int


class _MallInfo2(ctypes.Structure):
    _fields_ = [(name, ctypes.c_size_t) for name in
                ("arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks", "fordblks",
                 "keepcost")]


_libc = ctypes.CDLL(None)
_mallinfo2 = getattr(_libc, "mallinfo2", None)
if _mallinfo2 is not None:
    _mallinfo2.restype = _MallInfo2


def c_heap_in_use():
    """Bytes the C heap has handed out, or None where malloc is not glibc's (a sanitizer build)."""
    if _mallinfo2 is None:
        return None
    info = _mallinfo2()
    used = info.uordblks + info.hblkhd
    return used or None


class Usage:
    """The four counters after a full collection."""

    def __init__(self):
        gc.collect()
        self.blocks = sys.getallocatedblocks()
        self.c_heap = c_heap_in_use()
        self.sdl = SDL.SDL_GetNumAllocations()

    def assert_back(self, start, blocks=300, c_heap=96 * 1024):
        """Nothing grew beyond the slack that the interpreter's own caches may take."""
        now = Usage()
        assert now.sdl == start.sdl, "SDL allocations left behind"
        assert now.blocks - start.blocks < blocks, "Python objects left behind"
        if start.c_heap is not None and now.c_heap is not None:
            assert now.c_heap - start.c_heap < c_heap, "C heap grew"


def repeated(build, times):
    """Builds and drops `times` times to warm up (first-use caches, the interpreter's free lists),
    then measures as many more; returns the starting usage and a weak reference to the last build."""
    for _ in range(times):
        build()
    start = Usage()
    last = None
    for _ in range(times):
        last = weakref.ref(build())
    return start, last


def assert_freed(ref):
    gc.collect()
    assert ref() is None, "the last object built is still alive"


@pytest.fixture(scope="module")
def assets(tmp_path_factory):
    d = tmp_path_factory.mktemp("assets")
    tex = b.Texture(16, 16)
    tex.fillChecker()
    tex.saveFile(str(d / "wall.png"))
    tex.saveFile(str(d / "sheet.png"))
    with wave.open(str(d / "beep.wav"), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(bytes(4 * 2205))
    header = {
        "width": 12, "height": 10, "fogColor": [10, 20, 30], "skytex": "wall.png", "textures": ["wall.png"] * 3,
        "sprites": [{"texture": "sheet.png", "xFrames": 2, "yFrames": 2,
                     "animations": {"walk": {"frames": 2, "directions": 2}}}],
        "entities": [{"id": i, "position": {"x": 2 + i, "y": 3}, "sprite": {"sprite": 0},
                      "lifetimeNote": {"value": i}} for i in range(4)],
    }
    (d / "a.lvl.json").write_text(json.dumps(header))
    (d / "a.lvl").write_bytes(bytes(range(256)) * 3)
    write_theme(d / "theme")
    return d


@pytest.fixture(autouse=True)
def _quiet(capsys):
    """Levels print their grids; keep the output of a thousand loads out of the report."""
    yield
    capsys.readouterr()


def test_level_loaded_and_dropped_a_thousand_times(assets):
    def build():
        level = b.Level(str(assets / "a.lvl"))
        assert len(level.textures) == 3 and len(level.getEntities()) == 4
        return level

    start, last = repeated(build, 1000)
    assert_freed(last)
    start.assert_back(start, blocks=600)     # one object left per level would be 1000


def test_level_drawn_and_saved_then_dropped(assets, tmp_path):
    def build():
        level = b.Level(str(assets / "a.lvl"))
        r = b.RaycastingRenderer(b.Texture(32, 20), level)
        ecs = b.Ecs(None)
        ecs.addSystem(r)
        level.syncEntitiesToEcs(ecs)
        r.render()
        level.saveFile(str(tmp_path / "copy.lvl"))
        return level

    start, last = repeated(build, 50)
    assert_freed(last)
    start.assert_back(start)


class CountingSystem(b.AbstractSystem):
    def __init__(self):
        super().__init__(b.PositionComponent)
        self.seen = 0

    def _updateEntity(self, entity, timeStep):
        self.seen += 1


def test_ecs_with_a_thousand_entities_and_its_systems(assets):
    level = b.Level(str(assets / "a.lvl"))
    sprite = level.sprites[0]

    def build():
        ecs = b.Ecs(None)
        counting = CountingSystem()
        for system in (b.MovementSystem(level), counting, b.RaycastingRenderer(b.Texture(16, 8), level)):
            ecs.addSystem(system)
        for i in range(1000):
            ecs.addEntity(b.Entity(i, b.PositionComponent(b.Vector2(1.5 + i % 9, 1.5 + i % 7)),
                                   b.VelocityComponent(b.Vector2(0.1, 0)), b.CollisionComponent(0.2),
                                   b.SpriteComponent(sprite)))
        ecs.update(0.01)
        assert counting.seen == 1000
        ecs.removeAllEntities()
        return ecs

    start, last = repeated(build, 3)
    assert_freed(last)
    start.assert_back(start)


def test_widget_tree_built_drawn_and_dropped(assets):
    theme = b.UITheme(str(assets / "theme" / "theme.json"))

    def build():
        renderer = b.UIRenderer(b.Texture(120, 90), True, theme)
        panel = b.UIPanel()
        column = b.UIListContainer()
        for i in range(5):
            column.addChild(b.UIButton(f"button {i}"))
        column.addChild(b.UISlider(5, 0, 10))
        column.addChild(b.UIScrollPanel(b.UIText("a\nlong\ntext")))
        column.addChild(b.UIImage(b.Texture(4, 4), 8, 8))
        panel.addChild(column)
        renderer.widget.addChild(panel, 2, 2)
        renderer.render()
        renderer.render()
        return renderer

    start, last = repeated(build, 100)
    assert_freed(last)
    start.assert_back(start)


@pytest.mark.parametrize("build", [
    pytest.param(lambda d: b.Texture(str(d / "wall.png")), id="texture file"),
    pytest.param(lambda d: b.Texture(64, 64), id="texture"),
    pytest.param(lambda d: b.Font(FONT_FILE, 14), id="font"),
    pytest.param(lambda d: b.Sound(str(d / "beep.wav")), id="sound"),
    pytest.param(lambda d: b.UITheme(str(d / "theme" / "theme.json")), id="theme"),
])
def test_resources_loaded_and_dropped(assets, build):
    start, last = repeated(lambda: build(assets), 200)
    assert_freed(last)
    start.assert_back(start)


def test_refused_files_leave_nothing_behind(assets, tmp_path):
    (tmp_path / "bad.lvl.json").write_text('{"width": 4, "height": 4, "textures": ["wall.png", "missing.png"]}')
    (tmp_path / "bad.lvl").write_bytes(b"")
    (tmp_path / "noise.png").write_bytes(b"\x89PNG not really")

    def refuse():
        for call in (lambda: b.Level(str(tmp_path / "bad.lvl"), str(assets)),
                     lambda: b.Texture(str(tmp_path / "noise.png")),
                     lambda: b.Font(str(tmp_path / "noise.png"), 12)):
            with pytest.raises(Exception):
                call()
        return b.Texture(1, 1)

    start, last = repeated(refuse, 300)
    start.assert_back(start)
