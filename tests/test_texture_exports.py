"""The surface helpers exported from the extension module with C linkage, called through ctypes."""
import ctypes

import pytest
from PIL import Image

import brovaline
from brovaline_tools.sdl import loaded_sdl

ARGB8888 = 0x16362004


class PixelFormat(ctypes.Structure):
    _fields_ = [("format", ctypes.c_uint32), ("palette", ctypes.c_void_p), ("BitsPerPixel", ctypes.c_uint8),
                ("BytesPerPixel", ctypes.c_uint8), ("padding", ctypes.c_uint8 * 2), ("Rmask", ctypes.c_uint32),
                ("Gmask", ctypes.c_uint32), ("Bmask", ctypes.c_uint32), ("Amask", ctypes.c_uint32),
                ("Rloss", ctypes.c_uint8), ("Gloss", ctypes.c_uint8), ("Bloss", ctypes.c_uint8),
                ("Aloss", ctypes.c_uint8), ("Rshift", ctypes.c_uint8), ("Gshift", ctypes.c_uint8),
                ("Bshift", ctypes.c_uint8), ("Ashift", ctypes.c_uint8), ("refcount", ctypes.c_int),
                ("next", ctypes.c_void_p)]


class Surface(ctypes.Structure):
    _fields_ = [("flags", ctypes.c_uint32), ("format", ctypes.POINTER(PixelFormat)), ("w", ctypes.c_int),
                ("h", ctypes.c_int), ("pitch", ctypes.c_int), ("pixels", ctypes.c_void_p)]


SurfacePtr = ctypes.POINTER(Surface)


@pytest.fixture(scope="module")
def lib():
    so = ctypes.CDLL(brovaline.__file__)
    so.createSurface.argtypes = [ctypes.c_int, ctypes.c_int]
    so.convertSurface.argtypes = [SurfacePtr]
    so.loadSurfaceFromFile.argtypes = [ctypes.c_char_p]
    for fn in (so.createSurface, so.convertSurface, so.loadSurfaceFromFile):
        fn.restype = SurfacePtr
    return so


@pytest.fixture(scope="module")
def sdl():
    so = loaded_sdl()
    so.SDL_CreateRGBSurface.restype = SurfacePtr
    so.SDL_CreateRGBSurface.argtypes = [ctypes.c_uint32, ctypes.c_int, ctypes.c_int, ctypes.c_int] + [ctypes.c_uint32] * 4
    so.SDL_FreeSurface.argtypes = [SurfacePtr]
    return so


def words(surface):
    s = surface.contents
    row = s.pitch // 4
    buf = (ctypes.c_uint32 * (row * s.h)).from_address(s.pixels)
    return [[buf[y * row + x] for x in range(s.w)] for y in range(s.h)]


def assert_texture_format(surface):
    fmt = surface.contents.format.contents
    assert (fmt.format, fmt.BytesPerPixel, fmt.Amask, fmt.Rmask) == (ARGB8888, 4, 0xFF000000, 0x00FF0000)


def test_pixel_format_record_is_exported():
    fmt = PixelFormat.in_dll(ctypes.CDLL(brovaline.__file__), "TexturePixelFormat")
    assert (fmt.format, fmt.palette, fmt.BitsPerPixel, fmt.BytesPerPixel) == (ARGB8888, None, 32, 4)
    assert (fmt.Rmask, fmt.Gmask, fmt.Bmask, fmt.Amask) == (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    assert (fmt.Rshift, fmt.Gshift, fmt.Bshift, fmt.Ashift) == (16, 8, 0, 24)
    assert (fmt.Rloss, fmt.Gloss, fmt.Bloss, fmt.Aloss, fmt.refcount, fmt.next) == (0, 0, 0, 0, 1, None)


def test_create_surface_is_zeroed(lib, sdl):
    s = lib.createSurface(3, 2)
    assert (s.contents.w, s.contents.h) == (3, 2)
    assert_texture_format(s)
    assert words(s) == [[0] * 3] * 2
    sdl.SDL_FreeSurface(s)
    assert not lib.createSurface(-1, 2)


def test_convert_surface_copies_into_the_texture_format(lib, sdl):
    rgb = sdl.SDL_CreateRGBSurface(0, 2, 1, 24, 0xFF, 0xFF00, 0xFF0000, 0)
    ctypes.memmove(rgb.contents.pixels, bytes([10, 20, 30, 40, 50, 60]), 6)
    converted = lib.convertSurface(rgb)
    assert_texture_format(converted)
    assert words(converted) == [[0xFF0A141E, 0xFF28323C]]
    assert rgb.contents.format.contents.BytesPerPixel == 3  # left untouched
    sdl.SDL_FreeSurface(converted)
    sdl.SDL_FreeSurface(rgb)


def test_load_surface_from_file(lib, sdl, tmp_path):
    path = tmp_path / "p.png"
    Image.new("RGB", (2, 2), (1, 2, 3)).quantize().save(path)  # palette image
    s = lib.loadSurfaceFromFile(str(path).encode())
    assert_texture_format(s)
    assert words(s) == [[0xFF010203] * 2] * 2
    sdl.SDL_FreeSurface(s)
    assert not lib.loadSurfaceFromFile(str(tmp_path / "missing.png").encode())
