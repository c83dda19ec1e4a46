#!/usr/bin/env bash
# talven preview: a prepared report's preview window drawn off screen (needs
# the CJK fonts): the picture at each zoom, a page, a search; bad arguments
# and files are refused.
set -euo pipefail
talven="$1"
fixture="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$talven" frp build "$fixture" -o "$work/sheets.frp"
for zoom in 100 75% width page two; do
  "$talven" preview "$work/sheets.frp" --zoom "$zoom" --screenshot "$work/$zoom.png" > /dev/null 2>&1
  file "$work/$zoom.png" | grep -q 'PNG image data, 1280 x 960'
done
# The whole-page picture differs from the page-width one.
! cmp -s "$work/width.png" "$work/page.png"

"$talven" preview "$work/sheets.frp" --page 3 --find 'wang fang' --screenshot "$work/found.png" > /dev/null 2> "$work/err"
! grep -q 'is not in the report' "$work/err"
"$talven" preview "$work/sheets.frp" --find '不在报表中' --screenshot "$work/none.png" > /dev/null 2> "$work/err"
grep -q "'不在报表中' is not in the report" "$work/err"

status=0
"$talven" preview "$work/sheets.frp" --zoom huge --screenshot "$work/x.png" 2> /dev/null || status=$?
[ "$status" = 2 ]
status=0
"$talven" preview "$work/missing.frp" --screenshot "$work/x.png" 2> "$work/err" || status=$?
[ "$status" = 1 ]
