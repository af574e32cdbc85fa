# The two commands of the README: `make test` and `make demo`. Each works on
# its own on a fresh Debian machine.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo bench fuzz clean

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

# The statement translator's fuzz target (clang's libFuzzer), in a build of its
# own with AddressSanitizer and UndefinedBehaviorSanitizer; new inputs it finds
# go to $(FUZZ_BUILD)/corpus, fuzz/corpus/translate holds the seeds.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps.sh fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DZEL_FUZZ=ON -DZEL_SANITIZE=ON -DZEL_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) --target translate_fuzz -j $(JOBS)
	@mkdir -p $(FUZZ_BUILD)/corpus
	@$(FUZZ_BUILD)/fuzz/translate_fuzz -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus fuzz/corpus/translate
