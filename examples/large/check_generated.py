#!/usr/bin/env python3
"""Checks of the real-size example: the committed files are what the script makes, the project
holds together (every value fits a definition the element has), and the next release's
configuration makes the changes the README describes.

    python3 examples/large/check_generated.py
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the example folder free of caches
import generate  # noqa: E402

GUID = re.compile(r"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
REFERENCE = re.compile(r"###Property:([^/#]+)/([^#]+)###")


def load_project():
    with open(os.path.join(HERE, "project.json"), encoding="utf-8") as f:
        return json.load(f)


def load_configuration():
    return ElementTree.parse(os.path.join(HERE, "ifc-sg-config.xml")).getroot()


def definitions_by_key(project):
    return {(g["name"], d["name"]): d for g in project["propertyGroups"] for d in g["definitions"]}


def item_parents(project):
    parents = {}

    def walk(items, parent):
        for item in items:
            parents[item["id"]] = parent
            walk(item.get("children", []), item["id"])

    for system in project["classificationSystems"]:
        walk(system["items"], None)
    return parents


def config_definitions(root):
    return {(g.get("name"), d.get("name")): d for g in root.iter("PropertyGroup") for d in g.iter("PropertyDefinition")}


def fits(definition, value):
    def scalar(v):
        kind = definition["valueType"]
        if kind == "integer":
            return type(v) is int and -2**31 <= v < 2**31
        if kind == "real":
            return type(v) is float
        return type(v) is {"string": str, "boolean": bool}[kind]

    options = [o["value"] for o in definition.get("options", [])]
    collection = definition["collectionType"]
    if collection == "single":
        return scalar(value)
    if collection == "singleChoice":
        return value in options
    if collection == "multipleChoice":
        return isinstance(value, list) and value and all(v in options for v in value)
    return isinstance(value, list) and all(scalar(v) for v in value)


class GeneratedFiles(unittest.TestCase):
    def test_generating_again_gives_the_committed_files(self):
        data = generate.default_data_path()
        if not os.path.exists(data):
            self.skipTest(f"no property-set data at {data}")
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(HERE, "generate.py"), "--out", out], check=True,
                           capture_output=True)
            for name in ("project.json", "ifc-sg-config.xml"):
                with open(os.path.join(out, name), "rb") as made, open(os.path.join(HERE, name), "rb") as kept:
                    self.assertEqual(made.read(), kept.read(), f"{name} is not what generate.py makes")

    def test_missing_data_is_named(self):
        result = subprocess.run([sys.executable, os.path.join(HERE, "generate.py"), "--data", "/nonexistent/p.json",
                                 "--out", tempfile.gettempdir()], capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("/nonexistent/p.json is missing", result.stderr)

    def test_project_is_of_real_size_and_small_enough_to_commit(self):
        project = load_project()
        self.assertLess(os.path.getsize(os.path.join(HERE, "project.json")), 5_000_000)
        self.assertGreaterEqual(len(project["elements"]), 1900)
        data_groups = [g for g in project["propertyGroups"] if g["name"] in generate.PROJECT_SETS]
        self.assertGreaterEqual(len(data_groups), 20)


class ProjectConsistency(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.project = load_project()
        cls.definitions = definitions_by_key(cls.project)
        cls.parents = item_parents(cls.project)

    def available_for(self, definition, item):
        wanted = definition.get("availableFor", [])
        while item is not None:
            if not wanted or item in wanted:
                return True
            item = self.parents[item]
        return False

    def test_every_guid_is_well_formed_and_used_once(self):
        seen = set()

        def visit(node):
            if isinstance(node, dict):
                for key, value in node.items():
                    if key in ("guid", "key"):
                        self.assertRegex(value, GUID)
                        self.assertNotIn(value, seen)
                        seen.add(value)
                    elif key != "link":
                        visit(value)
            elif isinstance(node, list):
                for value in node:
                    visit(value)

        visit(self.project)

    def test_every_element_value_fits_a_definition_the_element_has(self):
        for element in self.project["elements"]:
            seen = set()
            for value in element["values"]:
                key = (value["group"], value["property"])
                self.assertNotIn(key, seen, element["guid"])
                seen.add(key)
                definition = self.definitions[key]
                self.assertTrue(any(self.available_for(definition, i) for i in element["classifications"]),
                                f"{element['guid']} has no {key}")
                if "value" in value:
                    self.assertTrue(fits(definition, value["value"]), f"{element['guid']} {key} {value['value']!r}")
                else:
                    self.assertIn(value["status"], ("null", "undefined"))

    def test_defaults_fit_and_expressions_name_existing_properties(self):
        for key, definition in self.definitions.items():
            default = definition.get("default", {})
            for word in ("value", "choice"):
                if word in default:
                    self.assertTrue(fits(definition, default[word]), key)
            if "choices" in default:
                self.assertTrue(fits(definition, default["choices"]), key)
            for text in default.get("expressions", []):
                for reference in REFERENCE.findall(text):
                    self.assertIn(reference, self.definitions, f"{key}: {text}")

    def test_linked_copies_name_an_element(self):
        copies = [e for e in self.project["elements"] if e["link"]]
        self.assertGreater(len(copies), 0)
        for copy in copies:
            self.assertRegex(copy["link"], GUID)
            self.assertNotEqual(copy["link"], copy["guid"])


class NextRelease(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.project = load_project()
        cls.root = load_configuration()
        cls.old = definitions_by_key(cls.project)
        cls.new = config_definitions(cls.root)

    def test_items_of_the_project_are_all_still_there(self):
        old_items = set(item_parents(self.project))
        new_items = {i.get("id") for i in self.root.iter("Item")}
        self.assertLess(old_items, new_items)

    def test_a_definition_that_an_expression_uses_is_gone(self):
        used = {r for d in self.old.values() for t in d.get("default", {}).get("expressions", [])
                for r in REFERENCE.findall(t) if r[0].startswith(("Pset_", "SGPset_"))}
        self.assertTrue(any(r not in self.new for r in used))

    def test_groups_and_definitions_come_and_go(self):
        old_groups = {g for g, _ in self.old if g.startswith(("Pset_", "SGPset_"))}
        new_groups = {g for g, _ in self.new}
        self.assertEqual(old_groups - new_groups, {generate.SET_DROPPED_BY_NEXT_RELEASE})
        self.assertEqual(new_groups - old_groups, {generate.SET_ADDED_BY_NEXT_RELEASE})
        kept_groups = old_groups & new_groups
        self.assertTrue([k for k in self.old if k[0] in kept_groups and k not in self.new])
        self.assertTrue([k for k in self.new if k[0] in kept_groups and k not in self.old])

    def test_some_option_lists_changed_and_no_group_carries_what_the_project_added(self):
        changed = []
        for key, element in self.new.items():
            options = [o.text for o in element.findall("Option")]
            if key in self.old and options != [o["value"] for o in self.old[key].get("options", [])]:
                changed.append(key)
            self.assertIsNone(element.find("Expression"), key)
        self.assertGreaterEqual(len(changed), 2)

    def test_the_configuration_uses_only_ifc_groups(self):
        for group in self.root.iter("PropertyGroup"):
            self.assertTrue(group.get("name").startswith(("Pset_", "SGPset_")), group.get("name"))


if __name__ == "__main__":
    unittest.main()
