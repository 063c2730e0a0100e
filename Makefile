# Two commands do everything on a fresh Debian machine:
#   make play   builds the game and starts it
#   make test   builds the game and runs every test
.PHONY: play test build deps sanitize bench install-deps clean

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

bench: build
	./tools/run-benchmarks.sh build

deps:
	@./tools/ensure-deps.sh

clean:
	rm -rf build build-sanitize
