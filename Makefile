# The two commands of the README: `make demo` and `make test`. Both install the Debian packages they
# need first (deps/*.txt, one package a line), so they work on a fresh Debian 12 machine.
# Subsystems add their own targets from mk/*.mk; each appends to TEST_TARGETS what `make test` runs.

JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
# The operator programs build and test in their own target (mk/utilities.mk).
CMAKE_OPTS = -DQUILLET_WERROR=ON -DQUILLET_UTILITIES=OFF

TEST_TARGETS = test-native test-sanitize

.PHONY: all deps build test demo test-native test-sanitize clean
all: build

deps:
	@scripts/install-deps deps/*.txt

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test-native: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON $(CMAKE_OPTS)

test-sanitize: deps $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN) build-*

include $(wildcard mk/*.mk)

test: $(TEST_TARGETS)
	@echo "make test: all suites passed"

.PHONY: bench
bench: build
	$(BUILD)/bench/exchange-bench
	$(BUILD)/bench/apdu-bench
	@if [ -x $(BUILD)/bench/des-bench ]; then $(BUILD)/bench/des-bench; fi
