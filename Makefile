# Two commands do everything on a fresh Debian machine:
#   make play   builds the game alone and starts it
#   make test   builds what the tests need, once each, and runs every test, in four lanes
#               side by side, each lane's output shown as its steps end:
#     sanitized  every test program under AddressSanitizer and UBSan (build-sanitize/): the
#                unit, scenario and league tests, the fuzz corpora replayed, and the monkey's
#                short run, 3 seeds of 20,000 events;
#     release    the game built for release with the monkey and no test program (build/): the
#                end-to-end tests in tmux and the monkey's long run, MONKEY_SEEDS seeds of
#                MONKEY_EVENTS events;
#     package    the Debian package test, which builds the package itself;
#     fuzz       every fuzz target over its corpus and TEST_FUZZ_SECONDS more, two at a time.
# Longer robustness checks and the benchmarks:
#   make monkey  plays MONKEY_SEEDS seeds (default 10) of MONKEY_EVENTS events (default 100000)
#   make fuzz    runs every fuzz target for FUZZ_SECONDS (default 300) each, two at a time
#   make bench   builds the benchmarks and runs them
.PHONY: play test game release-configured release sanitized fuzz-targets test-release \
	test-package test-sanitized test-fuzz sanitize monkey fuzz bench deps deps-play clean

FUZZ_SECONDS ?= 300
TEST_FUZZ_SECONDS ?= 15
MONKEY_SEEDS ?= 10
MONKEY_EVENTS ?= 100000
monkey_run = ./build/tests/monkey/lexfray_monkey --seed 1 --seeds $(MONKEY_SEEDS) --events $(MONKEY_EVENTS)
# A build runs its own jobs (its preset's), outside the lanes' job server and flags.
cmake_build = env -u MAKEFLAGS -u MFLAGS cmake --build

play: game
	./build/lexfray/lexfray

# A lane that fails leaves the others to finish, so that one run shows every failure.
test: deps
	$(MAKE) --jobs=4 --output-sync=target --keep-going test-package test-sanitized test-release \
		test-fuzz

# The game and what it needs to run: no tests, no benchmarks, no test packages.
game: deps-play
	cmake --preset default >/dev/null
	$(cmake_build) --preset default

release-configured: deps
	cmake --preset release >/dev/null

release: release-configured
	$(cmake_build) --preset release

sanitized: deps
	cmake --preset sanitize >/dev/null
	$(cmake_build) --preset sanitize

fuzz-targets: deps
	cmake --preset fuzz >/dev/null
	$(cmake_build) --preset fuzz

test-release: release
	ctest --preset release -LE package
	$(monkey_run)

test-package: release-configured
	ctest --preset release -L package

test-sanitized: sanitized
	ctest --preset sanitize

test-fuzz: fuzz-targets
	./tools/run-fuzz.sh build-fuzz $(TEST_FUZZ_SECONDS) 2

sanitize: test-sanitized

monkey: release
	$(monkey_run)

fuzz: fuzz-targets
	./tools/run-fuzz.sh build-fuzz $(FUZZ_SECONDS) 2

bench: deps
	cmake --preset bench >/dev/null
	$(cmake_build) --preset bench
	./tools/run-benchmarks.sh build

deps:
	@./tools/ensure-deps.sh test

deps-play:
	@./tools/ensure-deps.sh play

clean:
	rm -rf build build-sanitize build-fuzz
