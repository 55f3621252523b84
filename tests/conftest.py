import os
import subprocess
import sys
import textwrap

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import pytest  # noqa: E402

import brovaline  # noqa: E402,F401


@pytest.fixture
def engine():
    """An initialised engine with a hidden 64 x 40 window; subscribers and tasks are reset afterwards."""
    import brovaline as b

    e = b.Engine()
    e.init("test", (64, 40), show=False)
    yield e
    b.Engine._eventSubscribers.clear()
    b.Engine._tasks.clear()


def run_script(source, timeout=60):
    """Runs a Python snippet in a fresh interpreter (for anything that shuts SDL down)."""
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    return subprocess.run([sys.executable, "-c", textwrap.dedent(source)], capture_output=True, text=True,
                          timeout=timeout, env=env)
