#!/usr/bin/env bash
# Installs a binary wheel into clean Debian 12 roots, offline, and runs what a player and a
# developer would:
#   bare     python3 and python3-venv only (and the suite's own tools: a font and oggenc):
#            the smoke script with SDL's dummy drivers, then the whole test suite
#   desktop  python3, Xvfb and PulseAudio with a null sink: the smoke script opens a real X11
#            window and plays through PulseAudio, and what reaches the sink is recorded and
#            checked for sound
# Neither root has SDL, X11 libraries (bare) or a compiler. Roots are made by debootstrap once
# and kept under ROOTS/cache; each run works on an overlay of them. Installs and tests run
# without a network (their own network namespace): the wheel's dependencies and the test tools
# come from a wheelhouse that pip downloads here first, from the wheel's own metadata.
#
# Usage: test_wheel.sh WHEEL HOST_PYTHON ROOTS
#   HOST_PYTHON: an interpreter of the wheel's CPython version with pip, for the downloads
set -euo pipefail

WHEEL=$(realpath "$1")
HOST_PY=$2
ROOTS=$(realpath -m "$3")
SRC=$(realpath "$(dirname "$0")/..")
MIRROR=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
SUITE=bookworm
BARE_PACKAGES=python3,python3-venv,fonts-dejavu-core,vorbis-tools
DESKTOP_PACKAGES=python3,python3-venv,xvfb,pulseaudio,pulseaudio-utils
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
CLEAN_ENV=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8)

say() { printf '\n=== test-wheel: %s\n' "$*"; }
die() { printf '\ntest-wheel: FAILED: %s\n' "$*" >&2; exit 1; }
[ -f "$WHEEL" ] || die "no wheel at $1 (make wheel builds it)"
command -v debootstrap >/dev/null || die "debootstrap is not installed (make test-wheel installs it)"

# Ends what still runs inside a folder made here (a server whose test failed: ours, ended by pid)
# and unmounts everything under it, deepest first; fails if a mount is left.
release_root() {
  local root=$1 pid mounts
  for pid in $(ls /proc | grep -x '[0-9]*'); do
    case "$(readlink "/proc/$pid/root" 2>/dev/null)" in "$root"/*) kill -9 "$pid" 2>/dev/null || true;; esac
  done
  mounts=$(awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r)
  for m in $mounts; do umount "$m" 2>/dev/null || umount -l "$m"; done
  ! awk -v r="$root/" 'index($2, r) == 1 { f = 1 } END { exit !f }' /proc/mounts
}
RUNS=()
cleanup() {
  local status=$? root
  for root in "${RUNS[@]}"; do release_root "$root" || { echo "test-wheel: could not unmount under $root" >&2; status=1; }; done
  if [ $status -eq 0 ]; then
    rm -rf --one-file-system "$ROOTS/run"
  elif [ ${#RUNS[@]} -gt 0 ]; then
    printf 'test-wheel: what the runs changed is kept for inspection under %s/run/*/upper\n' "$ROOTS" >&2
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A cached root per package list; made under a temporary name so a failed debootstrap leaves no
# half-made root behind to be used next time.
cached_root() {
  local name=$1 packages=$2 key dir
  key=$(printf '%s %s %s' "$SUITE" "$packages" "$MIRROR" | sha1sum | cut -c1-12)
  dir=$ROOTS/cache/$name-$key
  if [ ! -x "$dir/usr/bin/python3" ]; then
    say "making the $name root ($SUITE: $packages) with debootstrap" >&2
    release_root "$dir.tmp" || die "$dir.tmp is still mounted"
    rm -rf --one-file-system "$dir.tmp" && mkdir -p "$ROOTS/cache"
    local start=$SECONDS
    if ! debootstrap --variant=minbase --include="$packages" "$SUITE" "$dir.tmp" "$MIRROR" \
         >"$ROOTS/cache/$name.log" 2>&1; then
      release_root "$dir.tmp" && rm -rf --one-file-system "$dir.tmp"
      tail -n 15 "$ROOTS/cache/$name.log" >&2
      die "debootstrap could not make the $name root from $MIRROR (log: $ROOTS/cache/$name.log)"
    fi
    rm -rf "$dir" && mv "$dir.tmp" "$dir"
    say "$name root made in $((SECONDS - start)) s" >&2
  fi
  echo "$dir"
}

# A run root: the cached root under an overlay, so each run starts from it unchanged without a
# copy; /proc and a /dev/shm mounted; the wheel, the wheelhouse and the game data inside. Sets
# ROOT. Runs in this shell: the cleanup must know the run roots.
run_root() {
  local name=$1 cache=$2 run=$ROOTS/run/$1
  RUNS+=("$run")
  release_root "$run" || die "$run is still mounted"
  rm -rf --one-file-system "$run" && mkdir -p "$run/upper" "$run/work" "$run/merged"
  mount -t overlay overlay -o "lowerdir=$cache,upperdir=$run/upper,workdir=$run/work" "$run/merged" \
    || die "could not mount an overlay on $run/merged"
  ROOT=$run/merged
  mount -t proc proc "$ROOT/proc"
  mkdir -p "$ROOT/dev/shm" && mount -t tmpfs -o mode=1777 shm "$ROOT/dev/shm"
  mkdir -p "$ROOT/work"
  cp -a "$WHEELHOUSE" "$ROOT/work/wheelhouse"
  cp "$WHEEL" "$ROOT/work/"
  cp -a "$ASSETS" "$ROOT/work/assets"
  cp "$SRC/packaging/smoke.py" "$ROOT/work/"
}

in_root() {  # in_root ROOT COMMAND...: no network, a clean environment
  local root=$1; shift
  unshare --net chroot "$root" "${CLEAN_ENV[@]}" "$@"
}

install_wheel() {
  local root=$1 name=$2 start=$SECONDS
  in_root "$root" python3 -m venv /opt/venv
  in_root "$root" /opt/venv/bin/pip install --quiet --no-index --find-links /work/wheelhouse \
    "/work/$(basename "$WHEEL")[test]" || die "the offline install into the $name root failed"
  in_root "$root" /opt/venv/bin/python -c 'import importlib.metadata as m; print("installed brovaline", m.version("brovaline"))'
  say "venv and offline install: $((SECONDS - start)) s"
}

# 1. What the roots get from outside: the wheelhouse and the game data of the smoke test.
T0=$SECONDS
WHEELHOUSE=$ROOTS/wheelhouse
rm -rf "$WHEELHOUSE" && mkdir -p "$WHEELHOUSE"
say "downloading the wheel's dependencies and test tools (from its metadata) into $WHEELHOUSE"
"$HOST_PY" -m pip download --quiet --only-binary=:all: --dest "$WHEELHOUSE" "$WHEEL[test]" \
  || die "pip could not download the wheel's dependencies"
rm -f "$WHEELHOUSE/$(basename "$WHEEL")"
ls "$WHEELHOUSE"
ASSETS=$ROOTS/assets
rm -rf "$ASSETS" && mkdir -p "$ASSETS"
[ -f "$FONT" ] || die "$FONT is missing (fonts-dejavu-core)"
cp "$FONT" "$ASSETS/font.ttf"
"$HOST_PY" - "$ASSETS/music.wav" <<'EOF'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
    w.writeframes(b"".join(struct.pack("<h", int(9000 * math.sin(i * 2 * math.pi * 330 / 22050))) for i in range(66150)))
EOF
oggenc -Q "$ASSETS/music.wav" -o "$ASSETS/music.ogg" && rm "$ASSETS/music.wav" || die "oggenc failed (vorbis-tools)"
say "prepared in $((SECONDS - T0)) s"

# 2. The bare root: smoke test with the dummy drivers, then the whole suite.
T1=$SECONDS
cache=$(cached_root bare "$BARE_PACKAGES")
run_root bare "$cache"
BARE=$ROOT
found=$(find "$BARE/usr/lib" \( -name 'libSDL2*' -o -name 'libX11.so.6*' -o -name 'libpulse.so.0*' \
        -o -name 'libasound.so.2*' -o -name 'libwayland-client.so.0*' \) | head -n 5)
[ -z "$found" ] || die "the bare root is not bare: $found"
! in_root "$BARE" sh -c 'command -v cc || command -v c++ || command -v gcc' >/dev/null || die "the bare root has a compiler"
install_wheel "$BARE" bare
say "smoke test in the bare root (dummy drivers)"
in_root "$BARE" sh -c 'cd /tmp && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy /opt/venv/bin/python /work/smoke.py /work/assets /work/out' \
  || die "the smoke test failed in the bare root"
say "the whole test suite in the bare root, against the installed wheel"
# The project's files as a clone has them (tests read the README, docs and examples), but not
# the sources: the module and brovaline_tools must come from the installed wheel.
mkdir -p "$BARE/work/project"
(cd "$SRC" && git ls-files -z --cached --others --exclude-standard | grep -zv -e '^src/' -e '^python/' \
  | while IFS= read -r -d '' f; do [ ! -e "$f" ] || printf '%s\0' "$f"; done \
  | xargs -0 cp --parents -t "$BARE/work/project") || die "could not copy the project's files into the bare root"
T2=$SECONDS
# The same suite as `make test` (the site's own tests need the built site and run with `make docs-test`).
in_root "$BARE" sh -c 'cd /work/project && /opt/venv/bin/python -m pytest -q -rs -p no:cacheprovider tests --ignore=tests/docs' \
  || die "the test suite failed against the installed wheel in the bare root"
say "bare root: $((SECONDS - T1)) s (suite $((SECONDS - T2)) s)"

# 3. The desktop root: a real X11 window and real PulseAudio sound.
T3=$SECONDS
cache=$(cached_root desktop "$DESKTOP_PACKAGES")
run_root desktop "$cache"
DESKTOP=$ROOT
install_wheel "$DESKTOP" desktop
cp "$SRC/packaging/real_drivers.sh" "$DESKTOP/work/"
say "smoke test in the desktop root (Xvfb, PulseAudio null sink)"
in_root "$DESKTOP" sh /work/real_drivers.sh || die "the smoke test with real drivers failed"
say "desktop root: $((SECONDS - T3)) s"

say "passed in $((SECONDS - T0)) s"
