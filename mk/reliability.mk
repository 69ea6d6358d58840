# The long data-integrity run: random writes and read-backs on memory cards with faults injected
# into a few percent of the calls, the time-out faults included, INTEGRITY_SECONDS per family
# (`make test` runs the same test for 3 s per family, without them).
INTEGRITY_SECONDS ?= 300

.PHONY: integrity

integrity: build
	cd $(BUILD) && QUILLET_INTEGRITY_SECONDS=$(INTEGRITY_SECONDS) QUILLET_INTEGRITY_SLOW_FAULTS=1 \
	    tests/e2e/data_integrity_tests
