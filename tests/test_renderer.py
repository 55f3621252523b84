import numpy as np
import pytest
from PIL import Image

import brovaline as b


class Marker:
    pass


def read_rgba(tex, tmp_path):
    path = tmp_path / "frame.png"
    tex.saveFile(str(path))
    return np.asarray(Image.open(path).convert("RGBA"))


def test_blend_mode_constants():
    assert (b.BLENDMODE_BLEND, b.BLENDMODE_ADD) == (0, 1)


@pytest.mark.parametrize("target", [None, b.Texture(2, 2), type("Sub", (b.Texture,), {})(1, 1)])
def test_target_may_be_a_texture_or_none(target):
    r = b.Renderer(target)
    assert r.getTarget() is target and r._target is target
    assert isinstance(r, b.AbstractSystem)


def test_interested_types_follow_the_target():
    t = b.Texture(1, 1)
    r = b.Renderer(t, Marker, int)
    assert r._interestedComponentTypes == (Marker, int) and r.entities == []
    assert b.Renderer(target=t)._interestedComponentTypes == ()


def test_update_processes_members_then_renders(engine, tmp_path):
    calls = []

    class Painter(b.Renderer):
        def _updateEntity(self, entity, timeStep):
            calls.append(("entity", entity.id, timeStep))

        def render(self):
            calls.append(("render",))
            self.getTarget().fill((10, 200, 30, 255))

    target = b.Texture(64, 40)
    painter = Painter(target, Marker)
    engine.ecs.addSystem(painter)
    engine.ecs.addEntity(b.Entity(7, Marker()))
    engine.ecs.addEntity(b.Entity(8))
    painter.update(timeStep=0.5)
    assert calls == [("entity", 7, 0.5), ("render",)]
    assert (read_rgba(target, tmp_path) == (10, 200, 30, 255)).all()


def test_base_render_draws_nothing(tmp_path):
    target = b.Texture(3, 3)
    r = b.Renderer(target)
    assert r.render() is None and r.update(1.0) is None
    with pytest.raises(TypeError, match=r"exactly 1 positional argument \(0 given\)"):
        r.update()
    assert (read_rgba(target, tmp_path) == 0).all()


def test_engine_frame_calls_render(engine):
    frames = []

    class Counter(b.Renderer):
        def render(self):
            frames.append(self.getTarget().getSize())

    engine.ecs.addSystem(Counter(b.Texture(64, 40)))
    engine.update()
    engine.update()
    assert frames == [(64, 40), (64, 40)]


def test_documented_texts():
    assert "the abstract base class for all brovaline renderers" in b.Renderer.__doc__
    assert b.Renderer.render.__doc__ == "Should be overwritten by deriving classes."
    assert "the camera object that is used for rendering the scene" in b.RaycastingRenderer.getCamera.__doc__
    assert "If the ray leaves the level boundaries, None is returned" in b.RaycastingRenderer.castRay.__doc__
