#!/usr/bin/env python3
"""Runs one end-to-end scenario: forvane with a project, a configuration and
fault injections, then checks the transcript, the Session Report and files.

A scenario is a text file, one statement a line ('#' starts a comment):

  project: examples/project.json          the project to open (relative to the source tree)
  run: --choose examples/ifc-sg-config.xml --fail DeletePropertyGroup@Pset_DoorCommon=General
                                          forvane's options (the menu command is added by
                                          'command'; ${TMP}, ${SRC} are replaced)
  command                                 run "RIRUDAD X/Import IFC+SG Classifications and Properties..."
  exit: 0                                 the expected exit status (default 0)
  event: {"event": "alert", "title": "Import Failed!"}
                                          an event whose fields include these, after the previous match
  no event: {"event": "command", "name": "Import Expressions"}
                                          no event anywhere with these fields
  report: Removing Property: DeletePropertyGroup Pset_DoorCommon failed
                                          a Session Report line that starts with this text
  no report                               the Session Report is empty
  report count: 2                         the Session Report has exactly this many lines
  output: some text                       standard output or error holds this text
  same project: ${TMP}/after.json         the file holds the same project as the one opened
  account: ${TMP}/after.json | Pset_SlabCommon: 6 definitions kept
                                          'forvane diff' of the opened project and the file
                                          prints this line (leading blanks aside)
"""
import json
import os
import shlex
import subprocess
import sys
import tempfile

MENU_COMMAND = "RIRUDAD X/Import IFC+SG Classifications and Properties..."


def fail(scenario, message):
    print(f"FAIL {scenario}: {message}")
    sys.exit(1)


def contains(event, wanted):
    for key, value in wanted.items():
        if key not in event:
            return False
        if isinstance(value, dict) and isinstance(event[key], dict):
            if not contains(event[key], value):
                return False
        elif event[key] != value:
            return False
    return True


def normalised(forvane, path, tmp, name):
    """The project in a file, as the host reads it (loaded and saved back)."""
    out = os.path.join(tmp, name)
    result = subprocess.run([forvane, path, "--quiet", "--save", out], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{path} does not load: {result.stdout}{result.stderr}")
    with open(out, encoding="utf-8") as f:
        return json.load(f)


KEYS = ("no event", "same project", "account", "report count", "no report", "project", "run", "command", "exit",
        "event", "report", "output")


def parse_statement(line):
    for key in KEYS:
        if line == key:
            return key, ""
        if line.startswith(key + ":"):
            return key, line[len(key) + 1:].strip()
    return None, None


def main():
    scenario_path = sys.argv[1]
    src = os.environ.get("QUARNEL_SOURCE_DIR", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
    binary = os.environ["QUARNEL_BINARY_DIR"]
    forvane = os.path.join(binary, "bin", "forvane")
    name = os.path.basename(scenario_path)
    tmp = tempfile.mkdtemp(prefix="scenario-")

    def expand(text):
        return text.replace("${TMP}", tmp).replace("${SRC}", src).replace("${BIN}", binary)

    statements = []
    with open(scenario_path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            key, rest = parse_statement(line)
            if key is None:
                fail(os.path.basename(scenario_path), f"line {number}: unknown statement {line!r}")
            statements.append((number, key, expand(rest)))

    project = None
    args = []
    expected_exit = 0
    for number, key, rest in statements:
        if key == "project":
            project = os.path.join(src, rest)
        elif key == "run":
            args += [a if os.path.isabs(a) or not os.path.exists(os.path.join(src, a)) else os.path.join(src, a)
                     for a in shlex.split(rest)]
        elif key == "command":
            args += ["--run", MENU_COMMAND]
        elif key == "exit":
            expected_exit = int(rest)
    if project is None:
        fail(name, "no project")

    # The host makes the guids a file leaves out anew at every load; the run opens
    # the project as the host saved it once, so that "same project" compares like with like.
    opened = os.path.join(tmp, "opened.json")
    with open(opened, "w", encoding="utf-8") as f:
        json.dump(normalised(forvane, project, tmp, "opened-source.json"), f)
    project = opened

    transcript = os.path.join(tmp, "transcript.jsonl")
    report_file = os.path.join(tmp, "report.txt")
    command = [forvane, project, "--transcript", transcript, "--report", report_file] + args
    if "--special-folder" not in args:
        command += ["--special-folder", os.path.join(tmp, "data")]
    result = subprocess.run(command, capture_output=True, text=True, timeout=300)
    output = result.stdout + result.stderr
    if result.returncode != expected_exit:
        fail(name, f"exit status {result.returncode}, expected {expected_exit}\n{output}")

    events = []
    if os.path.exists(transcript):
        with open(transcript, encoding="utf-8") as f:
            events = [json.loads(l) for l in f if l.strip()]
    report = []
    if os.path.exists(report_file):
        with open(report_file, encoding="utf-8") as f:
            report = [l.rstrip("\n") for l in f]

    position = 0
    for number, key, rest in statements:
        where = f"line {number}"
        if key == "event":
            wanted = json.loads(rest)
            for i in range(position, len(events)):
                if contains(events[i], wanted):
                    position = i + 1
                    break
            else:
                fail(name, f"{where}: no event {rest} after event {position}\n" + "\n".join(json.dumps(e) for e in events))
        elif key == "no event":
            wanted = json.loads(rest)
            for e in events:
                if contains(e, wanted):
                    fail(name, f"{where}: unexpected event {json.dumps(e)}")
        elif key == "report":
            if not any(l.startswith(rest) for l in report):
                fail(name, f"{where}: no report line starting {rest!r}\n" + "\n".join(report))
        elif key == "no report":
            if report:
                fail(name, f"{where}: the Session Report is not empty:\n" + "\n".join(report))
        elif key == "report count":
            if len(report) != int(rest):
                fail(name, f"{where}: {len(report)} report lines, expected {rest}:\n" + "\n".join(report))
        elif key == "output":
            if rest not in output:
                fail(name, f"{where}: output lacks {rest!r}\n{output}")
        elif key == "same project":
            before = normalised(forvane, project, tmp, "before-normalised.json")
            after = normalised(forvane, rest, tmp, "after-normalised.json")
            if before != after:
                fail(name, f"{where}: {rest} is not the project that was opened")
        elif key == "account":
            path, _, line = (part.strip() for part in rest.partition("|"))
            diff = subprocess.run([forvane, "diff", project, path], capture_output=True, text=True)
            if diff.returncode != 0 or line not in (l.strip() for l in diff.stdout.splitlines()):
                fail(name, f"{where}: the account lacks the line {line!r}:\n{diff.stdout}{diff.stderr}")
    print(f"PASS {name}")


if __name__ == "__main__":
    main()
