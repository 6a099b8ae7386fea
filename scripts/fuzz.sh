#!/usr/bin/env bash
# `make fuzz`: builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz/, and runs each for FUZZ_SECONDS (default 60). A target starts from its corpus in fuzz/corpus/<name>/;
# what it finds new on the way stays in build-fuzz/corpus/. Every input that crashes or hangs a target is written
# into fuzz/corpus/<name>/ (crash-*, timeout-*, leak-*, oom-*): commit it, and `make test` replays it from then on.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build-fuzz
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVREN_FUZZ=ON || exit 1
fi
targets=()
for source in fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]}" || exit 1

# The centre's database commits to disk at every report; in memory the fuzzer runs many times faster. The
# cipher reports refused texts on standard output, as it must; only libFuzzer's own report (standard error) counts.
if [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
failed=()
for target in "${targets[@]}"; do
    name=${target%_fuzz}
    mkdir -p "$build/corpus/$name"
    echo "== $target: $seconds s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="fuzz/corpus/$name/" "$build/corpus/$name" "fuzz/corpus/$name" >/dev/null; then
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "make fuzz: ${failed[*]} failed; the inputs are in fuzz/corpus/ (git status shows them)."
    exit 1
fi
echo "make fuzz: every target ran $seconds s without a failure."
