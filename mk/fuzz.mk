# Short libFuzzer runs of the code that reads untrusted input (reader replies), with ASan and UBSan.
FUZZ_DIR     = build-fuzz
FUZZ_SECONDS ?= 20
FUZZ_FLAGS   = -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined

TEST_TARGETS += test-fuzz

$(FUZZ_DIR)/reply_fuzz: tests/fuzz/reply_fuzz.cpp reader/frame.cpp reader/frame.h reader/reception.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) tests/fuzz/reply_fuzz.cpp reader/frame.cpp -o $@

.PHONY: test-fuzz
test-fuzz: deps $(FUZZ_DIR)/reply_fuzz
	@mkdir -p $(FUZZ_DIR)/corpus-reply
	cp -n tests/corpus/reply/* $(FUZZ_DIR)/corpus-reply/ 2>/dev/null || true
	$(FUZZ_DIR)/reply_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_DIR)/corpus-reply 2>&1 | tail -n 4
