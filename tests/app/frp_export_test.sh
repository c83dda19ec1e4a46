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
# A list sheet prepared by the band engine over the candidates of a demo
# database: every admission number and name keeps a cell of its own.
"$talven" demo-db --out "$work/demo" --provinces 1 --centres-per-city 1 --rooms-per-centre 2 > /dev/null
cat > "$work/list.json" <<'JSON'
{"pages": [{"Name": "Page1", "Size": 9, "TopMargin": 36, "BottomMargin": 36, "LeftMargin": 36, "objects": [
  {"class": "TfrBandView", "Name": "PageHeader1", "BandKind": 2, "Top": 36, "Height": 62, "Flags": 48},
  {"class": "TfrMemoView", "Name": "memo5", "Left": 36, "Top": 36, "Width": 590, "Height": 30, "Alignment": 10,
   "Memo": ["笔试考场签到表"]},
  {"class": "TfrMemoView", "Name": "H1", "Left": 36, "Top": 76, "Width": 40, "Height": 22, "FrameTyp": 15, "Memo": ["序号"]},
  {"class": "TfrMemoView", "Name": "H2", "Left": 76, "Top": 76, "Width": 130, "Height": 22, "FrameTyp": 15, "Memo": ["准考证号"]},
  {"class": "TfrMemoView", "Name": "H3", "Left": 206, "Top": 76, "Width": 80, "Height": 22, "FrameTyp": 15, "Memo": ["姓名"]},
  {"class": "TfrMemoView", "Name": "H4", "Left": 286, "Top": 76, "Width": 170, "Height": 22, "FrameTyp": 15, "Memo": ["身份证号"]},
  {"class": "TfrMemoView", "Name": "H5", "Left": 456, "Top": 76, "Width": 50, "Height": 22, "FrameTyp": 15, "Memo": ["座位号"]},
  {"class": "TfrMemoView", "Name": "H6", "Left": 506, "Top": 76, "Width": 120, "Height": 22, "FrameTyp": 15, "Memo": ["签名"]},
  {"class": "TfrBandView", "Name": "MasterData1", "BandKind": 5, "Top": 110, "Height": 22, "DataSource": "frDBDataSet1"},
  {"class": "TfrMemoView", "Name": "D1", "Left": 36, "Top": 110, "Width": 40, "Height": 22, "FrameTyp": 15, "Memo": ["[LINE#]"]},
  {"class": "TfrMemoView", "Name": "D2", "Left": 76, "Top": 110, "Width": 130, "Height": 22, "FrameTyp": 15, "Memo": ["[zkzh]"]},
  {"class": "TfrMemoView", "Name": "D3", "Left": 206, "Top": 110, "Width": 80, "Height": 22, "FrameTyp": 15, "Memo": ["[xm]"]},
  {"class": "TfrMemoView", "Name": "D4", "Left": 286, "Top": 110, "Width": 170, "Height": 22, "FrameTyp": 15, "Memo": ["[sfzh]"]},
  {"class": "TfrMemoView", "Name": "D5", "Left": 456, "Top": 110, "Width": 50, "Height": 22, "FrameTyp": 15, "Memo": ["[wzh]"]},
  {"class": "TfrMemoView", "Name": "D6", "Left": 506, "Top": 110, "Width": 120, "Height": 22, "FrameTyp": 15}
]}]}
JSON
"$talven" template build "$work/list.json" -o "$work/list.frf"
"$talven" report run "$work/list.frf" --db "sqlite:$work/demo/exam.db" \
  --sql "select zkzh, xm, sfzh, wzh from t_ksxx order by kch, wzh" --quiet --out "$work/list.frp"
"$talven" frp export "$work/list.frp" --out "$work/list.xlsx" --quiet
/usr/bin/python3 "$reader" "$work/list.xlsx" > "$work/list-wb.json"
/usr/bin/python3 - "$work/list-wb.json" "$work/demo/exam.db" <<'PY'
import json, sqlite3, sys
wb = json.load(open(sys.argv[1]))
cells = wb["cells"]
where = {}
for name, c in cells.items():
    if isinstance(c["value"], str):
        where.setdefault(c["value"], []).append(name)
candidates = sqlite3.connect(sys.argv[2]).execute("select zkzh, xm from t_ksxx").fetchall()
assert len(candidates) > 30, len(candidates)
column = None
for zkzh, xm in candidates:
    assert len(where.get(zkzh, [])) == 1, (zkzh, where.get(zkzh))
    at = where[zkzh][0]
    col, row = at.rstrip("0123456789"), at[len(at.rstrip("0123456789")):]
    column = column or col
    assert col == column, (zkzh, at)
    name_col = chr(ord(col) + 1)
    assert cells.get(name_col + row, {}).get("value") == xm, (zkzh, xm, cells.get(name_col + row))
    assert cells[at]["borders"] == "LRTB", cells[at]
print("engine sheet: %d candidates in their own cells" % len(candidates))
PY

echo "frp export: all checks passed"
