# The two commands of the README: `make test` and `make demo`. Each works on
# its own on a fresh Debian machine: as root it installs what is missing; as
# another user it stops on a missing required package and names the optional
# groups it goes on without (scripts/install-deps.sh).
# `make install` and `make package` build a Release unless BUILD_TYPE says
# otherwise; `make install` takes PREFIX (default /usr/local) and DESTDIR.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# Further ctest arguments for make test, e.g. CTEST_FLAGS="-LE shared".
CTEST_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=
BUILD_TYPE ?= Release

WINDOWS_BUILD ?= build-windows
WINDOWS_DEPS ?= $(CURDIR)/$(WINDOWS_BUILD)/deps
WINDOWS_CTEST_FLAGS ?=

# cmake's own makefiles are recursive: no "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build test demo bench fuzz clean install uninstall package windows-configure windows windows-test windows-package

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# After the tests, the skipped ones, by reason.
test: build
	@status=0; ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) $(CTEST_FLAGS) || status=$$?; \
	  scripts/skipped-tests.sh $(BUILD); exit $$status

# The demo needs the programs only, not the tests and benchmarks.
demo: configure
	@echo "== building the programs in $(BUILD)"
	@cmake --build $(BUILD) -j $(JOBS) --target programs
	@scripts/demo.sh $(BUILD)


# Removes what `make install` put in place, as its manifest lists it.
uninstall:
	@manifest=$(BUILD)-release/install_manifest.txt; \
	  [ -f "$$manifest" ] || { echo "nothing to remove: no $$manifest (make install writes it)"; exit 1; }; \
	  xargs -d '\n' rm -f -- < "$$manifest"; \
	  echo "removed the $$(wc -l < "$$manifest") files $$manifest lists"; rm -f "$$manifest"

install: deps
	@cmake -S . -B $(BUILD)-release -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZEL_BUILD_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-release -j $(JOBS)
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD)-release

package:
	@scripts/install-deps.sh package
	@cmake -S . -B $(BUILD)-release -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZEL_BUILD_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)-release -j $(JOBS)
	@cd $(BUILD)-release && cpack -G DEB -B package
	@ls $(BUILD)-release/package/*.deb

# The Windows build, cross-compiled with MinGW-w64: formsetup.exe,
# sendsummary.exe and zelhost.exe in $(WINDOWS_BUILD)/bin, zeljet.dll in
# $(WINDOWS_BUILD)/hostdb. windows-test also builds the tests and runs them
# under Wine.
windows-configure:
	@scripts/windows-deps.sh $(WINDOWS_DEPS)
	@cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	  -DZEL_WINDOWS_PREFIX=$(WINDOWS_DEPS) $(CMAKE_FLAGS) >/dev/null

windows: windows-configure
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target formsetup sendsummary zelhost zeljet

# The Windows installer, $(WINDOWS_BUILD)/package/zel0661.msi, of the programs
# stripped (their debugging information beside it in package/debug/), made
# with wixl.
windows-package: windows
	@scripts/windows-package.sh $(WINDOWS_BUILD) $(WINDOWS_BUILD)/package

windows-test: windows-configure
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@scripts/wine-ctest.sh $(WINDOWS_BUILD) -j $(JOBS) $(WINDOWS_CTEST_FLAGS)

clean:
	rm -rf $(BUILD) $(BUILD)-release $(WINDOWS_BUILD)

bench: build
	@$(BUILD)/bench/install_workload_bench 7
	@$(BUILD)/bench/formsetup_bench 7
	@$(BUILD)/bench/sendsummary_bench 7
	@$(BUILD)/bench/host_check_bench 5
	@$(BUILD)/bench/codepage_bench 9
	@if [ -x $(BUILD)/bench/server_host_bench ]; then $(BUILD)/bench/server_host_bench 7; fi
	@if [ -x $(BUILD)/bench/server_host_bench ]; then bench/upsize_bench.sh $(BUILD)/bin 5; fi

# The statement translator's fuzz targets (clang's libFuzzer; SQLite's dialect,
# then PostgreSQL's where libpq is found), in a build of its own with AddressSanitizer and UndefinedBehaviorSanitizer; new inputs it finds
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
	@# The PostgreSQL dialect's translation, where libpq is found.
	@if cmake --build $(FUZZ_BUILD) --target translate_pg_fuzz -j $(JOBS); then \
	  mkdir -p $(FUZZ_BUILD)/corpus-pg; \
	  $(FUZZ_BUILD)/fuzz/translate_pg_fuzz -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ_BUILD)/pg- \
	    $(FUZZ_BUILD)/corpus-pg fuzz/corpus/translate; \
	else echo "translate_pg_fuzz not built (no libpq): the PostgreSQL dialect is not fuzzed"; fi
