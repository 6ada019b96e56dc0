#!/usr/bin/env bash
# Shows a bundled example score in the viewer. Without a display, draws it instead into
# a PDF (the printed pages) and a PNG (the whole score as the window shows it) and says
# where they are. Usage: tools/run-example.sh [SCORE] (after tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${PLEKTO_BUILD:-build}
plekto="$build/plekto"
example=${1:-examples/blues_shuffle.tab}
[ -f "$example" ] || example=examples/exercise.tab
if [ ! -x "$plekto" ]; then
  echo "run-example: $plekto not found; run tools/setup.sh first" >&2
  exit 1
fi

platform=${QT_QPA_PLATFORM:-}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "$platform" != offscreen ] && [ "$platform" != minimal ]; then
  exec "$plekto" "$example"
fi

out="$build/example"
mkdir -p "$out"
name=$(basename "${example%.*}")
QT_QPA_PLATFORM=offscreen "$plekto" render "$example" -o "$out/$name.pdf"
QT_QPA_PLATFORM=offscreen "$plekto" render "$example" -o "$out/$name.png"
echo "No display to show the viewer on. $example is drawn into:"
echo "  $out/$name.pdf  (the printed pages)"
echo "  $out/$name.png  (the whole score as the window shows it)"
