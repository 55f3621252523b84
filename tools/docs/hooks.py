"""MkDocs hook: pages that other parts of the project write (the level authoring guide, the test
plugin's guide) are in the navigation once they exist; until then the build says so."""

import re
from pathlib import Path

OPTIONAL_PAGES = {"levels.md", "testing.md"}


def _prune(items, docs_dir, missing):
    kept = []
    for item in items:
        if isinstance(item, dict):
            (title, value), = item.items()
            if isinstance(value, list):
                kept.append({title: _prune(value, docs_dir, missing)})
            elif value in OPTIONAL_PAGES and not (docs_dir / value).exists():
                missing.append(value)
            else:
                kept.append(item)
        else:
            kept.append(item)
    return kept


def on_config(config):
    missing = []
    config["nav"] = _prune(config["nav"], Path(config["docs_dir"]), missing)
    for page in missing:
        print(f"NOTE: docs/{page} does not exist yet: left out of the navigation")
    return config


def on_page_markdown(markdown, page, config, files):
    """Links to a page that does not exist yet keep their text only."""
    docs_dir = Path(config["docs_dir"])
    for name in OPTIONAL_PAGES:
        if not (docs_dir / name).exists():
            markdown = re.sub(r"\[([^\]]+)\]\((?:\.\./)?" + re.escape(name) + r"\)", r"\1", markdown)
    return markdown
