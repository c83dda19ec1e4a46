#!/bin/sh
# talven script: check lists errors (exit 1) or, with --code, the code lines;
# run prints the engine variables in name order; UTF-8 script files and
# output; the message and exit code 1 of a script that fails; exit code 2 on
# a bad command line.
talven="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0

expect() {  # expected, actual, what
  if [ "$1" != "$2" ]; then
    printf 'FAIL %s\n  expected: %s\n  got:      %s\n' "$3" "$1" "$2"
    failed=1
  fi
}

printf 'begin\r\n  i := 0;\r\n  while i < 3 do i := i + 1\r\nend\r\n' > "$dir/loop.txt"
expect "" "$("$talven" script check "$dir/loop.txt")" "a clean script"
expect "0" "$?" "exit code of a clean script"
expect "0: i := 0
1: unless i 3 < goto 4
2: i := i 1 +
3: goto 1" "$("$talven" script check --code "$dir/loop.txt")" "the code lines"
expect "i=3" "$("$talven" script run "$dir/loop.txt")" "running the loop"

printf 'begin\n  x := 1; { note }\n  y := (2\nend\n' > "$dir/broken.txt"
out=$("$talven" script check --code "$dir/broken.txt")
expect "1" "$?" "exit code of a script with an error"
expect '0: x := 1
Line 4/1: Need ")" here' "$out" "partial code and the error"
out=$("$talven" script run "$dir/broken.txt" 2>&1)
expect "1" "$?" "a script with an error is not run"
expect 'talven script: Line 4/1: Need ")" here' "$out" "the error of a script that is not run"

printf "for n := 1 to 3 do k := k + n" > "$dir/for.txt"
expect "k=6
n=4" "$("$talven" script run --var k=0 "$dir/for.txt")" "a variable from the command line"
err=$("$talven" script run "$dir/for.txt" 2>&1 >/dev/null)
expect "1" "$?" "exit code of a failing run"
expect 'talven script: 符号没定义 "K"' "$err" "message of a failing run"

printf "begin s := '汉字' + name; f := 2.5; t := 1 > 0; Progress := '第 ' + s end" > "$dir/text.txt"
out=$("$talven" script run --var name=甲 "$dir/text.txt" 2>"$dir/err")
expect "f=2.5
name=甲
s=汉字甲
t=1" "$out" "values as a memo prints them, in UTF-8"
expect "progress: 第 汉字甲" "$(cat "$dir/err")" "progress text"

printf 'begin i := 0; while 1 = 1 do i := i + 1 end' > "$dir/forever.txt"
err=$("$talven" script run --max-steps 1000 "$dir/forever.txt" 2>&1 >/dev/null)
expect "1" "$?" "exit code of a run stopped at its bound"
expect "talven script: Script stopped after 1000 steps (--max-steps N allows more, 0 any number)" "$err" "the bound's message"
expect "i=3" "$("$talven" script run --max-steps 11 "$dir/loop.txt")" "a run of exactly its bound (eleven code lines)"
"$talven" script run --max-steps x "$dir/loop.txt" >/dev/null 2>&1
expect "2" "$?" "exit code of a bad bound"

"$talven" script >/dev/null 2>&1
expect "2" "$?" "exit code without check or run"
"$talven" script run >/dev/null 2>&1
expect "2" "$?" "exit code without a file"
"$talven" script run --code "$dir/loop.txt" >/dev/null 2>&1
expect "2" "$?" "exit code of an option of the other form"
"$talven" script check "$dir/missing.txt" >/dev/null 2>&1
expect "1" "$?" "exit code of a missing file"

exit $failed
