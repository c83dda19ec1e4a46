#!/bin/sh
# Every subcommand that talven --help lists answers --help (and -h) with its
# own usage and exit code 0, without running.
talven="$1"
failed=0

commands=$("$talven" --help | sed -n '/^commands:$/,/^$/p' | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "FAIL no commands listed"; exit 1; }
for name in $commands; do
  for flag in --help -h; do
    out=$("$talven" "$name" $flag 2>&1)
    code=$?
    if [ "$code" != 0 ] || [ "$(printf '%s\n' "$out" | head -n 1 | cut -d' ' -f1-3)" != "usage: talven $name" ]; then
      printf 'FAIL talven %s %s (exit %s):\n%s\n' "$name" "$flag" "$code" "$out"
      failed=1
    fi
  done
done
# --help after other arguments too, but not after "--".
out=$("$talven" eval --var a=1 --help)
[ "$(printf '%s\n' "$out" | head -n 1 | cut -d' ' -f1-3)" = "usage: talven eval" ] || { echo "FAIL --help after an option"; failed=1; }
"$talven" eval -- --help >/dev/null 2>&1
[ $? = 1 ] || { echo "FAIL -- --help is an expression"; failed=1; }
exit $failed
