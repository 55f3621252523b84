"""`python -m brovaline_tools.level`: the same as the `brovaline-level` command."""
from .cli import main

raise SystemExit(main())
