"""Turns the hyperfine and memory measurements of bench/run.sh into Markdown tables."""
import json
import os
import statistics
import sys

out, benches = sys.argv[1], sys.argv[2:]
TITLES = {
    "loop": "make \"s :s + 1, 1,000,000 times",
    "fib": "fib 24 (150,049 calls)",
    "down": "down 100000 (non-tail recursion)",
    "draw_hidden": "200,000 x (fd 1 rt 1), turtle hidden",
    "draw_shown": "200,000 x (fd 1 rt 1), turtle shown",
    "print": "100,000 lines of print 1",
    "empty": "start-up, empty program",
}
peers = [b for b in benches if b != "desktop"]
if peers:
    print("| work | Zamiro | Berkeley Logo | CPython | Zamiro vs CPython | memory Zamiro / CPython |")
    print("|---|---|---|---|---|---|")
for b in peers:
    data = json.load(open(f"{out}/{b}.json"))
    med = {r["command"]: statistics.median(r["times"]) for r in data["results"]}
    mem = dict(line.split() for line in open(f"{out}/{b}.mem"))
    z, u, p = med["zamiro"], med["ucblogo"], med["cpython"]
    ratio = p / z if z > 0 else float("inf")
    mz, mp = int(mem["zamiro"]), int(mem["cpython"])
    print(f"| {TITLES.get(b, b)} | {z:.3f} s | {u:.3f} s | {p:.3f} s | "
          f"{ratio:.2f}x {'faster' if ratio >= 1 else 'slower'} | "
          f"{mz / 1024:.0f} MB / {mp / 1024:.0f} MB ({mz / mp:.2f}) |")

# The window against the headless runner on the same drawing; the aim is at most 1.5 times.
if "desktop" in benches:
    desk = statistics.median(float(t) for t in open(f"{out}/desktop.times").read().split())
    data = json.load(open(f"{out}/desktop.json"))
    run = statistics.median(data["results"][0]["times"])
    if peers:
        print()
    print("| work | desktop | zamiro-run | desktop / zamiro-run |")
    print("|---|---|---|---|")
    print(f"| 1,000,000 segments shown: desktop vs zamiro-run | {desk:.3f} s | {run:.3f} s | "
          f"{desk / run:.2f}x |")

# What each change bought, written by hand in bench/history.md, follows the latest table.
history = os.path.join(os.path.dirname(os.path.abspath(__file__)), "history.md")
if os.path.exists(history):
    print()
    print(open(history, encoding="utf-8").read().rstrip())
