#!/usr/bin/env bash
# talven print --printer on a CUPS scheduler of the test's own (see
# tests/report/print/private_cups.sh): the demo centre's sheets come out of
# the queue as one job with every page, read back from the PDF the queue
# writes.
set -u
talven=$1
fixtures=$2
. "$fixtures/../private_cups.sh"
start_private_cups "$fixtures"

work=$CUPS_DIR/work
mkdir -p "$work"
"$talven" demo-db --out "$work" --rooms-per-centre 3 --candidates-per-room 34 >/dev/null 2>&1 || exit 1
"$talven" print --home "$work" --quiet --printer talven-test || exit 1
wait_for_jobs 1 || { echo "FAIL: no job came out"; exit 1; }
job=$(ls "$CUPS_OUT"/job-*.pdf)
text=$(pdftotext -layout "$job" -)
pages=$(pdfinfo "$job" | sed -n 's/^Pages: *//p')
[ "$pages" -ge 2 ] || { echo "FAIL: $pages page(s)"; exit 1; }
for want in "2025年3月全国泓图考试" "笔试考场签到表" "第 1 页 共 $pages 页" "第 $pages 页 共 $pages 页"; do
  grep -qF "$want" <<< "$text" || { echo "FAIL: '$want' not printed"; exit 1; }
done
if "$talven" print --home "$work" --quiet --printer no-such-printer 2> "$work/err"; then
  echo "FAIL: an unknown printer printed"; exit 1
fi
grep -q 'talven-test' "$work/err" || { echo "FAIL: the message names no printer: $(cat "$work/err")"; exit 1; }
echo "print --printer: ok"
