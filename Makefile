# Entry points for a fresh machine: `make demo` routes the bundled example, `make test` runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: deps build test demo sanitize clean

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
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
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=ON -DKORVANE_TABLES_DIR=$(CURDIR)/$(BUILD)
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD)-asan
