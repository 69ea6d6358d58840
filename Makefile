# The two commands of the README: `make demo` and `make test`. Both install the Debian packages they
# need first (one package a line), so they work on a fresh Debian 12 machine: `make demo` only
# deps/core.txt and deps/emulator.txt (the library, the virtual reader, the demo), `make test` every
# list of deps/.
# Subsystems add their own targets from mk/*.mk; each appends to TEST_TARGETS what `make test` runs.

JOBS      ?= $(shell nproc)
# Most tests wait on a pseudo-terminal's time-outs rather than compute: twice as many at once as
# there are processors keeps the processors busy.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 2 )))
BUILD     ?= build
DEMO      ?= build-demo
ASAN      ?= build-asan
# The operator programs build and test in their own target (mk/utilities.mk).
CMAKE_OPTS = -DQUILLET_WERROR=ON -DQUILLET_UTILITIES=OFF

TEST_TARGETS = test-native test-sanitize

.PHONY: all deps deps-demo build test demo test-native test-sanitize clean
all: build

deps:
	@scripts/install-deps deps/*.txt

deps-demo:
	@scripts/install-deps deps/core.txt deps/emulator.txt

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# As root the native suite runs as nobody, so that a fault only an unprivileged user meets (a port
# left in exclusive use, a test writing where it may not) cannot hide behind root; the ASan run
# below stays root's. ctest runs from a scratch directory of nobody's that points at the build
# tree, which stays read-only to the tests; the scratch directory is also their HOME and TMPDIR.
UNPRIVILEGED = setpriv --reuid=nobody --regid=nogroup --clear-groups

test-native: build
	@if [ "$$(id -u)" != 0 ]; then cd $(BUILD) && exec ctest --output-on-failure -j $(TEST_JOBS); fi; \
	chmod -R a+rX $(BUILD); \
	if ! $(UNPRIVILEGED) test -r $(BUILD)/CTestTestfile.cmake; then \
	  echo "make test: nobody cannot read $(abspath $(BUILD))"; exit 1; fi; \
	scratch=$$(mktemp -d); \
	echo 'subdirs("$(abspath $(BUILD))")' > $$scratch/CTestTestfile.cmake; \
	chown -R nobody:nogroup $$scratch; \
	echo "make test: the native suite runs as nobody"; \
	(cd $$scratch && $(UNPRIVILEGED) env HOME=$$scratch TMPDIR=$$scratch ctest --output-on-failure -j $(TEST_JOBS)); \
	status=$$?; rm -rf $$scratch; exit $$status

$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON $(CMAKE_OPTS)

test-sanitize: deps $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(TEST_JOBS)

# The demo builds without the tests, so it needs none of their packages.
$(DEMO)/CMakeCache.txt:
	cmake -S . -B $(DEMO) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS) -DQUILLET_TESTS=OFF

demo: deps-demo $(DEMO)/CMakeCache.txt
	cmake --build $(DEMO) -j $(JOBS) --target demo-programs
	scripts/demo $(DEMO)

clean:
	rm -rf $(BUILD) $(ASAN) $(DEMO) build-*

include $(wildcard mk/*.mk)

test: $(TEST_TARGETS)
	@echo "make test: all suites passed"

.PHONY: bench
bench: build
	$(BUILD)/bench/exchange-bench
	$(BUILD)/bench/flash-bench
	$(BUILD)/bench/flash-bench --latency 16
	$(BUILD)/bench/apdu-bench
	$(BUILD)/bench/scale-bench
	@if [ -x $(BUILD)/bench/des-bench ]; then $(BUILD)/bench/des-bench; fi
