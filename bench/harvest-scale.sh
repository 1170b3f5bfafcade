#!/usr/bin/env bash
# bench/harvest-scale.sh [--ram-only] [BUILD_DIR] [SIZES...]: whether a
# harvest keeps its pace and its memory as it grows. For each of SIZES
# (default 10000 50000 100000) captures, a tree is made of copies of the
# corpus's public set: its programs and libraries as plain files, and the
# corpus's .exe files packed once into a zip and a 7z beside them, so that
# the tree holds far more duplicates than distinct icons (which share their
# file in Temp: the corpus alone never fills its 10,000 names, but 100,000
# captures reach what a harvest collects before a merge). The copies are
# hard links of one copy (the program still reads each of them), spread
# over ten subfolders tenth01..tenth10. Each tree is harvested once with
# glyphor2-cli scan-tree --archives into a fresh destination, with its
# catalogue, as a user runs it: on a RAM file system (/dev/shm), where only
# the program's own work counts, and on the disk, in a folder under TMPDIR
# (default /tmp; it must not be a RAM file system; --ram-only leaves this
# pass out). Measured with /usr/bin/time: wall seconds, processor seconds
# (user and system, which others' work on a shared machine disturbs less)
# and peak memory.
# Prints per size the captures, seconds, microseconds per capture, processor
# seconds, the load when the run began, peak KB, the ratio of the time per
# capture and of the peak memory to the first size's run (targets, at
# 100,000 against 10,000: at most 1.15 for the time per capture, at most 1.5
# for the memory), the same ratio for the processor time per capture, the
# catalogue's size in KB per thousand captures, and the exit status (must
# be 0).
# Then the largest tree is harvested once more, a tenth at a time in order
# into one destination: it must end with the same icon files, name for name
# and byte for byte, as the single run over the whole tree. Exits 1 when it
# does not or when a harvest did not exit 0.
# The program is copied before the first run, so that the build folder may
# be rebuilt meanwhile.
set -euo pipefail
started=$(date +%s)
cd "$(dirname "$0")/.."
disk_pass=1
if [ "${1:-}" = --ram-only ]; then
  disk_pass=0
  shift
fi
build=${1:-build}
[ $# -gt 0 ] && shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 50000 100000)
for n in "${sizes[@]}"; do
  [[ $n =~ ^[1-9][0-9]*$ ]] || { echo "harvest-scale: not a number of captures: $n" >&2; exit 2; }
done
. scripts/corpus-path
corpus=$G2_CORPUS/public
disk=${TMPDIR:-/tmp}
[ -x "$build/glyphor2-cli" ] || { echo "harvest-scale: $build/glyphor2-cli not built" >&2; exit 1; }
[ -d "$corpus" ] || { echo "harvest-scale: no corpus at $corpus" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "harvest-scale: /usr/bin/time is not installed (scripts/setup installs it)" >&2; exit 1; }
command -v bsdtar >/dev/null || { echo "harvest-scale: bsdtar is not installed (scripts/setup installs it)" >&2; exit 1; }
[ -d /dev/shm ] && [ -w /dev/shm ] || { echo "harvest-scale: no RAM file system at /dev/shm" >&2; exit 1; }
if [ $disk_pass = 1 ] && [ "$(stat -f -c %T "$disk")" = tmpfs ]; then
  echo "harvest-scale: $disk is a RAM file system; set TMPDIR to a folder on the disk, or pass --ram-only" >&2
  exit 1
fi

ram=$(mktemp -d -p /dev/shm glyphor2-scale.XXXXXX)
ondisk=
trap 'rm -rf "$ram" ${ondisk:+"$ondisk"}' EXIT
if [ $disk_pass = 1 ]; then
  ondisk=$(mktemp -d -p "$disk" glyphor2-scale.XXXXXX)
fi
places=("$ram")
[ $disk_pass = 1 ] && places+=("$ondisk")
cp "$build/glyphor2-cli" "$ram/glyphor2-cli"
cli=$ram/glyphor2-cli

# The captures of a summary line "captured N, added M".
captured() { sed -nE 's/^captured ([0-9]+),.*/\1/p' <<<"$1"; }
# The catalogue's files in a destination, in bytes.
catalogue_bytes() { cat "$1"/glyphor2-catalogue* 2>/dev/null | wc -c; }
# Every icon file of a destination by name, with its hash.
icon_hashes() { (cd "$1" && find . -maxdepth 1 -type f -name 'Icon*.ico' -printf '%f\0' | sort -z | xargs -0r sha256sum); }

# One copy: the set as it is, plus its .exe files in a zip and a 7z. Made on
# the RAM file system; the disk's is a copy of it, not a second packing.
unit=$ram/unit
cp -r "$corpus" "$unit"
(
  cd "$corpus"
  mapfile -t exes < <(find . -type f -name '*.exe' | sed 's|^\./||' | sort)
  bsdtar -a -cf "$unit/packed.zip" "${exes[@]}"
  bsdtar -a -cf "$unit/packed.7z" "${exes[@]}"
)
if [ $disk_pass = 1 ]; then
  cp -r "$unit" "$ondisk/unit"
fi
mkdir "$ram/D"
per_copy=$(captured "$("$cli" -q scan-tree --archives "$unit" "$ram/D")")
rm -rf "$ram/D"
[ -n "$per_copy" ] && [ "$per_copy" -gt 0 ] || { echo "harvest-scale: one copy of the set gave no captures" >&2; exit 1; }

# The tree of about N captures under PLACE/T<N>: copies spread in order over
# the ten tenths, each tenth a folder of its own.
make_tree() { # PLACE N
  local place=$1 n=$2 copies c
  copies=$(( (n + per_copy / 2) / per_copy ))
  [ "$copies" -gt 0 ] || copies=1
  for ((c = 0; c < copies; c++)); do
    local tenth
    tenth=$(printf 'tenth%02d' $(( c * 10 / copies + 1 )))
    mkdir -p "$place/T$n/$tenth"
    cp -al "$place/unit" "$place/T$n/$tenth/copy$(printf '%05d' "$c")"
  done
  for ((c = 1; c <= 10; c++)); do mkdir -p "$place/T$n/$(printf 'tenth%02d' $c)"; done
}

# One timed harvest of SRC into a fresh DEST; sets summary, seconds,
# cpu_seconds, peak_kb and status.
harvest() { # SRC DEST
  rm -rf "$2"; mkdir "$2"
  status=0
  summary=$(/usr/bin/time -f '%e %U %S %M' -o "$ram/time" "$cli" -q scan-tree --archives "$1" "$2" 2>"$ram/err") || status=$?
  # A failed run's times follow time's own line about the status.
  read -r seconds user system peak_kb < <(tail -n 1 "$ram/time")
  cpu_seconds=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
  if [ $status != 0 ]; then
    echo "harvest-scale: $1: exit status $status: $(tail -n 3 "$ram/err")" >&2
  fi
}

for place in "${places[@]}"; do
  for n in "${sizes[@]}"; do make_tree "$place" "$n"; done
done

echo "one copy of the set: $(find "$unit" -type f | wc -l) files ($(du -sm "$unit" | cut -f1) MB, the zip and the 7z included), $per_copy captures"
[ $disk_pass = 1 ] && echo "RAM: /dev/shm; disk: $disk ($(stat -f -c %T "$disk"))"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %8s %9s %9s %9s %9s %6s %10s %9s %9s %6s %12s %6s\n' \
  "" "size" "captures" "seconds" "us/capt" "cpu s" "load" "peak KB" "time x" "memory x" "cpu x" "KB/1000 cat" "status"
failed=0
largest=0
for n in "${sizes[@]}"; do [ "$n" -gt "$largest" ] && largest=$n; done
for place in "${places[@]}"; do
  label=RAM
  [ "$place" = "$ondisk" ] && label=disk
  base_us='' base_kb='' base_cpu_us=''
  for n in "${sizes[@]}"; do
    load=$(cut -d' ' -f1 /proc/loadavg)
    harvest "$place/T$n" "$place/D$n"
    [ $status = 0 ] || failed=1
    count=$(captured "$summary")
    [ -n "$count" ] || count=0
    us=$(awk -v s="$seconds" -v c="$count" 'BEGIN { printf "%.1f", c ? s * 1e6 / c : 0 }')
    cpu_us=$(awk -v s="$cpu_seconds" -v c="$count" 'BEGIN { printf "%.1f", c ? s * 1e6 / c : 0 }')
    [ -n "$base_us" ] || { base_us=$us; base_kb=$peak_kb; base_cpu_us=$cpu_us; }
    printf '%-8s %8d %9d %9.2f %9.1f %9.2f %6.2f %10d %9.2f %9.2f %6.2f %12.1f %6d\n' \
      "$label" "$n" "$count" "$seconds" "$us" "$cpu_seconds" "$load" "$peak_kb" \
      "$(awk -v a="$us" -v b="$base_us" 'BEGIN { print (b > 0) ? a / b : 0 }')" \
      "$(awk -v a="$peak_kb" -v b="$base_kb" 'BEGIN { print a / b }')" \
      "$(awk -v a="$cpu_us" -v b="$base_cpu_us" 'BEGIN { print (b > 0) ? a / b : 0 }')" \
      "$(awk -v s="$(catalogue_bytes "$place/D$n")" -v c="$count" 'BEGIN { print c ? s / c * 1000 / 1024 : 0 }')" \
      "$status"
    # The largest RAM run's destination is the one the tenths must match.
    if [ "$place" = "$ram" ] && [ "$n" = "$largest" ]; then
      one_run=$summary
    else
      rm -rf "$place/D$n"
    fi
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "time x, memory x, cpu x: time per capture, peak memory and processor time per capture against the ${sizes[0]} run" \
  "(targets at 100000 against 10000: at most 1.15 and 1.5)"

# The largest tree, a tenth at a time into one destination.
tenths=$ram/tenths
mkdir "$tenths"
sum=0
for ((c = 1; c <= 10; c++)); do
  status=0
  part=$("$cli" -q scan-tree --archives "$ram/T$largest/$(printf 'tenth%02d' $c)" "$tenths" 2>"$ram/err") || status=$?
  if [ $status != 0 ]; then
    echo "harvest-scale: tenth $c of $largest: exit status $status: $(tail -n 3 "$ram/err")" >&2
    failed=1
  fi
  sum=$((sum + $(captured "$part")))
done
icon_hashes "$ram/D$largest" >"$ram/one.sums"
icon_hashes "$tenths" >"$ram/tenths.sums"
echo "the $largest tree in one run: $one_run; in ten runs: captured $sum in all;" \
  "icon files: $(wc -l <"$ram/one.sums") and $(wc -l <"$ram/tenths.sums")"
if cmp -s "$ram/one.sums" "$ram/tenths.sums"; then
  echo "same destination: yes"
else
  echo "same destination: no"
  diff "$ram/one.sums" "$ram/tenths.sums" | head -n 10 >&2 || true
  failed=1
fi
echo "whole script: $(($(date +%s) - started)) s"
exit $failed
