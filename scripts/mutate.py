#!/usr/bin/env python3
"""Measures how many realistic faults the test suite catches.

Each mutant of a list (a file, an exact text in it, a replacement) is applied
in turn to a copy of the source tree, the copy is rebuilt incrementally and
the tests run against it. Per mutant the result is one of

  caught          at least one test failed (the failing tests are named; a
                  test that crashed or did not finish in time counts too)
  survived        every test passed
  not applicable  the text does not occur exactly once in the file: the list
                  needs fixing, the code has moved on
  build failed    the mutant does not compile: it counts as neither caught nor
                  survived, the list needs fixing

The source tree is never touched: its files (tracked ones and new ones not
ignored by git) are copied into a work folder, which keeps its own build
folder between runs, so only what a mutant changes is compiled again. Each
mutant is reverted in the copy before the next one is applied.

The tests run as the GoogleTest binaries themselves, split into a few
processes per binary and run side by side (-j), not as one process per test:
that is several times faster. Tests that fail are run once more on their own
(one process holding only them), and only the failures that repeat count, so
a failure that depends on what other tests did before does not count. Tests
that already fail without any mutant are left out of the verdicts. --ctest
runs the tests through ctest instead, to compare the two ways.

  scripts/mutate.py                         every mutant of scripts/mutants.txt
  scripts/mutate.py --filter 'TOT|DEC'      mutants whose id matches a regex
  scripts/mutate.py --check                 only check that the list applies
  scripts/mutate.py --source ../other-tree --work ../mutate-work -j 2 \\
                    --output mutants-result.txt

Plain Python 3, standard library only.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path

SCRIPT_DIR = Path(__file__).resolve().parent
DEFAULT_SOURCE = SCRIPT_DIR.parent
DEFAULT_LIST = SCRIPT_DIR / "mutants.txt"

# What the tests need, and nothing else (no program window, no benchmarks).
BUILD_TARGETS = ["core_tests", "gui_tests", "quittora-cli", "manual", "plz-database"]
TEST_BINARIES = ["bin/core_tests", "bin/gui_tests"]
# The environment tests/CMakeLists.txt gives every test.
TEST_ENV = {"QT_QPA_PLATFORM": "offscreen", "LC_ALL": "C.UTF-8", "QUITTORA_UPDATE_URL": ""}

STATUS_TEXT = {
    "caught": "gefangen",
    "survived": "überlebt",
    "not_applicable": "nicht anwendbar",
    "build_failed": "Build fehlgeschlagen",
}


# --- the list -----------------------------------------------------------------

@dataclass
class Mutant:
    id: str
    description: str
    file: str = ""
    old: list = field(default_factory=list)
    new: list = field(default_factory=list)
    line: int = 0

    @property
    def old_text(self):
        return "\n".join(self.old)

    @property
    def new_text(self):
        return "\n".join(self.new)


HEADER_RE = re.compile(r"^\[([A-Za-z0-9_.-]+)\]\s*(.*)$")


def parse_list(path):
    """Reads the mutant list; see the head of scripts/mutants.txt for its form."""
    mutants = []
    errors = []
    current = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if current is None or not (line.startswith("-") or line.startswith("+")):
                stripped = line.strip()
                if not stripped or stripped.startswith("#"):
                    continue
            m = HEADER_RE.match(line)
            if m:
                current = Mutant(m.group(1), m.group(2).strip(), line=number)
                mutants.append(current)
                continue
            if current is None:
                errors.append(f"{path}:{number}: Zeile außerhalb eines Mutanten: {line!r}")
                continue
            if line.startswith("file:"):
                current.file = line[len("file:"):].strip()
            elif line.startswith("-"):
                current.old.append(line[2:] if line.startswith("- ") else line[1:])
            elif line.startswith("+"):
                current.new.append(line[2:] if line.startswith("+ ") else line[1:])
            else:
                errors.append(f"{path}:{number}: unverständliche Zeile: {line!r}")
    seen = set()
    for m in mutants:
        if m.id in seen:
            errors.append(f"{path}:{m.line}: Kennung {m.id} kommt doppelt vor")
        seen.add(m.id)
        if not m.file:
            errors.append(f"{path}:{m.line}: {m.id} nennt keine Datei (file:)")
        if not m.old or not m.old_text.strip():
            errors.append(f"{path}:{m.line}: {m.id} hat keinen Originaltext (-)")
        if m.old_text == m.new_text:
            errors.append(f"{path}:{m.line}: {m.id} ändert nichts")
    return mutants, errors


# --- the copy -------------------------------------------------------------------

def source_files(source):
    """Tracked files plus new files git does not ignore, as relative paths."""
    out = subprocess.run(["git", "-C", str(source), "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                         check=True, capture_output=True).stdout
    names = sorted({n for n in out.decode("utf-8", "surrogateescape").split("\0") if n})
    return [n for n in names if (source / n).is_file()]


def same_content(a, b):
    try:
        if a.stat().st_size != b.stat().st_size:
            return False
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()
    except FileNotFoundError:
        return False


def sync_tree(source, tree, manifest_path):
    """Makes `tree` hold exactly the source files. Files whose content is
    unchanged keep their time stamps, so the build stays incremental."""
    files = source_files(source)
    previous = set()
    if manifest_path.exists():
        previous = set(json.loads(manifest_path.read_text(encoding="utf-8")))
    changed = 0
    for name in files:
        src, dst = source / name, tree / name
        if same_content(src, dst):
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)
        changed += 1
    gone = previous - set(files)
    for name in gone:
        try:
            (tree / name).unlink()
        except FileNotFoundError:
            pass
    manifest_path.write_text(json.dumps(files), encoding="utf-8")
    return changed, len(gone)


# --- building ---------------------------------------------------------------------

class Runner:
    def __init__(self, args, source, work):
        self.args = args
        self.source = source
        self.work = work
        self.tree = work / "tree"
        self.build = work / "build"
        self.log_dir = work / "logs"
        # Where ctest runs the GoogleTest cases.
        self.test_dir = self.build / "tests"
        self.env = dict(os.environ)
        if "CCACHE_BASEDIR" not in self.env:
            base = os.path.commonpath([str(source.parent), str(work)])
            if base != os.sep:
                self.env["CCACHE_BASEDIR"] = base
        self.lock = threading.Lock()

    def log(self, text):
        with self.lock:
            print(text, flush=True)

    def configure(self):
        # Run every time: it is quick when nothing changed, and a build folder
        # from an earlier run gets the options of this one.
        cmd = ["cmake", "-S", str(self.tree), "-B", str(self.build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
               "-DQUITTORA_BUILD_BENCH=OFF"]
        if shutil.which("ccache"):
            cmd.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        # Every mutant relinks the test programs; lld does that in a fraction
        # of the time of the default linker.
        cmd.append("-DCMAKE_EXE_LINKER_FLAGS=" + ("-fuse-ld=lld" if shutil.which("ld.lld") and not self.args.no_lld
                                                   else ""))
        # The postal-code data lies beside the original tree, not beside the copy.
        plz = self.args.plz_data or str((self.source.parent / "shared" / "data" / "plz").resolve())
        cmd.append(f"-DQUITTORA_PLZ_DATA={plz}")
        # So are the e-invoice validation artefacts.
        validator = (self.source.parent / "shared" / "einvoice" / "validate-einvoice").resolve()
        cmd.append(f"-DQUITTORA_EINVOICE_VALIDATOR={validator}")
        self.log("Konfigurieren: " + " ".join(cmd))
        r = subprocess.run(cmd, env=self.env, capture_output=True, text=True)
        (self.log_dir / "configure.log").write_text(r.stdout + r.stderr, encoding="utf-8")
        if r.returncode != 0:
            raise SystemExit("cmake konnte den Build nicht einrichten, siehe " + str(self.log_dir / "configure.log"))

    def build_targets(self, log_name, timeout=None):
        """Builds the tests' targets; returns (ok, first error line)."""
        # One target a call: make given several goals at once builds their
        # shared dependencies (quittora-cli) twice in parallel and can leave a
        # broken object behind.
        log_path = self.log_dir / log_name
        rc = 0
        deadline = None if timeout is None else time.monotonic() + timeout
        with open(log_path, "w", encoding="utf-8", errors="replace") as out:
            for target in BUILD_TARGETS:
                cmd = ["cmake", "--build", str(self.build), "-j", str(self.args.jobs), "--target", target]
                left = None if deadline is None else max(1.0, deadline - time.monotonic())
                try:
                    p = subprocess.Popen(cmd, env=self.env, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
                    rc = p.wait(timeout=left)
                except subprocess.TimeoutExpired:
                    kill_group(p)
                    return False, "Zeitlimit des Builds überschritten"
                if rc != 0:
                    break
        if rc == 0:
            return True, ""
        text = log_path.read_text(encoding="utf-8", errors="replace")
        for line in text.splitlines():
            if " error: " in line or line.startswith("error:") or ": error:" in line:
                return False, line.strip()[:300]
        return False, (text.strip().splitlines() or ["?"])[-1][:300]


def kill_group(p):
    try:
        os.killpg(p.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    try:
        p.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


# --- running the tests --------------------------------------------------------------

def list_tests(binary, env, cwd):
    r = subprocess.run([str(binary), "--gtest_list_tests"], env=env, cwd=cwd, capture_output=True, text=True,
                       timeout=120)
    if r.returncode != 0:
        raise RuntimeError(f"{binary} --gtest_list_tests endete mit {r.returncode}: {r.stderr[-500:]}")
    tests, suite = [], None
    for line in r.stdout.splitlines():
        if not line.strip():
            continue
        if not line.startswith(" "):
            suite = line.split("#", 1)[0].strip()
        elif suite:
            tests.append(suite + line.split("#", 1)[0].strip())
    return tests


RUN_RE = re.compile(r"^\[ RUN      \] (\S+)")
OK_RE = re.compile(r"^\[       OK \] (\S+) \(")
FAILED_RE = re.compile(r"^\[  FAILED  \] (\S+) \(")
SKIPPED_RE = re.compile(r"^\[  SKIPPED \] (\S+) \(")


@dataclass
class ChunkResult:
    failed: dict = field(default_factory=dict)  # test -> note ("", "Absturz", "Zeitlimit")
    passed: set = field(default_factory=set)
    durations: dict = field(default_factory=dict)
    timed_out: bool = False


class TestRun:
    """One run of a set of tests of one or more binaries before a deadline."""

    def __init__(self, runner, deadline, stop_on_failure=False):
        self.runner = runner
        self.deadline = deadline
        self.stop_on_failure = stop_on_failure
        self.stop = threading.Event()
        self.procs = set()
        self.lock = threading.Lock()

    def run_chunk(self, binary, tests, tag):
        """Runs the tests in as few processes as crashes allow."""
        result = ChunkResult()
        remaining = list(tests)
        attempt = 0
        while remaining and not self.stop.is_set():
            attempt += 1
            log_path = self.runner.log_dir / f"{tag}-{attempt}.log"
            env = dict(self.runner.env)
            env.update(TEST_ENV)
            env["GTEST_FILTER"] = ":".join(remaining)
            env.pop("GTEST_TOTAL_SHARDS", None)
            env.pop("GTEST_SHARD_INDEX", None)
            with open(log_path, "w", encoding="utf-8", errors="replace") as out:
                p = subprocess.Popen([str(binary), "--gtest_color=no"], env=env, cwd=self.runner.test_dir, stdout=out,
                                     stderr=subprocess.STDOUT, start_new_session=True)
                with self.lock:
                    self.procs.add(p)
                timed_out = False
                while True:
                    try:
                        p.wait(timeout=0.5)
                        break
                    except subprocess.TimeoutExpired:
                        if self.stop.is_set() or time.monotonic() > self.deadline:
                            timed_out = not self.stop.is_set()
                            kill_group(p)
                            break
                        if self.stop_on_failure and "[  FAILED  ]" in log_path.read_text(errors="replace"):
                            self.stop.set()
                            kill_group(p)
                            break
                with self.lock:
                    self.procs.discard(p)
            running = None
            done = set()
            for line in log_path.read_text(encoding="utf-8", errors="replace").splitlines():
                if m := RUN_RE.match(line):
                    running = m.group(1)
                elif m := OK_RE.match(line):
                    done.add(m.group(1))
                    result.passed.add(m.group(1))
                    result.durations[m.group(1)] = duration_of(line)
                    running = None
                elif m := SKIPPED_RE.match(line):
                    done.add(m.group(1))
                    result.passed.add(m.group(1))
                    running = None
                elif m := FAILED_RE.match(line):
                    done.add(m.group(1))
                    result.failed[m.group(1)] = ""
                    result.durations[m.group(1)] = duration_of(line)
                    running = None
            if timed_out:
                result.timed_out = True
                if running:
                    result.failed[running] = "Zeitlimit"
                self.stop.set()
                break
            if self.stop.is_set():
                break
            if running:
                # The process died inside this test: it counts as failed, the
                # rest of the chunk runs in a new process.
                result.failed[running] = "Absturz"
                done.add(running)
            elif p.returncode not in (0, 1) or not done:
                # Died outside any test (start-up, tear-down): no test to
                # blame, but the verdict must not get lost.
                result.failed[f"{binary.name} (Prozess)"] = f"Ende mit Status {p.returncode}"
                if not done:
                    break
            remaining = [t for t in remaining if t not in done]
        return result

    def cancel(self):
        self.stop.set()
        with self.lock:
            for p in list(self.procs):
                kill_group(p)


def duration_of(line):
    m = re.search(r"\((\d+) ms\)", line)
    return int(m.group(1)) if m else 0


def split_chunks(tests, parts, durations):
    """Greedy longest-first split, so the processes end at about the same time."""
    parts = max(1, min(parts, len(tests)))
    bins = [[0, []] for _ in range(parts)]
    for t in sorted(tests, key=lambda t: -durations.get(t, 50)):
        b = min(bins, key=lambda b: b[0])
        b[0] += durations.get(t, 50)
        b[1].append(t)
    order = {t: i for i, t in enumerate(tests)}
    # Within a chunk the tests keep the binary's own order.
    return [sorted(b[1], key=order.get) for b in bins if b[1]]


class GtestRunner:
    def __init__(self, runner):
        self.runner = runner
        self.binaries = [runner.build / b for b in TEST_BINARIES]
        self.tests = {}
        self.durations = {}
        self.excluded = set()
        self.suite_files = None
        dur_path = runner.work / "durations.json"
        if dur_path.exists():
            self.durations = json.loads(dur_path.read_text(encoding="utf-8"))

    def discover(self):
        env = dict(self.runner.env)
        env.update(TEST_ENV)
        self.tests = {b: list_tests(b, env, self.runner.test_dir) for b in self.binaries}
        return sum(len(t) for t in self.tests.values())

    def run(self, tag, deadline, only=None, stop_on_failure=False):
        """Runs every test (or `only`); returns (failed {test: note}, timed_out)."""
        tr = TestRun(self.runner, deadline, stop_on_failure)
        jobs = []
        for b, tests in self.tests.items():
            selected = [t for t in tests if t not in self.excluded and (only is None or t in only)]
            if not selected:
                continue
            parts = 1 if only is not None and not stop_on_failure else self.runner.args.jobs * 2
            # GTEST_FILTER is one environment string, which Linux limits to 128 KiB.
            parts = max(parts, sum(len(t) + 1 for t in selected) // 60000 + 1)
            for i, chunk in enumerate(split_chunks(selected, parts, self.durations)):
                jobs.append((b, chunk, f"{tag}-{b.name}-{i}"))
        failed, timed_out = {}, False
        with concurrent.futures.ThreadPoolExecutor(max_workers=self.runner.args.jobs) as pool:
            futures = [pool.submit(tr.run_chunk, *j) for j in jobs]
            try:
                for fut in concurrent.futures.as_completed(futures):
                    r = fut.result()
                    failed.update(r.failed)
                    timed_out |= r.timed_out
                    self.durations.update(r.durations)
                    if r.timed_out:
                        tr.cancel()
            except BaseException:
                tr.cancel()
                raise
        return failed, timed_out

    def related(self, test, mutant_file):
        """Whether a test belongs to the same part of the program as the file."""
        if self.suite_files is None:
            self.suite_files = {}
            rx = re.compile(r"^\s*(?:TEST|TEST_F|TEST_P|TYPED_TEST)\(\s*(\w+)", re.M)
            for path in (self.runner.tree / "tests").rglob("*_test.cpp"):
                rel = path.relative_to(self.runner.tree / "tests").as_posix()
                for suite in rx.findall(path.read_text(encoding="utf-8", errors="replace")):
                    self.suite_files.setdefault(suite, set()).add(rel)
        suite = test.split(".", 1)[0].split("/")[-1]
        part = mutant_file.split("/")[1] if mutant_file.startswith("src/") and mutant_file.count("/") >= 2 else ""
        return any(f.split("/")[0] == part for f in self.suite_files.get(suite, ()))

    def save_durations(self):
        (self.runner.work / "durations.json").write_text(json.dumps(self.durations), encoding="utf-8")

    def verdict(self, tag, deadline, mutant_file=None):
        if self.runner.args.quick and mutant_file:
            # The tests of the mutated file's part first; the rest only when
            # none of them fails.
            related = {t for tests in self.tests.values() for t in tests if self.related(t, mutant_file)}
            failed, timed_out = self.run(tag + "-near", deadline, only=related, stop_on_failure=True)
            if not failed and not timed_out:
                rest = {t for tests in self.tests.values() for t in tests if t not in related}
                failed, timed_out = self.run(tag, deadline, only=rest, stop_on_failure=True)
        else:
            failed, timed_out = self.run(tag, deadline)
        if timed_out or not failed:
            return failed, timed_out, {}
        # Failures again on their own: what only fails after other tests ran
        # in the same process does not count (ctest runs each test alone).
        plain = {t for t, note in failed.items() if not note}
        if not plain:
            return failed, False, {}
        again, timed_out = self.run(tag + "-again", deadline, only=plain)
        again = {t for t, note in again.items()}
        confirmed = {t: n for t, n in failed.items() if n or t in again}
        unconfirmed = {t: "nur im Verbund" for t in plain if t not in again}
        return confirmed, timed_out, unconfirmed


class CtestRunner:
    """The slow reference: ctest, one process per test."""

    def __init__(self, runner):
        self.runner = runner
        self.excluded = set()

    def discover(self):
        r = subprocess.run(["ctest", "--test-dir", str(self.runner.build), "-N"], env=self.runner.env,
                           capture_output=True, text=True)
        m = re.search(r"Total Tests: (\d+)", r.stdout)
        return int(m.group(1)) if m else 0

    def verdict(self, tag, deadline, mutant_file=None):
        per_test = max(30, int(self.runner.args.test_timeout or 120))
        cmd = ["ctest", "--test-dir", str(self.runner.build), "-j", str(self.runner.args.jobs), "--timeout",
               str(per_test)]
        log_path = self.runner.log_dir / f"{tag}-ctest.log"
        with open(log_path, "w", encoding="utf-8", errors="replace") as out:
            p = subprocess.Popen(cmd, env=self.runner.env, stdout=out, stderr=subprocess.STDOUT,
                                 start_new_session=True)
            try:
                p.wait(timeout=max(1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                kill_group(p)
                return {"ctest": "Zeitlimit"}, True, {}
        failed = {}
        for line in log_path.read_text(encoding="utf-8", errors="replace").splitlines():
            m = re.match(r"^\s*\d+ - (\S+) \(([^)]*)\)\s*$", line)
            if m and m.group(1) not in self.excluded:
                note = {"Failed": ""}.get(m.group(2), m.group(2))
                failed[m.group(1)] = "Zeitlimit" if note == "Timeout" else note
        return failed, False, {}

    def save_durations(self):
        pass


# --- one mutant ------------------------------------------------------------------------

# Bytes throughout, so that line ends and encodings stay exactly as they are.
def occurrences(path, old):
    return path.read_bytes().count(old.encode("utf-8"))


def apply_text(path, old, new):
    data = path.read_bytes()
    count = data.count(old.encode("utf-8"))
    if count != 1:
        return None, count
    return data.replace(old.encode("utf-8"), new.encode("utf-8"), 1), 1


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def run_mutant(runner, tests, m, test_limit):
    rec = {"id": m.id, "description": m.description, "file": m.file, "status": "", "tests": {}, "note": "",
           "seconds": 0.0}
    start = time.monotonic()
    path = runner.tree / m.file
    if not path.is_file():
        rec.update(status="not_applicable", note="Datei nicht vorhanden")
        return rec
    original = path.read_bytes()
    mutated, count = apply_text(path, m.old_text, m.new_text)
    if mutated is None:
        rec.update(status="not_applicable", note=f"Text kommt {count}-mal vor statt einmal")
        return rec
    try:
        write_bytes(path, mutated)
        ok, error = runner.build_targets(f"{m.id}-build.log", timeout=runner.args.build_timeout)
        rec["build_seconds"] = round(time.monotonic() - start, 1)
        if not ok:
            rec.update(status="build_failed", note=error)
            return rec
        failed, timed_out, unconfirmed = tests.verdict(m.id, time.monotonic() + test_limit, m.file)
        rec["tests"] = dict(sorted(failed.items()))
        if unconfirmed:
            rec["unconfirmed"] = dict(sorted(unconfirmed.items()))
        if failed:
            rec["status"] = "caught"
            notes = sorted({n for n in failed.values() if n})
            rec["note"] = ", ".join(notes)
        else:
            rec["status"] = "survived"
            if unconfirmed:
                rec["note"] = "Fehlschläge nur im Verbund mit anderen Tests"
        return rec
    finally:
        write_bytes(path, original)
        rec["seconds"] = round(time.monotonic() - start, 1)


# --- reports ------------------------------------------------------------------------------

def summary_text(results, meta):
    counts = {k: 0 for k in STATUS_TEXT}
    for r in results:
        counts[r["status"]] += 1
    lines = [
        "Mutationstest",
        f"Quelle: {meta['source_label']}",
        f"Liste: {meta['list_label']}",
        f"Testlauf: {meta['mode']}, -j {meta['jobs']}, {meta['tests']} Tests"
        + (f", {len(meta['excluded'])} schon ohne Mutant rot und nicht gewertet" if meta["excluded"] else ""),
        f"Dauer: {format_duration(meta['wall_seconds'])} (Tests ohne Mutant: {meta['baseline_test_seconds']:.0f} s)",
        "",
        f"Mutanten: {len(results)}   gefangen: {counts['caught']}   überlebt: {counts['survived']}   "
        f"nicht anwendbar: {counts['not_applicable']}   Build fehlgeschlagen: {counts['build_failed']}",
        "",
    ]
    if meta["excluded"]:
        lines.append("Schon ohne Mutant rot (nicht gewertet): " + ", ".join(sorted(meta["excluded"])))
        lines.append("")
    for r in results:
        head = f"{r['id']}  {STATUS_TEXT[r['status']]}"
        if r["status"] == "caught":
            head += f" von {len(r['tests'])} Test" + ("s" if len(r["tests"]) != 1 else "")
        if r.get("note"):
            head += f" ({r['note']})"
        lines.append(head)
        lines.append(f"    {r['description']}  [{r['file']}]")
        if r["status"] == "caught":
            shown = list(r["tests"].items())
            for name, note in shown[:12]:
                lines.append(f"      {name}" + (f"  ({note})" if note else ""))
            if len(shown) > 12:
                lines.append(f"      … und {len(shown) - 12} weitere")
        for name in list(r.get("unconfirmed", {}))[:5]:
            lines.append(f"      (nur im Verbund rot: {name})")
    return "\n".join(lines) + "\n"


def format_duration(seconds):
    seconds = int(round(seconds))
    return f"{seconds // 60} min {seconds % 60:02d} s"


def write_reports(output, results, meta):
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_text(summary_text(results, meta), encoding="utf-8")
    json_path = output.with_suffix(".json")
    json_path.write_text(json.dumps({"meta": meta, "mutants": results}, ensure_ascii=False, indent=1) + "\n",
                         encoding="utf-8")
    return json_path


# --- main ---------------------------------------------------------------------------------------

def default_work(source):
    base = Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache")
    digest = hashlib.sha1(str(source).encode()).hexdigest()[:8]
    return base / "quittora-mutate" / f"{source.name}-{digest}"


def main():
    ap = argparse.ArgumentParser(description="Mutationstest: welche eingebauten Fehler fangen die Tests?")
    ap.add_argument("--source", type=Path, default=DEFAULT_SOURCE,
                    help="zu prüfender Quellbaum (Vorgabe: das Repository dieses Skripts); wird nie verändert")
    ap.add_argument("--list", type=Path, default=DEFAULT_LIST, help="Mutantenliste (Vorgabe: scripts/mutants.txt)")
    ap.add_argument("--filter", default="", help="nur Mutanten, deren Kennung zu diesem regulären Ausdruck passt")
    ap.add_argument("--work", type=Path, help="Arbeitsordner für Kopie und Build (außerhalb des Repositorys; "
                                              "Vorgabe: ~/.cache/quittora-mutate/…)")
    ap.add_argument("-j", "--jobs", type=int, default=2, help="parallele Build- und Testprozesse (Vorgabe 2)")
    ap.add_argument("--output", type=Path, help="Ergebnis lesbar in diese Datei, maschinenlesbar daneben als .json "
                                                "(Vorgabe: results.txt im Arbeitsordner)")
    ap.add_argument("--test-timeout", type=float, help="Zeitlimit der Tests je Mutant in Sekunden "
                                                       "(Vorgabe: 3 × Testdauer ohne Mutant + 60)")
    ap.add_argument("--build-timeout", type=float, default=1800, help="Zeitlimit eines Builds in Sekunden")
    ap.add_argument("--quick", action="store_true", help="je Mutant beim ersten bestätigten roten Test aufhören, "
                    "die Tests des betroffenen Programmteils zuerst (nennt dann nicht alle Tests, die ihn fangen)")
    ap.add_argument("--ctest", action="store_true", help="Tests über ctest statt direkt (langsamer, zum Vergleich)")
    ap.add_argument("--plz-data", help="Ordner der Postleitzahlen-CSV-Dateien (Vorgabe: wie beim normalen Build "
                                       "neben dem Quellbaum)")
    ap.add_argument("--no-lld", action="store_true", help="mit dem üblichen Linker binden, auch wenn lld da ist")
    ap.add_argument("--check", action="store_true", help="nur prüfen, ob jeder Mutant genau einmal passt")
    args = ap.parse_args()

    source = args.source.resolve()
    mutants, errors = parse_list(args.list)
    if errors:
        print("\n".join(errors), file=sys.stderr)
        return 2
    if args.filter:
        rx = re.compile(args.filter)
        mutants = [m for m in mutants if rx.search(m.id)]
    if not mutants:
        print("Keine Mutanten ausgewählt.", file=sys.stderr)
        return 2

    if args.check:
        bad = 0
        for m in mutants:
            p = source / m.file
            n = occurrences(p, m.old_text) if p.is_file() else -1
            if n != 1:
                bad += 1
                print(f"{m.id}: nicht anwendbar ({'Datei fehlt' if n < 0 else f'{n}-mal gefunden'})  {m.file}")
        print(f"{len(mutants) - bad} von {len(mutants)} Mutanten anwendbar.")
        return 1 if bad else 0

    work = (args.work or default_work(source)).resolve()
    if work == source or source in work.parents:
        print("Der Arbeitsordner muss außerhalb des Quellbaums liegen.", file=sys.stderr)
        return 2
    output = (args.output or work / "results.txt").resolve()
    for d in (work / "tree", work / "build", work / "logs"):
        d.mkdir(parents=True, exist_ok=True)
    runner = Runner(args, source, work)
    started = time.monotonic()

    changed, gone = sync_tree(source, runner.tree, work / "manifest.json")
    runner.log(f"Kopie in {runner.tree}: {changed} Dateien neu, {gone} entfernt")
    runner.configure()
    runner.log("Bauen ohne Mutant …")
    ok, error = runner.build_targets("baseline-build.log")
    if not ok:
        print(f"Der Quellbaum baut schon ohne Mutant nicht: {error}", file=sys.stderr)
        return 1
    tests = CtestRunner(runner) if args.ctest else GtestRunner(runner)
    total_tests = tests.discover()
    runner.log(f"Tests ohne Mutant ({total_tests}) …")
    t0 = time.monotonic()
    failing, timed_out, _ = tests.verdict("baseline", time.monotonic() + 3600)
    baseline_seconds = time.monotonic() - t0
    if timed_out:
        print("Die Tests werden schon ohne Mutant nicht fertig.", file=sys.stderr)
        return 1
    tests.excluded = set(failing)
    tests.save_durations()
    if failing:
        runner.log("Schon ohne Mutant rot, nicht gewertet: " + ", ".join(sorted(failing)))
    test_limit = args.test_timeout or (3 * baseline_seconds + 60)
    runner.log(f"Tests ohne Mutant: {baseline_seconds:.0f} s; Zeitlimit je Mutant {test_limit:.0f} s")

    meta = {
        "source_label": source.name,
        "list_label": args.list.name,
        "mode": ("ctest" if args.ctest else "GoogleTest-Programme direkt")
        + (", --quick: je Mutant nur bis zum ersten roten Test" if args.quick else ""),
        "jobs": args.jobs,
        "tests": total_tests,
        "excluded": sorted(failing),
        "baseline_test_seconds": round(baseline_seconds, 1),
        "wall_seconds": 0,
    }
    results = []
    try:
        for i, m in enumerate(mutants, 1):
            rec = run_mutant(runner, tests, m, test_limit)
            results.append(rec)
            extra = f" – {', '.join(list(rec['tests'])[:3])}" if rec["tests"] else ""
            runner.log(f"[{i}/{len(mutants)}] {m.id}: {STATUS_TEXT[rec['status']]}"
                       f"{' (' + rec['note'] + ')' if rec['note'] else ''}{extra}  ({rec['seconds']:.0f} s)")
            meta["wall_seconds"] = round(time.monotonic() - started, 1)
            write_reports(output, results, meta)
            tests.save_durations()
    except KeyboardInterrupt:
        runner.log("Abgebrochen; die Kopie ist zurückgesetzt, das Ergebnis bis hier steht in " + str(output))
    meta["wall_seconds"] = round(time.monotonic() - started, 1)
    json_path = write_reports(output, results, meta)
    print()
    print(summary_text(results, meta).split("\n\n")[1])
    print(f"Ergebnis: {output} und {json_path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
