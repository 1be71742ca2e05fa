#!/usr/bin/env python3
"""Installs a build into a fresh prefix, moves it, and uses it as a person would.

The tree is moved after `cmake --install` so that nothing can lean on the build
tree or on the prefix it was installed to: forvane must find its libraries and
the plug-in relative to itself. The package that cpack makes is unpacked and
run the same way.
"""
import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unittest

COMMAND = "RIRUDAD X/Import IFC+SG Classifications and Properties..."
LIBRARIES = ["libCorbane.so", "libNostrel.so", "libPellarin.so", "libVexmire.so", "libForvaneHost.so"]
PROGRAMS = ["forvane", "vexmire-rc", "vexmire-list"]
ADDONS = ["Quarnel-27.so", "Quarnel.so"]
ARGS = None


def run(*arguments, cwd=None):
    return subprocess.run([str(a) for a in arguments], capture_output=True, text=True, errors="replace",
                          cwd=cwd, timeout=300, check=False)


def elf_files(root):
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as file:
                if file.read(4) == b"\x7fELF":
                    yield path


def run_paths(path):
    dynamic = run("readelf", "-d", path).stdout
    return [line.split("[", 1)[1].rstrip("]") for line in dynamic.splitlines() if "RUNPATH" in line or "RPATH" in line]


class InstalledTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="quarnel-install-")
        prefix = os.path.join(cls.scratch, "prefix")
        done = run(ARGS.cmake, "--install", ARGS.build, "--prefix", prefix)
        if done.returncode != 0:
            raise AssertionError(f"cmake --install failed:\n{done.stdout}{done.stderr}")
        cls.root = os.path.join(cls.scratch, "moved elsewhere")
        shutil.move(prefix, cls.root)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def forvane(self, *options, root=None):
        root = root or self.root
        examples = os.path.join(root, "share", "quarnel", "examples")
        return run(os.path.join(root, "bin", "forvane"), os.path.join(examples, "project.json"), *options)

    def test_lays_out_the_host_libraries_and_plugins(self):
        for program in PROGRAMS:
            self.assertTrue(os.access(os.path.join(self.root, "bin", program), os.X_OK), program)
        for library in LIBRARIES:
            self.assertTrue(os.path.isfile(os.path.join(self.root, "lib", library)), library)
        self.assertEqual(sorted(os.listdir(os.path.join(self.root, "lib", "forvane", "add-ons"))), ADDONS)
        self.assertTrue(os.path.isfile(os.path.join(self.root, "include", "Forvane", "EntryTable.hpp")))
        self.assertTrue(os.path.isfile(os.path.join(self.root, "include", "Corbane", "UniString.hpp")))

    def test_nothing_installed_points_into_the_build_tree(self):
        for path in elf_files(self.root):
            for entry in run_paths(path):
                for folder in entry.split(":"):
                    self.assertTrue(folder.startswith("$ORIGIN"), f"{path} has the run path {entry}")

    def test_forvane_finds_the_plugin_without_being_told(self):
        done = self.forvane("--list-menus")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("RIRUDAD X", done.stdout)
        self.assertIn("Import IFC+SG Classifications and Properties...", done.stdout)
        self.assertIn("passed over", done.stderr)  # the version-27 build, beside it

    def test_the_installed_plugin_runs_the_command_and_frees_its_memory(self):
        work = os.path.join(self.scratch, "run")
        os.makedirs(work)
        transcript = os.path.join(work, "transcript.jsonl")
        config = os.path.join(self.root, "share", "quarnel", "examples", "ifc-sg-config.xml")
        done = self.forvane("--run", COMMAND, "--choose", config, "--save", os.path.join(work, "after.json"),
                            "--transcript", transcript, "--special-folder", os.path.join(work, "data"))
        self.assertEqual(done.returncode, 0, done.stderr)
        with open(transcript, encoding="utf-8") as file:
            events = [json.loads(line) for line in file if line.strip()]
        addons = [e["file"] for e in events if e["event"] == "addon"]
        self.assertEqual(addons, [os.path.join(self.root, "lib", "forvane", "add-ons", "Quarnel.so")])
        self.assertEqual([e["name"] for e in events if e["event"] == "command"],
                         ["Delete Property Groups", "Import Properties and Classifications",
                          "Import Expressions", "Import Property Values"])
        self.assertTrue(any(e["event"] == "alert" and e["title"].startswith("Import Successful") for e in events))
        memory = [e for e in events if e["event"] == "memory" and e["owner"] == "Quarnel"]
        self.assertEqual(memory[-1]["liveBlocks"], 0)

    def test_host_version_27_loads_the_other_build(self):
        done = self.forvane("--host-version", "27", "--list-menus")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("RIRUDAD X", done.stdout)
        self.assertIn("Quarnel.so: built for host version 29", done.stderr)

    def test_cpack_makes_a_tarball_that_runs_where_it_is_unpacked(self):
        packages = os.path.join(self.scratch, "packages")
        done = run(ARGS.cpack, "-G", "TGZ", "--config", os.path.join(ARGS.build, "CPackConfig.cmake"),
                   "-B", packages)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        tarballs = glob.glob(os.path.join(packages, "Quarnel-*.tar.gz"))
        self.assertEqual(len(tarballs), 1, os.listdir(packages))
        unpacked = os.path.join(self.scratch, "unpacked")
        with tarfile.open(tarballs[0]) as tarball:
            names = tarball.getnames()
            tarball.extractall(unpacked)
        top = os.path.basename(tarballs[0])[: -len(".tar.gz")]
        self.assertIn(f"{top}/bin/forvane", names)
        self.assertIn(f"{top}/lib/forvane/add-ons/Quarnel.so", names)
        listed = self.forvane("--list-menus", root=os.path.join(unpacked, top))
        self.assertEqual(listed.returncode, 0, listed.stderr)
        self.assertIn("RIRUDAD X", listed.stdout)


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the build tree to install")
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--cpack", default="cpack")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
