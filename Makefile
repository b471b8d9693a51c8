# Tilvex: make run | make test | make build | make bench | make install | make package
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
PICTURE_FUZZ_SECONDS ?= 30
GALLERY_FUZZ_SECONDS ?= 20
LOOK_FUZZ_SECONDS ?= 20
OUT ?= $(CURDIR)/out
PREFIX ?= /usr/local

.PHONY: all deps build test test-release test-asan test-fuzz run bench install package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The sanitizer and fuzz builds: -O1 with line tables, what the sanitizers are
# made for, at half the compile time of -O2 -g.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DTILVEX_SANITIZE=ON -DTILVEX_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

# Session loading and what follows it under libFuzzer (clang), seeded with sessions of every kind;
# then what a gallery reads back from its folder (index.json, thumbnails), the clip's look files,
# then studio pictures' notes and look files, seeded with what tilvex-cli writes
# (the release build's: the fuzz build compiles only the instrumented library).
test-fuzz: build
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DTILVEX_FUZZ=ON -DTILVEX_BUILD_UI=OFF -DTILVEX_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) --target session_fuzz gallery_index_fuzz thumbnail_fuzz picture_fuzz look_fuzz -j $(JOBS)
	bash fuzz/run-session-fuzz.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS) $(BUILD)/bin/tilvex-cli
	bash fuzz/run-gallery-fuzz.sh $(FUZZ_BUILD)/bin $(GALLERY_FUZZ_SECONDS) $(BUILD)/bin/tilvex-cli
	bash fuzz/run-look-fuzz.sh $(FUZZ_BUILD)/bin $(LOOK_FUZZ_SECONDS)
	bash fuzz/run-picture-fuzz.sh $(FUZZ_BUILD)/bin $(PICTURE_FUZZ_SECONDS) $(BUILD)/bin/tilvex-cli

test: test-release test-fuzz test-asan

run: build
	@bash scripts/run.sh $(BUILD)/bin "$(OUT)"

bench: build
	@for b in $(BUILD)/bin/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# Debian packages in $(BUILD)/ (tilvex, and tilvex-mpi when MPI was found), which
# lintian must find free of errors.
package: build
	@bash scripts/install-deps.sh package
	@rm -f $(BUILD)/*tilvex*_*.deb
	cd $(BUILD) && cpack
	lintian --fail-on error $(BUILD)/*tilvex*_*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
