"""Every code block of the guides runs headless, and the pictures it draws are the site's."""

import io

import numpy as np
import pytest
from PIL import Image

import codeblocks

BLOCKS = codeblocks.all_code_blocks()


@pytest.mark.parametrize("block", BLOCKS, ids=[b.label for b in BLOCKS])
def test_code_block_runs_and_draws_the_sites_pictures(block, site):
    outcome = codeblocks.run(block)
    assert outcome.returncode == 0, outcome.stderr
    for name, data in outcome.pictures.items():
        published = site / "img" / name
        assert published.exists(), f"{block.label} draws {name}, which the site does not show"
        drawn = np.asarray(Image.open(io.BytesIO(data)).convert("RGBA"), dtype=np.int16)
        shown = np.asarray(Image.open(published).convert("RGBA"), dtype=np.int16)
        assert drawn.shape == shown.shape, name
        differing = np.argwhere(np.abs(drawn - shown).max(axis=-1) > 0)
        assert not len(differing), f"{name}: {len(differing)} pixels differ, first at {tuple(differing[0][::-1])}"


def test_every_picture_a_guide_shows_exists(site):
    missing = []
    for page in (site / "guides").glob("*.html"):
        for src in __import__("re").findall(r'<img[^>]+src="([^"]+)"', page.read_text(encoding="utf-8")):
            if not src.startswith(("http:", "https:", "data:")) and not (page.parent / src).resolve().exists():
                missing.append(f"{page.name}: {src}")
    assert not missing, missing
