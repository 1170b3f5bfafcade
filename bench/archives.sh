#!/usr/bin/env bash
# bench/archives.sh [BUILD_DIR] [ROUNDS]: a harvest that reads archives in
# place against unpacking the same archives and harvesting what was unpacked,
# side by side in one run. The corpus's public set (its programs and
# libraries, some 79 MB) is packed once into an archive of each of zip, 7z,
# tar.gz and cab. In place: glyphor2-cli scan-tree --archives over a folder
# of the archives. Against it: bsdtar -x unpacks each archive into a folder
# and glyphor2-cli scan-tree harvests that folder, the time of both counted.
# Each archive on its own, then the folder of all four. Every folder lies on
# a RAM file system (/dev/shm), so that the work of the two ways is measured
# and not the disk's; the archives are made before the rounds, and each run
# harvests into a fresh destination (with its catalogue, as a user's would).
# ROUNDS (default 5) rounds, the two ways alternating; medians. Also the
# median time bsdtar takes to decompress every member to nothing (bsdtar -x
# -O), the least that reading every member of an archive can cost.
# Prints the medians and the ratio in place / unpack-then-harvest (target:
# at most 0.5).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
. scripts/corpus-path
corpus=$G2_CORPUS/public
cli=$(realpath "$build/glyphor2-cli")
[ -x "$cli" ] || { echo "archives: $cli not built" >&2; exit 1; }
[ -d "$corpus" ] || { echo "archives: no corpus at $corpus" >&2; exit 1; }
for tool in bsdtar gcab; do
  command -v $tool >/dev/null || { echo "archives: $tool is not installed (scripts/setup installs it)" >&2; exit 1; }
done
[ -d /dev/shm ] && [ -w /dev/shm ] || { echo "archives: no RAM file system at /dev/shm" >&2; exit 1; }

work=$(mktemp -d -p /dev/shm glyphor2-archives.XXXXXX)
trap 'rm -rf "$work"' EXIT
now() { date +%s%N; }
ms() { echo $(( $1 / 1000000 )); }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

formats=(zip 7z tar.gz cab)
cp -r "$corpus" "$work/set"
mkdir "$work/all"
(
  cd "$work/set"
  mapfile -t members < <(find . -type f | sed 's|^\./||' | sort)
  bsdtar -c -f "$work/all/set.zip" --format zip "${members[@]}"
  bsdtar -c -f "$work/all/set.7z" --format 7zip "${members[@]}"
  bsdtar -c -f "$work/all/set.tar.gz" --format pax --gzip "${members[@]}"
  gcab -c -z "$work/all/set.cab" "${members[@]}"
)
for f in "${formats[@]}"; do
  mkdir "$work/one-$f"
  ln "$work/all/set.$f" "$work/one-$f/"
done

# In place: the folder of archives harvested; prints the tool's summary.
in_place() { # FOLDER
  rm -rf "$work/D"; mkdir "$work/D"
  "$cli" scan-tree --archives "$1" "$work/D" 2>/dev/null
}
# Unpacked and then harvested; sets unpack_ns and harvest_ns.
unpack_then_harvest() { # ARCHIVE...
  rm -rf "$work/U" "$work/D"; mkdir "$work/U" "$work/D"
  local t0 t1 t2 a n=0
  t0=$(now)
  for a in "$@"; do
    mkdir "$work/U/$n"
    bsdtar -x -f "$a" -C "$work/U/$n"
    n=$((n + 1))
  done
  t1=$(now)
  "$cli" scan-tree "$work/U" "$work/D" 2>/dev/null
  t2=$(now)
  unpack_ns=$((t1 - t0)); harvest_ns=$((t2 - t1))
}

# One row: the medians of ROUNDS rounds of both ways.
row() { # LABEL FOLDER ARCHIVE...
  local label=$1 folder=$2; shift 2
  local inplace=() unpacked=() unpacks=() harvests=() decompress=()
  local r t0 t1 ours theirs a
  for ((r = 0; r < rounds; r++)); do
    t0=$(now); ours=$(in_place "$folder"); t1=$(now)
    inplace+=($((t1 - t0)))
    t0=$(now); theirs=$(unpack_then_harvest "$@"; echo "$unpack_ns $harvest_ns" >"$work/split"); t1=$(now)
    unpacked+=($((t1 - t0)))
    read -r u h <"$work/split"; unpacks+=("$u"); harvests+=("$h")
    [ "$ours" = "$theirs" ] || { echo "archives: $label: in place gave \"$ours\", unpacked \"$theirs\"" >&2; exit 1; }
    t0=$(now)
    for a in "$@"; do bsdtar -x -O -f "$a" >/dev/null; done
    t1=$(now)
    decompress+=($((t1 - t0)))
  done
  local mi mu
  mi=$(median "${inplace[@]}"); mu=$(median "${unpacked[@]}")
  printf '%-8s %9d ms %11d ms  (%6d + %5d)  %9d ms   %5.2f   %s\n' "$label" "$(ms "$mi")" "$(ms "$mu")" \
    "$(ms "$(median "${unpacks[@]}")")" "$(ms "$(median "${harvests[@]}")")" \
    "$(ms "$(median "${decompress[@]}")")" "$(awk -v a="$mi" -v b="$mu" 'BEGIN { print a / b }')" "$ours"
}

echo "archives of the corpus's public set ($(find "$work/set" -type f | wc -l) files, $(du -sm "$work/set" | cut -f1) MB unpacked):" \
  "$(for f in "${formats[@]}"; do printf '%s %s MB  ' "$f" "$(du -m "$work/all/set.$f" | cut -f1)"; done)"
echo "on /dev/shm, $rounds rounds, medians; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %12s %14s  %-16s  %12s   %5s   %s\n' "" "in place" "unpack+harvest" "(unpack+harvest)" "decompress" "ratio" "summary"
for f in "${formats[@]}"; do
  row "$f" "$work/one-$f" "$work/all/set.$f"
done
row "all four" "$work/all" "${formats[@]/#/$work/all/set.}"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ratio: in place / unpack-then-harvest (target: at most 0.5)"
