# The thread tests (named Threads.*) under ThreadSanitizer: two threads opening, using and closing
# two ports against two virtual readers. Only their program and what it needs is built.
TSAN       = build-tsan
TSAN_TESTS = '^Threads\.'

TEST_TARGETS += test-tsan

.PHONY: test-tsan

$(TSAN)/CMakeCache.txt:
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_TSAN=ON $(CMAKE_OPTS)

test-tsan: deps $(TSAN)/CMakeCache.txt
	cmake --build $(TSAN) -j $(JOBS) --target thread_tests
	cd $(TSAN) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest -R $(TSAN_TESTS) --output-on-failure
