"""The sweep's own checks: a sweep that misses a fault is worse than none."""
import json
import os
import tempfile
import unittest

import make_example
import sweep_checks as checks


def call(op, subject=None):
    return {"event": "call", "op": op, "subject": subject, "result": 0}


def run(status=0, events=(), saved=None, output=""):
    return checks.RunResult([], status, output, list(events), saved)


def memory(live_blocks):
    return {"event": "memory", "owner": "Quarnel", "liveBlocks": live_blocks}


class Files(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.folder.cleanup()

    def project(self, name, definition, values):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="utf-8") as file:
            json.dump({"propertyGroups": [{"name": "Pset_WallCommon", "definitions": [definition]},
                                          {"name": "Project Notes", "definitions": []}],
                       "elements": [{"guid": "E1", "link": None, "values": values}]}, file)
        return path


class WhichCallsFail(unittest.TestCase):
    TRACE = ([call("QueryAddOnEnvironment"), call("RegisterMenu")] + [call("GetPropertyGroup")] * 50
             + [call("DeletePropertyGroup")] * 3 + [call("CallUndoableCommand", "Delete Property Groups")]
             + [call("SetProperty")] * 40 + [call("CallUndoableCommand", "Import Property Values")])

    def test_phases_cover_every_call_once_and_end_at_each_command(self):
        phases = checks.phases(self.TRACE, 2)
        covered = [n for _, first, last in phases for n in range(first, last + 1)]
        self.assertEqual(covered, list(range(1, len(self.TRACE) + 1)))
        self.assertEqual(phases[1][2], 56)  # the first command's call closes its phase

    def test_sample_holds_the_ends_every_operation_and_a_spread(self):
        numbers = checks.sample(self.TRACE, checks.phases(self.TRACE, 2), 20)
        self.assertIn(1, numbers)
        self.assertIn(len(self.TRACE), numbers)
        self.assertEqual({self.TRACE[n - 1]["op"] for n in numbers}, {c["op"] for c in self.TRACE})
        self.assertTrue(any(60 < n < 90 for n in numbers))
        self.assertLessEqual(len(numbers), 30)

    def test_a_trace_shorter_than_the_loading_gives_no_empty_phase(self):
        self.assertEqual(checks.phases(self.TRACE[:1], 2), [("loading", 1, 1)])


class WhatCountsAsAFault(Files):
    DEFINITION = {"guid": "A", "name": "Finish", "collectionType": "singleChoice",
                  "options": [{"key": "K1", "value": "Paint"}, {"key": "K2", "value": "Tile"}],
                  "default": {"choice": "Tile"}}

    def test_new_guids_and_option_keys_are_no_change(self):
        renewed = dict(self.DEFINITION, guid="B", options=[{"key": "K3", "value": "Paint"}, {"key": "K4", "value": "Tile"}])
        before = self.project("before.json", self.DEFINITION, [{"group": "Pset_WallCommon", "property": "Finish", "value": "Paint"}])
        after = self.project("after.json", renewed, [{"group": "Pset_WallCommon", "property": "Finish", "value": "Paint"}])
        self.assertEqual(checks.content_differences(before, after), [])

    def test_a_lost_default_or_value_is_a_change(self):
        before = self.project("before.json", self.DEFINITION, [{"group": "Pset_WallCommon", "property": "Finish", "value": "Tile"}])
        lost = dict(self.DEFINITION, default={"choice": "Paint", "status": "undefined"})
        after = self.project("after.json", lost, [])
        differences = checks.content_differences(before, after)
        self.assertEqual(len(differences), 2, differences)

    def test_success_alert_with_lost_values_fails_and_another_alert_does_not(self):
        plain = self.project("plain.json", self.DEFINITION, [{"group": "Pset_WallCommon", "property": "Finish", "value": "Tile"}])
        lost = self.project("lost.json", self.DEFINITION, [])
        reference = checks.Reference(run(saved=plain), run(saved=plain), 3)
        steps = [{"event": "command", "undoStep": True}, memory(0)]
        success = steps + [{"event": "alert", "title": "Import Successful"}]
        partial = steps + [{"event": "alert", "title": "Import Successful!"}]
        self.assertTrue(checks.problems_of_failed_run(run(events=success, saved=lost), 9, reference))
        self.assertEqual(checks.problems_of_failed_run(run(events=partial, saved=lost), 9, reference), [])

    def test_a_silent_ending_or_an_alert_that_points_to_an_empty_report_is_a_fault(self):
        original = self.project("original.json", self.DEFINITION, [])
        reference = checks.Reference(run(saved=original), run(saved=original), 3)
        command = [{"event": "command", "undoStep": False}, memory(0)]
        failure = {"event": "alert", "title": "Import Failed!", "message": "Please check Session Report for details."}
        line = {"event": "report", "text": "Delete Property Groups: Failed with error code: -2130313215"}
        for events in (command, command + [failure]):
            self.assertTrue(checks.problems_of_failed_run(run(events=events, saved=original), 9, reference), events)
        self.assertEqual(checks.problems_of_failed_run(run(events=command + [line, failure], saved=original), 9,
                                                       reference), [])

    def test_a_run_without_undo_steps_must_leave_the_project_as_it_was(self):
        original = self.project("original.json", self.DEFINITION, [])
        changed = self.project("changed.json", self.DEFINITION, [{"group": "Pset_WallCommon", "property": "Finish", "value": "Tile"}])
        reference = checks.Reference(run(saved=original), run(saved=original), 3)
        self.assertTrue(checks.problems_of_failed_run(run(events=[memory(0)], saved=changed), 9, reference))
        self.assertEqual(checks.problems_of_failed_run(run(events=[memory(0)], saved=original), 9, reference), [])

    def test_held_memory_sanitizer_reports_and_refusals_after_loading_are_faults(self):
        reference = checks.Reference(None, None, 3)
        self.assertTrue(checks.problems_of_failed_run(run(events=[memory(0), memory(2)]), 9, reference))
        self.assertTrue(checks.problems_of_failed_run(
            run(events=[memory(0)], output="x.cpp:3: runtime error: signed integer overflow"), 9, reference))
        self.assertTrue(checks.problems_of_failed_run(run(status=3), 9, reference))
        self.assertEqual(checks.problems_of_failed_run(run(status=3), 2, reference), [])
        self.assertTrue(checks.problems_of_failed_run(run(status=None, output="no end"), 2, reference))

    def test_undo_must_give_back_the_opened_text_exactly(self):
        original = self.project("original.json", self.DEFINITION, [])
        renewed = self.project("renewed.json", dict(self.DEFINITION, guid="B"), [])
        reference = checks.Reference(run(saved=original), None, 3)
        undone = [{"event": "undo"}, memory(0)]
        self.assertTrue(checks.problems_of_undone_run(run(events=undone, saved=renewed), 9, 1, reference))
        self.assertEqual(checks.problems_of_undone_run(run(events=undone, saved=original), 9, 1, reference), [])
        self.assertTrue(checks.problems_of_undone_run(run(events=undone, saved=original), 9, 2, reference))


class TheExample(unittest.TestCase):
    def test_the_slice_keeps_the_sorts_of_elements_and_nothing_the_command_cannot_carry(self):
        with open(make_example.default_source(), encoding="utf-8") as file:
            source = json.load(file)
        with tempfile.TemporaryDirectory() as folder:
            project = make_example.make_example(make_example.default_source(), os.path.join(folder, "p.json"),
                                                os.path.join(folder, "c.xml"))
        elements = project["elements"]
        self.assertLess(len(elements), len(source["elements"]) // 10)
        self.assertTrue(any(e["link"] in {o["guid"] for o in elements} for e in elements))
        self.assertTrue(any(e["link"] is not None and e["link"] not in {o["guid"] for o in elements} for e in elements))
        self.assertTrue(any(make_example.has_cleared_value(e) for e in elements))
        uncarried = make_example.uncarried_definitions(project["propertyGroups"])
        self.assertTrue(uncarried)
        self.assertFalse([v for e in elements for v in e["values"] if (v["group"], v["property"]) in uncarried])
        self.assertFalse([v for e in elements if e["link"] for v in e["values"] if make_example.is_ifc_group(v["group"])])


if __name__ == "__main__":
    unittest.main()
