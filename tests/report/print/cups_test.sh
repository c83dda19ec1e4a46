#!/usr/bin/env bash
# Printing through a real CUPS scheduler (a private one, see
# private_cups.sh): the printers the program sees, and prepared reports
# printed with talven frp print, read back from the PDF files the queue
# writes per job: which pages, in what order, in how many jobs, on what
# paper.
set -u
talven=$1
fixtures=$2
. "$(dirname "$0")/private_cups.sh"
start_private_cups "$fixtures"

work=$CUPS_DIR/work
mkdir -p "$work"
"$talven" frp build "$fixtures/three_pages.json" -o "$work/three.frp" || exit 1

failures=0
expect() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  else
    echo "ok: $1"
  fi
}

# The pages of each job that came out, e.g. "1 2 | 3" for two jobs.
jobs_printed() {
  local out="" f
  for f in $(ls "$CUPS_OUT"/job-*.pdf | sort -t- -k2 -n); do
    [ -n "$out" ] && out="$out | "
    out="$out$(pdftotext "$f" - | grep -o 'PAGE[0-9]*' | sed 's/PAGE//' | tr '\n' ' ' | sed 's/ $//')"
  done
  echo "$out"
}
# The first page's size of each job: "595x842 842x595".
job_sizes() {
  local f
  for f in $(ls "$CUPS_OUT"/job-*.pdf | sort -t- -k2 -n); do
    pdfinfo "$f" | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1x\2/p'
  done | tr '\n' ' ' | sed 's/ $//'
}
# For each job: "turned" when the text of its first page runs up the sheet
# (a landscape page on portrait paper), else "upright".
job_turns() {
  local f
  for f in $(ls "$CUPS_OUT"/job-*.pdf | sort -t- -k2 -n); do
    pdftotext -f 1 -l 1 -bbox "$f" - | grep -m1 '>PAGE' |
      sed 's/.*xMin="\([0-9.]*\)" yMin="\([0-9.]*\)" xMax="\([0-9.]*\)" yMax="\([0-9.]*\)".*/\1 \2 \3 \4/' |
      awk '{ print ($4 - $2 > $3 - $1) ? "turned" : "upright" }'
  done | tr '\n' ' ' | sed 's/ $//'
}
info_of() {  # field of every job's info: "1 3"
  local f
  for f in $(ls "$CUPS_OUT"/job-*.info | sort -t- -k2 -n); do sed -n "s/^$1=//p" "$f"; done | tr '\n' ' ' | sed 's/ $//'
}
print_case() {  # jobs expected, then the arguments of frp print
  local jobs=$1
  shift
  rm -f "$CUPS_OUT"/*
  if ! "$talven" frp print "$work/three.frp" "$@" > "$work/out.txt" 2> "$work/err.txt"; then
    echo "FAIL: frp print $*: $(cat "$work/err.txt")"
    failures=$((failures + 1))
    return 1
  fi
  wait_for_jobs "$jobs" || failures=$((failures + 1))
}

listing=$("$talven" printers 2>/dev/null)
expect "printers: the queue is the default" "talven-test  (default)" "$(echo "$listing" | head -1)"
expect "printers: its papers" "  papers: A4 (9), A5 (11), US Letter (1)" "$(echo "$listing" | sed -n 2p)"
expect "printers: its bins" "  bins: Tray 1 (257), Manual (4)" "$(echo "$listing" | sed -n 3p)"

# Portrait pages 1-2 and a landscape page 3: two jobs.
print_case 2 --printer talven-test
expect "a change of paper splits the jobs" "1 2 | 3" "$(jobs_printed)"
# The queue's paper is A4 portrait: the landscape page comes out turned.
expect "each job on A4" "595x842 595x842" "$(job_sizes)"
expect "the landscape job turned on the sheet" "upright turned" "$(job_turns)"
expect "the jobs' title" "Untitled Untitled" "$(info_of title)"
expect "the printer's name is reported" "sent to talven-test" "$(cat "$work/out.txt")"

# Collated copies: the run repeats the pages, the printer makes one copy.
print_case 1 --pages 1-2 --copies 3 --collate
expect "collated copies" "1 2 1 2 1 2" "$(jobs_printed)"
expect "collated copies ask the printer for one" "1" "$(info_of copies)"

# Uncollated copies are the printer's.
print_case 1 --pages 1-2 --copies 3
expect "uncollated copies" "1 1 1 2 2 2" "$(jobs_printed)"
expect "uncollated copies ask the printer for three" "3" "$(info_of copies)"

# Odd pages of 2-3: page 3, alone on its paper.
print_case 1 --pages 2-3 --odd
expect "odd pages of a range" "3" "$(jobs_printed)"
expect "turned on the sheet" "turned" "$(job_turns)"

# A wrong page list or printer prints nothing.
rm -f "$CUPS_OUT"/*
"$talven" frp print "$work/three.frp" --pages -3 > /dev/null 2> "$work/err.txt"
expect "a page list starting with a dash fails" "1" "$?"
expect "with the runtime's message" "talven frp: '' is not a valid integer value" "$(grep -v XDG "$work/err.txt" | tail -1)"
"$talven" frp print "$work/three.frp" --printer nosuch > /dev/null 2> "$work/err.txt"
expect "an unknown printer fails" "1" "$?"
expect "naming the printers there are" "talven frp: 没有这台打印机: nosuch（现有: talven-test）" \
  "$(grep -v XDG "$work/err.txt" | tail -1)"
sleep 1
expect "and nothing was printed" "" "$(ls "$CUPS_OUT")"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
