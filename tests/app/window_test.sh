#!/bin/sh
# talven window --screenshot: the window's picture once its start-up has run,
# on a demo installation and on one whose start-up raises an error box.
talven="$1"
failed=0
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen

fail() {
  printf 'FAIL %s\n' "$1"
  failed=1
}

# The width and height of a PNG file, from its header.
size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }

"$talven" demo-db --out "$dir/demo" --rooms-per-centre 4 --candidates-per-room 3 >/dev/null 2>&1 || fail "demo-db"
timeout 60 "$talven" window --db "sqlite:$dir/demo/exam.db" --screenshot "$dir/w.png" >/dev/null 2>&1 ||
  fail "window on the demo"
[ "$(size "$dir/w.png" 2>/dev/null)" = "610x354" ] || fail "picture of the demo window"

# A start-up error is answered and the picture is still taken.
sqlite3 "$dir/demo/exam.db" "update t_setting set ParamValue='2025/03/29' where ParamName='date'" ||
  fail "sqlite3"
err=$(timeout 60 "$talven" window --db "sqlite:$dir/demo/exam.db" --screenshot "$dir/e.png" 2>&1 >/dev/null)
[ $? -eq 0 ] || fail "window with a start-up error (it must not hang)"
case "$err" in
  *"'2025/03/29' is not a valid date and time."*) ;;
  *) fail "the start-up error on stderr: $err" ;;
esac
[ "$(size "$dir/e.png" 2>/dev/null)" = "610x354" ] || fail "picture of the window after a start-up error"

exit $failed
