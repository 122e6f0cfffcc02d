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

.PHONY: all deps linux linux-release windows mingw-x86 mingw-x64 test unit-test wine-test demo bench fuzz format check-format clean

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

# The INF and INI fuzzers (clang, libFuzzer, ASan) for FUZZ_SECONDS each, seeded with the sample package; the
# corpora they grow are kept in build/linux-fuzz/corpus and build/linux-fuzz/ini-corpus for the next run.
FUZZ_SECONDS ?= 300
fuzz: deps
	@cmake --preset linux-fuzz >/dev/null
	@cmake --build build/linux-fuzz --target inf_fuzzer ini_fuzzer -j$(JOBS)
	@mkdir -p build/linux-fuzz/corpus build/linux-fuzz/ini-corpus build/linux-fuzz/seeds && cp samples/package/*.INF samples/package/*.INI build/linux-fuzz/seeds/
	@cd build/linux-fuzz && ./inf_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	    -dict=../../tests/fuzz/inf.dict -print_final_stats=1 corpus seeds
	@cd build/linux-fuzz && ./ini_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	    -dict=../../tests/fuzz/ini.dict -print_final_stats=1 ini-corpus seeds

format:
	@git ls-files -co --exclude-standard -- '*.cpp' '*.h' | xargs clang-format -i

check-format:
	@bash tests/scripts/format.sh .

clean:
	@rm -rf build
