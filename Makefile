# Thin wrapper over CMake: `make run` shows the demo, `make test` runs the tests.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench format clean windows test-windows

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

# The Windows release (build-windows/pixelfolk-*-windows-x64.zip), cross-built
# with MinGW-w64; its media come from the native build in $(BUILD).
windows: configure
	NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/build-windows build-windows

# Its checks under Wine, the 96-s run included.
test-windows: windows
	NATIVE_BUILD=$(BUILD) JOBS=$(JOBS) scripts/test-windows

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
