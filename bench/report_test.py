#!/usr/bin/python3
"""Tests of bench/report.py: reading the benchmark output, the document's table
block, and the PNG of the built-in plotter. Run: python3 bench/report_test.py"""

import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import report  # noqa: E402


def entry(step, elements, run_type="iteration", **counters):
    values = {"ns/elem": 2000.0, "base ns/elem": 1000.0, "ratio": 2.0, "peak B": 4096.0}
    values.update(counters)
    name = "%s/%d/iterations:3/manual_time" % (step, elements)
    return dict(name=name, run_name=name, run_type=run_type, iterations=3, **values)


class ReadingTest(unittest.TestCase):
    def test_keeps_only_step_iterations_sorted_by_size(self):
        rows = report.read_rows({"benchmarks": [
            entry("ImportStep", 10000), entry("ExportStep", 1000), entry("ExportStep", 1000, run_type="aggregate"),
            entry("HostLookup", 1000), dict(entry("ImportStep", 1000), error_occurred=True)]})
        self.assertEqual([(r["elements"], r["step"]) for r in rows], [(1000, "ExportStep"), (10000, "ImportStep")])
        self.assertAlmostEqual(rows[0]["us"], 2.0)
        self.assertAlmostEqual(rows[0]["base_us"], 1.0)

    def test_a_repeated_run_gives_the_mean_of_its_repetitions(self):
        mean = dict(entry("ExportStep", 1000, run_type="aggregate", ratio=1.15), aggregate_name="mean")
        median = dict(entry("ExportStep", 1000, run_type="aggregate", ratio=1.3), aggregate_name="median")
        for order in ([entry("ExportStep", 1000, ratio=1.1), mean, median, entry("ExportStep", 1000, ratio=1.2)],
                      [mean, entry("ExportStep", 1000, ratio=1.2)]):
            self.assertEqual([r["ratio"] for r in report.read_rows({"benchmarks": order})], [1.15])

    def test_a_missing_counter_or_no_results_is_an_error_not_a_blank_table(self):
        broken = entry("ExportStep", 1000)
        del broken["base ns/elem"]
        with self.assertRaisesRegex(report.ReportError, "base ns/elem"):
            report.read_rows({"benchmarks": [broken]})
        with self.assertRaises(report.ReportError):
            report.read_rows({"benchmarks": []})

    def test_a_later_run_replaces_the_same_step_and_size_and_adds_new_sizes(self):
        rows = report.merged_rows([{"benchmarks": [entry("ExportStep", 1000)]},
                                   {"benchmarks": [entry("ExportStep", 1000, ratio=1.1), entry("ExportStep", 10**6)]}])
        self.assertEqual([(r["elements"], r["ratio"]) for r in rows], [(1000, 1.1), (10**6, 2.0)])

    def test_the_table_has_one_line_per_row_with_the_figures(self):
        table = report.markdown_table(report.read_rows({"benchmarks": [entry("ExportStep", 100000)]}))
        self.assertIn("| 100,000 | export (step 2) | 2.000 | 1.000 | 2.00 | 4.0 kB | 0.0 |", table)


class DocumentTest(unittest.TestCase):
    def write(self, text):
        handle, path = tempfile.mkstemp(suffix=".md")
        os.close(handle)
        self.addCleanup(os.remove, path)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def test_only_the_block_between_the_marks_changes(self):
        path = self.write("intro\n%s\nold table\n%s\nconclusions\n" % (report.TABLE_BEGIN, report.TABLE_END))
        report.put_table_in(path, "| new |\n")
        report.put_table_in(path, "| newer |\n")
        with open(path, encoding="utf-8") as f:
            self.assertEqual(f.read(), "intro\n%s\n| newer |\n%s\nconclusions\n" % (report.TABLE_BEGIN, report.TABLE_END))

    def test_a_document_without_marks_is_left_as_it_was(self):
        path = self.write("hand-written text\n")
        with self.assertRaises(report.ReportError):
            report.put_table_in(path, "| new |\n")
        with open(path, encoding="utf-8") as f:
            self.assertEqual(f.read(), "hand-written text\n")


class OwnPlotterTest(unittest.TestCase):
    def test_writes_a_well_formed_png_for_one_or_many_sizes(self):
        for sizes in ([1000], [1000, 10000, 100000, 1000000]):
            rows = report.read_rows({"benchmarks": [entry(step, n, **{"peak B": 16.0 * n})
                                                    for n in sizes for step in ("ExportStep", "ImportStep")]})
            with tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, "plot.png")
                report.plot_with_zlib(rows, path)
                with open(path, "rb") as f:
                    data = f.read()
            self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
            chunks, at = {}, 8
            while at < len(data):
                length, kind = struct.unpack(">I4s", data[at:at + 8])
                body = data[at + 8:at + 8 + length]
                self.assertEqual(struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0],
                                 zlib.crc32(kind + body) & 0xFFFFFFFF, kind)
                chunks[kind] = body
                at += 12 + length
            width, height = struct.unpack(">II", chunks[b"IHDR"][:8])
            pixels = zlib.decompress(chunks[b"IDAT"])
            self.assertEqual(len(pixels), height * (1 + 3 * width))
            self.assertIn(b"\x1f\x77\xb4", pixels, "the export's line is drawn in its colour")


if __name__ == "__main__":
    unittest.main()
