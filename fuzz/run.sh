#!/usr/bin/env bash
# Builds and runs the libFuzzer targets of fuzz/ (clang only).
#
#   fuzz/run.sh build              configure and build build-fuzz
#   fuzz/run.sh regress            run every target once over its committed
#                                  corpus (fuzz/corpus/<target>); fails on any crash
#   fuzz/run.sh run [seconds] [target...]
#                                  fuzz each target in turn for that long
#                                  (default 60); new inputs go to
#                                  build-fuzz/corpus/<target>, crashes to
#                                  build-fuzz/artifacts/<target>/
#
# Environment: FUZZ_BUILD (build folder, default build-fuzz beside fuzz/),
# FUZZ_JOBS (build jobs, default 2).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${FUZZ_BUILD:-$root/build-fuzz}"
jobs="${FUZZ_JOBS:-2}"
targets=(fuzz_host_line fuzz_list_file fuzz_settings_ini fuzz_date_time_text fuzz_url_to_host
         fuzz_address_forms fuzz_iphist fuzz_hst_import fuzz_browser_files fuzz_hosts_helper fuzz_dns_reply)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

usage() {
    awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print } /^set -euo/ { exit }' "${BASH_SOURCE[0]}" >&2
    exit 2
}

binary() {
    local bin="$build/fuzz/$1"
    if [[ ! -x "$bin" ]]; then
        echo "fuzz: $bin is missing; run '$0 build' first" >&2
        exit 1
    fi
    echo "$bin"
}

do_build() {
    CXX="${CXX:-clang++}" cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER="${CXX:-clang++}" \
        -DCMAKE_CXX_FLAGS="$flags" \
        -DQUILLON_BUILD_UI=OFF -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF -DQUILLON_BUILD_FUZZ=ON
    cmake --build "$build" -j "$jobs" --target fuzz_all
}

do_regress() {
    local failed=()
    for t in "${targets[@]}"; do
        local bin
        bin="$(binary "$t")"
        local seeds=("$here/corpus/$t"/*)
        mkdir -p "$build/artifacts/$t"
        # Files as arguments: each runs once and nothing is written back.
        if "$bin" -timeout=60 -artifact_prefix="$build/artifacts/$t/" "${seeds[@]}" >"$build/artifacts/$t.log" 2>&1; then
            echo "fuzz: $t: ${#seeds[@]} inputs ok"
        else
            echo "fuzz: $t: FAILED (log: $build/artifacts/$t.log)" >&2
            tail -n 25 "$build/artifacts/$t.log" >&2
            failed+=("$t")
        fi
    done
    if ((${#failed[@]})); then
        echo "fuzz: failed: ${failed[*]}" >&2
        exit 1
    fi
}

do_run() {
    local seconds="${1:-60}"
    shift || true
    local chosen=("$@")
    ((${#chosen[@]})) || chosen=("${targets[@]}")
    local failed=()
    for t in "${chosen[@]}"; do
        local bin
        bin="$(binary "$t")"
        mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
        echo "fuzz: $t for ${seconds}s"
        # New inputs go to the first folder only: the scratch corpus.
        if ! "$bin" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
            -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "$here/corpus/$t"; then
            echo "fuzz: $t: FAILED; reproducer in $build/artifacts/$t/" >&2
            failed+=("$t")
        fi
    done
    if ((${#failed[@]})); then
        echo "fuzz: failed: ${failed[*]}" >&2
        exit 1
    fi
}

case "${1:-}" in
build) do_build ;;
regress) do_regress ;;
run)
    shift
    do_run "$@"
    ;;
*) usage ;;
esac
