"""The Python code blocks of the guides and of the README, and running them the way a reader would.

Every ```python block in a guide or in the README is a whole program. It runs headless in a fresh directory where
`examples/` is the repository's (so the demo's assets are at examples/assets/...); the PNG files
it writes there are the pictures the guide shows, as img/<name>.png.
"""

from __future__ import annotations

import os
import re
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DOCS = ROOT / "docs"
GUIDES = DOCS / "guides"
_FENCE = re.compile(r"^```python\n(.*?)^```$", re.S | re.M)
HEADLESS = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy"}


@dataclass
class CodeBlock:
    page: Path
    line: int
    source: str

    @property
    def label(self) -> str:
        return f"{self.page.relative_to(ROOT)}:{self.line}"


@dataclass
class Outcome:
    block: CodeBlock
    returncode: int
    stdout: str
    stderr: str
    pictures: dict[str, bytes]


def guide_pages() -> list[Path]:
    return sorted(GUIDES.glob("*.md")) + [ROOT / "README.md"]


def code_blocks(page: Path) -> list[CodeBlock]:
    text = page.read_text(encoding="utf-8")
    return [CodeBlock(page, text.count("\n", 0, m.start()) + 1, m.group(1)) for m in _FENCE.finditer(text)]


def all_code_blocks() -> list[CodeBlock]:
    return [block for page in guide_pages() for block in code_blocks(page)]


def run(block: CodeBlock, timeout: float = 120) -> Outcome:
    with tempfile.TemporaryDirectory(prefix="brovaline-doc-") as tmp:
        work = Path(tmp)
        (work / "examples").symlink_to(ROOT / "examples")
        (work / "example.py").write_text(block.source, encoding="utf-8")
        env = dict(os.environ, **HEADLESS)
        result = subprocess.run([sys.executable, "example.py"], cwd=work, env=env, capture_output=True,
                                text=True, timeout=timeout)
        pictures = {p.name: p.read_bytes() for p in work.glob("*.png")}
    return Outcome(block, result.returncode, result.stdout, result.stderr, pictures)
