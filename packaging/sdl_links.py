"""Points the wheel build at the SDL libraries of the `pysdl2-dll` package.

They are built to load X11, Wayland, PulseAudio and ALSA from the player's system at run time, so
bundling them brings no copy of those into the wheel. The package ships no headers and names its
files differently from their sonames, so this writes, under OUT:

  lib/         the soname (libSDL2-2.0.so.0) and the linker name (libSDL2.so) of each library,
               linked to the package's file: the module is linked against them, and auditwheel
               finds them on LD_LIBRARY_PATH by the soname the module asks for
  include/     Debian's SDL headers (SDL2 keeps its ABI, so they fit the newer libraries)
  pkgconfig/   one .pc file per library, for PKG_CONFIG_LIBDIR, naming only the two folders above
               (the system's .pc files add Debian's include folders, whose glibc headers must not
               mix with the cross compiler's)

Usage: sdl_links.py OUT
"""
import glob
import os
import shutil
import sys
from pathlib import Path

from elftools.elf.dynamic import DynamicSection
from elftools.elf.elffile import ELFFile

# pkg-config name, link name: what CMakeLists.txt asks pkg-config for.
LIBRARIES = {"sdl2": "SDL2", "SDL2_image": "SDL2_image", "SDL2_mixer": "SDL2_mixer", "SDL2_ttf": "SDL2_ttf"}
# Debian's headers: the common folder and the architecture's configuration header.
HEADER_GLOBS = ["/usr/include/SDL2/*.h", "/usr/include/*-linux-gnu/SDL2/*.h"]


def fail(message):
    sys.exit(f"sdl_links.py: {message}")


def soname(path):
    with open(path, "rb") as f:
        for section in ELFFile(f).iter_sections():
            if isinstance(section, DynamicSection):
                for tag in section.iter_tags():
                    if tag.entry.d_tag == "DT_SONAME":
                        return tag.soname
    fail(f"{path} has no soname")


def dll_folder():
    try:
        import sdl2dll
    except ImportError:
        fail("the pysdl2-dll package is not installed in this interpreter (make wheel installs it)")
    return Path(sdl2dll.get_dllpath())


def link(target, name):
    if name.is_symlink() or name.exists():
        name.unlink()
    name.symlink_to(target)


def main(out):
    out = Path(out).resolve()
    dlls = dll_folder()
    for sub in ("lib", "include", "pkgconfig"):
        shutil.rmtree(out / sub, ignore_errors=True)
        (out / sub).mkdir(parents=True)

    headers = [h for pattern in HEADER_GLOBS for h in glob.glob(pattern)]
    if not any(h.endswith("/SDL_mixer.h") for h in headers):
        fail("Debian's SDL headers are missing (libsdl2-dev, libsdl2-image-dev, libsdl2-mixer-dev, libsdl2-ttf-dev)")
    (out / "include/SDL2").mkdir()
    for h in headers:
        shutil.copy2(h, out / "include/SDL2" / os.path.basename(h))  # kept times: no rebuild

    for pc_name, lib in LIBRARIES.items():
        files = sorted(dlls.glob(f"lib{lib}-2.0.so*"))
        if len(files) != 1:
            fail(f"expected one lib{lib}-2.0.so* in {dlls}, found {[f.name for f in files]}")
        real = files[0]
        link(real, out / "lib" / soname(real))
        link(real, out / "lib" / f"lib{lib}.so")
        (out / "pkgconfig" / f"{pc_name}.pc").write_text(
            f"Name: {pc_name}\nDescription: {lib} from pysdl2-dll\nVersion: 2\n"
            f"Libs: -L{out / 'lib'} -l{lib}\nCflags: -I{out / 'include'} -I{out / 'include/SDL2'} -D_REENTRANT\n")
    print(f"SDL for the wheel: {dlls} -> {out}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
