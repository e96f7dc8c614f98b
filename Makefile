# Quick start: `make run` (the editor under wine) and `make test` (everything).
# Both install missing Debian packages first, then configure and build.

JOBS ?= 2
NATIVE := build/native
SAN := build/native-san
WIN := build/win
FUZZ := build/fuzz

.PHONY: all deps native san win run test test-native test-win test-e2e bench fuzz clean

all: native win

deps:
	@./scripts/install-deps.sh

$(NATIVE)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
$(SAN)/CMakeCache.txt: | deps
	cmake -S . -B $(SAN) -DCMAKE_BUILD_TYPE=Debug -DQB_SANITIZE=ON
$(WIN)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

native: deps $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j$(JOBS)
san: deps $(SAN)/CMakeCache.txt
	cmake --build $(SAN) -j$(JOBS)
win: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j$(JOBS)

run: win
	./scripts/run-program.sh

test: native san win
	./scripts/run-tests.sh

bench: native win
	./scripts/run-bench.sh

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_FUZZ=ON
	cmake --build $(FUZZ) -j$(JOBS)
	./scripts/run-fuzzers.sh $(FUZZ)

clean:
	rm -rf build
