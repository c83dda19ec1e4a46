#!/usr/bin/env bash
# talven template render: a template page drawn to PNG and to PDF (needs the
# CJK fonts and poppler-utils); the PDF gives its Chinese text back with its
# fonts embedded; bad arguments are refused.
set -euo pipefail
talven="$1"
fixture="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$talven" template build "$fixture" -o "$work/page.frf"
"$talven" template render "$work/page.frf" --out "$work/page.png" --scale 0.5 2> /dev/null
# A4 is 756 × 1069 report units: half of it, rounded to even.
# The PNG header's width and height (big-endian, bytes 16 to 23).
[ "$(od -An -tu1 -j16 -N8 "$work/page.png" | tr -s ' ')" = " 0 0 1 122 0 0 2 22" ]

"$talven" template render "$work/page.frf" --out "$work/page.pdf" 2> /dev/null
text="$(pdftotext -enc UTF-8 "$work/page.pdf" -)"
for word in 笔试考场签到表 准考证号 姓名 签名 竖排文字 两端对齐的段落; do
  grep -q "$word" <<< "$text" || { echo "'$word' not in the PDF's text"; exit 1; }
done
if pdffonts "$work/page.pdf" | tail -n +3 | grep -v ' yes ' > /dev/null; then
  echo "a font is not embedded"; pdffonts "$work/page.pdf"; exit 1
fi

status=0
"$talven" template render "$work/page.frf" --out "$work/page.pdf" --page 2 2> "$work/err" || status=$?
[ "$status" = 1 ] && grep -q 'has 1 page' "$work/err"
status=0
"$talven" template render "$work/page.frf" --out "$work/page.gif" 2> /dev/null || status=$?
[ "$status" = 2 ]
