"""Runs a native_tests binary on emulated processors without AVX2 (qemu-user), where it must find the
AVX2 pixel path unsupported and pass on the plain one. An AVX2 instruction reached on the plain path
(a dispatcher taking the wrong branch, a plain file built for wider instructions) stops the
emulator with SIGILL, as it would stop a real processor.

    python tests/native/without_avx2.py build/native/native_tests
"""
import shutil
import signal
import subprocess
import sys

EMULATOR = "qemu-x86_64"
# qemu64: the baseline x86-64 processor that the plain path is built for (no AVX at all).
# SandyBridge: AVX without AVX2, so that only CPUID leaf 7 tells; the features that qemu's
# translator lacks are turned off, or it warns about them on every start.
CPUS = ["qemu64", "SandyBridge,-x2apic,-tsc-deadline"]
EXPECTED = ["pixel path avx2: not supported by this processor, not tested", "pixel path plain: 0 failed checks"]


def failure(binary, cpu):
    """Why the run of `binary` on `cpu` fails, or None when it passes."""
    run = subprocess.run([EMULATOR, "-cpu", cpu, binary], capture_output=True, text=True)
    if run.returncode < 0:
        why = f"killed by {signal.Signals(-run.returncode).name}"
    elif run.returncode:
        why = f"exit status {run.returncode}"
    else:
        missing = [line for line in EXPECTED if line not in run.stdout.splitlines()]
        if not missing:
            return None
        why = f"no line {missing[0]!r}"
    tail = (run.stdout + run.stderr).splitlines()[-15:]
    return "\n".join([f"{binary} on {cpu}: {why}", *tail])


def main(binary):
    if not shutil.which(EMULATOR):
        sys.exit(f"{EMULATOR} is not installed (Debian package qemu-user)")
    failures = [f for f in (failure(binary, cpu) for cpu in CPUS) if f]
    for f in failures:
        print(f)
    if not failures:
        print(f"{binary}: the plain path passes on {', '.join(c.split(',')[0] for c in CPUS)} (emulated, no AVX2)")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: " + __doc__.split("\n\n")[1].strip())
    sys.exit(main(sys.argv[1]))
