# SPDX-License-Identifier: MIT
# The project's commands. Each installs what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_ARGS ?=

.PHONY: all deps build test run bench faults soak test-asan fuzz screenshot format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure $(CTEST_ARGS)

# Only the app: a first launch need not wait for every test and benchmark to build.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) --target mirt
	$(BUILD)/src/app/mirt

# Every fault-injection trial (the tests run a fifth of them).
faults: build
	cd $(BUILD) && MIRT_FAULT_SCALE=1 ctest --output-on-failure -R 'tst_faults|tst_endtoend'

# Every random generator on fresh seeds for SOAK_SECONDS (30 minutes by default).
SOAK_SECONDS ?= 1800
soak: build
	scripts/soak $(SOAK_SECONDS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRT_SANITIZE=ON
	cmake --build build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure

# Random edit sequences against the model for FUZZ_SECONDS (10 minutes by default).
FUZZ_SECONDS ?= 600
fuzz:
	@scripts/install-deps fuzz
	CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRT_FUZZ=ON
	cmake --build build-fuzz --target fuzz_model
	mkdir -p build-fuzz/corpus
	build-fuzz/fuzz/fuzz_model -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build-fuzz/corpus fuzz/corpus

# Optimised, in a build folder of its own, under Xvfb; never part of the tests.
bench:
	@scripts/install-deps bench
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench --target mirt mirt_bench
	xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" build-bench/bench/mirt_bench

screenshot: build
	scripts/screenshot $(BUILD)/src/app/mirt

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
