#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang and the address and
# undefined-behaviour sanitizers into build-fuzz/, then runs each target for
# SECONDS seconds, one after the other (one core each). Every target starts
# from its seed corpus in fuzz/corpus/<name> and keeps what it learns in
# build-fuzz/corpus/<name>; an input that fails is saved in build-fuzz/crashes/
# and the script goes on with the next target, exiting 1 at the end.
#   scripts/fuzz.sh SECONDS [TARGET...]     (TARGET: ini csv filter pad formmap)
# Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
# The compiler cache takes paths relative to the checkout, so that another
# clone of the same sources (as CI's) finds what this one compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(ini csv filter pad formmap)
fi

bash scripts/install-deps.sh
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g1"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DQUILLET_BUILD_TESTS=OFF -DQUILLET_BUILD_BENCHMARKS=OFF -DQUILLET_BUILD_FUZZERS=ON >/dev/null
ninja -C build-fuzz -j2 $(printf 'fuzz_%s ' "${targets[@]}")

mkdir -p build-fuzz/crashes
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for target in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target for ${seconds}s"
    if ! build-fuzz/bin/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/fuzz_$target-" \
        "$corpus" "fuzz/corpus/$target" 2>&1 | tee "build-fuzz/fuzz_$target.log" | grep -v '^#[0-9]*[[:space:]]*\(NEW\|REDUCE\|pulse\)'; then
        :
    fi
    if grep -q -E '^(==[0-9]+==ERROR|SUMMARY|check failed|.*runtime error)' "build-fuzz/fuzz_$target.log"; then
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]} (inputs in build-fuzz/crashes/)"
    exit 1
fi
