"""Runs every benchmark in turn."""
import runpy
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent

for script in ("bench_python.py", "bench_game.py", "bench_raycaster.py", "bench_physics.py", "bench_level_check.py",
               "bench_tiled.py"):
    print(f"== {script}", flush=True)
    sys.argv = [str(HERE / script)]
    runpy.run_path(str(HERE / script), run_name="__main__")
