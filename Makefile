# Two commands do everything on a fresh Debian machine:
#   make play   builds the game alone and starts it
#   make test   builds the game with its tests and benchmarks and runs every test
.PHONY: play test game build deps deps-play sanitize bench clean

play: game
	./build/lexfray/lexfray

test: build
	ctest --preset default

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

bench: build
	./tools/run-benchmarks.sh build

deps:
	@./tools/ensure-deps.sh test

deps-play:
	@./tools/ensure-deps.sh play

clean:
	rm -rf build build-sanitize
