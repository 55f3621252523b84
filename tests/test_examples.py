from pathlib import Path

from conftest import run_script

EXAMPLES = Path(__file__).resolve().parent.parent / "examples"


def test_minimal_example_runs_headless():
    source = (EXAMPLES / "minimal.py").read_text()
    result = run_script("import sys; sys.argv = ['minimal.py', '3']\n" + source)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("INIT EMPTY LEVEL")
