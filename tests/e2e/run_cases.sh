#!/bin/sh
# Runs every end-to-end case through zamiro-run and compares what it writes.
# A case is tests/e2e/cases/NAME.logo (the script: UTF-8, or code page 932 bytes where the case
# is about encodings) with
#   NAME.out     expected standard output (absent: empty)
#   NAME.err     expected standard error, the message lines (absent: empty)
#   NAME.status  expected exit status (absent: 1 when NAME.err is not empty, else 0)
#   NAME.args    extra arguments, one line, word-split by the shell; @DIR@ is the cases folder
#                and @TMP@ a fresh temporary folder
#   NAME.check   optional shell script run afterwards with TMP and DIR set; must exit 0
# Usage: run_cases.sh ZAMIRO_RUN CASES_DIR [NAME...]
set -u
bin=$1
dir=$2
shift 2
fail=0
count=0
tmproot=$(mktemp -d)
trap 'rm -rf "$tmproot"' EXIT
if [ $# -gt 0 ]; then names="$*"; else names=$(cd "$dir" && ls *.logo | sed 's/\.logo$//'); fi
for name in $names; do
  count=$((count + 1))
  tmp="$tmproot/$name"
  mkdir -p "$tmp"
  args=""
  [ -f "$dir/$name.args" ] && args=$(sed -e "s|@DIR@|$dir|g" -e "s|@TMP@|$tmp|g" "$dir/$name.args")
  # shellcheck disable=SC2086
  "$bin" $args "$dir/$name.logo" >"$tmp/out" 2>"$tmp/raw.err"
  status=$?
  # A sanitizer build notes when an error unwinds a very deep recursion; that note is not a
  # message of the program.
  sed -e '/^==[0-9]*==WARNING: ASan is ignoring requested __asan_handle_no_return/,+2d' \
    "$tmp/raw.err" >"$tmp/err"
  [ -f "$dir/$name.out" ] && cp "$dir/$name.out" "$tmp/want.out" || : >"$tmp/want.out"
  [ -f "$dir/$name.err" ] && cp "$dir/$name.err" "$tmp/want.err" || : >"$tmp/want.err"
  if [ -f "$dir/$name.status" ]; then
    want_status=$(cat "$dir/$name.status")
  elif [ -s "$tmp/want.err" ]; then
    want_status=1
  else
    want_status=0
  fi
  ok=1
  if ! cmp -s "$tmp/out" "$tmp/want.out"; then
    echo "FAIL $name: standard output differs"; diff "$tmp/want.out" "$tmp/out" | head -20; ok=0
  fi
  if ! cmp -s "$tmp/err" "$tmp/want.err"; then
    echo "FAIL $name: messages differ"; diff "$tmp/want.err" "$tmp/err" | head -20; ok=0
  fi
  if [ "$status" != "$want_status" ]; then
    echo "FAIL $name: exit status $status, expected $want_status"; ok=0
  fi
  if [ $ok = 1 ] && [ -f "$dir/$name.check" ]; then
    if ! TMP="$tmp" DIR="$dir" BIN="$bin" sh "$dir/$name.check"; then
      echo "FAIL $name: check failed"; ok=0
    fi
  fi
  [ $ok = 1 ] || fail=$((fail + 1))
done
echo "$count cases, $fail failed"
[ $fail = 0 ]
