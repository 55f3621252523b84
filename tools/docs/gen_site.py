"""The generated part of the site (run by mkdocs-gen-files during `mkdocs build`): the API
reference pages, the pictures of tools/docs/pictures.py and the pictures the guides' code blocks
draw. A code block that fails stops the build."""

import importlib
import io
import os
import sys
from pathlib import Path

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
sys.path.insert(0, str(Path(__file__).resolve().parent))

import mkdocs_gen_files  # noqa: E402

import brovaline  # noqa: E402
import codeblocks  # noqa: E402
import pictures  # noqa: E402
import reference  # noqa: E402


def write_reference() -> None:
    for page, (title, names) in reference.engine_pages(brovaline).items():
        with mkdocs_gen_files.open(f"reference/{page}.md", "w") as f:
            f.write(f"# {title}\n\n")
            for name in names:
                f.write(f"::: brovaline.{name}\n\n")
    with mkdocs_gen_files.open("reference/tools.md", "w") as f:
        f.write("# brovaline_tools\n\nThe companion package: level files and the level tool, the SDL the "
                "module loaded, and whatever else it holds: every public module is listed here.\n\n")
        for module in reference.tools_modules():
            f.write(f"::: {module}\n\n")
            constants = reference.tools_unpacked_constants(module)
            if constants:
                values = importlib.import_module(module)
                f.write(f"Constants of `{module}`:\n\n| Name | Value |\n|---|---|\n")
                for name in constants:
                    f.write(f'| <span id="{module}.{name}"></span>`{name}` | `{getattr(values, name)!r}` |\n')
                f.write("\n")


def write_pictures() -> None:
    for name, image in pictures.all_pictures().items():
        buffer = io.BytesIO()
        image.save(buffer, format="PNG")
        with mkdocs_gen_files.open(f"img/{name}", "wb") as f:
            f.write(buffer.getvalue())
    for block in codeblocks.all_code_blocks():
        outcome = codeblocks.run(block)
        if outcome.returncode != 0:
            raise SystemExit(f"the code block at {block.label} failed:\n{outcome.stderr}")
        for name, data in outcome.pictures.items():
            with mkdocs_gen_files.open(f"img/{name}", "wb") as f:
                f.write(data)


write_reference()
write_pictures()
