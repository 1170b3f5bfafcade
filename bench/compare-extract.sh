#!/usr/bin/env bash
# bench/compare-extract.sh [BUILD_DIR] [ROUNDS]: times, side by side in one
# run, the corpus through the peer's bare extraction (wrestool -x -t 14, the
# group icons written as icon files) and through glyphor2-cli, which for every
# icon also decodes, passes it through the 32 x 32 round trip, quantises it to
# 16 colours and writes the icon file. Rounds alternate between the two and
# the best round of each counts. A whole Scan Tree of the corpus (capture into
# Temp, merge into an empty destination, clean-up) is timed alongside. Prints
# the times and the ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-3}
cli=$build/glyphor2-cli
. scripts/corpus-path
corpus=$G2_CORPUS
command -v wrestool >/dev/null || { echo "compare-extract: wrestool (icoutils) is not installed" >&2; exit 1; }
[ -x "$cli" ] || { echo "compare-extract: $cli not built" >&2; exit 1; }
[ -f "$corpus/manifest.tsv" ] || { echo "compare-extract: no corpus at $corpus" >&2; exit 1; }

mapfile -t files < <(tail -n +2 "$corpus/manifest.tsv" | cut -f3 | sed "s|^|$corpus/|")
mapfile -t counts < <(tail -n +2 "$corpus/manifest.tsv" | cut -f5)
icons=0
for n in "${counts[@]}"; do icons=$((icons + n)); done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
now() { date +%s%N; }

peer() {
  rm -rf "$tmp/peer"; mkdir -p "$tmp/peer"
  for k in "${!files[@]}"; do
    mkdir "$tmp/peer/$k"
    wrestool -x -t 14 -o "$tmp/peer/$k/" "${files[$k]}" 2>/dev/null || true
  done
}
ours_batch() {
  rm -rf "$tmp/ours"; mkdir -p "$tmp/ours"
  for k in "${!files[@]}"; do
    mkdir "$tmp/ours/$k"
    "$cli" capture-all "${files[$k]}" "$tmp/ours/$k" >/dev/null
  done
}
ours_each() {
  rm -rf "$tmp/each"; mkdir -p "$tmp/each"
  local i n
  for k in "${!files[@]}"; do
    n=${counts[$k]}
    for ((i = 0; i < n; i++)); do "$cli" capture "${files[$k]}" "$i" "$tmp/each/$k-$i.ico"; done
  done
}

ours_scan() {
  rm -rf "$tmp/scan"; mkdir -p "$tmp/scan"
  "$cli" scan-tree "$corpus/public" "$tmp/scan" 2>/dev/null >"$tmp/scan.out"
}

best_peer=; best_batch=; best_each=; best_scan=
for ((r = 0; r < rounds; r++)); do
  t0=$(now); peer; t1=$(now); ours_batch; t2=$(now); ours_each; t3=$(now); ours_scan; t4=$(now)
  p=$(( (t1 - t0) / 1000000 )); b=$(( (t2 - t1) / 1000000 )); e=$(( (t3 - t2) / 1000000 ))
  sc=$(( (t4 - t3) / 1000000 ))
  echo "round $((r + 1)): wrestool ${p} ms, glyphor2-cli capture-all ${b} ms, capture per icon ${e} ms, scan-tree ${sc} ms ($(cat "$tmp/scan.out"))"
  [ -z "$best_peer" ] || [ "$p" -lt "$best_peer" ] && best_peer=$p
  [ -z "$best_batch" ] || [ "$b" -lt "$best_batch" ] && best_batch=$b
  [ -z "$best_each" ] || [ "$e" -lt "$best_each" ] && best_each=$e
  [ -z "$best_scan" ] || [ "$sc" -lt "$best_scan" ] && best_scan=$sc
done

peer_out=$(find "$tmp/peer" -type f | wc -l)
ours_out=$(find "$tmp/ours" -type f -size 766c | wc -l)
echo "files: ${#files[@]}, icons: $icons (peer wrote $peer_out icon files, glyphor2-cli $ours_out of 766 bytes)"
echo "best: wrestool -x -t 14 ${best_peer} ms; glyphor2-cli capture-all ${best_batch} ms; capture per icon ${best_each} ms; scan-tree ${best_scan} ms"
awk -v p="$best_peer" -v b="$best_batch" -v e="$best_each" -v sc="$best_scan" 'BEGIN {
  printf "ratio glyphor2-cli capture-all / wrestool: %.2f (%.1fx faster)\n", b / p, p / b
  printf "ratio glyphor2-cli capture per icon / wrestool: %.2f\n", e / p
  printf "ratio glyphor2-cli scan-tree / wrestool: %.2f\n", sc / p
}'
