#!/bin/bash
# Runs the benchmarks side by side with Berkeley Logo and CPython and writes bench/results.md.
# The bench "desktop" times the window (zamiro-desktop-bench) against zamiro-run instead.
# Usage: bench/run.sh [BENCH...]   (from the repository root, after make)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zr="$root/build/zamiro-run"
progs="$root/bench/programs"
out="$root/build/bench"
mkdir -p "$out/ucb"
benches=${*:-loop fib down draw_hidden draw_shown print empty desktop}

display=":$((70 + $$ % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY="$display"
sleep 1

# Berkeley Logo writes its print output to a file and leaves when the program is done.
ucb_program() {
  local b=$1 f="$out/ucb/$1.lg"
  local o="$out/ucb/$b.out"
  { echo "openwrite \"$o"; echo "setwrite \"$o"; cat "$progs/$b.ucb"
    echo "setwrite []"; echo "close \"$o"; echo "bye"; } >"$f"
  echo "$f"
}

runs_for() {
  case $1 in
    down) echo "--runs 3" ;;
    draw_*|fib) echo "--runs 5" ;;
    *) echo "--runs 10 --warmup 2" ;;
  esac
}

peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

# The desktop program on a real (virtual) display, repainting as it does for the user, against
# zamiro-run on the same drawing. The desktop bench reports its own seconds: its start-up and
# the interpreter's start-up pause are left out.
desktop_bench() {
  local prog="$progs/draw_1m.logo"
  : >"$out/desktop.times"
  : >"$out/desktop.log"
  for _ in 1 2 3 4 5; do
    "$root/build/zamiro-desktop-bench" "$prog" >>"$out/desktop.times" 2>>"$out/desktop.log"
  done
  hyperfine -N --runs 5 --export-json "$out/desktop.json" -n zamiro-run "$zr $prog" >/dev/null
}

for b in $benches; do
  if [ "$b" = desktop ]; then
    desktop_bench
    echo "$b done"
    continue
  fi
  ucb=$(ucb_program "$b")
  # shellcheck disable=SC2046
  hyperfine -N $(runs_for "$b") --export-json "$out/$b.json" \
    -n zamiro "$zr $progs/$b.logo" \
    -n ucblogo "logo $ucb" \
    -n cpython "/usr/bin/python3 $progs/$b.py" >/dev/null
  {
    echo "zamiro $(peak_kb "$zr" "$progs/$b.logo")"
    echo "ucblogo $(peak_kb logo "$ucb")"
    echo "cpython $(peak_kb /usr/bin/python3 "$progs/$b.py")"
  } >"$out/$b.mem"
  echo "$b done"
done
python3 "$root/bench/summarise.py" "$out" $benches >"$root/bench/results.md.new"
mv "$root/bench/results.md.new" "$root/bench/results.md"
cat "$root/bench/results.md"
