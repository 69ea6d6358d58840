# libFuzzer runs of the code that reads untrusted input, with ASan and UBSan, each target starting
# from its own corpus in tests/corpus/<target>: reader replies (reply_fuzz), instruction files
# (instruction_fuzz), every family's operations over an in-memory fuzzing link (families_fuzz, on
# the library's static core built for fuzzing in $(FUZZ_CORE)), the hexadecimal and BCC
# conversions (conversions_fuzz) and the virtual reader's frame assembler (vreader_frames_fuzz).
# `make test` runs each for FUZZ_TEST_SECONDS; `make fuzz FUZZ_SECONDS=N` for N seconds.
FUZZ_DIR          = build-fuzz
FUZZ_CORE         = $(FUZZ_DIR)/core
FUZZ_SECONDS      ?= 60
FUZZ_TEST_SECONDS ?= 5
FUZZ_SANITIZE     = -fsanitize=address,undefined -fno-sanitize-recover=undefined
FUZZ_FLAGS        = -std=c++20 -O1 -g -I. -fsanitize=fuzzer $(FUZZ_SANITIZE)
FUZZ_TARGETS      = reply_fuzz instruction_fuzz families_fuzz conversions_fuzz vreader_frames_fuzz

TEST_TARGETS += test-fuzz

$(FUZZ_DIR)/reply_fuzz: tests/fuzz/reply_fuzz.cpp link/frame.cpp link/frame.h link/reception.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) tests/fuzz/reply_fuzz.cpp link/frame.cpp -o $@

INSTRUCTION_FUZZ_SOURCES = tests/fuzz/instruction_fuzz.cpp filecmd/instruction.cpp filecmd/data_block.cpp
$(FUZZ_DIR)/instruction_fuzz: $(INSTRUCTION_FUZZ_SOURCES) filecmd/instruction.h filecmd/data_block.h filecmd/characters.h tests/support/memory_files.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) $(INSTRUCTION_FUZZ_SOURCES) -o $@

VREADER_FRAMES_SOURCES = tests/fuzz/vreader_frames_fuzz.cpp emulator/core/command_frame.cpp emulator/core/bytes.cpp
$(FUZZ_DIR)/vreader_frames_fuzz: $(VREADER_FRAMES_SOURCES) emulator/core/command_frame.h emulator/core/bytes.h
	@mkdir -p $(FUZZ_DIR)
	clang++ $(FUZZ_FLAGS) $(VREADER_FRAMES_SOURCES) -o $@

# The whole static core, instrumented for coverage and built with the sanitizers.
$(FUZZ_CORE)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_CORE) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS="-O1 -g -fsanitize=fuzzer-no-link $(FUZZ_SANITIZE)" \
	    -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=fuzzer-no-link $(FUZZ_SANITIZE)" \
	    -DQUILLET_TESTS=OFF -DQUILLET_UTILITIES=OFF

.PHONY: fuzz-core
fuzz-core: $(FUZZ_CORE)/CMakeCache.txt
	cmake --build $(FUZZ_CORE) -j $(JOBS) --target quillet_core quillet_platform quillet_algorithms

$(FUZZ_DIR)/families_fuzz $(FUZZ_DIR)/conversions_fuzz: $(FUZZ_DIR)/%: tests/fuzz/%.cpp fuzz-core
	clang++ $(FUZZ_FLAGS) -Iinclude $< $(FUZZ_CORE)/libquillet_core.a \
	    $(FUZZ_CORE)/platform/libquillet_platform.a $(FUZZ_CORE)/algorithms/libquillet_algorithms.a -o $@

# fuzz_runs(seconds): each target from its working corpus (the seed corpus copied in), its log in
# $(FUZZ_DIR)/<target>.log; the executions and coverage reached are printed, the log on a finding.
define fuzz_runs
	@for t in $(FUZZ_TARGETS); do \
	  seeds=$${t%_fuzz}; if [ $$t = instruction_fuzz ]; then seeds=instructions; fi; \
	  mkdir -p $(FUZZ_DIR)/corpus-$$t; cp -n tests/corpus/$$seeds/* $(FUZZ_DIR)/corpus-$$t/ 2>/dev/null; \
	  echo "$$t, $(1) s:"; \
	  if ! $(FUZZ_DIR)/$$t -max_total_time=$(1) -max_len=4096 -print_final_stats=1 $(FUZZ_DIR)/corpus-$$t \
	      > $(FUZZ_DIR)/$$t.log 2>&1; then tail -n 40 $(FUZZ_DIR)/$$t.log; exit 1; fi; \
	  grep -E '^#[0-9]+.*DONE|^stat::number_of_executed_units' $(FUZZ_DIR)/$$t.log; \
	done
endef

.PHONY: test-fuzz fuzz
test-fuzz: deps $(addprefix $(FUZZ_DIR)/,$(FUZZ_TARGETS))
	$(call fuzz_runs,$(FUZZ_TEST_SECONDS))

fuzz: deps $(addprefix $(FUZZ_DIR)/,$(FUZZ_TARGETS))
	$(call fuzz_runs,$(FUZZ_SECONDS))
