# The API reference: `make docs` builds $(BUILD)/docs/api/html from include/*.h with Doxygen, every
# warning an error, so that an export without documentation fails it (and `make test`).
TEST_TARGETS += docs

.PHONY: docs

docs: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target docs
	@echo "API reference: $(BUILD)/docs/api/html/index.html"
