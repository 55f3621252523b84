import os
import subprocess
import sys
import textwrap
from pathlib import Path

import pytest

import brovaline  # noqa: F401  (the brovaline pytest plugin has chosen SDL's dummy drivers by now)


@pytest.fixture
def engine_size():
    """The plugin's `engine` fixture opens a hidden 64 x 40 window for these tests."""
    return (64, 40)


@pytest.fixture(scope="session")
def assets(tmp_path_factory):
    """The demo game's assets, generated once per test run."""
    out = tmp_path_factory.mktemp("assets")
    subprocess.run([sys.executable, str(Path(__file__).parents[1] / "examples" / "make_assets.py"), str(out)],
                   check=True, capture_output=True, timeout=300)
    return out


def run_script(source, timeout=60):
    """Runs a Python snippet in a fresh interpreter (for anything that shuts SDL down)."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run([sys.executable, "-c", textwrap.dedent(source)], capture_output=True, text=True,
                          timeout=timeout, env=env)
