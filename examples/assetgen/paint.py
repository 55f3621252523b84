"""Small NumPy helpers shared by the image generators: tileable noise, colour ramps, saving."""
import numpy as np
from PIL import Image


def rng(seed):
    return np.random.default_rng(seed)


def tileable_noise(size, cells, seed):
    """Smooth value noise of shape (h, w) that wraps around both axes; `cells` lattice points per axis."""
    h, w = size
    cy, cx = (cells, cells) if isinstance(cells, int) else cells
    lattice = rng(seed).random((cy, cx))
    ys = np.arange(h) * cy / h
    xs = np.arange(w) * cx / w
    y0 = np.floor(ys).astype(int)
    x0 = np.floor(xs).astype(int)
    fy = _smooth(ys - y0)[:, None]
    fx = _smooth(xs - x0)[None, :]
    y1 = (y0 + 1) % cy
    x1 = (x0 + 1) % cx
    a = lattice[y0][:, x0]
    b = lattice[y0][:, x1]
    c = lattice[y1][:, x0]
    d = lattice[y1][:, x1]
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy


def fbm(size, cells, seed, octaves=4):
    """Fractal sum of tileable noise, normalised to 0..1."""
    total = np.zeros(size)
    amplitude, weight = 1.0, 0.0
    cy, cx = (cells, cells) if isinstance(cells, int) else cells
    for octave in range(octaves):
        total += amplitude * tileable_noise(size, (cy << octave, cx << octave), seed + octave)
        weight += amplitude
        amplitude *= 0.5
    return total / weight


def _smooth(t):
    return t * t * (3 - 2 * t)


def ramp(values, stops):
    """Maps an array of 0..1 values through colour stops [(position, (r, g, b)), ...] to an RGB array."""
    positions = [p for p, _ in stops]
    channels = [np.interp(values, positions, [c[i] for _, c in stops]) for i in range(3)]
    return np.stack(channels, axis=-1)


def shade(rgb, factor):
    """Multiplies an RGB array by a per-pixel (or scalar) factor."""
    factor = np.asarray(factor, dtype=float)
    if factor.ndim == 2:
        factor = factor[..., None]
    return rgb * factor


def to_image(rgb, alpha=None):
    rgb = np.clip(rgb, 0, 255).astype(np.uint8)
    if alpha is None:
        return Image.fromarray(rgb, "RGB")
    a = np.clip(alpha, 0, 255).astype(np.uint8)
    return Image.fromarray(np.dstack([rgb, a]), "RGBA")


def save(image, path):
    path.parent.mkdir(parents=True, exist_ok=True)
    image.save(path)
    return path.name
