#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each on its corpus for a
# bounded time. Any crash, hang or sanitizer report fails the script; the input that caused
# it is left in build-fuzz/findings/. FUZZ_SECONDS sets the time per target (default 17).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
seconds=${FUZZ_SECONDS:-17}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DNELVOX_FUZZ=ON -DNELVOX_BUILD_TESTS=OFF -DNELVOX_BUILD_BENCH=OFF
targets=(favorites_file page_lines page_changes favorite_states change_rules part_selector bookmarks_html
    bookmarks_json stored_copy)
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

# Saves sync to disk; on a RAM disk that costs nothing and the targets run many times faster.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    # New inputs go to a scratch corpus; the corpus in the repository stays as it is.
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target for ${seconds}s"
    status=0
    "$build/fuzz/fuzz_$target" "$work" "$top/fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$build/findings/$target-" -print_final_stats=1 >"$build/fuzz_$target.log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+\s+DONE)' "$build/fuzz_$target.log" || true
    if ((status != 0)); then
        tail -n 60 "$build/fuzz_$target.log" >&2
        echo "fuzz_$target failed (exit $status); see $build/fuzz_$target.log and $build/findings/" >&2
        exit 1
    fi
done
