"""The pytest plugin of brovaline_tools.testing (registered through the `pytest11` entry point).

Fixtures: `engine` (an initialised headless engine; size and `Engine.init` options from the
`brovaline` marker or the `engine_size` fixture), `clean_engine_state` (for tests whose game makes its
own engine), `assert_frame` (golden frames beside the test, in `goldens/`). Option: --update-goldens.
"""
import os

import pytest

# pytest loads entry-point plugins before conftest files and test modules: importing the package here
# chooses SDL's dummy drivers before any `import brovaline` of the tests starts SDL.
from . import DRIVERS_CHOSEN, headless

DEFAULT_ENGINE_SIZE = (320, 200)


def pytest_addoption(parser):
    group = parser.getgroup("brovaline")
    group.addoption("--update-goldens", action="store_true", default=False,
                    help="write golden frames that are missing or differ, instead of failing")


def pytest_configure(config):
    if not DRIVERS_CHOSEN and "SDL_VIDEODRIVER" not in os.environ:
        config.issue_config_time_warning(pytest.PytestConfigWarning(
            "brovaline was imported before the brovaline plugin could choose SDL's dummy drivers: the tests "
            f"run on the {headless.current_video_driver()!r} video driver"), stacklevel=2)
    config.addinivalue_line("markers", "brovaline(size=(w, h), **init_options): the size and Engine.init options "
                            "of the test's `engine` fixture")


@pytest.fixture
def clean_engine_state():
    """Resets the state all engines share before and after the test; fails the test if it left a
    delayed task's timer running."""
    headless.reset_engine_state()
    yield
    leaked = headless.reset_engine_state()
    if leaked:
        pytest.fail(f"the test left {len(leaked)} delayed task(s) running (addTaskAfter): "
                    f"{headless.describe_timers(leaked)}", pytrace=False)


@pytest.fixture
def engine_size():
    """The size of the `engine` fixture's window when the test has no `brovaline` marker."""
    return DEFAULT_ENGINE_SIZE


@pytest.fixture
def engine(request, engine_size, clean_engine_state):
    """An initialised engine with a hidden window; its systems, entities and the shared state are
    removed afterwards."""
    marker = request.node.get_closest_marker("brovaline")
    options = dict(marker.kwargs) if marker else {}
    size = options.pop("size", marker.args[0] if marker and marker.args else engine_size)
    created = headless.start_engine(size, **options)
    yield created
    headless.clear_engine(created)   # then clean_engine_state resets the shared state


@pytest.fixture
def assert_frame(request):
    """assert_frame(picture, name, tolerance=2, max_share=0.001): compares with goldens/name.png beside
    the test file (see brovaline_tools.testing.assert_frame)."""
    from .golden import assert_frame as compare

    folder = request.path.parent / "goldens"
    update = request.config.getoption("update_goldens")

    def check(picture, name, **tolerances):
        __tracebackhide__ = True
        compare(picture, name, folder, update=update, **tolerances)

    return check
