"""Mutation testing of the plain C++ core and of the renderer's and physics' binding files.

universalmutator writes the mutants of each file; every mutant is built into a copy of the
repository (its own CMake build, -O1 to keep the builds short, with AddressSanitizer and
UndefinedBehaviorSanitizer so that a mutant whose fault is undefined behaviour fails loudly instead
of being hidden by the optimiser) and run against the native tests and the pytest files of its
subsystem, with a time limit. When qemu-user is installed, the native tests also run on emulated
processors without AVX2 (tests/native/without_avx2.py), from a second build without the
sanitizers (their shadow memory exhausts the emulator): a mutant that sends the plain path into
AVX2 code dies there of SIGILL. A mutant that fails to compile is
stillborn; one that makes a test fail or time out is killed; the rest survive. Mutants of lines that
hold only a comment are not run. Mutants listed in
mutation/equivalent.txt cannot change behaviour and are left out of the score. Two workers (one
per core) share the mutants.

    python mutation/run.py [--files GLOB ...] [--sample FRACTION] [--seed N] [--workers N]
"""
import argparse
import difflib
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "native"))
import without_avx2

EQUIVALENT = ROOT / "mutation" / "equivalent.txt"
WAS = "    (was: "  # separates a mutated line from the original in the printed and listed mutants
WORK = ROOT / "build" / "mutants"
CMAKE = str(Path(sys.executable).parent / "cmake")
DEFAULT_FILES = ["src/**/*.core.cpp", "src/**/*.core.hpp", "src/**/*.core.inl", "src/render/*.cpp", "src/physics/*.cpp"]

# The pytest files that exercise each subsystem's code. The binding files' classes also meet the
# tests of their Python surface: docstrings, text signatures and the stubs they must agree with.
SURFACE_TESTS = ["test_binding_errors.py", "test_module.py", "test_signatures.py", "test_stubs.py"]
TESTS_BY_DIR = {
    "src/render": ["test_raycast.py", "test_raycasting_renderer.py", "test_raycasting_threads.py",
                   "test_sprite_render.py", "test_renderer.py", "test_sprites.py", "test_texture.py", *SURFACE_TESTS],
    "src/physics": ["test_movement.py", "test_movement_broad_phase.py", "test_collision.py", *SURFACE_TESTS],
    "src/level": ["test_level.py", "test_raycast.py", "test_raycasting_renderer.py", "test_movement.py"],
    "src/ui": ["test_ui_widgets.py", "test_ui_renderer.py", "test_ui_theme.py", "test_ui_containers.py"],
    "src/ecs": ["test_sprites.py", "test_sprite_render.py"],
    "src/geometry": ["test_vector2.py", "test_movement.py", "test_raycasting_renderer.py"],
}


# GCC's "undefined" leaves out float-to-integer overflow (NaN or huge doubles made into pixels).
SANITIZE_MORE = "-fsanitize=float-cast-overflow"


def sanitizer_env():
    """The interpreter is not built with the sanitizers: their runtimes are preloaded into it (the
    native tests link them). Leak reports are off, the interpreter's own allocations would fill them."""
    runtimes = [subprocess.run(["g++", f"-print-file-name={lib}"], capture_output=True, text=True,
                               check=True).stdout.strip() for lib in ("libasan.so", "libubsan.so")]
    return {"LD_PRELOAD": " ".join(runtimes), "ASAN_OPTIONS": "detect_leaks=0",
            "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}


def target_files(patterns):
    files = set()
    for pattern in patterns:
        files.update(p for p in ROOT.glob(pattern) if p.is_file())
    return sorted(files)


def equivalent_mutants():
    """(file, mutated line, original line) triples from equivalent.txt's
    `file:line: mutated    (was: original)` lines. The line number is for the reader only, so that
    edits elsewhere in the file do not unlist a mutant; the original line tells apart the same
    mutation of different lines."""
    listed = set()
    for raw in EQUIVALENT.read_text().splitlines():
        if raw.strip() and not raw.startswith("#"):
            location, text = raw.split(": ", 1)
            text, was = text.rsplit(WAS, 1)
            listed.add((location.rsplit(":", 1)[0], text.strip(), was.removesuffix(")").strip()))
    return listed


def comment_only(line):
    """Whether a (stripped) source line holds nothing but a comment: its mutants are noise."""
    return line.startswith("//") or (line.startswith("/*") and line.endswith("*/"))


class Mutant:
    def __init__(self, source, path):
        self.source = source  # repository-relative path of the mutated file
        self.path = path      # the mutant file
        original = (ROOT / source).read_text().splitlines()
        mutated = path.read_text().splitlines()
        self.line, self.text, self.was = 0, "", ""
        for tag, i1, i2, j1, j2 in difflib.SequenceMatcher(None, original, mutated).get_opcodes():
            if tag != "equal":
                self.line = i1 + 1
                self.was = original[i1].strip() if i1 < len(original) else ""
                self.text = mutated[j1].strip() if j1 < j2 else "<deleted>"
                break

    def key(self):
        return (self.source, self.text, self.was)

    def __str__(self):
        return f"{self.source}:{self.line}: {self.text}{WAS}{self.was})"


def generate(files, mutant_dir):
    mutants = []
    for f in files:
        rel = str(f.relative_to(ROOT))
        out = mutant_dir / rel.replace("/", "__")
        out.mkdir(parents=True, exist_ok=True)
        subprocess.run([str(Path(sys.executable).parent / "mutate"), str(f), "cpp", "--noCheck",
                        "--mutantDir", str(out)], check=True, capture_output=True, cwd=out)
        mutants += [m for m in (Mutant(rel, p) for p in sorted(out.glob("*.mutant.*"))) if not comment_only(m.was)]
    return mutants


class Worker:
    """A copy of the repository with its own build of the module and the native tests."""

    def __init__(self, index, emulate):
        self.dir = WORK / f"worker{index}"
        self.build = self.dir / "build"
        # The native tests without the sanitizers, for the emulator (None when it is not installed).
        self.unsanitized = self.dir / "build-unsanitized" if emulate else None
        self.sync()
        self.configure(self.build, "-DBROVALINE_SANITIZE=ON", f"-DCMAKE_CXX_FLAGS={SANITIZE_MORE}")
        if self.unsanitized:
            self.configure(self.unsanitized)
        self.env = dict(os.environ, PYTHONPATH=str(self.build), SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy",
                        PATH=f"{Path(sys.executable).parent}:{os.environ['PATH']}", **sanitizer_env())

    def configure(self, build, *flags):
        subprocess.run([CMAKE, "-S", str(self.dir), "-B", str(build), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1", *flags,
                        "-DBROVALINE_NATIVE_TESTS=ON", f"-DPython_EXECUTABLE={sys.executable}"],
                       check=True, capture_output=True)

    def sync(self):
        """Copies what the build and the tests read, file by file where it differs (unchanged files
        keep their times, so the build stays incremental)."""
        for top in ("CMakeLists.txt", "pyproject.toml", "cmake", "src", "stubs", "tests", "examples"):
            paths = [ROOT / top] if (ROOT / top).is_file() else (ROOT / top).rglob("*")
            for path in paths:
                if path.is_file() and "__pycache__" not in path.parts:
                    copy = self.dir / path.relative_to(ROOT)
                    if not copy.exists() or copy.read_bytes() != path.read_bytes():
                        copy.parent.mkdir(parents=True, exist_ok=True)
                        shutil.copyfile(path, copy)

    def compiles(self):
        builds = [[CMAKE, "--build", str(self.build), "--target", "brovaline", "native_tests"]]
        if self.unsanitized:
            builds.append([CMAKE, "--build", str(self.unsanitized), "--target", "native_tests"])
        return all(subprocess.run(b, capture_output=True).returncode == 0 for b in builds)

    def tests_pass(self, source, timeout):
        """True when the native tests (and their emulated run) and the subsystem's pytest files pass
        within `timeout` seconds each."""
        tests = next((t for d, t in TESTS_BY_DIR.items() if source.startswith(d + "/")), [])
        commands = [([str(self.build / "native_tests")], self.env)]
        if self.unsanitized:  # the sanitizers' runtimes stay out of the emulated process
            commands.append(([sys.executable, without_avx2.__file__, str(self.unsanitized / "native_tests")],
                             dict(os.environ)))
        if tests:
            commands.append(([sys.executable, "-m", "pytest", "-q", "-x", "-p", "no:cacheprovider",
                              *[f"tests/{t}" for t in tests]], self.env))
        for command, env in commands:
            try:
                if subprocess.run(command, cwd=self.dir, env=env, capture_output=True,
                                  timeout=timeout).returncode != 0:
                    return False
            except subprocess.TimeoutExpired:
                return False
        return True

    def run(self, mutant, timeout):
        shutil.copyfile(mutant.path, self.dir / mutant.source)
        try:
            if not self.compiles():
                return "stillborn"
            return "survived" if self.tests_pass(mutant.source, timeout) else "killed"
        finally:
            shutil.copyfile(ROOT / mutant.source, self.dir / mutant.source)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--files", nargs="*", default=DEFAULT_FILES, help="globs of files to mutate")
    parser.add_argument("--sample", type=float, default=1.0, help="fraction of the mutants to run")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--timeout", type=float, default=0, help="seconds per test command (0: 3 x the clean run + 10)")
    args = parser.parse_args()

    files = target_files(args.files)
    mutant_dir = Path(tempfile.mkdtemp(prefix="mutants-"))
    mutants = generate(files, mutant_dir)
    listed = equivalent_mutants()
    equivalent = [m for m in mutants if m.key() in listed]
    mutants = [m for m in mutants if m.key() not in listed]
    random.Random(args.seed).shuffle(mutants)
    mutants = sorted(mutants[:max(1, round(len(mutants) * args.sample))], key=lambda m: (m.source, m.line))
    print(f"{len(files)} files, {len(mutants)} mutants to run ({args.sample:.0%} sample, seed {args.seed}), "
          f"{len(equivalent)} listed as equivalent", flush=True)

    emulate = shutil.which(without_avx2.EMULATOR) is not None
    if not emulate:
        print(f"{without_avx2.EMULATOR} is not installed: the native tests do not run on a processor without AVX2",
              flush=True)
    WORK.mkdir(parents=True, exist_ok=True)
    workers = [Worker(i, emulate) for i in range(args.workers)]
    rels = sorted({m.source for m in mutants})
    for w in workers:
        if not w.compiles():
            sys.exit(f"the unmutated code does not build in {w.dir}")
    start = time.monotonic()
    if not workers[0].tests_pass(rels[0] if rels else "", timeout=600):
        sys.exit("the tests fail on the unmutated code")
    timeout = args.timeout or 3 * (time.monotonic() - start) + 10

    free = list(workers)
    results = {}

    def run_one(m):
        w = free.pop()
        try:
            outcome = w.run(m, timeout)
        finally:
            free.append(w)
        results[m] = outcome
        print(f"[{len(results)}/{len(mutants)}] {outcome:9} {m}", flush=True)

    with ThreadPoolExecutor(len(workers)) as pool:
        list(pool.map(run_one, mutants))
    shutil.rmtree(mutant_dir, ignore_errors=True)

    killed = sum(r == "killed" for r in results.values())
    survivors = [m for m in mutants if results[m] == "survived"]
    stillborn = sum(r == "stillborn" for r in results.values())
    scored = killed + len(survivors)
    print(f"\nmutation score: {killed}/{scored} killed = {100 * killed / max(scored, 1):.1f} % "
          f"({stillborn} did not compile, {len(equivalent)} equivalent left out)")
    for m in survivors:
        print(f"survived: {m}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
