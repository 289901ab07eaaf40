# Convenience targets. `make run` and `make test` install what is missing, build and go.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench format clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/tervil

test: build
	cd $(BUILD_DIR) && ctest --no-tests=error --output-on-failure -j $(JOBS)

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil_bench
	$(BUILD_DIR)/bin/tervil_bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
