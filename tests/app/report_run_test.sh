#!/usr/bin/env bash
# talven report run: a template prepared over counted rows and over the rows
# of a query is written as a prepared report; an error in a bracket prints
# the composed error text and exits 1; a PDF file takes the pages; rich text
# is prepared and drawn without a display.
set -euo pipefail
talven="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The page count of a prepared-report file.
pages() {
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
n = struct.unpack_from('<H', b, 2)[0]
print(struct.unpack_from('<i', b, 4 + n + 1)[0])
PY
}

cat > "$work/list.json" <<'JSON'
{"pages": [{"Name": "Page1", "Size": 9, "TopMargin": 36, "BottomMargin": 36, "objects": [
  {"class": "TfrBandView", "Name": "PageHeader1", "BandKind": 2, "Top": 36, "Height": 40, "Flags": 48},
  {"class": "TfrMemoView", "Name": "Title", "Left": 36, "Top": 36, "Width": 400, "Height": 30, "Memo": ["[title]"]},
  {"class": "TfrBandView", "Name": "MasterData1", "BandKind": 5, "Top": 100, "Height": 30,
   "DataSource": "frUserDataset1"},
  {"class": "TfrMemoView", "Name": "Row", "Left": 36, "Top": 100, "Width": 200, "Height": 30,
   "Memo": ["第[LINE#]行"]}
]}]}
JSON
"$talven" template build "$work/list.json" -o "$work/list.frf"
"$talven" report run "$work/list.frf" --rows 100 --var title=签到表 --quiet --out "$work/list.frp"
test "$(pages "$work/list.frp")" -eq 4
grep -qa "$(printf '\xc7\xa9\xb5\xbd\xb1\xed')" "$work/list.frp"    # 签到表 in GBK
grep -qa "$(printf '\xb5\xda100\xd0\xd0')" "$work/list.frp"          # 第100行
# The same pages as a PDF file.
QT_QPA_PLATFORM=offscreen "$talven" report run "$work/list.frf" --rows 100 --var title=签到表 --quiet \
  --out "$work/list.pdf" 2>/dev/null
pdfinfo "$work/list.pdf" | grep -q 'Pages: *4'
pdftotext -enc UTF-8 "$work/list.pdf" - | grep -q '第100行'

python3 - "$work/rooms.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("create table room (kch text, rs integer)")
db.executemany("insert into room values (?, ?)", [("R%02d" % i, i) for i in range(1, 8)])
db.commit()
PY
sed -e 's/frUserDataset1/frDBDataSet1/' -e 's/第\[LINE#\]行/[kch]: [rs]/' "$work/list.json" > "$work/rooms.json"
"$talven" template build "$work/rooms.json" -o "$work/rooms.frf"
"$talven" report run "$work/rooms.frf" --db "sqlite:$work/rooms.db" --sql "select kch, rs from room order by kch" \
  --var title=rooms --quiet --out "$work/rooms.frp"
test "$(pages "$work/rooms.frp")" -eq 1
grep -qa 'R07: 7' "$work/rooms.frp"

sed -e 's/第\[LINE#\]行/[Nope]/' "$work/list.json" > "$work/bad.json"
"$talven" template build "$work/bad.json" -o "$work/bad.frf"
if "$talven" report run "$work/bad.frf" --rows 3 --var title=x --quiet --out "$work/bad.frp" 2> "$work/err"; then
  echo "a failing bracket prepared"; exit 1
fi
grep -q '计算时发生错误' "$work/err"
grep -q '对象: Row' "$work/err"
test ! -e "$work/bad.frp"
# A rich text: prepared with a QGuiApplication of its own (off screen), its
# brackets evaluated inside the formatting.
rtf='{\rtf1\ansi\ansicpg936{\fonttbl{\f0\fcharset134 SimSun;}}\f0\b [title]\b0  No.[LINE#]}'
cat > "$work/rich.json" <<JSON
{"pages": [{"Name": "Page1", "Size": 9, "TopMargin": 36, "BottomMargin": 36, "objects": [
  {"class": "TfrBandView", "Name": "MasterData1", "BandKind": 5, "Top": 100, "Height": 30,
   "DataSource": "frUserDataset1"},
  {"class": "TfrRichView", "Name": "Rich1", "Left": 36, "Top": 100, "Width": 300, "Height": 30,
   "RichText": "$(printf '%s' "$rtf" | base64 -w0)"}
]}]}
JSON
"$talven" template build "$work/rich.json" -o "$work/rich.frf"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$talven" report run "$work/rich.frf" --rows 3 --var title=签到表 --quiet --out "$work/rich.frp"
"$talven" frp dump "$work/rich.frp" | python3 -c '
import base64, json, sys
texts = [base64.b64decode(o["RichText"]) for p in json.load(sys.stdin)["pages"] for o in p["objects"] if "RichText" in o]
assert len(texts) == 3, texts
for i, t in enumerate(texts, 1):
    assert b"\\b \\'"'"'c7\\'"'"'a9\\'"'"'b5\\'"'"'bd\\'"'"'b1\\'"'"'ed" in t, t  # 签到表, bold
    assert (" No.\\plain\\f0\\fs24 %d" % i).encode() in t, t
'
# Its pages as a PDF (text that can be selected) and as pictures, and the
# prepared file drawn again as a PDF.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$talven" report run "$work/rich.frf" --rows 3 --var title=签到表 --quiet --out "$work/rich.pdf"
test "$(pdftotext -enc UTF-8 "$work/rich.pdf" - | grep -c '签到表 No\.[123]')" = 3
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$talven" report run "$work/rich.frf" --rows 3 --var title=签到表 --quiet --out "$work/rich.png" --dpi 40
file "$work/rich-1.png" | grep -q 'PNG image data'
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$talven" frp render "$work/rich.frp" --out "$work/again.pdf"
test "$(pdftotext -enc UTF-8 "$work/again.pdf" - | grep -c '签到表 No\.[123]')" = 3
echo "report run: ok"
