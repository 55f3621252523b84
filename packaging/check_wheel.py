"""Refuses a binary wheel that bundles anything but the four SDL libraries of pysdl2-dll.

auditwheel copies in whatever the module's libraries resolve to: a build that found Debian's SDL
instead would bundle it with X11, Wayland, PulseAudio and dozens more, which then clash with the
player's own copies. Checked here: the platform tag; the bundled libraries are exactly SDL2,
SDL2_image, SDL2_mixer and SDL2_ttf, each needing nothing outside the manylinux base libraries
and each other; the module carries its C++ runtime inside; the package files are all present.

Usage: check_wheel.py WHEEL PLATFORM_TAG
"""
import io
import re
import sys
import zipfile

from elftools.elf.dynamic import DynamicSection
from elftools.elf.elffile import ELFFile

BUNDLED = ("libSDL2", "libSDL2_image", "libSDL2_mixer", "libSDL2_ttf")
# What manylinux lets a wheel take from the system (pysdl2-dll's SDL2_ttf uses libstdc++).
SYSTEM = {"libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1", "libstdc++.so.6",
          "libgcc_s.so.1", "ld-linux-x86-64.so.2"}
PACKAGE_FILES = [r"brovaline\.cpython-[^/]*\.so", r"brovaline-stubs/__init__\.pyi", r"brovaline-stubs/py\.typed",
                 r"brovaline_tools/__init__\.py", r"brovaline_tools/sdl\.py", r"brovaline_tools/level/cli\.py",
                 r"brovaline-[^/]*\.dist-info/entry_points\.txt"]


def needed(data):
    elf = ELFFile(io.BytesIO(data))
    section = next(s for s in elf.iter_sections() if isinstance(s, DynamicSection))
    return {t.needed for t in section.iter_tags() if t.entry.d_tag == "DT_NEEDED"}


def problems(wheel, platform):
    found = []
    if not wheel.endswith(f"-{platform}.whl"):
        found.append(f"platform tag is not {platform}: {wheel}")
    with zipfile.ZipFile(wheel) as z:
        names = z.namelist()
        libs = {n.split("/", 1)[1]: z.read(n) for n in names if n.startswith("brovaline.libs/") and not n.endswith("/")}
        module = [n for n in names if re.fullmatch(PACKAGE_FILES[0], n)]
        for pattern in PACKAGE_FILES:
            if not any(re.fullmatch(pattern, n) for n in names):
                found.append(f"missing from the wheel: {pattern}")
        kinds = sorted(re.sub(r"-[0-9].*", "", name) for name in libs)
        if kinds != sorted(BUNDLED):
            found.append(f"bundled libraries are {sorted(libs)}, expected exactly one each of {list(BUNDLED)}")
        for name, data in libs.items():
            extra = needed(data) - SYSTEM - set(libs)
            if extra:
                found.append(f"{name} needs {sorted(extra)}: neither bundled nor allowed from the system")
        if module:
            wants = needed(z.read(module[0]))
            extra = (wants - SYSTEM - set(libs)) | (wants & {"libstdc++.so.6", "libgcc_s.so.1"})
            if extra:
                found.append(f"the module needs {sorted(extra)}: its C++ runtime belongs inside it")
    return found


def main(wheel, platform):
    found = problems(wheel, platform)
    if found:
        sys.exit("check_wheel.py: refusing " + wheel + ":\n  " + "\n  ".join(found))
    print(f"check_wheel.py: {wheel}: bundles exactly {', '.join(BUNDLED)} from pysdl2-dll")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
