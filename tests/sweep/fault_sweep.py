#!/usr/bin/env python3
"""The fault sweep: fails each host call of a whole run of the command in turn.

A plain run of the command on the mid-size example, traced, counts the host
calls C that the plug-in makes from its loading to its unloading. Then, for
every N of 1..C (--all) or for a spread sample of them (the default), forvane
runs the command with the Nth call failing, and the sweep checks:

- forvane ends normally (status 0; while the plug-in loads, a refusal by the
  loader, status 3, is also sound) and no sanitizer reports anything;
- the plug-in holds no memory once it is unloaded;
- undoing the undo steps the run left gives back the opened project exactly;
- when the run still ends with the success alert, every expression, option
  set, default and element value of the IFC groups is as the plain run has it.

It ends with "sweep: R runs, F failures" and status 1 when anything failed.
"""
import argparse
import concurrent.futures
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import make_example  # noqa: E402
import sweep_checks  # noqa: E402

COMMAND = "RIRUDAD X/Import IFC+SG Classifications and Properties..."
RUN_TIMEOUT_SECONDS = 300


class Forvane:
    """Runs the forvane executable, each run in a folder of its own."""

    def __init__(self, executable, project, config, work, keep):
        self.executable = executable
        self.project = project
        self.config = config
        self.work = work
        self.keep = keep

    def forget(self, *names):
        """Removes the folders of runs that passed, unless every run is to be kept."""
        if not self.keep:
            for name in names:
                shutil.rmtree(os.path.join(self.work, name), ignore_errors=True)

    def run(self, name, *options, command=True):
        folder = os.path.join(self.work, name)
        os.makedirs(folder, exist_ok=True)
        transcript = os.path.join(folder, "transcript.jsonl")
        saved = os.path.join(folder, "saved.json")
        arguments = [self.executable, self.project, "--quiet", "--transcript", transcript,
                     "--special-folder", os.path.join(folder, "special"), "--save", saved]
        if command:
            arguments += ["--run", COMMAND, "--choose", self.config]
        arguments += list(options)
        try:
            done = subprocess.run(arguments, capture_output=True, text=True, errors="replace",
                                  timeout=RUN_TIMEOUT_SECONDS, check=False)
            status, output = done.returncode, done.stdout + done.stderr
        except subprocess.TimeoutExpired:
            status, output = None, f"no end after {RUN_TIMEOUT_SECONDS} s"
        return sweep_checks.RunResult(arguments, status, output,
                                      sweep_checks.read_transcript(transcript),
                                      saved if os.path.exists(saved) else None)


def plain_runs(forvane):
    """The opened project as forvane writes it, the plain run and the calls it makes while loading."""
    original = forvane.run("original", command=False)
    loading = forvane.run("loading", "--trace-calls", command=False)
    plain = forvane.run("plain", "--trace-calls")
    problems = sweep_checks.problems_of_plain_run(original, plain)
    if problems:
        raise SystemExit("sweep: the plain run is not sound:\n  " + "\n  ".join(problems))
    for change in sweep_checks.changes_of_plain_run(original, plain):
        print(f"sweep: note: the plain run changes {change}")
    load_calls = len(sweep_checks.calls(loading.events))
    return original, plain, load_calls


def check_one(forvane, n, reference):
    """The runs and problems of failing call N."""
    failed = forvane.run(f"fail-{n}", "--fail-call", f"{n}=General")
    runs, problems = 1, sweep_checks.problems_of_failed_run(failed, n, reference)
    steps = sweep_checks.undo_steps(failed.events)
    if steps > 0 and failed.status == 0:
        undone = forvane.run(f"undo-{n}", "--fail-call", f"{n}=General", "--undo", str(steps))
        runs += 1
        problems += sweep_checks.problems_of_undone_run(undone, n, steps, reference)
    if not problems:
        forvane.forget(f"fail-{n}", f"undo-{n}")
    return runs, problems


def sweep(forvane, numbers, reference, jobs):
    runs, failures = 0, 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        outcomes = pool.map(lambda n: (n, check_one(forvane, n, reference)), numbers)
        for n, (made, problems) in outcomes:
            runs += made
            if problems:
                failures += 1
                print(f"--fail-call {n}=General:\n  " + "\n  ".join(problems), flush=True)
    return runs, failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--forvane", required=True, help="the forvane executable of a build or an install")
    parser.add_argument("--all", action="store_true", help="every call, not a sample")
    parser.add_argument("--sample", type=int, default=40, help="about how many calls to fail without --all")
    parser.add_argument("--calls", metavar="FIRST:LAST", help="only these calls (a sweep in parts)")
    parser.add_argument("--jobs", type=int, default=1, help="runs at once")
    parser.add_argument("--work", help="where to put the runs (default: a temporary folder, removed);"
                        " the runs of a failing call are kept there")
    parser.add_argument("--keep", action="store_true", help="keep the runs that passed too")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="quarnel-sweep-") as scratch:
        work = args.work or scratch
        os.makedirs(work, exist_ok=True)
        project, config = os.path.join(work, "project.json"), os.path.join(work, "config.xml")
        make_example.make_example(make_example.default_source(), project, config)
        forvane = Forvane(os.path.abspath(args.forvane), project, config, work, args.keep)

        original, plain, load_calls = plain_runs(forvane)
        trace = sweep_checks.calls(plain.events)
        phases = sweep_checks.phases(trace, load_calls)
        numbers = list(range(1, len(trace) + 1)) if args.all else sweep_checks.sample(trace, phases, args.sample)
        if args.calls:
            first, last = (int(end) for end in args.calls.split(":"))
            numbers = [n for n in numbers if first <= n <= last]
        print(f"sweep: the plain run makes {len(trace)} host calls; failing {len(numbers)} of them", flush=True)
        reference = sweep_checks.Reference(original, plain, load_calls)
        runs, failures = sweep(forvane, numbers, reference, max(1, args.jobs))
    runs += 3
    print(f"sweep: {runs} runs, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
