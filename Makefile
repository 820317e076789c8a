# Entry points for a fresh machine: `make demo` routes the bundled example, `make test` runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# ON makes Google Benchmark required, so that its two benchmark programs are always built (CI).
REQUIRE_BENCHMARK ?= OFF

.PHONY: deps build test demo sanitize coverage clean

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVANE_REQUIRE_BENCHMARK=$(REQUIRE_BENCHMARK)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Runs from the build directory, where the Steiner tables are generated.
demo: build
	rm -f $(BUILD)/demo.out $(BUILD)/demo.out.ofinfo
	cd $(BUILD) && ./Korvane ISPD ../examples/tiny.gr ../examples/default.set demo.out
	@for f in demo.out demo.out.ofinfo; do if [ -f $(BUILD)/$$f ]; then echo "written: $(BUILD)/$$f"; fi; done

# Test suite with address and undefined-behaviour sanitizers.
sanitize: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=ON -DKORVANE_TABLES_DIR=$(CURDIR)/$(BUILD) \
	  -DKORVANE_REQUIRE_BENCHMARK=$(REQUIRE_BENCHMARK)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)

# Test suite built with --coverage -O0; prints the line coverage of every file of src/ and the
# functions of src/ that no test runs. Counters are cleared first, so each run counts afresh.
coverage: build
	cmake -S . -B $(BUILD)-coverage -DCMAKE_BUILD_TYPE=Coverage -DCMAKE_CXX_FLAGS="--coverage -O0" \
	  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DKORVANE_TABLES_DIR=$(CURDIR)/$(BUILD)
	cmake --build $(BUILD)-coverage -j $(JOBS)
	find $(BUILD)-coverage -name '*.gcda' -delete
	# The file-size-limit runs (tests named FailedWrite*) would cut the counters their children write and spoil
	# them for every later run.
	cd $(BUILD)-coverage && ctest --output-on-failure -j $(JOBS) -E FailedWrite
	python3 tools/coverage.py --build $(BUILD)-coverage --source src

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-coverage
