#!/usr/bin/env bash
# Builds the object file fuzzer with clang in its own folder and runs it for
# a bounded time (seconds, default 60), then the engine's query and model
# classes seeded with the sample's files, the report record fuzzer and the
# runtime's report file fuzzer, each for a third of that. Fails on any
# crash, leak or hang, on a report record that does not come back as the
# same bytes, and on a report file whose variables are not set as given.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
build="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVELIN_FUZZ=ON -DMORVELIN_TESTS=OFF -DMORVELIN_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target fuzz_objectfile fuzz_report -j"$(nproc)"
corpus="$build/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
export QT_QPA_PLATFORM=offscreen
MORVELIN_FUZZ_SEEDS="$corpus" "$build/bin/fuzz_objectfile" -runs=0 "$corpus" >/dev/null 2>&1 || true
"$build/bin/fuzz_objectfile" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 "$corpus" 2>"$build/fuzz.log" || { tail -n 60 "$build/fuzz.log"; exit 1; }
grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz.log" || true
echo "fuzz_objectfile: no crash in ${seconds}s"

# The engine's query and model classes, seeded with the sample's files, for
# a third of the time (10 s at least).
cmake --build "$build" --target fuzz_enginefile sample -j"$(nproc)"
engine_seconds=$(( seconds / 3 > 10 ? seconds / 3 : 10 ))
engine_corpus="$build/corpus-engine"
rm -rf "$engine_corpus"
mkdir -p "$engine_corpus"
MORVELIN_FUZZ_SEEDS="$engine_corpus" MORVELIN_FUZZ_SAMPLE="$build/bin/sample" \
  "$build/bin/fuzz_enginefile" -runs=0 "$engine_corpus" >/dev/null 2>&1 || true
"$build/bin/fuzz_enginefile" -max_total_time="$engine_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 "$engine_corpus" 2>"$build/fuzz-engine.log" || { tail -n 60 "$build/fuzz-engine.log"; exit 1; }
grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-engine.log" || true
echo "fuzz_enginefile: no crash in ${engine_seconds}s"

# The report records, for a third of the time (10 s at least).
report_seconds=$(( seconds / 3 > 10 ? seconds / 3 : 10 ))
report_corpus="$build/corpus-report"
rm -rf "$report_corpus"
mkdir -p "$report_corpus"
MORVELIN_FUZZ_SEEDS="$report_corpus" "$build/bin/fuzz_report" -runs=0 "$report_corpus" >/dev/null 2>&1 || true
"$build/bin/fuzz_report" -max_total_time="$report_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -print_final_stats=1 "$report_corpus" 2>"$build/fuzz-report.log" || { tail -n 60 "$build/fuzz-report.log"; exit 1; }
grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-report.log" || true
echo "fuzz_report: no fault in ${report_seconds}s"

# The runtime's report files, seeded with the sample's, for a third of the
# time (10 s at least).
cmake --build "$build" --target fuzz_reportfile -j"$(nproc)"
file_seconds=$(( seconds / 3 > 10 ? seconds / 3 : 10 ))
file_corpus="$build/corpus-reportfile"
rm -rf "$file_corpus"
mkdir -p "$file_corpus"
cp "$root"/data/sample/*.rpt "$file_corpus/"
printf '[Report]\nTitle={A} et {b}\n[Variables]\nA=1\nB=2\n\0"A>x, b>y, z","#1f"' > "$file_corpus/initial"
"$build/bin/fuzz_reportfile" -max_total_time="$file_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 "$file_corpus" 2>"$build/fuzz-reportfile.log" || { tail -n 60 "$build/fuzz-reportfile.log"; exit 1; }
grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-reportfile.log" || true
echo "fuzz_reportfile: no fault in ${file_seconds}s"
