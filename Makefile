# Two commands do everything on a fresh Debian machine:
#   make play   builds the game alone and starts it
#   make test   builds the game with its tests and benchmarks and runs every test
# `make test` ends with the monkey: the whole program on random input, 3 seeds of 20,000
# events each under AddressSanitizer and UBSan. For longer robustness checks:
#   make monkey  plays MONKEY_SEEDS seeds (default 10) of MONKEY_EVENTS events (default 100000)
#   make fuzz    runs every fuzz target for FUZZ_SECONDS (default 300) each
.PHONY: play test game build deps deps-play sanitize monkey-sanitized monkey bench fuzz clean

FUZZ_SECONDS ?= 300
MONKEY_SEEDS ?= 10
MONKEY_EVENTS ?= 100000

play: game
	./build/lexfray/lexfray

test: build
	ctest --preset default
	$(MAKE) monkey-sanitized

# The game and what it needs to run: no tests, no benchmarks, no test packages.
game: deps-play
	cmake --preset default -DLEXFRAY_TESTS=OFF -DLEXFRAY_BENCH=OFF >/dev/null
	cmake --build --preset default

build: deps
	cmake --preset default -DLEXFRAY_TESTS=ON -DLEXFRAY_BENCH=ON >/dev/null
	cmake --build --preset default

sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize

monkey-sanitized: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize --target lexfray_monkey
	ctest --test-dir build-sanitize -L monkey --output-on-failure -j2

monkey: build
	./build/tests/monkey/lexfray_monkey --seed 1 --seeds $(MONKEY_SEEDS) --events $(MONKEY_EVENTS)

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	./tools/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	./tools/run-benchmarks.sh build

deps:
	@./tools/ensure-deps.sh test

deps-play:
	@./tools/ensure-deps.sh play

clean:
	rm -rf build build-sanitize build-fuzz
