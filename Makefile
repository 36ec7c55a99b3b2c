# make run   builds the game and starts it
# make test  builds everything and runs every test (also under the sanitizers)
# make bench measures the game against this machine's limits
.PHONY: all build run test test-default test-asan test-fuzz bench clean

all: build

build:
	cmake --preset default
	cmake --build --preset default

run: build
	./build/zep

test-default: build
	ctest --preset default

test-asan:
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test-fuzz:
	./scripts/fuzz-smoke 20

test: test-default test-asan test-fuzz

bench: build
	./bench/run

clean:
	rm -rf build build-asan build-fuzz
