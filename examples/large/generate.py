#!/usr/bin/env python3
"""Makes the real-size example: a Forvane project of about 2,000 elements that uses the IFC 4.3
property sets, and the IFC+SG configuration of the release after the project's.

    python3 examples/large/generate.py [--data PATH] [--out FOLDER]

Reads the property sets (by default ../shared/data/ifc43-psets.json beside the repository) and
writes project.json and ifc-sg-config.xml into the output folder (by default this script's
folder). The output depends on nothing but the input: the random choices use a fixed seed and
every guid is a name-based (version 5) uuid, so running it again gives the same bytes.
"""
import argparse
import json
import math
import os
import random
import sys
import uuid
from xml.sax.saxutils import escape, quoteattr

SEED = 20240917
NAMESPACE = uuid.uuid5(uuid.NAMESPACE_URL, "urn:quarnel:examples:large")
PROJECT_RELEASE = "2024.1"
NEXT_RELEASE = "2025.1"
SYSTEM = "IFC+SG"


def guid(*parts):
    return str(uuid.uuid5(NAMESPACE, "/".join(parts))).upper()


# --- Classification items ---------------------------------------------------------------------

# (id, name, children); the child ids carry the IFC predefined type after the dot.
PROJECT_ITEMS = [
    ("IfcWall", "Wall", [("IfcWall.STANDARD", "Standard wall"), ("IfcWall.PARTITIONING", "Partition wall"),
                         ("IfcWall.SHEAR", "Shear wall"), ("IfcWall.PARAPET", "Parapet")]),
    ("IfcCurtainWall", "Curtain wall", []),
    ("IfcSlab", "Slab", [("IfcSlab.FLOOR", "Floor slab"), ("IfcSlab.ROOF", "Roof slab"),
                         ("IfcSlab.LANDING", "Landing"), ("IfcSlab.BASESLAB", "Base slab")]),
    ("IfcRoof", "Roof", []),
    ("IfcBeam", "Beam", [("IfcBeam.BEAM", "Beam"), ("IfcBeam.LINTEL", "Lintel"), ("IfcBeam.SPANDREL", "Spandrel")]),
    ("IfcColumn", "Column", [("IfcColumn.COLUMN", "Column"), ("IfcColumn.PILASTER", "Pilaster")]),
    ("IfcMember", "Member", [("IfcMember.MULLION", "Mullion"), ("IfcMember.BRACE", "Brace"),
                             ("IfcMember.PURLIN", "Purlin")]),
    ("IfcPlate", "Plate", [("IfcPlate.CURTAIN_PANEL", "Curtain panel"), ("IfcPlate.SHEET", "Sheet")]),
    ("IfcDoor", "Door", [("IfcDoor.DOOR", "Door"), ("IfcDoor.GATE", "Gate")]),
    ("IfcWindow", "Window", [("IfcWindow.WINDOW", "Window"), ("IfcWindow.SKYLIGHT", "Skylight")]),
    ("IfcStair", "Stair", []),
    ("IfcStairFlight", "Stair flight", []),
    ("IfcRamp", "Ramp", []),
    ("IfcRampFlight", "Ramp flight", []),
    ("IfcRailing", "Railing", [("IfcRailing.HANDRAIL", "Handrail"), ("IfcRailing.GUARDRAIL", "Guardrail"),
                               ("IfcRailing.BALUSTRADE", "Balustrade")]),
    ("IfcCovering", "Covering", [("IfcCovering.FLOORING", "Flooring"), ("IfcCovering.CEILING", "Ceiling"),
                                 ("IfcCovering.CLADDING", "Cladding")]),
    ("IfcFooting", "Footing", [("IfcFooting.PAD_FOOTING", "Pad footing"), ("IfcFooting.STRIP_FOOTING", "Strip footing"),
                               ("IfcFooting.PILE_CAP", "Pile cap")]),
    ("IfcPile", "Pile", [("IfcPile.BORED", "Bored pile"), ("IfcPile.DRIVEN", "Driven pile")]),
    ("IfcBuildingElementProxy", "Building element proxy", []),
    ("IfcSpace", "Space", [("IfcSpace.INTERNAL", "Internal space"), ("IfcSpace.EXTERNAL", "External space"),
                           ("IfcSpace.GFA", "Gross floor area")]),
]

# What the next release adds: new children of existing items and new top-level items.
NEXT_CHILDREN = {"IfcWall": [("IfcWall.RETAININGWALL", "Retaining wall")],
                 "IfcSpace": [("IfcSpace.PARKING", "Parking")]}
NEXT_TOP_ITEMS = [
    ("IfcChimney", "Chimney", []),
    ("IfcShadingDevice", "Shading device", [("IfcShadingDevice.LOUVER", "Louvre"),
                                            ("IfcShadingDevice.AWNING", "Awning")]),
]


def next_release_items():
    items = [(i, n, c + NEXT_CHILDREN.get(i, [])) for i, n, c in PROJECT_ITEMS]
    return items + NEXT_TOP_ITEMS


def item_ids(items):
    ids = set()
    for item_id, _, children in items:
        ids.add(item_id)
        ids.update(c for c, _ in children)
    return ids


SPATIAL_ITEMS = {"IfcSpace"}


def items_for_classes(classes, known_ids):
    """The items of the tree that an applicable-class list of the data names. Type objects have
    no items here; IfcElement stands for every built element, IfcSpatialElement for spaces."""
    found = []
    for name in classes:
        if "/" in name:
            name = name.replace("/", ".")
        if name.endswith("Type") or ".Type" in name:
            continue
        if name == "IfcElement":
            candidates = [i for i, _, _ in PROJECT_ITEMS if i not in SPATIAL_ITEMS]
            candidates += [i for i, _, _ in NEXT_TOP_ITEMS]
        elif name == "IfcSpatialElement":
            candidates = ["IfcSpace"]
        else:
            candidates = [name]
        found += [c for c in candidates if c in known_ids and c not in found]
    return found


# --- Property sets of the data ----------------------------------------------------------------

# The property sets that the project uses, in the order of its groups.
PROJECT_SETS = [
    "Pset_WallCommon", "Pset_CurtainWallCommon", "Pset_SlabCommon", "Pset_RoofCommon", "Pset_BeamCommon",
    "Pset_ColumnCommon", "Pset_MemberCommon", "Pset_PlateCommon", "Pset_DoorCommon", "Pset_WindowCommon",
    "Pset_DoorWindowGlazingType", "Pset_DoorLiningProperties", "Pset_WindowLiningProperties",
    "Pset_StairCommon", "Pset_StairFlightCommon", "Pset_RampCommon", "Pset_RampFlightCommon",
    "Pset_RailingCommon", "Pset_CoveringCommon", "Pset_CoveringFlooring", "Pset_FootingCommon",
    "Pset_PileCommon", "Pset_BuildingElementProxyCommon", "Pset_SpaceCommon",
    "Pset_SpaceFireSafetyRequirements", "Pset_SpaceOccupancyRequirements", "Pset_SpaceCoveringRequirements",
    "Pset_ConcreteElementGeneral", "Pset_ReinforcementBarPitchOfWall", "Pset_ManufacturerTypeInformation",
    "Pset_EnvironmentalImpactIndicators",
]
SET_DROPPED_BY_NEXT_RELEASE = "Pset_ReinforcementBarPitchOfWall"
SET_ADDED_BY_NEXT_RELEASE = "Pset_ShadingDeviceCommon"

# Properties of the data that the project's (older) release did not have yet.
NOT_YET_IN_PROJECT = {("Pset_WallCommon", "ExtendToStructure"), ("Pset_WallCommon", "Compartmentation"),
                      ("Pset_DoorCommon", "HasDrive"), ("Pset_WindowCommon", "HasDrive"),
                      ("Pset_StairCommon", "FireExit")}
# Properties that the next release no longer has (the first is used by an expression).
DROPPED_BY_NEXT_RELEASE = {("Pset_SpaceCommon", "GrossPlannedArea"), ("Pset_DoorCommon", "DurabilityRating"),
                           ("Pset_WindowCommon", "HasSillInternal")}
# Enumerations whose older option list lacked values that the next release has.
OLDER_OPTIONS_MISSING = {("Pset_ConcreteElementGeneral", "CastingMethod"): {"PRINTED"}}

# The data allows several values for every enumeration; an element status and a life-cycle phase
# may well be several at once, the other enumerations are one pick in practice.
MULTIPLE_CHOICE_ENUMS = {"PEnum_ElementStatus", "PEnum_LifeCyclePhase"}

STRING_TYPES = {"IfcLabel", "IfcIdentifier", "IfcText", "IfcDate", "IfcDateTime", "IfcDuration", "IfcTime",
                "IfcURIReference"}
BOOLEAN_TYPES = {"IfcBoolean", "IfcLogical"}
INTEGER_TYPES = {"IfcInteger", "IfcCountMeasure"}
LENGTH_TYPES = {"IfcPositiveLengthMeasure", "IfcLengthMeasure", "IfcNonNegativeLengthMeasure"}
MEASURE_OF_TYPE = {"IfcAreaMeasure": "area", "IfcVolumeMeasure": "volume", "IfcPlaneAngleMeasure": "angle"}


def value_and_measure(data_type):
    """The project's value type and measure for an IFC data type, or None when it has none."""
    if data_type in STRING_TYPES:
        return "string", "default"
    if data_type in BOOLEAN_TYPES:
        return "boolean", "default"
    if data_type in INTEGER_TYPES:
        return "integer", "default"
    if data_type in LENGTH_TYPES:
        return "real", "length"
    if data_type in MEASURE_OF_TYPE:
        return "real", MEASURE_OF_TYPE[data_type]
    if data_type.endswith("Measure") or data_type == "IfcReal":
        return "real", "default"
    return None


def definition_from_data(prop):
    """A definition (dict) for one property of the data, or None for the kinds a definition
    cannot carry (tables, bounded values, references to other objects)."""
    kinds = value_and_measure(prop["dataType"])
    if kinds is None or prop["kind"] in ("table", "bounded", "reference"):
        return None
    value_type, measure = kinds
    definition = {"name": prop["name"], "valueType": value_type, "measureType": measure, "collectionType": "single"}
    if prop["kind"] == "enumerated":
        multiple = prop.get("enumName") in MULTIPLE_CHOICE_ENUMS
        definition["collectionType"] = "multipleChoice" if multiple else "singleChoice"
        definition["options"] = list(prop["enumValues"])
    elif prop["kind"] == "list":
        definition["collectionType"] = "list"
    return definition


def short_description(text):
    return text.split("<!--")[0].strip()


# --- The groups of this project's own making --------------------------------------------------

def own(name, value_type="string", measure="default", collection="single", options=None, **extra):
    definition = {"name": name, "valueType": value_type, "measureType": measure, "collectionType": collection}
    if options is not None:
        definition["options"] = options
    definition.update(extra)
    return definition


CONCRETE_GRADES = ["C25/30", "C28/35", "C30/37", "C32/40", "C35/45", "C40/50", "C45/55"]

# Each: name, description, items, definitions. "next" holds what the next release changes.
OWN_IFC_GROUPS = [
    ("SGPset_WallFireSafety", "Fire safety of walls that bound compartments and protected routes.", ["IfcWall"], [
        own("FireResistancePeriod", "integer", default={"value": 60}),
        own("FireResistanceClass", collection="singleChoice",
            options=["REI 30", "REI 60", "REI 90", "REI 120", "REI 240"], default={"choice": "REI 60"},
            next={"options": ["REI 30", "REI 60", "REI 120", "REI 180", "REI 240"], "default": "REI 60"}),
        own("IsCompartmentWall", "boolean", default={"value": False}),
        own("FireStoppingThickness", "real", "length", default={"value": 0.05}),
    ]),
    ("SGPset_SlabStructure", "Structural design data of slabs.", ["IfcSlab"], [
        own("ConcreteGrade", collection="singleChoice", options=CONCRETE_GRADES, default={"choice": "C32/40"}),
        own("SlabThickness", "real", "length", default={"value": 0.2}),
        own("ImposedLoad", "real", default={"value": 4.0}),
        own("SelfWeight", "real", default={"expressions": ["###Property:SGPset_SlabStructure/SlabThickness### * 24"]}),
        own("PostTensioned", "boolean", next={"added": True, "default": "false"}),
    ]),
    ("SGPset_ColumnStructure", "Structural design data of columns.", ["IfcColumn"], [
        own("ConcreteGrade", collection="singleChoice", options=CONCRETE_GRADES, default={"choice": "C40/50"}),
        own("SectionShape", collection="singleChoice",
            options=["Rectangular", "Circular", "L-shaped", "Steel H-section"], default={"choice": "Rectangular"}),
        own("SectionWidth", "real", "length"),
        own("SectionDepth", "real", "length"),
        own("AxialLoad", "real", default={"value": 2500.0}),
    ]),
    ("SGPset_DoorAccessibility", "Barrier-free access through doors.", ["IfcDoor"], [
        own("ClearOpeningWidth", "real", "length", default={"value": 0.85}),
        own("ClearOpeningHeight", "real", "length", default={"value": 2.1}),
        own("OperationType", collection="singleChoice",
            options=["Single swing", "Double swing", "Sliding", "Sliding, pocket", "Folding", "Revolving"],
            default={"choice": "Single swing"}),
        own("HasVisionPanel", "boolean", default={"value": False}),
        own("DoorSignage", default={"value": "Pictogram, tactile"}),
    ]),
    ("SGPset_SpaceArea", "Area and use of spaces for the gross floor area schedule.", ["IfcSpace"], [
        own("SpaceName"),
        own("AreaCategory", collection="singleChoice", options=["GFA", "Non-GFA", "Strata", "Common property", "Void"],
            default={"choice": "GFA"}, next={"default": "GFA"}),
        own("UseCategory", collection="multipleChoice",
            options=["Residential", "Office", "Retail", "Industrial", "Institutional"],
            next={"options": ["Residential", "Office", "Retail", "Industrial", "Civic"]}),
        own("UnitNumbers", collection="list"),
        own("FloorToCeilingHeight", "real", "length", default={"value": 2.8}),
        own("GrossVolume", "real", "volume", default={"expressions": [
            "###Property:Pset_SpaceCommon/GrossPlannedArea### * ###Property:SGPset_SpaceArea/FloorToCeilingHeight###"]}),
        own("OccupantLoad", "integer", default={"expressions": [
            "ROUND(###Property:Pset_SpaceCommon/NetPlannedArea### / "
            "###Property:Pset_SpaceOccupancyRequirements/AreaPerOccupant###, 0)"]}),
    ]),
]

NON_IFC_GROUPS = [
    ("Project Notes", "The design team's review notes; not part of any IFC exchange.", [], [
        own("ReviewStatus", collection="singleChoice", options=["Draft", "For review", "Checked", "Approved"],
            default={"choice": "Draft"}),
        own("Reviewer", default={"value": "Design team"}),
        own("RevisionNumber", "integer", default={"value": 1}),
        own("CheckedOnSite", "boolean", default={"value": False}),
        own("Remarks"),
    ]),
    ("Cost Plan", "Quantities and rates of the cost plan (rates in SGD).", ["IfcWall", "IfcSlab", "IfcCovering"], [
        own("CostCode"),
        own("Quantity", "real", "area", default={"value": 0.0}),
        own("Rate", "real", default={"value": 0.0}),
        own("Amount", "real", default={"expressions": ["###Property:Cost Plan/Quantity### * ###Property:Cost Plan/Rate###"]}),
    ]),
]

# What the project added to definitions of the IFC property sets: defaults, option defaults and
# expressions that the configuration does not carry.
PROJECT_DEFAULTS = {
    ("Pset_WallCommon", "Status"): {"choices": ["NEW"]},
    ("Pset_WallCommon", "AcousticRating"): {"value": "Rw 45 dB"},
    ("Pset_WallCommon", "FireRating"): {"expressions": [
        "CONCAT(###Property:SGPset_WallFireSafety/FireResistancePeriod###, \" min\")"]},
    ("Pset_WallCommon", "Combustible"): {"value": False},
    ("Pset_WallCommon", "ThermalTransmittance"): {"value": 0.35},
    ("Pset_WallCommon", "LoadBearing"): {"value": True},
    ("Pset_SlabCommon", "FireRating"): {"value": "REI 120"},
    ("Pset_SlabCommon", "PitchAngle"): {"value": 0.0},
    ("Pset_DoorCommon", "FireExit"): {"value": False},
    ("Pset_WindowCommon", "GlazingAreaFraction"): {"value": 0.7},
    ("Pset_DoorWindowGlazingType", "GlassLayers"): {"value": 2},
    ("Pset_DoorWindowGlazingType", "FillGas"): {"value": "Argon"},
    ("Pset_WindowLiningProperties", "LiningDepth"): {"value": 0.1},
    ("Pset_StairCommon", "NumberOfRiser"): {"value": 17},
    ("Pset_StairCommon", "RequiredHeadroom"): {"value": 2.0},
    ("Pset_StairFlightCommon", "NumberOfTreads"): {"expressions": ["###Property:Pset_StairFlightCommon/NumberOfRiser### - 1"]},
    ("Pset_RampCommon", "RequiredSlope"): {"value": math.atan(1 / 12)},
    ("Pset_RailingCommon", "Height"): {"value": 1.0},
    ("Pset_CoveringCommon", "FragilityRating"): {"status": "null"},
    ("Pset_SpaceCommon", "HandicapAccessible"): {"value": True},
    ("Pset_SpaceOccupancyRequirements", "OccupancyType"): {"value": "Office"},
    ("Pset_SpaceOccupancyRequirements", "AreaPerOccupant"): {"value": 10.0},
    ("Pset_ConcreteElementGeneral", "CastingMethod"): {"choice": "INSITU"},
    ("Pset_ConcreteElementGeneral", "AssemblyPlace"): {"choice": "SITE"},
    ("Pset_ConcreteElementGeneral", "StrengthClass"): {"value": "C32/40"},
    ("Pset_ManufacturerTypeInformation", "AssemblyPlace"): {"choice": "FACTORY"},
    ("Pset_EnvironmentalImpactIndicators", "WaterConsumptionPerUnit"): {"value": 0.25},
}

# Defaults that the next release's configuration gives of its own.
NEXT_RELEASE_DEFAULTS = {
    ("Pset_WallCommon", "Compartmentation"): "false",
    ("Pset_ConcreteElementGeneral", "CastingMethod"): "PRECAST",
}


# --- The groups of both releases --------------------------------------------------------------

def data_group(pset, known_ids, release):
    definitions = []
    for prop in pset["properties"]:
        key = (pset["name"], prop["name"])
        if release == "project" and key in NOT_YET_IN_PROJECT:
            continue
        if release == "next" and key in DROPPED_BY_NEXT_RELEASE:
            continue
        definition = definition_from_data(prop)
        if definition is None:
            continue
        if release == "project":
            missing = OLDER_OPTIONS_MISSING.get(key, set())
            if "options" in definition:
                definition["options"] = [o for o in definition["options"] if o not in missing]
            if key in PROJECT_DEFAULTS:
                definition["default"] = PROJECT_DEFAULTS[key]
        elif key in NEXT_RELEASE_DEFAULTS:
            definition["configDefault"] = NEXT_RELEASE_DEFAULTS[key]
        definition["availableFor"] = items_for_classes(pset["applicableClasses"], known_ids)
        definitions.append(definition)
    return {"name": pset["name"], "description": short_description(pset["description"]), "definitions": definitions}


def own_group(group, release):
    name, description, items, definitions = group
    result = []
    for definition in definitions:
        definition = dict(definition)
        changes = definition.pop("next", {})
        if release == "project" and changes.get("added"):
            continue
        if release == "next":
            definition.pop("default", None)
            if "options" in changes:
                definition["options"] = changes["options"]
            if "default" in changes:
                definition["configDefault"] = changes["default"]
        definition["availableFor"] = list(items)
        result.append(definition)
    return {"name": name, "description": description, "definitions": result}


def groups_of(release, psets, known_ids):
    names = [n for n in PROJECT_SETS if not (release == "next" and n == SET_DROPPED_BY_NEXT_RELEASE)]
    if release == "next":
        names.append(SET_ADDED_BY_NEXT_RELEASE)
    groups = [data_group(psets[n], known_ids, release) for n in names]
    groups += [own_group(g, release) for g in OWN_IFC_GROUPS]
    if release == "project":
        groups += [own_group(g, release) for g in NON_IFC_GROUPS]
    return groups


# --- Elements ---------------------------------------------------------------------------------

# class item, element type, count, weighted child items (None: the class item itself).
ELEMENT_KINDS = [
    ("IfcWall", "Wall", 340, [("IfcWall.STANDARD", 5), ("IfcWall.PARTITIONING", 6), ("IfcWall.SHEAR", 2),
                              ("IfcWall.PARAPET", 1), (None, 1)]),
    ("IfcCurtainWall", "Curtain Wall", 20, [(None, 1)]),
    ("IfcSlab", "Slab", 160, [("IfcSlab.FLOOR", 8), ("IfcSlab.ROOF", 2), ("IfcSlab.LANDING", 1),
                              ("IfcSlab.BASESLAB", 1)]),
    ("IfcRoof", "Roof", 8, [(None, 1)]),
    ("IfcBeam", "Beam", 200, [("IfcBeam.BEAM", 8), ("IfcBeam.LINTEL", 3), ("IfcBeam.SPANDREL", 1)]),
    ("IfcColumn", "Column", 180, [("IfcColumn.COLUMN", 9), ("IfcColumn.PILASTER", 1)]),
    ("IfcMember", "Member", 90, [("IfcMember.MULLION", 5), ("IfcMember.BRACE", 2), ("IfcMember.PURLIN", 2)]),
    ("IfcPlate", "Plate", 60, [("IfcPlate.CURTAIN_PANEL", 3), ("IfcPlate.SHEET", 1)]),
    ("IfcDoor", "Door", 230, [("IfcDoor.DOOR", 12), ("IfcDoor.GATE", 1)]),
    ("IfcWindow", "Window", 240, [("IfcWindow.WINDOW", 9), ("IfcWindow.SKYLIGHT", 1)]),
    ("IfcStair", "Stair", 12, [(None, 1)]),
    ("IfcStairFlight", "Stair Flight", 24, [(None, 1)]),
    ("IfcRamp", "Ramp", 4, [(None, 1)]),
    ("IfcRampFlight", "Ramp Flight", 6, [(None, 1)]),
    ("IfcRailing", "Railing", 70, [("IfcRailing.HANDRAIL", 3), ("IfcRailing.GUARDRAIL", 2),
                                   ("IfcRailing.BALUSTRADE", 1)]),
    ("IfcCovering", "Covering", 120, [("IfcCovering.FLOORING", 3), ("IfcCovering.CEILING", 2),
                                      ("IfcCovering.CLADDING", 1)]),
    ("IfcFooting", "Footing", 60, [("IfcFooting.PAD_FOOTING", 4), ("IfcFooting.STRIP_FOOTING", 1),
                                   ("IfcFooting.PILE_CAP", 2)]),
    ("IfcPile", "Pile", 40, [("IfcPile.BORED", 3), ("IfcPile.DRIVEN", 1)]),
    ("IfcBuildingElementProxy", "Generic Element", 20, [(None, 1)]),
    ("IfcSpace", "Space", 150, [("IfcSpace.INTERNAL", 8), ("IfcSpace.EXTERNAL", 1), ("IfcSpace.GFA", 1)]),
]
MARKS = {"IfcWall": "W", "IfcCurtainWall": "CW", "IfcSlab": "S", "IfcRoof": "RF", "IfcBeam": "B", "IfcColumn": "C",
         "IfcMember": "M", "IfcPlate": "PL", "IfcDoor": "D", "IfcWindow": "WN", "IfcStair": "ST",
         "IfcStairFlight": "SF", "IfcRamp": "RP", "IfcRampFlight": "RPF", "IfcRailing": "RL", "IfcCovering": "CV",
         "IfcFooting": "F", "IfcPile": "P", "IfcBuildingElementProxy": "GE", "IfcSpace": "SP"}

# How likely an element carries a value the user set, by group (a property of its own: more).
GROUP_SHARE = {"Pset_ManufacturerTypeInformation": 0.05, "Pset_EnvironmentalImpactIndicators": 0.02,
               "Pset_ConcreteElementGeneral": 0.15, "Pset_DoorLiningProperties": 0.12,
               "Pset_WindowLiningProperties": 0.12, "Pset_DoorWindowGlazingType": 0.15,
               "Project Notes": 0.06, "Cost Plan": 0.3}
DEFAULT_SHARE = 0.3
OWN_GROUP_SHARE = 0.45
REFERENCE_SHARE = 0.9


# Texts that projects put in these properties; a few hold commas, quotes or non-ASCII letters,
# because real ones do and the run must carry them unchanged.
TEXTS = {
    "FireRating": ["30 min", "1HR", "2HR", "REI 60", "REI 120", "EI 30", "4HR, tested to BS 476"],
    "AcousticRating": ["Rw 45 dB", "Rw 52 dB, with lining", "STC 50", "Rw 38 dB"],
    "SurfaceSpreadOfFlame": ["Class 0", "Class 1", "Euroclass B-s1, d0"],
    "SecurityRating": ["RC2", "RC3"], "DurabilityRating": ["Class 3", "Class 5"],
    "HygrothermalRating": ["Class A"], "WaterTightnessRating": ["E750", "Class 9A"],
    "MechanicalLoadRating": ["Class 4"], "WindLoadRating": ["C4, 1600 Pa", "B3"],
    "FlammabilityRating": ["Class 1", "Class 0"], "FragilityRating": ["Non-fragile", "Class B"],
    "Finish": ["Emulsion paint, 2 coats", "Porcelain tile 600×600", "Skim coat", "Fair-faced"],
    "FillGas": ["Argon", "Krypton", "Air"], "GlassColour": ["Clear", "Low-iron", "Bronze tint"],
    "Manufacturer": ["Supplier 01", "Supplier 02 – façades", "Precaster Q", "Joinery shop 7"],
    "ModelReference": ["DR-90-EI60", "WN-1200-A", "PC-B450"],
    "ModelLabel": ["Fire door, single leaf", "Casement window"],
    "ProductionYear": ["2022", "2023", "2024"], "GlobalTradeItemNumber": ["0950600013435", "0950600017662"],
    "ArticleNumber": ["ART-10023", "ART-20417"], "StructuralClass": ["Class 2", "Class 3"],
    "StrengthClass": ["C32/40", "C40/50", "C30/37"], "ExposureClass": ["XC3", "XC4, XS1"],
    "DimensionalAccuracyClass": ["Class 1"], "ConstructionToleranceClass": ["Class 2"],
    "ReinforcementStrengthClass": ["B500B", "B500C"], "FireRiskFactor": ["Low", "Ordinary hazard, group 1"],
    "OccupancyType": ["Office", "Residential", "Retail", "Assembly"],
    "FloorCovering": ["Homogeneous tile", "Vinyl, 2 mm", "Screed"],
    "WallCovering": ["Paint", "Ceramic tile"], "CeilingCovering": ["Gypsum board ceiling", "Mineral fibre"],
    "SkirtingBoard": ["Timber 100 mm", "Tile skirting"], "Molding": ["None", "Cornice"],
    "FunctionalUnitReference": ["1 m² of wall", "1 unit"], "IndicatorsUnit": ["kg CO₂e per m²"],
    "Description": ["Vertical bars T12 at 200, both faces", "Mesh A393"],
    "Roughness": ["Smooth"], "SurfaceColour": ["RAL 9010"],
    "CostCode": ["2A.01", "2B.14", "3C.02, provisional"],
    "SpaceName": ["Open office", "Lobby", "Staircase 2", "Sala polivalente"],
    "Reviewer": ["Structures", "Façade consultant", "M&E"],
    "Remarks": ["Check the firestop detail, grid C/4", "Confirm with the \"fire engineer\"",
                "Recheck after VO #12", "n/a"],
}
SPACE_NAMES = ["Office", "Meeting room", "Pantry", "Lift lobby", "Corridor", "Store", "Büro 3.14",
               "Café, level 1", "走廊", "Plant room", "Room \"Quiet\" 4", "Toilet (accessible)"]

# (low, high, step) in base units: metres, and the plain units of the default measure.
LENGTHS = {"Span": (3, 12, 0.05), "Height": (0.9, 1.1, 0.05), "Diameter": (0.038, 0.05, 0.001),
           "RiserHeight": (0.15, 0.175, 0.001), "TreadLength": (0.25, 0.3, 0.005),
           "NosingLength": (0.015, 0.03, 0.005), "Headroom": (2.0, 2.4, 0.05),
           "RequiredHeadroom": (2.0, 2.4, 0.05), "ClearWidth": (1.2, 1.8, 0.05),
           "FireStoppingThickness": (0.025, 0.15, 0.005), "SlabThickness": (0.125, 0.35, 0.025),
           "ClearOpeningWidth": (0.8, 1.2, 0.05), "ClearOpeningHeight": (2.0, 2.4, 0.05),
           "FloorToCeilingHeight": (2.6, 4.5, 0.05), "MinimumHeadroom": (2.2, 2.6, 0.05)}
PLAIN_REALS = {"GlazingAreaFraction": (0.1, 0.9, 0.05), "Infiltration": (0.0005, 0.003, 0.0001),
               "ReinforcementVolumeRatio": (80, 180, 5), "ReinforcementAreaRatio": (10, 30, 0.5),
               "ImposedLoad": (1.5, 7.5, 0.5), "AxialLoad": (800, 9500, 50), "Rate": (35, 480, 0.5),
               "ExpectedServiceLife": (946080000, 1576800000, 31536000),
               "TotalPrimaryEnergyConsumptionPerUnit": (1.2e8, 9.5e8, 1e6)}
INTEGERS = {"NumberOfRiser": (14, 20), "NumberOfTreads": (13, 19), "GlassLayers": (1, 3),
            "OccupancyNumber": (2, 120), "OccupancyNumberPeak": (4, 180), "RevisionNumber": (1, 9)}


class ValueMaker:
    """Realistic values for the properties, by name first and by value type otherwise."""

    def __init__(self, rng):
        self.rng = rng

    def pick(self, choices):
        return self.rng.choice(choices)

    def real(self, low, high, step):
        return float(round(round(self.rng.uniform(low, high) / step) * step, 6))

    def reference(self, element):
        level, number, item = element["level"], element["number"], element["item"]
        text = f"{MARKS[item]}-{level:02d}-{number:03d}"
        roll = self.rng.random()
        if item == "IfcSpace":
            return f"{text} {self.pick(SPACE_NAMES)}"
        if roll < 0.08:
            return f"{text}, grid {self.pick('ABCDEFGH')}/{self.rng.randint(1, 12)}"
        if roll < 0.11:
            return f"{text} \"as built\""
        if roll < 0.13:
            return f"{text} façade Zone Ä"
        return text

    def string(self, name, element):
        if name == "Reference":
            return self.reference(element)
        if name in TEXTS:
            return self.pick(TEXTS[name])
        return f"{name} {self.rng.randint(1, 99)}"

    def angle(self, name):
        if name in ("RequiredSlope", "Slope", "CounterSlope"):
            return math.atan(1 / self.pick([12, 15, 20]))
        return math.radians(self.rng.randint(0, 45))

    def area(self, name):
        if name in ("NetPlannedArea", "GrossPlannedArea"):
            # A few halls, so that areas above a thousand show their thousands separator.
            return self.real(1250, 2400, 0.01) if self.rng.random() < 0.05 else self.real(6, 180, 0.01)
        if name == "AreaPerOccupant":
            return self.pick([1.5, 4.0, 9.3, 10.0])
        return self.real(5, 90, 0.01)

    def length(self, name):
        if name.startswith("GlassThickness"):
            return self.pick([0.006, 0.008, 0.01, 0.012])
        if name.startswith("ConcreteCover"):
            return self.pick([0.025, 0.03, 0.04, 0.05])
        if name.endswith("Offset") or name.startswith("LiningToPanel"):
            return self.real(-0.05, 0.05, 0.001)
        if name.startswith("Section"):
            return self.pick([0.3, 0.4, 0.45, 0.6, 0.8])
        return self.real(*LENGTHS.get(name, (0.002, 0.3, 0.001)))

    def plain_real(self, name):
        if "ThermalTransmittance" in name:
            return self.real(0.25, 3.2, 0.01)
        if name in PLAIN_REALS:
            return self.real(*PLAIN_REALS[name])
        if name.endswith("PerUnit"):
            return self.real(0.1, 60, 0.1)
        return self.real(0.05, 0.95, 0.01)

    def number(self, name, measure):
        if measure == "angle":
            return self.angle(name)
        if measure == "area":
            return self.area(name)
        if measure == "volume":
            return self.real(0.02, 2.5, 0.01)
        if measure == "length":
            return self.length(name)
        return self.plain_real(name)

    def integer(self, name):
        if name == "FireResistancePeriod":
            return self.pick([30, 60, 90, 120, 240])
        return self.rng.randint(*INTEGERS.get(name, (1, 50)))

    def value(self, definition, element):
        collection, value_type = definition["collectionType"], definition["valueType"]
        name = definition["name"]
        if collection == "singleChoice":
            return self.pick(definition["options"])
        if collection == "multipleChoice":
            options = definition["options"]
            return sorted(self.rng.sample(options, self.pick([1, 1, 1, 2])), key=options.index)
        if collection == "list":
            floor = element["level"]
            return [f"#{floor:02d}-{self.rng.randint(1, 40):02d}" for _ in range(self.pick([1, 2, 3]))]
        if value_type == "string":
            return self.string(name, element)
        if value_type == "boolean":
            return self.rng.random() < 0.5
        if value_type == "integer":
            return self.integer(name)
        return self.number(name, definition["measureType"])


def available(definition, element_items, parents):
    wanted = definition["availableFor"]
    if not wanted:
        return True
    return any(item in wanted or parents.get(item) in wanted for item in element_items)


def share_of(group_name, definition):
    if definition["name"] == "Reference":
        return REFERENCE_SHARE
    if group_name in GROUP_SHARE:
        return GROUP_SHARE[group_name]
    if group_name.startswith("SGPset_"):
        return OWN_GROUP_SHARE
    return DEFAULT_SHARE


def computed(definition):
    return "expressions" in definition.get("default", {})


def make_elements(groups, rng):
    parents = {c: i for i, _, children in PROJECT_ITEMS for c, _ in children}
    maker = ValueMaker(rng)
    elements = []
    for item, type_name, count, children in ELEMENT_KINDS:
        for number in range(1, count + 1):
            child = rng.choices([c for c, _ in children], weights=[w for _, w in children])[0]
            classification = child or item
            element = {"guid": guid("element", item, str(number)), "type": type_name,
                       "classifications": [classification], "link": None,
                       "level": 1 + (number * 7) % 12, "number": number, "item": item}
            values = []
            for group in groups:
                for definition in group["definitions"]:
                    if computed(definition) or not available(definition, [classification], parents):
                        continue
                    if rng.random() < share_of(group["name"], definition):
                        values.append({"group": group["name"], "property": definition["name"],
                                       "value": maker.value(definition, element)})
            element["values"] = values
            elements.append(element)
    clear_some_values(elements, rng)
    elements += linked_copies(elements, rng)
    return [{k: e[k] for k in ("guid", "type", "classifications", "link", "values")} for e in elements]


def clear_some_values(elements, rng):
    """A few walls where the user cleared the acoustic rating that the project gives by default."""
    walls = [e for e in elements if e["item"] == "IfcWall"]
    for wall in rng.sample(walls, 3):
        wall["values"] = [v for v in wall["values"] if v["property"] != "AcousticRating"]
        wall["values"].append({"group": "Pset_WallCommon", "property": "AcousticRating", "status": "null"})


def linked_copies(elements, rng):
    """Linked copies of a few walls, doors and windows; two copy elements of another project."""
    sources = [e for e in elements if e["item"] in ("IfcWall", "IfcDoor", "IfcWindow")]
    copies = []
    for index, source in enumerate(rng.sample(sources, 6)):
        link = source["guid"] if index < 4 else guid("other project", "element", str(index))
        values = [dict(v) for v in source["values"]]
        for value in values:
            if value["property"] == "Reference" and isinstance(value.get("value"), str):
                value["value"] += " (linked copy)"
        copies.append({**source, "guid": guid("linked copy", str(index)), "link": link, "values": values})
    return copies


# --- Writing the project ----------------------------------------------------------------------

def option_objects(group, definition):
    return [{"key": guid("option", group, definition["name"], option), "value": option}
            for option in definition["options"]]


def project_definition(group, definition):
    result = {"guid": guid("definition", group, definition["name"]), "name": definition["name"],
              "definitionType": "custom", "collectionType": definition["collectionType"], "valueType": definition["valueType"],
              "measureType": definition["measureType"]}
    if "options" in definition:
        result["options"] = option_objects(group, definition)
    if "default" in definition:
        result["default"] = definition["default"]
    if definition["availableFor"]:
        result["availableFor"] = definition["availableFor"]
    return result


def project_items(items):
    result = []
    for item_id, name, children in items:
        item = {"guid": guid("item", item_id), "id": item_id, "name": name}
        if children:
            item["children"] = [{"guid": guid("item", c), "id": c, "name": n} for c, n in children]
        result.append(item)
    return result


def project_document(groups, elements):
    return {
        "format": "forvane-project",
        "version": 1,
        "classificationSystems": [{"guid": guid("system", SYSTEM), "name": SYSTEM, "version": PROJECT_RELEASE,
                                   "items": project_items(PROJECT_ITEMS)}],
        "propertyGroups": [{"guid": guid("group", g["name"]), "name": g["name"], "description": g["description"],
                            "definitions": [project_definition(g["name"], d) for d in g["definitions"]]}
                           for g in groups],
        "elements": elements,
    }


def dump(value, indent=0, width=110):
    """JSON with small objects and arrays on one line, so that one element value is one line."""
    flat = json.dumps(value, ensure_ascii=False)
    if len(flat) + indent <= width or not isinstance(value, (dict, list)) or not value:
        return flat
    inner = " " * (indent + 2)
    if isinstance(value, dict):
        parts = [f"{inner}{json.dumps(k, ensure_ascii=False)}: {dump(v, indent + 2, width)}" for k, v in value.items()]
        return "{\n" + ",\n".join(parts) + "\n" + " " * indent + "}"
    parts = [inner + dump(v, indent + 2, width) for v in value]
    return "[\n" + ",\n".join(parts) + "\n" + " " * indent + "]"


# --- Writing the configuration ----------------------------------------------------------------

VALUE_WORDS = {"integer": "Integer", "real": "Double", "string": "String", "boolean": "Boolean"}
COLLECTION_WORDS = {"single": "SingleValue", "list": "ListValue", "singleChoice": "SingleValueFromCollection",
                    "multipleChoice": "MultipleValuesFromCollection"}
MEASURE_WORDS = {"default": "Default", "length": "Length", "area": "Area", "volume": "Volume", "angle": "Angle"}


def config_items(items, depth):
    lines = []
    for item_id, name, children in items:
        pad = "  " * depth
        attributes = f"id={quoteattr(item_id)} name={quoteattr(name)}"
        if not children:
            lines.append(f"{pad}<Item {attributes}/>")
            continue
        lines.append(f"{pad}<Item {attributes}>")
        lines += config_items([(c, n, []) for c, n in children], depth + 1)
        lines.append(f"{pad}</Item>")
    return lines


def config_definition(definition):
    attributes = (f"name={quoteattr(definition['name'])} valueType=\"{VALUE_WORDS[definition['valueType']]}\" "
                  f"collectionType=\"{COLLECTION_WORDS[definition['collectionType']]}\"")
    if definition["measureType"] != "default":
        attributes += f" measureType=\"{MEASURE_WORDS[definition['measureType']]}\""
    body = [f"<Option>{escape(o)}</Option>" for o in definition.get("options", [])]
    if "configDefault" in definition:
        body.append(f"<DefaultValue>{escape(definition['configDefault'])}</DefaultValue>")
    body += [f"<AvailableFor item={quoteattr(i)}/>" for i in definition["availableFor"]]
    pad = " " * 8
    return [f"{pad}<PropertyDefinition {attributes}>"] + [pad + "  " + b for b in body] + [f"{pad}</PropertyDefinition>"]


def config_document(groups):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f"<!-- IFC+SG configuration, release {NEXT_RELEASE}: classification items and property groups. -->",
             "<Configuration>", "  <ClassificationSystems>",
             f"    <ClassificationSystem name={quoteattr(SYSTEM)} version={quoteattr(NEXT_RELEASE)}>"]
    lines += config_items(next_release_items(), 3)
    lines += ["    </ClassificationSystem>", "  </ClassificationSystems>", "  <PropertyGroups>"]
    for group in groups:
        lines.append(f"    <PropertyGroup name={quoteattr(group['name'])} description={quoteattr(group['description'])}>")
        for definition in group["definitions"]:
            lines += config_definition(definition)
        lines.append("    </PropertyGroup>")
    lines += ["  </PropertyGroups>", "</Configuration>"]
    return "\n".join(lines) + "\n"


# --- Main -------------------------------------------------------------------------------------

def default_data_path():
    repository = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    return os.path.join(os.path.dirname(repository), "shared", "data", "ifc43-psets.json")


def read_property_sets(path):
    try:
        with open(path, encoding="utf-8") as f:
            return {s["name"]: s for s in json.load(f)}
    except FileNotFoundError:
        sys.exit(f"generate.py: the property-set data {path} is missing; pass its place with --data PATH")
    except (OSError, ValueError, KeyError, TypeError) as error:
        sys.exit(f"generate.py: cannot read the property-set data {path}: {error}")


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=default_data_path(), help="the IFC 4.3 property sets (JSON)")
    parser.add_argument("--out", default=os.path.dirname(os.path.abspath(__file__)), help="where to write")
    arguments = parser.parse_args()

    psets = read_property_sets(arguments.data)
    missing = [n for n in PROJECT_SETS + [SET_ADDED_BY_NEXT_RELEASE] if n not in psets]
    if missing:
        sys.exit(f"generate.py: the data has no property set {', '.join(missing)}")
    rng = random.Random(SEED)
    project_groups = groups_of("project", psets, item_ids(PROJECT_ITEMS))
    next_groups = groups_of("next", psets, item_ids(next_release_items()))
    elements = make_elements(project_groups, rng)

    write(os.path.join(arguments.out, "project.json"), dump(project_document(project_groups, elements)) + "\n")
    write(os.path.join(arguments.out, "ifc-sg-config.xml"), config_document(next_groups))
    values = sum(len(e["values"]) for e in elements)
    print(f"{len(project_groups)} groups, {len(elements)} elements, {values} element values; "
          f"the next release has {len(next_groups)} groups")


if __name__ == "__main__":
    main()
