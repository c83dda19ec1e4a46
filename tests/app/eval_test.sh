#!/bin/sh
# talven eval: one line of kind, tab and printed value; memo expansion; the
# engine's message and exit code 1 on an error; exit code 2 on a bad command line.
talven="$1"
failed=0
tab=$(printf '\t')

expect() {  # expected, actual, what
  if [ "$1" != "$2" ]; then
    printf 'FAIL %s\n  expected: %s\n  got:      %s\n' "$3" "$1" "$2"
    failed=1
  fi
}

expect "float${tab}7" "$("$talven" eval '1 + 2 * 3')" "priorities"
expect "float${tab}1" "$("$talven" eval '-1 + 2')" "an expression starting with a minus"
expect "float${tab}6" "$("$talven" eval --var n=5 'n + 1')" "a number variable"
expect "text${tab}abcd" "$("$talven" eval --var s=abc "s + 'd'")" "a text variable"
expect "text${tab}\$12 0x10" "$("$talven" eval --var 'a=$12' --var b=0x10 "a + ' ' + b")" "hexadecimal-looking values are texts"
expect "integer${tab}是" "$("$talven" eval --format 0x04010000 '2 > 1')" "a boolean display format"
expect "float${tab}3,14" "$("$talven" eval --var x=3.14159 'x #N1,2')" "a bracket format"
expect "null${tab}" "$("$talven" eval 'Null')" "the null constant"
expect "text${tab}Memo1 Arial" "$("$talven" eval "Memo1.Name + ' ' + Font.Name")" "properties of the memo being printed"
expect "boolean${tab}True" "$("$talven" eval "FIELDISNULL('Data1.xm')")" "a field reference without a dataset"
expect "a2
汉字b" "$("$talven" eval --memo "$(printf 'a[1+1]\n[COPY(%s, 1, 4)]b' "'汉字x'")")" "memo expansion"

expect "text${tab}0123 0 0.5" "$("$talven" eval --var a=0123 --var b=0 --var c=0.5 "a + ' ' + str(b) + ' ' + str(c)")" "a leading zero keeps a text"
expect "integer${tab}756" "$("$talven" eval '[PAGE1.Width]')" "the page has the printer's A4 paper"
expect "a
b" "$("$talven" eval --memo 'a[CRLF]b')" "a line break from a value"
expect "x


y" "$("$talven" eval --memo "$(printf 'x\n[CRLF + CRLF]\ny')")" "a value of two line breaks"

err=$("$talven" eval 'nothing' 2>&1 >/dev/null)
code=$?
expect "1" "$code" "exit code of an error"
expect 'talven eval: 符号没定义 "NOTHING"' "$err" "message of an error"

"$talven" eval >/dev/null 2>&1
expect "2" "$?" "exit code without an expression"
"$talven" eval --format abc 1 >/dev/null 2>&1
expect "2" "$?" "exit code of a bad format code"

exit $failed
