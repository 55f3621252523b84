"""The SDL library that the `brovaline` module itself loaded, for calling its C functions from ctypes.

A wheel bundles its own renamed copy of SDL, and a source build links the system's: loading SDL by
a fixed file name would reach a second copy (or none). Symbols looked up through the module's own
handle resolve in the module's dependency tree, which is exactly the SDL it uses.

    from brovaline_tools.sdl import loaded_sdl
    sdl = loaded_sdl()
    sdl.SDL_GetCurrentVideoDriver.restype = ctypes.c_char_p
    print(sdl.SDL_GetCurrentVideoDriver())
"""
import ctypes


def loaded_sdl():
    """A ctypes library object whose attributes are the SDL2, SDL2_image, SDL2_mixer and SDL2_ttf
    functions (SDL_PushEvent, Mix_Playing, ...) of the copy the engine uses.

    Each call gives a new object, so the argtypes and restype one caller sets on its functions do
    not change another caller's; the library underneath is the one already loaded."""
    import brovaline

    return ctypes.CDLL(brovaline.__file__)
