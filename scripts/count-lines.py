#!/usr/bin/env python3
"""Counts the C++ lines of tests/ against src/: non-blank lines that are not
only a // comment, block comments taken out, in the .cpp and .h files git
tracks. The tests should stay at about a quarter to a third of the code.

  python3 scripts/count-lines.py
"""
import collections
import re
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def count(path):
    text = (ROOT / path).read_text(encoding="utf-8", errors="replace")
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return sum(1 for line in text.split("\n") if line.strip() and not line.strip().startswith("//"))


files = subprocess.check_output(["git", "-C", str(ROOT), "ls-files", "src", "tests"], text=True).split()
totals = collections.Counter()
for f in files:
    if f.endswith((".cpp", ".h")):
        parts = f.split("/")
        n = count(f)
        totals[parts[0]] += n
        if parts[0] == "tests" and len(parts) > 2:
            totals["/".join(parts[:2])] += n
for name in sorted(k for k in totals if "/" in k):
    print(f"{name:24} {totals[name]:6}")
print(f"{'src':24} {totals['src']:6}")
print(f"{'tests':24} {totals['tests']:6}")
print(f"tests / src: {totals['tests'] / totals['src']:.2f}")
