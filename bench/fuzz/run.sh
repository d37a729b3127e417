#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# one RUNS times (default 10,000,000), starting from the kept corpus
# (tests/fuzz_corpus/<target>) and the seed inputs made here. Not part of CI.
#   bash bench/fuzz/run.sh [RUNS] [TARGET...]
# New inputs that find new paths go to build-fuzz/corpus/<target>; a crash is
# written to build-fuzz/crashes/<target>/ and stops that target. The summary
# (runs, time, corpus size, crashes) is printed at the end and kept in
# build-fuzz/summary.txt.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
runs="${1:-10000000}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(record quoted_lines settings compound_file xls_book)

need=()
for p in clang libclang-rt-14-dev cmake qt6-base-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi

out="$root/build-fuzz"
cmake -S bench/fuzz -B "$out/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$out/build" -j"$(nproc)"

# Seeds: the shipped books and the example data folder.
seed() {
  local t=$1 dir="$out/seeds/$t"
  mkdir -p "$dir"
  case $t in
    record)       head -c 2778 tests/data/ledger30/Ma在庫品.dat > "$dir/three_records" ;;
    quoted_lines) cp tests/data/ledger30/Mb在庫品02.dat "$dir/list"; cp tests/data/ledger30/Ma在庫品基礎.dat "$dir/settings" ;;
    settings)     cp tests/data/ledger30/Ma在庫品基礎.dat "$dir/settings" ;;
    compound_file|xls_book)
      for b in build/app/原本Excel/*.xls build/app/原本INP/*.xls; do
        [ -f "$b" ] || continue
        if [ "$t" = compound_file ]; then cp "$b" "$dir/$(basename "$b")"; fi
      done
      if [ "$t" = xls_book ] && [ -x "$out/build/fuzz_xls_book" ]; then
        python3 - "$dir" build/app/原本Excel/*.xls <<'PY'
import sys, struct, os
# The Workbook stream of each book (a version-3 compound file, read plainly).
out = sys.argv[1]
for path in sys.argv[2:]:
    try:
        data = open(path, 'rb').read()
        ss = 1 << struct.unpack_from('<H', data, 30)[0]
        mss = 1 << struct.unpack_from('<H', data, 32)[0]
        nfat = struct.unpack_from('<I', data, 44)[0]
        dirstart = struct.unpack_from('<I', data, 48)[0]
        difat = list(struct.unpack_from('<109I', data, 76))[:nfat]
        sec = lambda n: data[512 + n * ss: 512 + (n + 1) * ss]
        fat = []
        for s in difat: fat += struct.unpack('<%dI' % (ss // 4), sec(s))
        def chain(s):
            r = b''
            while s < 0xFFFFFFFA: r += sec(s); s = fat[s]
            return r
        d = chain(dirstart)
        for i in range(0, len(d), 128):
            e = d[i:i+128]; n = struct.unpack_from('<H', e, 64)[0]
            name = e[:max(n - 2, 0)].decode('utf-16-le', 'replace')
            if name == 'Workbook':
                start, size = struct.unpack_from('<II', e, 116)
                open(os.path.join(out, os.path.basename(path) + '.biff'), 'wb').write(chain(start)[:size])
    except Exception as ex:
        print('seed skipped:', path, ex)
PY
      fi ;;
  esac
}

summary="$out/summary.txt"
: > "$summary"
for t in "${targets[@]}"; do
  seed "$t"
  corpus="$out/corpus/$t"; crashes="$out/crashes/$t"
  mkdir -p "$corpus" "$crashes"
  log="$out/$t.log"
  start=$(date +%s)
  set +e
  "$out/build/fuzz_$t" -runs="$runs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "tests/fuzz_corpus/$t" "$out/seeds/$t" >"$log" 2>&1
  status=$?
  set -e
  secs=$(( $(date +%s) - start ))
  done_runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  found=$(ls "$crashes" | wc -l)
  line="$t: exit $status, runs $done_runs, ${secs}s, corpus $(ls "$corpus" | wc -l) files, crash inputs $found"
  echo "$line" | tee -a "$summary"
done
