# Convenience targets. `make run` and `make test` install what is missing, build and go.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test deb bench bench-ui format clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil
	$(BUILD_DIR)/bin/tervil

test: build
	cd $(BUILD_DIR) && ctest --no-tests=error --output-on-failure -j $(JOBS)

# The Debian package, build/tervil-editor_<version>_<arch>.deb.
deb: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil
	cd $(BUILD_DIR) && cpack -G DEB

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil_bench
	$(BUILD_DIR)/bin/tervil_bench
	@if grep -q '^TERVIL_HAVE_QSCINTILLA:INTERNAL=1' $(BUILD_DIR)/CMakeCache.txt; then \
	  cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil_qscintilla_bench && \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/tervil_qscintilla_bench; \
	else echo "QScintilla is not installed: the comparison with it is left out"; fi

bench-ui: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tervil_ui_bench
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/tervil_ui_bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
