"""What the file-format harnesses share: a headless module, hostile JSON values and the rule that
decides what counts as a finding.

A bad file may be refused with any ordinary Python exception. A crash, a sanitizer report, a
SystemError (an error the binding layer let through unset or half set) or an error reported as
unraisable that is itself a SystemError is a finding: the harness raises it to atheris, which
stores the input.
"""
import math
import os
import sys

os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import atheris  # noqa: E402

with atheris.instrument_imports():
    import json  # noqa: E402

import brovaline  # noqa: E402,F401

FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


class Finding(Exception):
    """An answer to bad input that is not an ordinary exception."""


_unraisable_system_errors = []


def _unraisable(report):
    if isinstance(report.exc_value, SystemError):
        _unraisable_system_errors.append(f"{report.object}: {report.exc_value!r}")


def quiet():
    """Silences the module's progress lines and unraisable reports, keeping the findings."""
    sys.stdout = open(os.devnull, "w")
    sys.unraisablehook = _unraisable


def settle():
    """Raises the unraisable SystemErrors of the last input as a finding."""
    if _unraisable_system_errors:
        found = list(_unraisable_system_errors)
        _unraisable_system_errors.clear()
        raise Finding("unraisable SystemError: " + "; ".join(found))


def accept(call, *args, **kwargs):
    """Calls into the module; returns the result, or None for an ordinary refusal."""
    try:
        return call(*args, **kwargs)
    except Finding:
        raise
    except SystemError as e:
        raise Finding(repr(e)) from e
    except Exception:
        return None


class Values:
    """Draws values of every JSON type. Each input first chooses how hostile it is: from nearly
    well-formed files, which get deep into loading and drawing, to files where any value may be
    missing, of the wrong type or at a numeric extreme."""

    def __init__(self, fdp):
        self.fdp = fdp
        self.odds = (48, 12, 4)[fdp.ConsumeIntInRange(0, 2)]

    def rare(self):
        """True about once in `odds` draws: when to break the expected form."""
        return self.fdp.ConsumeIntInRange(0, self.odds) == 0

    def pick(self, options):
        return options[self.fdp.ConsumeIntInRange(0, len(options) - 1)]

    def pick_good(self, good, bad):
        """One of `good`, or rarely one of `bad`."""
        return self.pick(bad) if self.rare() else self.pick(good)

    def small(self, lo=-2, hi=8):
        return self.fdp.ConsumeIntInRange(lo, hi)

    def integer(self, lo=-2, hi=8):
        """Mostly in [lo, hi], sometimes at or beyond 32 and 64 bits."""
        if not self.rare():
            return self.small(lo, hi)
        return self.pick([0, -1, 255, 256, 2**31 - 1, 2**31, -2**31 - 1, 2**63, -2**64, 10**30,
                          self.fdp.ConsumeInt(8)])

    def number(self, lo=-2.0, hi=8.0):
        if not self.rare():
            return self.fdp.ConsumeFloatInRange(lo, hi)
        return self.pick([0.0, -0.0, 1e-300, 1e300, -1e300, math.inf, -math.inf, math.nan,
                          self.fdp.ConsumeFloat(), self.integer()])

    def any(self, depth=0):
        kind = self.fdp.ConsumeIntInRange(0, 8 if depth < 2 else 5)
        if kind == 0:
            return None
        if kind == 1:
            return self.fdp.ConsumeBool()
        if kind == 2:
            return self.integer()
        if kind == 3:
            return self.number()
        if kind in (4, 5):
            return self.fdp.ConsumeUnicodeNoSurrogates(self.small(0, 12))
        if kind == 6:
            return [self.any(depth + 1) for _ in range(self.small(0, 4))]
        return {self.fdp.ConsumeUnicodeNoSurrogates(self.small(0, 6)): self.any(depth + 1)
                for _ in range(self.small(0, 4))}

    def maybe(self, make, *args):
        """Usually `make(*args)`, sometimes a value of any type in its place."""
        return self.any() if self.rare() else make(*args)

    def record(self, fields):
        """A dict of the given field makers, with some fields left out and stray keys added."""
        out = {}
        for name, make in fields.items():
            if not self.rare():
                out[name] = self.maybe(make)
        if self.rare():
            out[self.fdp.ConsumeUnicodeNoSurrogates(self.small(0, 6))] = self.any()
        return out


def encode(value):
    """JSON text of `value` (NaN and infinities as the standard decoder reads them back)."""
    return json.dumps(value, allow_nan=True)


def run(test_one_input):
    quiet()
    atheris.Setup(sys.argv, atheris.instrument_func(test_one_input))
    atheris.Fuzz()
