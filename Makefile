# Thin wrapper over CMake: `make run` shows the demo, `make test` runs the tests,
# `make package` writes the Debian package. The native build's targets get
# their packages through `deps`; every other target's script installs its own
# group (scripts/install-deps GROUP). $(BUILD) is the native build the cross
# builds and their checks take their media and capture tool from.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
PACKAGE_BUILD ?= build-package

.PHONY: all deps configure build run test bench fuzz format shellcheck clean package bench-capture windows test-windows \
	web serve-web test-web test-sound

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/show && ./pixelfolk

# Everything but the sound tests, which need a sound server of their own.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE sound

# The whole show through a private PulseAudio server (tests/sound), one run at
# a time: matched against the soundtrack, the server restarted, under load.
SOUND_TESTS ?=
test-sound: build
	scripts/install-deps sound
	ctest --test-dir $(BUILD) --output-on-failure -L sound $(SOUND_TESTS)

bench: build
	scripts/run-benchmarks $(BUILD)

# The Windows release (build-windows/pixelfolk-*-windows-x64.zip), cross-built
# with MinGW-w64; its media come from the native build in $(BUILD).
windows:
	PIXELFOLK_NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/build-windows build-windows

# Its checks under Wine, the 96-s run included.
test-windows: windows
	PIXELFOLK_NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/test-windows

# libFuzzer harnesses (clang, ASan + UBSan) in build-fuzz/, each for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz:
	JOBS=$(JOBS) scripts/run-fuzzers $(FUZZ_SECONDS)

# pixelfolk_<version>_<arch>.deb in $(PACKAGE_BUILD)/, built with Debian's flags.
package:
	scripts/build-package $(PACKAGE_BUILD) $(JOBS)

# Whole-show captures timed against real time (PNG, and MP4 when ffmpeg is installed).
bench-capture: build
	scripts/bench-capture $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# shellcheck over every shell file in the tree (found by name and by first line).
shellcheck:
	scripts/check-shell

# The show as a static web page in build-web/ (emscripten; see scripts/build-web);
# its media come from the native build in $(BUILD).
web:
	PIXELFOLK_NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/build-web build-web

serve-web:
	python3 -m http.server -d build-web

# The page in headless Chromium, against the capture tool's frames.
test-web:
	PIXELFOLK_NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/test-web

clean:
	rm -rf $(BUILD)
