#!/usr/bin/env bash
# Builds the fuzz targets with Debian's clang (libFuzzer, ASan, UBSan) and runs
# each one RUNS times (default 10,000,000), two at a time, at the lowest
# priority, starting from the kept corpus (tests/fuzz_corpus/<target>: the
# inputs that once crashed a target, the program's own books and data files,
# inputs that reach deep paths). Not part of CI.
#   bash bench/fuzz/run.sh [RUNS] [TARGET...]
#   FUZZ_JOBS=1 bash bench/fuzz/run.sh     (one target at a time)
# New inputs that find new paths go to build-fuzz/corpus/<target>; a crash is
# written to build-fuzz/crashes/<target>/ and stops that target. Logs are
# build-fuzz/<target>.log; the summary (runs, wall time, exec/s, cov/ft,
# crash inputs) is printed at the end and kept in build-fuzz/summary.txt.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
runs="${1:-10000000}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(xls_book compound_file settings quoted_lines record)
jobs="${FUZZ_JOBS:-2}"

need=()
for p in clang libclang-rt-14-dev llvm cmake qt6-base-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi

out="$root/build-fuzz"
cmake -S bench/fuzz -B "$out/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ >/dev/null
nice -n 19 cmake --build "$out/build" -j"$jobs"

# The longest input each target is given: a record decoder sees a whole
# record and a part of the next; the books' streams and containers stay
# small, or every run copies and parses tens of kilobytes for nothing new.
max_len() {
  case $1 in
    record) echo 1852 ;;
    quoted_lines|settings) echo 8192 ;;
    compound_file) echo 16384 ;;
    xls_book) echo 8192 ;;
  esac
}

# The example data folder as seeds (the books are in the kept corpus).
seed() {
  local t=$1 dir="$out/seeds/$1"
  mkdir -p "$dir"
  case $t in
    record)       head -c 1852 tests/data/ledger30/Ma在庫品.dat > "$dir/two_records" ;;
    quoted_lines) cp tests/data/ledger30/Mb在庫品02.dat "$dir/list"; cp tests/data/ledger30/Ma在庫品基礎.dat "$dir/settings" ;;
    settings)     cp tests/data/ledger30/Ma在庫品基礎.dat "$dir/settings" ;;
  esac
}

run_one() {
  local t=$1 corpus="$out/corpus/$1" crashes="$out/crashes/$1" log="$out/$1.log"
  mkdir -p "$corpus" "$crashes"
  seed "$t"
  local start status secs
  start=$(date +%s)
  set +e
  # No allocation stacks kept for reports (a third of the time of the
  # allocating targets); a crash input is replayed for the full report.
  # The time limit is wide: at the lowest priority on a busy machine an
  # input of a few milliseconds has waited over 10 s for the processor.
  ASAN_OPTIONS="malloc_context_size=0:${ASAN_OPTIONS:-}" nice -n 19 "$out/build/fuzz_$t" \
    -runs="$runs" -max_len="$(max_len "$t")" -timeout=120 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "tests/fuzz_corpus/$t" "$out/seeds/$t" >"$log" 2>&1
  status=$?
  set -e
  secs=$(( $(date +%s) - start ))
  local done_runs rate last
  done_runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -o 'cov: [0-9]* ft: [0-9]*' || echo "cov ? ft ?")
  echo "$t: exit $status, runs $done_runs, ${secs}s, $rate exec/s, $last, corpus $(ls "$corpus" | wc -l) files, crash inputs $(ls "$crashes" | wc -l)" \
    | tee -a "$out/summary.txt"
}

: > "$out/summary.txt"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$t" &
done
wait
