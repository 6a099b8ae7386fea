# The two commands: `make run` and `make test`. Everything else here serves them.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all run test bootstrap build build-asan test-normal test-asan bench format clean screenshots

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

# The whole system on one machine: the centre stand-in in the foreground, its data under build/run/.
RUN_LISTEN ?= 127.0.0.1:8080
run: build
	@mkdir -p build/run
	@echo "Centre help page:      http://$(RUN_LISTEN)/Morvane/vesk/Help/help.jsp"
	@echo "Dispatcher's view:     http://$(RUN_LISTEN)/"
	@echo "The client program arrives with a later change. Stop the centre with Ctrl+C."
	@build/standins/centre-standin --listen $(RUN_LISTEN) --data build/run/centre

bench: build
	@for b in build/bench/*; do [ -x "$$b" ] && "$$b"; done

# Pictures of the message box and of the skin on real controls, for review: build/screens/*.png.
screenshots: build
	cd build && QT_QPA_PLATFORM=offscreen ./assets/skin-painter/halvren_screens dist screens

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan
