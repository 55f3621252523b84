import ctypes
import gc
import sys
import weakref

import numpy as np
import pytest
from PIL import Image

import brovaline as b
from brovaline_tools.sdl import loaded_sdl


def argb(tex, tmp_path, name="read.png"):
    """The texture's pixels as an array of 0xAARRGGBB words, read back through saveFile."""
    path = tmp_path / name
    tex.saveFile(str(path))
    return argb_of(Image.open(path).convert("RGBA"))


def argb_of(rgba_image):
    a = np.asarray(rgba_image).astype(np.uint32)
    return a[..., 3] << 24 | a[..., 0] << 16 | a[..., 1] << 8 | a[..., 2]


def filled(w, h, color):
    t = b.Texture(w, h)
    t.fill(color)
    return t


class Uninitialised(b.Texture):
    def __init__(self):
        pass


# --- construction -------------------------------------------------------------------------------

def test_blank_texture_is_transparent_black(tmp_path):
    t = b.Texture(4, 3)
    assert (t.width, t.height, t.getSize(), t.filename) == (4, 3, (4, 3), "")
    assert isinstance(t, b.Resource)
    assert (argb(t, tmp_path) == 0).all()


class IntSub(int):
    pass


@pytest.mark.parametrize("args", [(True, 3), (3, False), (3.0, 3), (IntSub(3), 3), (3,), (3, None), (b"x.png",)])
def test_only_exact_int_pairs_textures_and_names_are_accepted(args):
    with pytest.raises(TypeError):
        b.Texture(*args)


def test_texture_subclass_is_not_copied_by_the_copy_form():
    class Sub(b.Texture):
        pass

    with pytest.raises(TypeError):
        b.Texture(Sub(2, 2))


@pytest.mark.parametrize("size, error", [((-1, 3), ValueError), ((3, -1), ValueError),
                                         ((2**30, 1), MemoryError), ((2**31, 1), OverflowError)])
def test_impossible_sizes_raise_instead_of_leaving_an_empty_texture(size, error):
    with pytest.raises(error):
        b.Texture(*size)


def test_copy_is_exact_and_independent():
    src = filled(3, 2, (10, 20, 30, 40))
    copy = b.Texture(src, "ignored")
    assert copy.getSize() == (3, 2) and copy.filename == ""
    assert (np.asarray(copy) == 0x280A141E).all()  # semi-transparent pixels unchanged
    src.fill((1, 2, 3))
    assert (np.asarray(copy) == 0x280A141E).all()


def test_reinitialising_keeps_the_surface():
    t = b.Texture(2, 2)
    with pytest.raises(RuntimeError):
        t.__init__(5, 5)
    assert t.getSize() == (2, 2)


# --- loading ------------------------------------------------------------------------------------

@pytest.mark.parametrize("mode", ["P", "RGB", "RGBA", "L"])
def test_loaded_images_are_converted_to_argb(tmp_path, mode):
    img = Image.new("RGB", (3, 2), (200, 100, 50))
    img.putpixel((2, 1), (0, 0, 255))
    path = tmp_path / f"img_{mode}.png"
    img.convert(mode).save(path)
    expected = argb_of(img.convert(mode).convert("RGBA"))
    t = b.Texture(str(path))
    assert t.getSize() == (3, 2) and t.filename == str(path)
    assert (argb(t, tmp_path) == expected).all()


def test_relative_file_name_is_kept_as_given(tmp_path, monkeypatch):
    Image.new("RGBA", (1, 1)).save(tmp_path / "p.png")
    monkeypatch.chdir(tmp_path)
    assert b.Texture("./p.png").filename == "./p.png"


@pytest.mark.parametrize("name", ["missing.png", "not_an_image.png", "ünïcode missing.png"])
def test_unloadable_files_raise_ioerror_naming_the_file(tmp_path, name):
    (tmp_path / "not_an_image.png").write_text("plain text")
    path = str(tmp_path / name)
    with pytest.raises(IOError) as info:
        b.Texture(path)
    assert str(info.value) == "Unable to load image file '%s'" % path


def test_file_name_with_nul_is_refused():
    with pytest.raises(ValueError):
        b.Texture("a\0b.png")


# --- fill and fillChecker -----------------------------------------------------------------------

@pytest.mark.parametrize("color, word", [((10, 20, 30), 0xFF0A141E), ((10, 20, 30, 40), 0x280A141E),
                                         ([10, 20, 30], 0xFF0A141E), (range(4), 0x03000102),
                                         ((0, 0, 0, 0), 0)])
def test_fill_replaces_every_pixel(color, word):
    t = filled(3, 2, (255, 255, 255))
    t.fill(color)
    assert (np.asarray(t) == word).all()


@pytest.mark.parametrize("color, error", [((1, 2), TypeError), ((1, 2, 3, 4, 5), TypeError), (7, TypeError),
                                          ((c for c in (1, 2, 3)), TypeError), ((1, -2, 3), OverflowError),
                                          ((1, 2, 3, 256), ValueError), ((1.0, 2, 3), TypeError),
                                          (("1", 2, 3), TypeError)])
def test_fill_rejects_bad_colours(color, error):
    t = filled(2, 2, (1, 1, 1))
    with pytest.raises(error):
        t.fill(color)


def test_fill_length_message():
    with pytest.raises(TypeError, match=r"^color must be a tuple of 3 \(rgb\) or 4 \(rgba\) integers between 0 and 255$"):
        b.Texture(1, 1).fill((1, 2))


@pytest.mark.parametrize("w, h", [(5, 5), (4, 2), (1, 1), (3, 1)])
def test_checker_quarters(w, h):
    t = b.Texture(w, h)
    t.fillChecker()
    hw, hh = w // 2, h // 2
    y, x = np.mgrid[0:h, 0:w]
    dark = ((x < hw) & (y < hh)) | ((x >= hw) & (x < 2 * hw) & (y >= hh) & (y < 2 * hh))
    assert (np.asarray(t) == np.where(dark, 0xFF333333, 0xFFAAAAAA)).all()


# --- copyFrom -----------------------------------------------------------------------------------

def test_copy_from_blends_by_source_alpha(tmp_path):
    dst = filled(2, 2, (0, 0, 255))
    dst.copyFrom(filled(2, 2, (255, 0, 0, 128)))
    a, r, g, bl = (argb(dst, tmp_path) >> np.uint32(s) & 0xFF for s in (24, 16, 8, 0))
    near = lambda channel, value: (abs(channel.astype(int) - value) <= 3).all()  # SDL's blend rounding
    assert near(a, 255) and near(r, 128) and near(bl, 127) and (g == 0).all()


def test_copy_from_is_clipped_to_the_destination():
    big = filled(4, 4, (9, 9, 9))
    small = filled(2, 3, (1, 2, 3))
    small.copyFrom(big)
    assert (np.asarray(small) == 0xFF090909).all()
    big.copyFrom(filled(2, 3, (1, 2, 3)))
    px = np.asarray(big)
    assert (px[:3, :2] == 0xFF010203).all() and (px[3, :] == 0xFF090909).all() and (px[:, 2:] == 0xFF090909).all()


@pytest.mark.parametrize("other", [None, 5, "x.png"])
def test_copy_from_requires_a_texture(other):
    with pytest.raises(TypeError, match="Argument 'other' has incorrect type"):
        b.Texture(1, 1).copyFrom(other)


# --- saveFile -----------------------------------------------------------------------------------

@pytest.mark.parametrize("name, error", [(None, TypeError), ("a\0.png", ValueError)])
def test_save_file_rejects_bad_names(name, error):
    with pytest.raises(error):
        b.Texture(1, 1).saveFile(name)


def test_save_file_reports_a_failed_write(tmp_path):
    with pytest.raises(IOError, match="Unable to write image file"):
        b.Texture(1, 1).saveFile(str(tmp_path / "no such dir" / "x.png"))


# --- buffer view --------------------------------------------------------------------------------

@pytest.mark.parametrize("w, h", [(3, 2), (1, 5), (0, 0)])
def test_buffer_is_a_writable_grid_of_argb_words(w, h):
    t = filled(w, h, (10, 20, 30, 40))
    view = memoryview(t)
    assert (view.format, view.itemsize, view.shape, view.strides, view.readonly) == ("I", 4, (h, w), (4 * w, 4), False)
    px = np.asarray(t)
    assert px.shape == (h, w) and px.dtype == np.uint32 and (px == 0x280A141E).all()
    assert bytes(t) == px.tobytes()  # a plain byte buffer request gets the same rows


PyBUF_F_CONTIGUOUS, PyBUF_ANY_CONTIGUOUS = 0x0040 | 0x0018, 0x0080 | 0x0018
get_buffer = ctypes.PYFUNCTYPE(ctypes.c_int, ctypes.py_object, ctypes.c_void_p, ctypes.c_int)(
    ("PyObject_GetBuffer", ctypes.pythonapi))
release_buffer = ctypes.PYFUNCTYPE(None, ctypes.c_void_p)(("PyBuffer_Release", ctypes.pythonapi))


def request_buffer(obj, flags):
    """Takes and releases a buffer with the given request flags, as a C consumer would."""
    view = ctypes.create_string_buffer(128)  # room for a Py_buffer
    get_buffer(obj, view, flags)
    release_buffer(view)


@pytest.mark.parametrize("w, h, flags, exported", [(3, 2, PyBUF_F_CONTIGUOUS, False), (3, 1, PyBUF_F_CONTIGUOUS, True),
                                                   (3, 2, PyBUF_ANY_CONTIGUOUS, True)])
def test_column_order_is_refused_unless_the_rows_are_columns_too(w, h, flags, exported):
    if exported:
        request_buffer(b.Texture(w, h), flags)
    else:
        with pytest.raises(BufferError, match="not F-contiguous"):
            request_buffer(b.Texture(w, h), flags)


def test_writes_through_the_view_reach_the_texture(tmp_path):
    t = filled(3, 2, (0, 0, 0))
    np.asarray(t)[1, 2] = 0xFF102030
    memoryview(t)[0, 0] = 0x80405060
    expected = np.full((2, 3), 0xFF000000, dtype=np.uint32)
    expected[1, 2], expected[0, 0] = 0xFF102030, 0x80405060
    assert (argb(t, tmp_path) == expected).all()
    assert (np.asarray(b.Texture(t)) == expected).all()


def test_pillow_reads_the_pixels_in_place():
    t = filled(3, 2, (10, 20, 30, 40))
    raw = "BGRA" if sys.byteorder == "little" else "ARGB"  # the word's bytes in memory order
    assert Image.frombuffer("RGBA", (3, 2), t, "raw", raw, 0, 1).getpixel((2, 1)) == (10, 20, 30, 40)
    # Pillow maps a buffer without copying only for a raw mode equal to the image mode.
    mapped = Image.frombuffer("RGBA", (3, 2), t, "raw", "RGBA", 0, 1)
    t.fill((1, 2, 3, 4))
    assert mapped.getpixel((0, 0)) == ((3, 2, 1, 4) if sys.byteorder == "little" else (4, 1, 2, 3))


def test_views_share_the_pixels_and_keep_the_texture_alive():
    t = filled(4, 4, (1, 2, 3))
    first, second = np.asarray(t), np.asarray(t)
    assert np.shares_memory(first, second)
    alive = weakref.ref(t)
    del t, second
    gc.collect()
    assert alive() is not None and (first == 0xFF010203).all()
    del first
    gc.collect()
    assert alive() is None


# --- robustness ---------------------------------------------------------------------------------

@pytest.mark.parametrize("use", [
    lambda t: t.width, lambda t: t.height, lambda t: t.getSize(), lambda t: t.fill((1, 2, 3)),
    lambda t: t.fillChecker(), lambda t: t.saveFile("never.png"), lambda t: t.copyFrom(b.Texture(1, 1)),
    lambda t: b.Texture(1, 1).copyFrom(t), lambda t: b.Texture(b.Texture.__new__(b.Texture)),
    memoryview, bytes,
])
def test_texture_without_init_raises_instead_of_crashing(use):
    with pytest.raises(RuntimeError, match="Texture.__init__ was not called"):
        use(Uninitialised())


def test_surfaces_are_released_with_their_texture():
    sdl = loaded_sdl()
    sdl.SDL_GetNumAllocations.restype = ctypes.c_int
    b.Texture(b.Texture(8, 8))  # warm up lazily allocated SDL state
    before = sdl.SDL_GetNumAllocations()
    for _ in range(20):
        b.Texture(b.Texture(16, 16)).fillChecker()
    assert sdl.SDL_GetNumAllocations() == before


# --- Resource -----------------------------------------------------------------------------------

def test_resource_holds_its_file_name():
    r = b.Resource(filename="level.map")
    assert r.filename == r._filename == "level.map"
    with pytest.raises(AttributeError):
        r.filename = "x"


@pytest.mark.parametrize("args", [(), ("a", "b")])
def test_resource_takes_exactly_one_argument(args):
    with pytest.raises(TypeError):
        b.Resource(*args)
