import numpy as np
import pytest
from PIL import Image

import brovaline as b

FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
WHITE = (255, 255, 255)


@pytest.fixture(scope="module")
def font():
    return b.Font(FONT_FILE, 16)


def test_font_keeps_file_name_and_size(font):
    assert isinstance(font, b.Resource)
    assert font.filename == FONT_FILE
    assert font.size == 16 and font.getFontSize() == 16
    with pytest.raises(AttributeError):
        font.size = 3


@pytest.mark.parametrize("filename, error", [
    ("/nonexistent/font.ttf", IOError),
    (__file__, IOError),
    (42, TypeError),
    (FONT_FILE + "\0.png", ValueError),
])
def test_unloadable_font_is_rejected(filename, error):
    with pytest.raises(error) as info:
        b.Font(filename, 12)
    if error is IOError:
        assert str(info.value).startswith("Unable to load font file '%s': " % filename)
        assert len(str(info.value)) > len("Unable to load font file '%s': " % filename)


@pytest.mark.parametrize("size", [0, -4])
def test_non_positive_size_is_rejected(size):
    with pytest.raises(ValueError):
        b.Font(FONT_FILE, size)


def test_rendered_size_matches_measurement(font):
    w, h = font.getRenderedTextSize("Hello")
    texture = font.render("Hello", WHITE)
    assert isinstance(texture, b.Texture)
    assert (texture.width, texture.height) == (w, h)
    assert w > font.getRenderedTextSize("Hi")[0] > 0


def test_render_lines_stacks_lines_and_empty_lines_take_the_font_size(font):
    a, wide = font.render("a", WHITE), font.render("wider line", WHITE)
    texture = font.renderLines(["a", "", "wider line"], WHITE)
    assert texture.width == wide.width
    assert texture.height == a.height + font.size + wide.height


def test_render_lines_of_nothing_is_empty(font):
    for lines in ([], ()):
        texture = font.renderLines(lines, WHITE)
        assert (texture.width, texture.height) == (0, 0)


def test_empty_text_gives_an_empty_line(font):
    texture = font.render("", WHITE)
    assert texture.width == 0
    assert texture.height == font.getRenderedTextSize("")[1]


@pytest.mark.parametrize("color, error", [
    ((1, 2), ValueError),
    ((1, 2, 3, 4, 5), ValueError),
    ((256, 0, 0), OverflowError),
    ((0, -1, 0), OverflowError),
    ((0, 0, "x"), TypeError),
    (7, TypeError),
])
def test_bad_colours_are_rejected(font, color, error):
    with pytest.raises(error):
        font.render("x", color)
    with pytest.raises(error):
        font.renderLines(["x"], color)


@pytest.mark.parametrize("call", [
    lambda f: f.render(3, WHITE),
    lambda f: f.render("a\0b", WHITE),
    lambda f: f.renderLines(["ok", None], WHITE),
    lambda f: f.renderLines(5, WHITE),
    lambda f: f.getRenderedTextSize(b"bytes"),
])
def test_bad_text_is_rejected(font, call):
    with pytest.raises((TypeError, ValueError)):
        call(font)


def test_unopened_font_raises_instead_of_crashing():
    font = b.Font.__new__(b.Font)
    with pytest.raises(b.EngineException):
        font.render("x", WHITE)
    with pytest.raises(b.EngineException):
        font.getRenderedTextSize("x")


def pixels(texture, tmp_path):
    path = tmp_path / "t.png"
    texture.saveFile(str(path))
    return np.asarray(Image.open(path).convert("RGBA"))


def test_render_draws_opaque_colour_text_on_transparent_background(font, tmp_path):
    rgba = pixels(font.render("Hx", (255, 0, 0)), tmp_path)
    ink = rgba[..., 3] > 0
    assert ink.any() and (~ink).any()
    assert rgba[..., 3].max() == 255
    assert (rgba[ink][:, :3] == (255, 0, 0)).all()


def test_three_and_four_component_colours_render_alike(font, tmp_path):
    rgb = pixels(font.render("x", (255, 0, 0)), tmp_path)
    assert (rgb == pixels(font.render("x", (255, 0, 0, 255)), tmp_path)).all()


def test_colour_alpha_scales_the_text_alpha(font, tmp_path):
    assert pixels(font.render("x", (255, 0, 0, 100)), tmp_path)[..., 3].max() <= 100


def test_render_lines_places_each_line_unchanged(font, tmp_path):
    a, b_ = pixels(font.render("a", WHITE), tmp_path), pixels(font.render("bq", WHITE), tmp_path)
    stacked = pixels(font.renderLines(["a", "", "bq"], WHITE), tmp_path)
    assert (stacked[:a.shape[0], :a.shape[1]] == a).all()
    assert (stacked[:a.shape[0], a.shape[1]:, 3] == 0).all()
    assert (stacked[a.shape[0]:a.shape[0] + font.size, :, 3] == 0).all()
    assert (stacked[a.shape[0] + font.size:, :b_.shape[1]] == b_).all()
