# SPDX-License-Identifier: MIT
# The project's commands. Each installs what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_ARGS ?=

.PHONY: all deps build test run screenshot format clean

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

screenshot: build
	scripts/screenshot $(BUILD)/src/app/mirt

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
