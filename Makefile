# The two commands of the README, and the pieces they are made of.
#   make demo   the program's main job on the bundled default machine (linux-release build)
#   make test   everything: Linux build and tests under the sanitizers, both Windows builds, the Wine suite
SHELL := /bin/bash
MAKEFLAGS += --no-print-directory
# Clones in other folders share the compiler cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
JOBS ?= 2
DEMO_MACHINE ?= build/demo-machine

.PHONY: all deps linux linux-release windows mingw-x86 mingw-x64 test unit-test wine-test demo bench format check-format clean

all: linux

deps:
	@bash scripts/install-deps.sh

linux linux-release mingw-x86 mingw-x64: %: deps
	@cmake --preset $@ >/dev/null
	@cmake --build build/$@ -j$(JOBS)

windows: mingw-x86 mingw-x64

# Windows builds first, so that CTest's run includes the Wine suite; CTest's summary ends the output.
test: linux windows
	@cd build/linux && ctest -j$(JOBS) --output-on-failure

unit-test: linux
	@cd build/linux && ctest -j$(JOBS) --output-on-failure -E '^wine\.'

wine-test: windows
	@bash scripts/wine-test.sh build x86
	@bash scripts/wine-test.sh build x64

demo: linux-release
	@bash scripts/demo.sh build/linux-release $(DEMO_MACHINE)

bench: linux-release
	@build/linux-release/drvsetup_bench --benchmark_counters_tabular=true

format:
	@git ls-files -co --exclude-standard -- '*.cpp' '*.h' | xargs clang-format -i

check-format:
	@bash tests/scripts/format.sh .

clean:
	@rm -rf build
