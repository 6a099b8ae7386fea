# The two commands: `make run` and `make test`. Everything else here serves them.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all run test bootstrap build build-asan test-normal test-asan bench format clean

all: build

bootstrap:
	@bash scripts/bootstrap.sh

build/build.ninja: | bootstrap
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build-asan/build.ninja: | bootstrap
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVREN_SANITIZE=ON $(CMAKE_FLAGS)

build: bootstrap build/build.ninja
	cmake --build build -j $(JOBS)

build-asan: bootstrap build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)

test-normal: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# Runs the whole suite twice: a normal build and an ASan+UBSan build.
test: test-normal test-asan

run: build
	@echo "The client program arrives with a later change; 'make run' does not start it yet."

bench: build
	@for b in build/bench/*; do [ -x "$$b" ] && "$$b"; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan
