"""What the fault sweep checks in a run of forvane, and which calls it fails."""
import difflib
import json
from dataclasses import dataclass

OWNER = "Quarnel"
SUCCESS_TITLE = "Import Successful"
IFC_PREFIXES = ("SGPset_", "Pset_")
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")
STATUS_DONE = 0
STATUS_ADDON_REFUSED = 3
MOST_DIFFERENCES_SHOWN = 5


@dataclass
class RunResult:
    arguments: list
    status: object  # the exit status, or None when the run did not end
    output: str
    events: list
    saved: object  # the saved project's path, or None


@dataclass
class Reference:
    original: RunResult  # the opened project, saved without running anything
    plain: RunResult  # the command without faults
    load_calls: int  # the host calls the plug-in makes while it loads


def read_transcript(path):
    events = []
    try:
        with open(path, encoding="utf-8") as file:
            for line in file:
                if line.strip():
                    events.append(json.loads(line))
    except (OSError, ValueError):
        pass
    return events


def calls(events):
    return [event for event in events if event.get("event") == "call"]


def undo_steps(events):
    return sum(1 for event in events if event.get("event") == "command" and event.get("undoStep") is True)


def alert_titles(events):
    return [event.get("title") for event in events if event.get("event") == "alert"]


def read_text(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


# --- Which calls to fail --------------------------------------------------------------------

def phases(trace, load_calls):
    """(name, first, last) call numbers: the loading, then the calls up to the end of each undoable
    command (a command's call is traced when it returns, after the calls it made), then the rest."""
    ends = [(min(load_calls, len(trace)), "loading")]
    for number, call in enumerate(trace, start=1):
        if call.get("op") == "CallUndoableCommand" and number > load_calls:
            ends.append((number, f"up to the end of the command {call.get('subject')}"))
    ends.append((len(trace), "after the last command"))
    result, first = [], 1
    for last, name in ends:
        if first <= last:
            result.append((name, first, last))
            first = last + 1
    return result


def sample(trace, phase_list, size):
    """About SIZE call numbers: the ends of the run and of each phase, each operation's first call in
    each phase, and numbers spread evenly over the run."""
    chosen = {1, len(trace)}
    for _, first, last in phase_list:
        chosen.update((first, last))
        seen = set()
        for number in range(first, last + 1):
            op = trace[number - 1].get("op")
            if op not in seen:
                seen.add(op)
                chosen.add(number)
    spread = max(1, size - len(chosen))
    chosen.update(1 + (i * (len(trace) - 1)) // spread for i in range(spread + 1))
    return sorted(n for n in chosen if 1 <= n <= len(trace))


# --- What a project holds of the IFC groups -------------------------------------------------

def is_ifc_group(name):
    return name.startswith(IFC_PREFIXES)


def definition_content(definition):
    # Guids and option keys are new after every re-import; what the user sees is compared.
    content = {key: value for key, value in definition.items() if key != "guid"}
    content["options"] = [option.get("value") if isinstance(option, dict) else option
                          for option in definition.get("options", [])]
    # A default whose status is undefined is no default, whatever value it still carries.
    if content.get("default", {}).get("status") == "undefined":
        del content["default"]
    return content


def ifc_content(path, without_linked_copies=False):
    with open(path, encoding="utf-8") as file:
        document = json.load(file)
    if without_linked_copies:
        document["elements"] = [e for e in document.get("elements", []) if e.get("link") is None]
    groups = {group["name"]: {d["name"]: definition_content(d) for d in group.get("definitions", [])}
              for group in document.get("propertyGroups", []) if is_ifc_group(group["name"])}
    values = {(element["guid"], value["group"], value["property"]): (value.get("value"), value.get("status", "normal"))
              for element in document.get("elements", []) for value in element.get("values", [])
              if is_ifc_group(value["group"])}
    return groups, values


def content_differences(expected_path, actual_path, without_linked_copies=False):
    expected_groups, expected_values = ifc_content(expected_path, without_linked_copies)
    actual_groups, actual_values = ifc_content(actual_path, without_linked_copies)
    differences = []
    for name in sorted(set(expected_groups) | set(actual_groups)):
        if name not in actual_groups or name not in expected_groups:
            differences.append(f"group {name} is {'missing' if name not in actual_groups else 'extra'}")
            continue
        expected, actual = expected_groups[name], actual_groups[name]
        for definition in sorted(set(expected) | set(actual)):
            if expected.get(definition) != actual.get(definition):
                differences.append(f"{name}/{definition}: {expected.get(definition)} became {actual.get(definition)}")
    for key in sorted(set(expected_values) | set(actual_values)):
        if expected_values.get(key) != actual_values.get(key):
            differences.append(f"value of {key[0]} for {key[1]}/{key[2]}: "
                               f"{expected_values.get(key)} became {actual_values.get(key)}")
    return differences[:MOST_DIFFERENCES_SHOWN]


def text_differences(expected_path, actual_path):
    diff = difflib.unified_diff(read_text(expected_path).splitlines(), read_text(actual_path).splitlines(),
                                "opened", "after undo", n=0, lineterm="")
    return [line for line in diff if not line.startswith(("---", "+++", "@@"))][:MOST_DIFFERENCES_SHOWN]


# --- Checks -----------------------------------------------------------------------------------

def ending_problems(run, allowed_statuses):
    problems = []
    if run.status is None:
        problems.append(run.output)
    elif run.status not in allowed_statuses:
        problems.append(f"exit status {run.status}: {run.output.strip()[-400:]}")
    for mark in SANITIZER_MARKS:
        if mark in run.output:
            at = run.output.index(mark)
            problems.append("sanitizer: " + run.output[at:at + 400].splitlines()[0])
    return problems


def memory_problems(run):
    unloads = [event for event in run.events if event.get("event") == "memory" and event.get("owner") == OWNER]
    if not unloads:
        # A refused add-on is closed at once and writes no memory event.
        return [] if run.status == STATUS_ADDON_REFUSED else ["no memory event of the plug-in"]
    held = unloads[-1].get("liveBlocks")
    return [] if held == 0 else [f"the plug-in holds {held} blocks after its unload"]


def ending_alert_problems(events):
    """Every run of the command ends with one alert, and an alert that sends the user to the
    Session Report finds something there."""
    if not any(event.get("event") == "command" for event in events):
        return []  # the command never ran (the plug-in did not load or its menu is missing)
    alerts = [event for event in events if event.get("event") == "alert"]
    if not alerts:
        return ["the run ended without an alert"]
    if any("Session Report" in alert.get("message", "") for alert in alerts) and \
            not any(event.get("event") == "report" for event in events):
        return ["the alert points to the Session Report, which is empty"]
    return []


def allowed_statuses(n, reference):
    # While the plug-in loads, a failed host call may make it decline to load, which the loader reports.
    return (STATUS_DONE, STATUS_ADDON_REFUSED) if n <= reference.load_calls else (STATUS_DONE,)


def problems_of_failed_run(run, n, reference):
    problems = ending_problems(run, allowed_statuses(n, reference)) + memory_problems(run)
    if run.status != STATUS_DONE:
        return problems
    if run.saved is None:
        return problems + ["nothing was saved"]
    if undo_steps(run.events) == 0:
        problems += [f"left no undo step but changed the project: {d}"
                     for d in text_differences(reference.original.saved, run.saved)]
    if SUCCESS_TITLE in alert_titles(run.events):
        problems += [f"success alert, yet {d}" for d in content_differences(reference.plain.saved, run.saved)]
    return problems + ending_alert_problems(run.events)


def problems_of_undone_run(run, n, steps, reference):
    problems = ending_problems(run, (STATUS_DONE,)) + memory_problems(run)
    if run.status != STATUS_DONE:
        return problems
    undone = sum(1 for event in run.events if event.get("event") == "undo")
    if undone != steps:
        problems.append(f"undid {undone} steps, not {steps}")
    if run.saved is None:
        return problems + ["nothing was saved"]
    return problems + [f"after --undo {steps}: {d}" for d in text_differences(reference.original.saved, run.saved)]


def problems_of_plain_run(original, plain):
    problems = ending_problems(original, (STATUS_DONE,)) + ending_problems(plain, (STATUS_DONE,))
    if problems:
        return problems
    problems += memory_problems(plain)
    if alert_titles(plain.events) != [SUCCESS_TITLE]:
        problems.append(f"the alerts were {alert_titles(plain.events)}, not the success alert")
    if original.saved is None or plain.saved is None:
        problems.append("nothing was saved")
    return problems


def changes_of_plain_run(original, plain):
    """What the run changes in the IFC groups without any fault, linked copies aside (the command
    leaves their values to the elements they copy). The faulty runs are held to the plain run."""
    return content_differences(original.saved, plain.saved, without_linked_copies=True)
