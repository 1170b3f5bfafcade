#!/usr/bin/env bash
# bench/thumbnail.sh [BUILD_DIR] [ROUNDS]: time and peak memory of one
# thumbnail per corpus file, as a file manager asks for it (a process per
# file, sizes 128 and 256), next to the floor of starting the same program
# (glyphor2-cli --version) in the same run. Time is wall-clock per process, the
# best of ROUNDS (default 3); memory is the peak resident set size that
# /usr/bin/time reports. Prints median and maximum of each and the files over
# the 50 ms and 64 MB marks.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-3}
cli=$build/glyphor2-cli
. scripts/corpus-path
[ -x "$cli" ] || { echo "thumbnail: $cli not built" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "thumbnail: /usr/bin/time missing (package time)" >&2; exit 1; }
mapfile -t files < <(find "$G2_CORPUS/public" -type f \( -name '*.exe' -o -name '*.dll' \) | sort)
[ ${#files[@]} -gt 0 ] || { echo "thumbnail: no corpus in $G2_CORPUS" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One process: prints "microseconds kilobytes", the best time of the rounds
# and the largest memory.
measure() {
  local best=0 peak=0 t0 t1 us kb
  for ((r = 0; r < rounds; r++)); do
    # The tool refuses an OUT that exists, so each round starts without it.
    rm -f "$tmp/out.png"
    t0=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$tmp/mem" "$@" >/dev/null 2>&1 || true
    t1=$(date +%s%N)
    us=$(((t1 - t0) / 1000))
    kb=$(tail -n1 "$tmp/mem")
    ((best == 0 || us < best)) && best=$us
    ((kb > peak)) && peak=$kb
  done
  echo "$best $peak"
}

: >"$tmp/floor"
: >"$tmp/thumb"
ok=0
for f in "${files[@]}"; do
  measure "$cli" --version >>"$tmp/floor"
  for size in 128 256; do
    measure "$cli" thumbnail "$f" "$tmp/out.png" "$size" >>"$tmp/thumb"
    [ -s "$tmp/out.png" ] && ok=$((ok + 1))
    rm -f "$tmp/out.png"
  done
done

stats() { # FILE COLUMN: median and maximum
  sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { printf "%d %d\n", v[int((NR + 1) / 2)], v[NR] }'
}
read -r tmed tmax < <(stats "$tmp/thumb" 1)
read -r mmed mmax < <(stats "$tmp/thumb" 2)
read -r fmed fmax < <(stats "$tmp/floor" 1)
read -r fmmed _ < <(stats "$tmp/floor" 2)
slow=$(awk '$1 > 50000' "$tmp/thumb" | wc -l)
big=$(awk '$2 > 65536' "$tmp/thumb" | wc -l)
runs=$(wc -l <"$tmp/thumb")
echo "files: ${#files[@]}, thumbnails: $runs (sizes 128 and 256), PNGs written: $ok"
printf 'time per thumbnail: median %.1f ms, max %.1f ms (start-up floor: median %.1f ms, max %.1f ms)\n' \
  "$(bc -l <<<"$tmed / 1000")" "$(bc -l <<<"$tmax / 1000")" "$(bc -l <<<"$fmed / 1000")" "$(bc -l <<<"$fmax / 1000")"
printf 'ratio median thumbnail / start-up: %.2f\n' "$(bc -l <<<"$tmed / $fmed")"
printf 'peak memory: median %.1f MB, max %.1f MB (start-up floor: median %.1f MB)\n' \
  "$(bc -l <<<"$mmed / 1024")" "$(bc -l <<<"$mmax / 1024")" "$(bc -l <<<"$fmmed / 1024")"
echo "over 50 ms: $slow; over 64 MB: $big"
