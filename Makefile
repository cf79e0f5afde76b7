# The two commands of the project: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test deps configure

run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target glyphsmith
	./$(BUILD_DIR)/Glyphsmith/glyphsmith examples/sample.uol

test: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
