#!/usr/bin/env bash
# talven print on a small demo installation: the sheets as a user gets them
# (read back from the file), and the failures, which print the window's
# message, exit 1 and leave nothing at --out.
set -euo pipefail
talven="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$talven" demo-db --out "$work" --rooms-per-centre 4 --candidates-per-room 34 >/dev/null 2>&1

"$talven" print --home "$work" --quiet --out "$work/sheets.frp"
test -s "$work/sheets.frp"
grep -qa "$(printf '\xc8\xab\xb9\xfa\xe3\xfc\xcd\xbc\xbf\xbc\xca\xd4')" "$work/sheets.frp"   # 全国泓图考试 in GBK
test -z "$(find "$work" -name '.*.part')"

# The plain sheet as a PDF, read back: title, heading, the room line with
# the exam time, a candidate's row, the page numbers; a room of 34 goes on
# over a second page under its own heading.
"$talven" print --home "$work" --quiet --out "$work/sheets.pdf"
pages=$(pdfinfo "$work/sheets.pdf" | sed -n 's/^Pages: *//p')
pdftotext -layout "$work/sheets.pdf" "$work/sheets.txt"
grep -q '2025年3月全国泓图考试' "$work/sheets.txt"
grep -q '笔试考场签到表' "$work/sheets.txt"
grep -q '考试时间：2025-03-29 9:00--11:00' "$work/sheets.txt"
grep -Eq '^ *1 +[0-9]{13} +[^ ]+ +[0-9]{17}[0-9X]' "$work/sheets.txt"
grep -Eq '^ *34 +[0-9]{13}' "$work/sheets.txt"
grep -q "第 1 页 共 $pages 页" "$work/sheets.txt"
grep -q "第 $pages 页 共 $pages 页" "$work/sheets.txt"
test "$(grep -c '考场号：' "$work/sheets.txt")" -eq "$pages"   # every page names its room
pdftotext -f 2 -l 2 -layout "$work/sheets.pdf" "$work/page2.txt"
grep -Eq '^ *31 +[0-9]{13}' "$work/page2.txt"

# The photo sheet: one page a room of up to 30, the photographs in it.
"$talven" print --home "$work" --quiet --photos --out "$work/photos.pdf"
pdftotext -layout "$work/photos.pdf" "$work/photos.txt"
grep -q '准考证号' "$work/photos.txt"
pdfimages -list "$work/photos.pdf" > "$work/images.txt"
test "$(grep -c jpeg "$work/images.txt")" -gt 30

# The workbook: every admission number and name in a cell of its own.
"$talven" print --home "$work" --quiet --out "$work/sheets.xlsx"
/usr/bin/python3 - "$work/sheets.xlsx" <<'PY'
import sys, openpyxl
cells = [c for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows(values_only=True) for c in row if c]
assert "2025年3月全国泓图考试" in cells, cells[:5]
assert "准考证号" in cells and "签名" in cells
tickets = [c for c in cells if isinstance(c, str) and c.isdigit() and len(c) == 13]
assert len(tickets) == len(set(tickets)) > 30, len(tickets)
PY

# Failures: the message, exit 1, no file.
expect_failure() {
  local message="$1"
  shift
  if "$talven" print --home "$work" --quiet "$@" --out "$work/bad.frp" 2> "$work/err"; then
    echo "print $* succeeded"
    exit 1
  fi
  grep -q -- "$message" "$work/err" || { echo "print $*: $(cat "$work/err")"; exit 1; }
  test ! -e "$work/bad.frp"
  test -z "$(find "$work" -name '.*.part')"
}
expect_failure "没有考点 999999" --centre 999999
expect_failure "'x' is not a valid integer value" --from x
expect_failure "没有可打印的签到表" --from 3 --to 2
expect_failure "Database file not found" --db "sqlite:$work/missing.db"
cp "$work/sheets.frp" "$work/bad.frp"
if "$talven" print --home "$work" --quiet --centre 999999 --out "$work/bad.frp" 2>/dev/null; then exit 1; fi
cmp -s "$work/sheets.frp" "$work/bad.frp"   # an older file of that name stays as it was
rm "$work/bad.frp"
sqlite3 "$work/exam.db" "delete from t_bskc where kddm='110102'"
expect_failure "考点 110102 没有笔试考场" --centre 110102
sqlite3 "$work/exam.db" "update t_setting set ParamValue='2' where ParamName='jb'"
expect_failure "请选择一个考点！"
echo "print: ok"
