# Two commands for a newcomer: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all build run display test bench windows deps-build deps-test deps-run clean

all: build

# The programs alone: the tests are built by `make test`.
build: deps-build
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	@[ -x $(BUILD_DIR)/tavrin ] || echo "Building tavrin and tavrin-ik: the first build takes under a minute on two cores (the tests are built by make test)."
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tavrin tavrin-ik

# Said before anything is installed or built: the window needs a display.
run: display deps-run build
	$(BUILD_DIR)/tavrin

display:
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)" >&2; exit 1; fi

test: deps-test
	JOBS=$(JOBS) scripts/test-all.sh

windows: deps-test
	cmake -S . -B build-win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTAVRIN_MINGW_ARCH=i686
	cmake --build build-win32 -j $(JOBS) --target tavrin tavrin-ik

bench: deps-build
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tavrin_bench
	$(BUILD_DIR)/bench/tavrin_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

deps-build:
	@scripts/install-deps.sh build

deps-test:
	@scripts/install-deps.sh test

deps-run:
	@scripts/install-deps.sh run

clean:
	rm -rf $(BUILD_DIR)
