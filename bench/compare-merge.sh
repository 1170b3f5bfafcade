#!/usr/bin/env bash
# bench/compare-merge.sh [BUILD_DIR] [ROUNDS]: the duplicate merge against the
# bare file work it cannot avoid, side by side in one run. A destination of
# 5000 icon files and 1000 collected icons in its Temp folder, 500 of them
# already in the destination; glyphor2-cli scan-tree over an empty source
# folder does the merge and clean-up of that Temp folder. The bare work with
# standard tools: cat of the 6000 files, cp of the 500 new ones, rm of the 1000
# collected. Rounds alternate; the best of each counts. Prints times and ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
cli=$build/glyphor2-cli
[ -x "$cli" ] || { echo "compare-merge: $cli not built" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
now() { date +%s%N; }

# The pristine fixture: 766-byte files that share the 126 header bytes of the
# program's icon files and differ in their pixels, as real captures do.
python3 - "$tmp/pristine" <<'PY'
import os, random, sys
root = sys.argv[1]
dest = os.path.join(root, "D"); temp = os.path.join(dest, "Temp")
os.makedirs(temp)
rng = random.Random(7)
header = bytes(rng.randrange(256) for _ in range(126))
def icon():
    return header + bytes(rng.randrange(256) for _ in range(766 - 126))
existing = [icon() for _ in range(5000)]
for i, b in enumerate(existing):
    open(os.path.join(dest, "Icon%04d.ico" % i), "wb").write(b)
dupes = rng.sample(existing, 500)
new = [icon() for _ in range(500)]
collected = dupes + new
rng.shuffle(collected)
os.makedirs(os.path.join(root, "new"))
for i, b in enumerate(collected):
    open(os.path.join(temp, "Icon%04d.ico" % i), "wb").write(b)
    if b in new:
        open(os.path.join(root, "new", "Icon%04d.ico" % (5000 + i)), "wb").write(b)
PY
mkdir -p "$tmp/S"

fresh() { rm -rf "$tmp/work"; cp -r "$tmp/pristine" "$tmp/work"; sync; }
ours() {
  "$cli" scan-tree "$tmp/S" "$tmp/work/D" 2>/dev/null
}
bare() {
  cat "$tmp/work/D"/*.ico "$tmp/work/D/Temp"/*.ico >/dev/null
  cp "$tmp/work/new"/*.ico "$tmp/work/D/"
  rm "$tmp/work/D/Temp"/*.ico
}

best_ours=0; best_bare=0
for ((r = 0; r < rounds; r++)); do
  fresh; t0=$(now); out=$(ours); t1=$(now)
  [ "$out" = "captured 0, added 500" ] || { echo "compare-merge: unexpected result: $out" >&2; exit 1; }
  [ "$(ls "$tmp/work/D" | grep -c '\.ico$')" = 5500 ] || { echo "compare-merge: wrong destination" >&2; exit 1; }
  d=$((t1 - t0)); { [ $best_ours = 0 ] || [ $d -lt $best_ours ]; } && best_ours=$d
  fresh; t0=$(now); bare; t1=$(now)
  d=$((t1 - t0)); { [ $best_bare = 0 ] || [ $d -lt $best_bare ]; } && best_bare=$d
done
printf 'merge (glyphor2-cli scan-tree): %d ms\n' $((best_ours / 1000000))
printf 'bare file work (cat, cp, rm):   %d ms\n' $((best_bare / 1000000))
awk -v a=$best_ours -v b=$best_bare 'BEGIN { printf "ratio: %.2f (target at most 3)\n", a / b }'
