"""The documentation site's tests: they read the site that `make docs` built into build/docs.
Without it they skip, saying so; under CI (CI=true) they fail instead."""

import os
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
SITE = ROOT / "build" / "docs"
sys.path.insert(0, str(ROOT / "tools" / "docs"))


def missing(what: str) -> None:
    """Skips loudly, or fails under CI, when something the test needs is not there."""
    message = f"{what} is missing: run `make docs-test`"
    if os.environ.get("CI") == "true":
        pytest.fail(message)
    pytest.skip(message)


@pytest.fixture(scope="session")
def site() -> Path:
    if not (SITE / "index.html").exists():
        missing(f"the built site ({SITE / 'index.html'})")
    return SITE
