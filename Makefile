# Two entry points: `make run` builds and starts the game, `make test` builds
# and runs every test. Both install the Debian packages they need first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
ARGS       ?=
PREFIX     ?= /usr/local
FUZZ_SECONDS ?= 5
FUZZ_LONG_SECONDS ?= 600
FUZZ_TARGETS ?=

.PHONY: run test install deps build build-asan build-fuzz test-main test-asan test-fuzz fuzz-long bench clean

run: build
	./$(BUILD)/vorn $(ARGS)

test: test-main test-asan test-fuzz

# The game, its data, desktop entry and icon under PREFIX (see README, "Installing").
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON
	cmake --build $(BUILD)

test-main: build
	cd $(BUILD) && ctest --output-on-failure -L 'unit|gl|e2e'

build-asan: build
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON \
	  -DVORN_GAME=OFF -DVORN_BENCH=OFF -DVORN_WERROR=ON -DVORN_EXTERNAL_DATA=$(CURDIR)/$(BUILD)
	cmake --build $(ASAN_BUILD)

test-asan: build-asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -L unit

build-fuzz: build
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DVORN_GAME=OFF -DVORN_BENCH=OFF -DVORN_EXTERNAL_DATA=$(CURDIR)/$(BUILD)
	cmake --build $(FUZZ_BUILD)

test-fuzz: build-fuzz
	cd $(FUZZ_BUILD) && VORN_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --output-on-failure -L fuzz

# Not part of `make test`: every fuzz target for FUZZ_LONG_SECONDS (default 600) each.
fuzz-long: build-fuzz
	FUZZ_LONG_SECONDS=$(FUZZ_LONG_SECONDS) FUZZ_TARGETS="$(FUZZ_TARGETS)" ./fuzz/run_long.sh $(FUZZ_BUILD)

bench: build
	for b in $(BUILD)/vorn_bench_*; do [ -x "$$b" ] && "$$b"; done
	./scripts/timed-replay.sh $(BUILD) 600

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
