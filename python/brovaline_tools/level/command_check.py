"""`brovaline-level check LEVEL|MAP`: lists every problem; exit 1 on errors, 0 on warnings alone."""
from .check import ERROR, check_level
from .model import load_any

CELLS_SHOWN = 10


def register(subparsers):
    parser = subparsers.add_parser("check", help="list every problem of a level or map",
                                   description=__doc__.splitlines()[0].split(": ", 1)[1])
    parser.add_argument("level", metavar="LEVEL|MAP", help="a level (.lvl) or a Tiled map (.tmx, .tmj)")
    parser.add_argument("--all", action="store_true",
                        help=f"name every cell of a problem (default: the first {CELLS_SHOWN})")
    parser.set_defaults(run=run)


def run(args):
    findings = check_level(load_any(args.level))
    for finding in findings:
        for line in finding.lines(None if args.all else CELLS_SHOWN):
            print(f"{args.level}: {line}")
    errors = sum(f.severity == ERROR for f in findings)
    warnings = len(findings) - errors
    print(f"{args.level}: {errors} error{'s' * (errors != 1)}, {warnings} warning{'s' * (warnings != 1)}")
    return 1 if errors else 0
