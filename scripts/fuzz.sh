#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the `fuzz` preset) and runs each for SECONDS seconds, one after
# the other. Each works on its own corpus under build/fuzz/corpus, seeded from fuzz/corpus and the
# test fixtures; an input that breaks a harness stops the run and is kept in build/fuzz/findings.
#   scripts/fuzz.sh SECONDS [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS [HARNESS...]}
shift
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] &&
    harnesses=(registry_file_fuzz profile_file_fuzz numbers_fuzz msgbox_layout_fuzz)

declare -A fixtures=(
    [registry_file_fuzz]=tests/platform/fixtures/registry
    [profile_file_fuzz]=tests/platform/fixtures/profile
)
# Registry files get room for a few hundred lines; the seeds of the deep-path kind are cut to it.
declare -A longest=([registry_file_fuzz]=16384)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for harness in "${harnesses[@]}"; do
    corpus=build/fuzz/corpus/$harness
    findings=build/fuzz/findings/$harness
    mkdir -p "$corpus" "$findings"
    echo "== $harness: ${seconds}s" >&2
    # A parse that takes a second on an input of a few KB is a finding too.
    build/fuzz/bin/"$harness" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 \
        -max_len="${longest[$harness]:-4096}" -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "fuzz/corpus/${harness%_fuzz}" ${fixtures[$harness]:-}
done
