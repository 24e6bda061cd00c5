#!/usr/bin/env bash
# The sanitized pass that `TARSEL_SANITIZE=1 bash scripts/test.sh` runs after the normal one
# (CI always does). Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into its own folder, then
#   1. runs every test there, the display tests under Xvfb as the normal pass does;
#   2. replays the fuzz corpora (fuzz/corpus/<target>/: seeds and every input that once
#      crashed or hung) through each fuzz target;
#   3. fuzzes each target for TARSEL_FUZZ_SECONDS seconds (default 60), all at the same time.
# Any sanitizer report, failed test, replayed input that fails or new fuzz finding fails the
# run; the summary at the end names each one. New findings are kept under
# <build folder>/fuzz-findings/<target>/ (copy them into fuzz/corpus/<target>/ once mended).
#
# Settings: TARSEL_SANITIZE_BUILD_DIR (default build-sanitize), TARSEL_FUZZ_SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${TARSEL_SANITIZE_BUILD_DIR:-build-sanitize}
fuzz_seconds=${TARSEL_FUZZ_SECONDS:-60}
jobs=$(nproc)
failures=()

# The lines of a fuzzer's log that say what went wrong and with which input.
report_lines() {
  awk '/^Running: / { input = $0; next }
       /ERROR|SUMMARY|runtime error|Fuzz check failed|terminate called|Test unit written/ {
         if (input != "") { print "   " input; input = "" }
         if (++shown <= 10) print "   " $0
       }' "$1"
}

# An input counts as hanging after 20 s: every loader refuses work beyond its limits at once,
# and the slowest inputs are pictures near the size limits, whose pixels alone take a few
# seconds (a metafile as large as they allow is drawn, encoded and decoded again).
# Runs the inputs of a folder one by one through a target; false when one of them fails.
replay() {
  local fuzzer=$1 folder=$2 log=$3
  local inputs=()
  [[ -d $folder ]] && mapfile -t inputs < <(find "$folder" -type f | sort)
  ((${#inputs[@]})) || return 0
  echo "   $(basename "$fuzzer"): ${#inputs[@]} inputs from $folder"
  "$fuzzer" -rss_limit_mb=2048 -timeout=20 "${inputs[@]}" >"$log" 2>&1
}

# Every report ends the process with an error; leaks of the libraries we call (not ours) are
# suppressed in one commented file.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"

echo "== Sanitized build (clang-14, ASan + UBSan) in $build_dir"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTARSEL_FUZZ=ON -DTARSEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j"$jobs"

echo "== Sanitized tests"
if ! xvfb-run -a -s "-screen 0 1920x1080x24 -dpi 96 +extension XInputExtension" \
  ctest --test-dir "$build_dir" --output-on-failure -j"$jobs"; then
  failures+=("tests: see the ctest output above")
fi

fuzzers=()
for f in "$build_dir"/fuzz/*Fuzzer; do
  [[ -x $f ]] && fuzzers+=("$f")
done
((${#fuzzers[@]})) || failures+=("fuzz: no fuzz target was built in $build_dir/fuzz")

# Loaders that go through files get a scratch folder in memory when there is one.
scratch_base=$build_dir
[[ -d /dev/shm && -w /dev/shm ]] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/tarsel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

echo "== Replaying the fuzz corpora"
mkdir -p "$build_dir/fuzz-logs"
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  if ! replay "$fuzzer" "fuzz/corpus/$name" "$build_dir/fuzz-logs/$name-replay.log"; then
    failures+=("replay $name: an input of fuzz/corpus/$name fails, see $build_dir/fuzz-logs/$name-replay.log")
    report_lines "$build_dir/fuzz-logs/$name-replay.log"
  fi
done

echo "== Fuzzing each target for $fuzz_seconds s"
# Freed memory is held back for use-after-free checks; less of it leaves the 2 GB limit to
# the pictures the loaders allow.
export ASAN_OPTIONS=$ASAN_OPTIONS:quarantine_size_mb=64
started="$build_dir/fuzz-logs/started"
touch "$started"
pids=()
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  work="$build_dir/fuzz-work/$name"
  findings="$build_dir/fuzz-findings/$name"
  mkdir -p "$work" "$findings"
  dictionary=()
  [[ -f fuzz/dictionaries/$name.dict ]] && dictionary=(-dict="fuzz/dictionaries/$name.dict")
  # New inputs go to the work folder; the committed corpus is only read. The targets run
  # at once, each stopped past 2 GB: 10 GB for the five of them, well within a 24 GiB
  # machine's memory.
  "$fuzzer" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$findings/" "${dictionary[@]}" \
    "$work" "fuzz/corpus/$name" \
    >"$build_dir/fuzz-logs/$name.log" 2>&1 &
  pids+=($!)
done
printf '   %-22s %12s  %s\n' target executions result
for i in "${!fuzzers[@]}"; do
  name=$(basename "${fuzzers[$i]}")
  log="$build_dir/fuzz-logs/$name.log"
  result=clean
  wait "${pids[$i]}" || result=FINDING
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  printf '   %-22s %12s  %s\n' "$name" "${runs:-?}" "$result"
  if [[ $result != clean ]]; then
    found=$(find "$build_dir/fuzz-findings/$name" -type f -newer "$started" | tr '\n' ' ')
    failures+=("fuzz $name: a finding (${found:-see the log}), see $log")
    report_lines "$log"
  fi
done

if ((${#failures[@]})); then
  echo "== Sanitized pass FAILED:"
  printf '   %s\n' "${failures[@]}"
  exit 1
fi
echo "== Sanitized pass clean"
