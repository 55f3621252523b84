from pathlib import Path

from conftest import run_script

ROOT = Path(__file__).resolve().parent.parent
MINIMAL = (ROOT / "examples" / "minimal.py").read_text()

# Appended before the example's closing engine.quit(): the camera looks from its spot towards the
# diagonal block's cell, and the picture must show the block, nearer than the border wall behind it.
LOOK_AT_THE_TRIANGLE = """
import numpy as np
toward = b.Vector2(10.5 - 5.5, 10.5 - 5.5)
toward.normalize()
camera.dir.set(toward)
hit = renderer.castRay(camera.pos, camera.dir)
renderer.render()
with_block = np.array(renderer._target)[:, 320].copy()
level.setBlock(b.BLOCK_EMPTY, 10, 10)
renderer.render()
without_block = np.array(renderer._target)[:, 320].copy()
print("HIT", int(hit.x), int(hit.y), "DIFFERING", int((with_block != without_block).sum()))
"""


def test_minimal_example_shows_its_triangle():
    assert MINIMAL.count("engine.quit()") == 1 and MINIMAL.rstrip().endswith("engine.quit()")
    source = MINIMAL.replace("engine.quit()", LOOK_AT_THE_TRIANGLE + "engine.quit()")
    result = run_script("import sys; sys.argv = ['minimal.py', '3']\n" + source)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("INIT EMPTY LEVEL")
    hit, differing = result.stdout.split("HIT ")[1].split(" DIFFERING ")
    assert hit == "10 10"  # the ray from the camera ends on the triangle's cell
    assert int(differing) > 40  # and its wall shows in the centre column (78 of 400 rows)

