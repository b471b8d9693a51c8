# Tilvex: make run | make test | make build | make bench
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
OUT ?= $(CURDIR)/out

.PHONY: all deps build test test-release test-asan run bench clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILVEX_SANITIZE=ON -DTILVEX_BUILD_BENCH=OFF > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

test: test-release test-asan

run: build
	@bash scripts/run.sh $(BUILD)/bin "$(OUT)"

bench: build
	@for b in $(BUILD)/bin/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
