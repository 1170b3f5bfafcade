#!/usr/bin/env bash
# bench/catalogue.sh [BUILD_DIR] [ROUNDS] [COPIES]: what the destination's
# catalogue costs a harvest. glyphor2-cli scan-tree with the catalogue (as a
# user runs it) against the same harvest with --no-catalogue, side by side in
# one run, on the same tree: COPIES (default 8) copies of the corpus's public
# set. Measured twice: with the tree and the destination on a RAM file system
# (/dev/shm), where only the program's own work counts, and on the disk, in
# a folder under TMPDIR (default /tmp; it must not be a RAM file system),
# where the catalogue's writes (its journal, and the syncs of its
# checkpoints) reach the disk. On both, the tree is read from the page cache
# after the first run. Each run harvests into a fresh destination; ROUNDS
# (default 5) rounds, the two ways alternating; medians. Prints the medians
# and the ratio with / without (target: at most 1.25), and the catalogue's
# size per thousand icons captured: for the whole tree (the copies' original
# groups are the first copy's, kept once) and for one copy of the set.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
copies=${3:-8}
. scripts/corpus-path
corpus=$G2_CORPUS/public
cli=$(realpath "$build/glyphor2-cli")
disk=${TMPDIR:-/tmp}
[ -x "$cli" ] || { echo "catalogue: $cli not built" >&2; exit 1; }
[ -d "$corpus" ] || { echo "catalogue: no corpus at $corpus" >&2; exit 1; }
[ -d /dev/shm ] && [ -w /dev/shm ] || { echo "catalogue: no RAM file system at /dev/shm" >&2; exit 1; }
if [ "$(stat -f -c %T "$disk")" = tmpfs ]; then
  echo "catalogue: $disk is a RAM file system; set TMPDIR to a folder on the disk" >&2
  exit 1
fi

ram=$(mktemp -d -p /dev/shm glyphor2-catalogue.XXXXXX)
ondisk=$(mktemp -d -p "$disk" glyphor2-catalogue.XXXXXX)
trap 'rm -rf "$ram" "$ondisk"' EXIT
now() { date +%s%N; }
ms() { echo $(( $1 / 1000000 )); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
# The catalogue's files in a destination, in bytes.
catalogue_bytes() { cat "$1"/glyphor2-catalogue* | wc -c; }
# The captures of a summary line "captured N, added M".
captured() { sed -E 's/^captured ([0-9]+),.*/\1/' <<<"$1"; }

for place in "$ram" "$ondisk"; do
  for ((c = 0; c < copies; c++)); do
    mkdir -p "$place/S/copy$c"
    cp -r "$corpus"/. "$place/S/copy$c/"
  done
  mkdir -p "$place/one"
  cp -r "$corpus"/. "$place/one/"
done

harvest() { # PLACE [--no-catalogue]; prints the tool's summary
  local place=$1; shift
  rm -rf "$place/D"; mkdir "$place/D"
  "$cli" scan-tree "$@" "$place/S" "$place/D" 2>/dev/null
}

echo "the tree: $copies copies of the corpus's public set ($(find "$ram/S" -type f | wc -l) files, $(du -sm "$ram/S" | cut -f1) MB)"
echo "$rounds rounds, medians; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %12s %12s   %5s\n' "" "catalogue" "none" "ratio"
for place in "$ram" "$ondisk"; do
  label="RAM (/dev/shm)"
  [ "$place" = "$ondisk" ] && label="disk ($disk, $(stat -f -c %T "$disk"))"
  with=() without=()
  for ((r = 0; r < rounds; r++)); do
    t0=$(now); ours=$(harvest "$place"); t1=$(now)
    with+=($((t1 - t0)))
    size=$(catalogue_bytes "$place/D")
    t0=$(now); bare=$(harvest "$place" --no-catalogue); t1=$(now)
    without+=($((t1 - t0)))
    [ "$ours" = "$bare" ] || { echo "catalogue: with it \"$ours\", without \"$bare\"" >&2; exit 1; }
    ls "$place/D" | grep -q '^glyphor2-catalogue' && { echo "catalogue: --no-catalogue wrote one" >&2; exit 1; }
  done
  mw=$(median "${with[@]}"); mn=$(median "${without[@]}")
  printf '%-26s %9d ms %9d ms   %5.2f\n' "$label" "$(ms "$mw")" "$(ms "$mn")" \
    "$(awk -v a="$mw" -v b="$mn" 'BEGIN { print a / b }')"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ratio: with the catalogue / without (target: at most 1.25)"

n=$(captured "$ours")
printf 'catalogue of the tree: %d bytes for %d icons captured, %.1f KB per thousand icons\n' \
  "$size" "$n" "$(awk -v s="$size" -v n="$n" 'BEGIN { print s / n * 1000 / 1024 }')"
rm -rf "$ram/D"; mkdir "$ram/D"
one=$("$cli" scan-tree "$ram/one" "$ram/D" 2>/dev/null)
n=$(captured "$one"); size=$(catalogue_bytes "$ram/D")
printf 'catalogue of one copy:  %d bytes for %d icons captured, %.1f KB per thousand icons\n' \
  "$size" "$n" "$(awk -v s="$size" -v n="$n" 'BEGIN { print s / n * 1000 / 1024 }')"
