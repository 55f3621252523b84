import os
import subprocess
import sys
import textwrap

import pytest

import brovaline  # noqa: F401  (the brovaline pytest plugin has chosen SDL's dummy drivers by now)


@pytest.fixture
def engine_size():
    """The plugin's `engine` fixture opens a hidden 64 x 40 window for these tests."""
    return (64, 40)


def run_script(source, timeout=60):
    """Runs a Python snippet in a fresh interpreter (for anything that shuts SDL down)."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run([sys.executable, "-c", textwrap.dedent(source)], capture_output=True, text=True,
                          timeout=timeout, env=env)
