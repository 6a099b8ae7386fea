# The two commands: `make run` and `make test`. Everything else here serves them.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all run test bootstrap bootstrap-test build build-asan build-release test-normal test-asan bench format clean screenshots fuzz dist

all: build

bootstrap:
	@bash scripts/bootstrap.sh

build/build.ninja: | bootstrap
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build-release/build.ninja: | bootstrap
	cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVREN_TESTS=OFF $(CMAKE_FLAGS)

build-asan/build.ninja: | bootstrap
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVREN_SANITIZE=ON $(CMAKE_FLAGS)

build: bootstrap build/build.ninja
	cmake --build build -j $(JOBS)

build-asan: bootstrap build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)

# The optimised build that `make dist` packs; every build type must build without a warning.
build-release: bootstrap build-release/build.ninja
	cmake --build build-release -j $(JOBS)

# The tests also drive the headless `make run` through its browser viewer, in Chromium.
bootstrap-test:
	@bash scripts/bootstrap.sh test

test-normal: bootstrap-test build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: bootstrap-test build-asan
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# Runs the whole suite twice, a normal build and an ASan+UBSan build, and builds the Release configuration.
test: test-normal test-asan build-release

# The whole system on one machine: the centre and update stand-ins (data under build/run/) and the client from
# build/dist/. OFFER_UPDATE=1 has the centre announce a newer version, so the whole update can be watched.
# The display is decided before the build; without one, the client runs on a virtual display that a browser
# on this machine shows (the address is printed).
OFFER_UPDATE ?= 0
run:
	@MAKE="$(MAKE)" OFFER_UPDATE=$(OFFER_UPDATE) exec bash scripts/run.sh

bench: build
	@for b in build/bench/*_bench; do QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

# Every fuzz target for FUZZ_SECONDS with libFuzzer, ASan and UBSan (clang, in build-fuzz/); see scripts/fuzz.sh.
fuzz:
	@bash scripts/bootstrap.sh fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) bash scripts/fuzz.sh

# Pictures of the live client's windows, for review: build/screens/*.png.
screenshots: build
	@bash scripts/screenshots.sh

# The tarball to install from: build/halvren-<version>-linux-x86_64.tar.gz (see its install.sh).
# UPDATE_KEY=path/to/public.pem puts the publisher's Ed25519 public key in it, so that the installed updater
# takes only updates signed with the matching private key (see the README).
VERSION := $(shell sed -n 's/^project.Halvren VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
UPDATE_KEY ?=
dist: build-release
	@mkdir -p build
	@bash scripts/dist.sh build-release/dist build-release/assets/skin-painter/art/client/icon.png \
		build/halvren-$(VERSION)-linux-x86_64.tar.gz $(UPDATE_KEY)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-release build-fuzz
