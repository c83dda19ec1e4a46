#!/usr/bin/env bash
# talven template build / dump from the command line: a template built from
# JSON, dumped and built again is the same file; damaged input fails.
set -euo pipefail
talven="$1"
fixture="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$talven" template build "$fixture" -o "$work/a.frf"
"$talven" template dump "$work/a.frf" > "$work/a.json"
"$talven" template build "$work/a.json" -o "$work/b.frf"
cmp "$work/a.frf" "$work/b.frf"
"$talven" template dump "$work/b.frf" -o "$work/b.json"
cmp "$work/a.json" "$work/b.json"

printf '\x1a' > "$work/newer.frf"
if "$talven" template dump "$work/newer.frf" > /dev/null 2> "$work/err"; then
  echo "a version-26 template was dumped"; exit 1
fi
grep -q '不支持的FRF格式' "$work/err"

echo '{"pages": [{"objects": [{"class": "TfrMemoView", "Lefft": 1}]}]}' > "$work/typo.json"
if "$talven" template build "$work/typo.json" -o "$work/typo.frf" 2> "$work/err"; then
  echo "a misspelt field was accepted"; exit 1
fi
grep -q 'Lefft: unknown field' "$work/err"
