# SPDX-License-Identifier: MIT
# The project's commands. Each installs what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_ARGS ?=

.PHONY: all deps build test run bench screenshot format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure $(CTEST_ARGS)

run: build
	$(BUILD)/src/app/mirt

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
