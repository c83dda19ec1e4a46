#!/usr/bin/env bash
# talven frp: a prepared report built from JSON dumps and builds back byte for
# byte, renders to a PDF of its pages and to numbered PNG pictures; a
# damaged file and a wrong page list are errors.
set -euo pipefail
talven="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

cat > "$work/sheets.json" <<'JSON'
{"PrinterName": "虚拟打印机", "pages": [
  {"SheetCode": 9, "SheetWidth": 2100, "SheetHeight": 2970, "objects": [
    {"class": "TfrMemoView", "Name": "Title", "Left": 40, "Top": 30, "Width": 500, "Height": 40,
     "Memo": ["笔试考场签到表"], "Font": {"Name": "宋体", "Size": 18}},
    {"class": "TfrMemoView", "Name": "Cell", "Left": 40, "Top": 90, "Width": 150, "Height": 30, "FrameTyp": 15,
     "Memo": ["准考证号"], "Font": {"Name": "宋体", "Size": 11}}]},
  {"SheetCode": 11, "SheetWidth": 2100, "SheetHeight": 1480, "SheetOrientation": 1, "KeepMargins": false,
   "Margins": [20, 20, 20, 20], "objects": [
    {"class": "TfrMemoView", "Name": "Second", "Left": 0, "Top": 0, "Width": 400, "Height": 30, "Memo": ["第二页"],
     "Font": {"Name": "宋体", "Size": 12}}]}]}
JSON
"$talven" frp build "$work/sheets.json" -o "$work/sheets.frp"
"$talven" frp dump "$work/sheets.frp" > "$work/dump.json"
"$talven" frp build "$work/dump.json" -o "$work/again.frp"
cmp "$work/sheets.frp" "$work/again.frp"
grep -q '"第二页"' "$work/dump.json"

"$talven" frp render "$work/sheets.frp" --out "$work/sheets.pdf" 2>/dev/null
pdfinfo -f 1 -l 2 "$work/sheets.pdf" | grep -q 'Pages: *2'
pdfinfo -f 1 -l 2 "$work/sheets.pdf" | grep -q 'Page    2 size: *595.276 x 419.528 pts'
pdftotext -enc UTF-8 "$work/sheets.pdf" - | grep -q '笔试考场签到表'

"$talven" frp render "$work/sheets.frp" --out "$work/page.png" --pages 2- --dpi 50 > "$work/written" 2>/dev/null
test "$(cat "$work/written")" = "$work/page-2.png"
test -s "$work/page-2.png"
test ! -e "$work/page-1.png"

if "$talven" frp render "$work/sheets.frp" --out "$work/x.png" --pages 1,,2 2> "$work/err"; then
  echo "a wrong page list rendered"; exit 1
fi
grep -q 'is not a valid integer value' "$work/err"
head -c 40 "$work/sheets.frp" > "$work/cut.frp"
if "$talven" frp dump "$work/cut.frp" > /dev/null 2> "$work/err"; then
  echo "a damaged file dumped"; exit 1
fi
grep -q 'Invalid end position\|Stream read error' "$work/err"
echo "frp: ok"
