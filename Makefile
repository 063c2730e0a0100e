# Two commands do everything on a fresh Debian machine:
#   make play   builds the game and starts it
#   make test   builds the game and runs every test
# and for the robustness checks:
#   make fuzz   runs every fuzz target for FUZZ_SECONDS (default 300) each
.PHONY: play test build deps sanitize bench fuzz install-deps clean

FUZZ_SECONDS ?= 300

play: build
	./build/lexfray/lexfray

test: build
	ctest --preset default

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	./tools/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	./tools/run-benchmarks.sh build

deps:
	@./tools/ensure-deps.sh

clean:
	rm -rf build build-sanitize build-fuzz
