# The two commands of the project: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run run-diagram test deps configure test-sanitize fuzz

run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target glyphsmith
	./$(BUILD_DIR)/Glyphsmith/glyphsmith examples/sample.uol

run-diagram: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target glyphsmith-diagram
	./$(BUILD_DIR)/Diagram/glyphsmith-diagram

test: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD_DIR)/build.ninja || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in a build of its
# own; any undefined behaviour stops the test that met it. Leaks of system libraries are
# suppressed in tests/sanitizer/lsan.supp (each with its reason).
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Also for the build: test discovery runs the test programs.
SANITIZE_ENV = QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-sanitize: deps
	@test -f $(SANITIZE_DIR)/build.ninja || cmake -S . -B $(SANITIZE_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)"
	$(SANITIZE_ENV) cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# The fuzz targets of tests/fuzz built with clang, libFuzzer, ASan and UBSan. Run one with
#   build-fuzz/tests/fuzz/fuzz_library -dict=tests/fuzz/dict/uol.dict tests/fuzz/corpus/library
FUZZ_DIR ?= build-fuzz
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

fuzz: deps
	@test -f $(FUZZ_DIR)/build.ninja || cmake -S . -B $(FUZZ_DIR) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" -DGLYPHSMITH_LIBFUZZER=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
