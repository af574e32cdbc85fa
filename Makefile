# The two commands of the README: `make test` and `make demo`. Each works on
# its own on a fresh Debian machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)


clean:
	rm -rf $(BUILD)

bench: build
	@$(BUILD)/bench/install_workload_bench 7
	@$(BUILD)/bench/formsetup_bench 7
	@$(BUILD)/bench/sendsummary_bench 7
