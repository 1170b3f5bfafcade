#!/usr/bin/env bash
# bench/window-scan.sh [BUILD_DIR] [ROUNDS] [COPIES]: the window's Scan Tree
# timed against glyphor2-cli scan-tree on the same tree, side by side in one
# run, and the window's answer to a stop click during the captures, during the
# merge and during a long walk through folders without executables. The
# program runs under Xvfb and is driven with xdotool; every tree lies on a RAM
# file system (/dev/shm), so that the disk is not what is measured. The source
# is COPIES (default 6) copies of the corpus's public set; ROUNDS (default 5)
# rounds, medians. bench/window_scan.py says what is measured and how.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-5}
copies=${3:-6}
. scripts/corpus-path
corpus=$G2_CORPUS/public
program=$(realpath "$build/glyphor2")
cli=$(realpath "$build/glyphor2-cli")
for tool in xvfb-run xdotool python3; do
  command -v $tool >/dev/null || { echo "window-scan: $tool is not installed" >&2; exit 1; }
done
[ -x "$program" ] && [ -x "$cli" ] || { echo "window-scan: build $build first" >&2; exit 1; }
[ -d "$corpus" ] || { echo "window-scan: no corpus at $corpus" >&2; exit 1; }
[ -d /dev/shm ] && [ -w /dev/shm ] || { echo "window-scan: no RAM file system at /dev/shm" >&2; exit 1; }

work=$(mktemp -d -p /dev/shm glyphor2-window-scan.XXXXXX)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" \
  python3 bench/window_scan.py "$program" "$cli" "$corpus" "$work" "$rounds" "$copies"
