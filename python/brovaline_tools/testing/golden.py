"""Golden frames: a rendered picture compared with a PNG kept beside the tests, within a tolerance."""
import os
import re
from pathlib import Path

import numpy as np

DEFAULT_TOLERANCE = 2          # largest difference per channel (0-255) that still counts as equal
DEFAULT_MAX_SHARE = 0.001      # share of pixels that may differ by more than that
_NAME = re.compile(r"[A-Za-z0-9][A-Za-z0-9_.-]*")


class FrameMismatch(AssertionError):
    """The picture differs from its golden frame (or there is none yet)."""


def picture_pixels(picture):
    """A (height, width) uint32 array of 0xAARRGGBB pixels from a Texture, a PNG file or such an array."""
    import brovaline

    if isinstance(picture, (str, os.PathLike)):
        path = Path(picture)
        if not path.is_file():
            raise FileNotFoundError(f"no picture at {path}")
        picture = brovaline.Texture(str(path))
    if isinstance(picture, brovaline.Texture):
        return np.array(np.asarray(picture), dtype=np.uint32)
    pixels = np.asarray(picture)
    if pixels.ndim != 2 or pixels.dtype != np.uint32:
        raise TypeError("a picture is a brovaline.Texture, a PNG file name or a (height, width) uint32 array, "
                        f"not {type(picture).__name__}"
                        + (f" of shape {pixels.shape} and type {pixels.dtype}" if hasattr(picture, "shape") else ""))
    return pixels


def _channels(pixels):
    return pixels.view(np.uint8).reshape(*pixels.shape, 4).astype(np.int16)


def write_png(pixels, path):
    """Writes 0xAARRGGBB pixels as a PNG, through a temporary file so no half-written file is left."""
    import brovaline

    height, width = pixels.shape
    texture = brovaline.Texture(width, height)
    np.asarray(texture)[:] = pixels
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    temporary = path.with_name(path.name + ".tmp")
    try:
        texture.saveFile(str(temporary))
        os.replace(temporary, path)
    finally:
        temporary.unlink(missing_ok=True)


def difference_picture(actual, differs):
    """The `differs` pixels in red, over a dimmed grey copy of the actual picture."""
    grey = (_channels(actual)[..., :3].mean(axis=-1) * 0.4).astype(np.uint32)
    picture = 0xFF000000 | grey << 16 | grey << 8 | grey
    picture[differs] = 0xFFFF0000
    return picture


def _compare(actual, golden_path, tolerance, max_share):
    """(what is wrong or None, the mask of differing pixels when the sizes agree)."""
    if not golden_path.exists():
        return f"no golden frame {golden_path}", None
    golden = picture_pixels(golden_path)
    if golden.shape != actual.shape:
        return (f"the picture is {actual.shape[1]} x {actual.shape[0]} pixels, the golden frame {golden_path} "
                f"{golden.shape[1]} x {golden.shape[0]}"), None
    worst = np.abs(_channels(actual) - _channels(golden)).max(axis=-1)
    differs = worst > tolerance
    share = float(np.mean(differs))
    if share <= max_share:
        return None, differs
    return (f"{share:.2%} of the pixels differ from {golden_path} by more than {tolerance} "
            f"(allowed: {max_share:.2%}; largest difference {int(worst.max())})"), differs


def assert_frame(picture, name, folder, update=False, tolerance=DEFAULT_TOLERANCE, max_share=DEFAULT_MAX_SHARE):
    """Compares `picture` (a Texture, a PNG file or an array of pixels) with `folder/name.png`.

    It matches when at most `max_share` of the pixels differ by more than `tolerance` in some channel
    (alpha included). On a mismatch `name.actual.png` and `name.diff.png` (differing pixels in red)
    are written beside the golden and `FrameMismatch` names them. With `update`, a missing or
    mismatching golden is (re)written from the picture instead, and the call passes."""
    if not _NAME.fullmatch(name) or name.endswith((".png", ".actual", ".diff")):
        raise ValueError(f"golden frame name {name!r} must be a plain file name without extension "
                         "(letters, digits, '_', '-', '.')")
    actual = picture_pixels(picture)
    folder = Path(folder)
    golden_path, actual_path, diff_path = (folder / f"{name}{suffix}.png" for suffix in ("", ".actual", ".diff"))
    problem, differs = _compare(actual, golden_path, tolerance, max_share)
    for stale in (actual_path, diff_path):
        stale.unlink(missing_ok=True)
    if problem is None:
        return
    if update:
        write_png(actual, golden_path)
        return
    write_png(actual, actual_path)
    written = [actual_path]
    if differs is not None:
        write_png(difference_picture(actual, differs), diff_path)
        written.append(diff_path)
    raise FrameMismatch(f"{problem}; wrote {' and '.join(map(str, written))}; "
                        "run pytest with --update-goldens to accept the new picture")
