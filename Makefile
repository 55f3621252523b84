# Set-up and everyday commands. Every target installs what is missing first.
PYTHON ?= python3
VENV := .venv
PY := $(VENV)/bin/python
APT_PACKAGES := g++ pkg-config python3-dev python3-venv libsdl2-dev libsdl2-image-dev \
                libsdl2-mixer-dev libsdl2-ttf-dev fonts-dejavu-core vorbis-tools xvfb
CMAKE := PATH="$(abspath $(VENV))/bin:$$PATH" cmake
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: demo test test-asan build bench native-tests clean system-deps

DEMO_ASSETS := examples/assets/level.lvl.json

demo: build $(DEMO_ASSETS)
	$(PY) examples/demo.py

# The generator writes the level header last: its presence marks a complete set of assets.
$(DEMO_ASSETS): examples/make_assets.py $(wildcard examples/assetgen/*.py) | $(VENV)/.deps
	$(PY) examples/make_assets.py

test: build
	$(PY) -m pytest -q tests

bench: build
	$(PY) bench/run.py

build: $(VENV)/.deps
	$(PY) -m pip install --quiet --no-build-isolation --no-deps .

# The whole suite against a module built with ASan and UBSan. A stock interpreter needs the ASan
# runtime preloaded; leak detection is off because the interpreter's own allocations would report.
ASAN_DIR := build/asan
test-asan: $(VENV)/.deps
	$(CMAKE) -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVALINE_SANITIZE=ON \
	      -DPython_EXECUTABLE=$(PY) >/dev/null
	$(CMAKE) --build $(ASAN_DIR) --target brovaline
	LD_PRELOAD="$$(g++ -print-file-name=libasan.so) $$(g++ -print-file-name=libubsan.so)" \
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	PYTHONPATH=$(ASAN_DIR) $(PY) -m pytest -q -p no:cacheprovider tests

native-tests: system-deps
	$(CMAKE) -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DBROVALINE_NATIVE_TESTS=ON \
	      -DPython_EXECUTABLE=$(PY) >/dev/null
	$(CMAKE) --build build/native --target native_tests
	./build/native/native_tests

$(VENV)/.deps: .system-deps-ok pyproject.toml
	[ -x $(PY) ] || $(PYTHON) -m venv $(VENV)
	$(PY) -m pip install --quiet --upgrade pip
	$(PY) -m pip install --quiet "scikit-build-core>=0.10" cmake ninja pytest numpy pillow
	touch $@

system-deps: .system-deps-ok

.system-deps-ok:
	@missing=$$(for p in $(APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	touch $@

clean:
	rm -rf build $(VENV) .system-deps-ok examples/assets
