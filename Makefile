# Thin wrapper over CMake: `make run` shows the demo, `make test` runs the tests.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench bench-capture format clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/show && ./pixelfolk

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	scripts/run-benchmarks $(BUILD)

# Whole-show captures timed against real time (PNG, and MP4 when ffmpeg is installed).
bench-capture: build
	scripts/bench-capture $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
