#!/usr/bin/env bash
# talven frp export from the command line: a prepared sign-in sheet into a
# workbook, read back with openpyxl; page ranges, unmerged cells, scales;
# bad arguments and an unwritable target fail with a message.
set -euo pipefail
talven="$1"
here="$(cd "$(dirname "$0")" && pwd)"
reader="$here/../report/export/read_workbook.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$here/make_sign_in_frp.py" 4 25 > "$work/sheet.json"
"$talven" frp build "$work/sheet.json" -o "$work/sheet.frp"

"$talven" frp export "$work/sheet.frp" --out "$work/all.xlsx" 2> "$work/progress"
grep -q 'Progress objects' "$work/progress"
/usr/bin/python3 "$reader" "$work/all.xlsx" > "$work/all.json"
/usr/bin/python3 - "$work/all.json" <<'PY'
import json, sys
wb = json.load(open(sys.argv[1]))
cells = wb["cells"]
where = {c["value"]: name for name, c in cells.items() if isinstance(c["value"], str)}
for seat in range(100):
    zkzh = "1101%d" % (210000 + seat * 7)
    assert where[zkzh][0] == "B", (zkzh, where[zkzh])
    row = where[zkzh][1:]
    assert cells["C" + row]["value"], row
assert "A1:G1" in wb["merged"], wb["merged"]  # the room line's end adds a column
assert cells["A1"]["bold"] and cells["A1"]["size"] == 16
PY

"$talven" frp export "$work/sheet.frp" --out "$work/some.xlsx" --pages "2,4" --no-merge --scale 200,50 --quiet \
  2> "$work/quiet"
test ! -s "$work/quiet"
/usr/bin/python3 "$reader" "$work/some.xlsx" > "$work/some.json"
/usr/bin/python3 - "$work/some.json" <<'PY'
import json, sys
wb = json.load(open(sys.argv[1]))
values = [c["value"] for c in wb["cells"].values() if isinstance(c["value"], str)]
assert "1101210175" in values and "1101210000" not in values and "1101210350" not in values, values[:20]
assert wb["merged"] == [], wb["merged"]
assert abs(wb["cols"]["A"] - 40 * 2 / 8) < 0.01, wb["cols"]
PY

if "$talven" frp export "$work/sheet.frp" --out "$work/bad.xlsx" --pages "3-" 2> "$work/err"; then
  echo "a range without its end was taken"; exit 1
fi
grep -q "is not a valid integer value" "$work/err"
test ! -e "$work/bad.xlsx"

if "$talven" frp export "$work/sheet.frp" --out "$work/no/such/dir/x.xlsx" 2> "$work/err"; then
  echo "an unwritable workbook was reported as written"; exit 1
fi
grep -q "no/such/dir/x.xlsx" "$work/err"

if "$talven" frp export "$work/sheet.frp" --out "$work/x.xlsx" --scale 150 2> "$work/err"; then
  echo "a scale without its second value was taken"; exit 1
fi
echo "frp export: all checks passed"
