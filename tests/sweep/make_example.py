#!/usr/bin/env python3
"""Writes the fault sweep's mid-size example: a project and its own configuration.

The project is a slice of the real-size example. It keeps every classification
item and every property group with its definitions, and of the elements: the
first of several kinds, a linked copy of one of its elements (with that
element), a linked copy of an element of another project, and an element with
a value the user cleared. That keeps each sort of value the run
carries over while keeping the host calls of a run in the low thousands, so
that the sweep can fail each of them in turn.

The configuration is the one of the project's own release: the same items,
the same IFC groups and definitions, without what the project added to them.
The project drops what the command by its nature does not carry over (element
values of lists and multiple choices, defaults of multiple choices, whose
option keys the re-import renews, and the IFC values of linked copies, which
belong to the elements they copy), so that a run without faults keeps
everything and ends with the success alert. A faulty run that still claims
success must then have kept everything too.
"""
import argparse
import json
import os
import sys
from xml.sax.saxutils import escape, quoteattr

IFC_PREFIXES = ("SGPset_", "Pset_")
# The kinds whose first element the slice keeps: those with groups of this
# project's making, and a few more with common sets of their own.
KINDS = ("Wall", "Slab", "Column", "Door", "Space", "Window", "Beam", "Covering", "Railing")
NOT_CARRIED = ("list", "multipleChoice")

VALUE_WORDS = {"integer": "Integer", "real": "Double", "string": "String", "boolean": "Boolean"}
COLLECTION_WORDS = {"single": "SingleValue", "list": "ListValue", "singleChoice": "SingleValueFromCollection",
                    "multipleChoice": "MultipleValuesFromCollection"}
MEASURE_WORDS = {"default": "Default", "length": "Length", "area": "Area", "volume": "Volume", "angle": "Angle"}


def is_ifc_group(name):
    return name.startswith(IFC_PREFIXES)


def has_cleared_value(element):
    return any(value.get("status") in ("null", "undefined") for value in element["values"])


def chosen_elements(elements):
    by_guid = {element["guid"]: element for element in elements}
    wanted = set()
    seen_types = set()
    for element in elements:
        if element["type"] in KINDS and element["type"] not in seen_types:
            seen_types.add(element["type"])
            wanted.add(element["guid"])
    linked = [element for element in elements if element["link"] is not None]
    copy_of_ours = next((e for e in linked if e["link"] in by_guid), None)
    copy_of_theirs = next((e for e in linked if e["link"] not in by_guid), None)
    cleared = next((e for e in elements if has_cleared_value(e)), None)
    for element in (copy_of_ours, copy_of_theirs, cleared):
        if element is not None:
            wanted.add(element["guid"])
    if copy_of_ours is not None:
        wanted.add(copy_of_ours["link"])
    # The file's order is kept: the host lists elements in the order it read them.
    return [element for element in elements if element["guid"] in wanted]


def uncarried_definitions(groups):
    return {(group["name"], definition["name"])
            for group in groups if is_ifc_group(group["name"])
            for definition in group.get("definitions", [])
            if definition.get("collectionType", "single") in NOT_CARRIED}


def drop_uncarried(project):
    uncarried = uncarried_definitions(project["propertyGroups"])
    for group in project["propertyGroups"]:
        for definition in group.get("definitions", []):
            if (group["name"], definition["name"]) in uncarried:
                definition.pop("default", None)
    for element in project["elements"]:
        element["values"] = [value for value in element["values"]
                             if (value["group"], value["property"]) not in uncarried
                             and not (element["link"] is not None and is_ifc_group(value["group"]))]


def option_text(option):
    return option["value"] if isinstance(option, dict) else option


def xml_value(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def config_items(items, depth):
    lines = []
    for item in items:
        pad = "  " * depth
        attributes = f"id={quoteattr(item['id'])} name={quoteattr(item.get('name', item['id']))}"
        children = item.get("children", [])
        if not children:
            lines.append(f"{pad}<Item {attributes}/>")
            continue
        lines.append(f"{pad}<Item {attributes}>")
        lines += config_items(children, depth + 1)
        lines.append(f"{pad}</Item>")
    return lines


def config_definition(definition):
    attributes = (f"name={quoteattr(definition['name'])} "
                  f"valueType=\"{VALUE_WORDS[definition.get('valueType', 'string')]}\" "
                  f"collectionType=\"{COLLECTION_WORDS[definition.get('collectionType', 'single')]}\" "
                  f"measureType=\"{MEASURE_WORDS[definition.get('measureType', 'default')]}\"")
    body = [f"<Option>{escape(xml_value(option_text(o)))}</Option>" for o in definition.get("options", [])]
    body += [f"<AvailableFor item={quoteattr(item)}/>" for item in definition.get("availableFor", [])]
    pad = " " * 8
    return [f"{pad}<PropertyDefinition {attributes}>"] + [pad + "  " + b for b in body] + [f"{pad}</PropertyDefinition>"]


def config_document(project):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<Configuration>", "  <ClassificationSystems>"]
    for system in project.get("classificationSystems", []):
        lines.append(f"    <ClassificationSystem name={quoteattr(system['name'])} "
                     f"version={quoteattr(system.get('version', ''))}>")
        lines += config_items(system.get("items", []), 3)
        lines.append("    </ClassificationSystem>")
    lines += ["  </ClassificationSystems>", "  <PropertyGroups>"]
    for group in project["propertyGroups"]:
        if not is_ifc_group(group["name"]):
            continue
        lines.append(f"    <PropertyGroup name={quoteattr(group['name'])} "
                     f"description={quoteattr(group.get('description', ''))}>")
        for definition in group.get("definitions", []):
            lines += config_definition(definition)
        lines.append("    </PropertyGroup>")
    lines += ["  </PropertyGroups>", "</Configuration>"]
    return "\n".join(lines) + "\n"


def make_example(source, project_path, config_path):
    with open(source, encoding="utf-8") as file:
        project = json.load(file)
    project["elements"] = chosen_elements(project["elements"])
    drop_uncarried(project)
    with open(project_path, "w", encoding="utf-8") as file:
        json.dump(project, file, indent=2, ensure_ascii=False)
        file.write("\n")
    with open(config_path, "w", encoding="utf-8") as file:
        file.write(config_document(project))
    return project


def default_source():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "..", "examples", "large", "project.json"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", default=default_source(), help="the real-size project to slice")
    parser.add_argument("--out", required=True, help="the folder to write project.json and config.xml into")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    project = make_example(args.source, os.path.join(args.out, "project.json"), os.path.join(args.out, "config.xml"))
    print(f"{args.out}: {len(project['elements'])} elements, {len(project['propertyGroups'])} property groups")
    return 0


if __name__ == "__main__":
    sys.exit(main())
