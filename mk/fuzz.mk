# Short libFuzzer runs of the code that reads untrusted input (reader replies, instruction files),
# with ASan and UBSan; each target starts from its own corpus in tests/corpus.
FUZZ_DIR     = build-fuzz
FUZZ_SECONDS ?= 15
FUZZ_FLAGS   = -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined

TEST_TARGETS += test-fuzz

$(FUZZ_DIR)/reply_fuzz: tests/fuzz/reply_fuzz.cpp reader/frame.cpp reader/frame.h reader/reception.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) tests/fuzz/reply_fuzz.cpp reader/frame.cpp -o $@

INSTRUCTION_FUZZ_SOURCES = tests/fuzz/instruction_fuzz.cpp filecmd/instruction.cpp filecmd/data_block.cpp
$(FUZZ_DIR)/instruction_fuzz: $(INSTRUCTION_FUZZ_SOURCES) filecmd/instruction.h filecmd/data_block.h filecmd/characters.h tests/support/memory_files.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) $(INSTRUCTION_FUZZ_SOURCES) -o $@

.PHONY: test-fuzz
test-fuzz: deps $(FUZZ_DIR)/reply_fuzz $(FUZZ_DIR)/instruction_fuzz
	@mkdir -p $(FUZZ_DIR)/corpus-reply $(FUZZ_DIR)/corpus-instructions
	cp -n tests/corpus/reply/* $(FUZZ_DIR)/corpus-reply/ 2>/dev/null || true
	$(FUZZ_DIR)/reply_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_DIR)/corpus-reply 2>&1 | tail -n 4
	cp -n tests/corpus/instructions/* $(FUZZ_DIR)/corpus-instructions/ 2>/dev/null || true
	$(FUZZ_DIR)/instruction_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1 $(FUZZ_DIR)/corpus-instructions 2>&1 | tail -n 4
