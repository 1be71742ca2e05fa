#!/usr/bin/python3
"""The performance report of the plug-in's value steps.

Reads the JSON that bench_stepsbench writes (--benchmark_out=FILE
--benchmark_out_format=json), or runs bench/run.sh to get it, and writes:
  - a Markdown table: elements, step, us per element, baseline us per element,
    ratio, peak bytes; printed, and put between the table marks of a document
    with --doc;
  - a PNG plot of the time per element and the peak bytes against the number
    of elements, log x axis. matplotlib draws it when it is installed; without
    it a small plotter of this file writes the PNG with zlib alone.

  bench/report.py --json build/perf/steps.json [more.json ...] --doc docs/performance.md --png docs/performance.png
  bench/report.py --run [--large] --doc docs/performance.md --png docs/performance.png
"""

import argparse
import json
import math
import os
import struct
import subprocess
import sys
import zlib

TABLE_BEGIN = "<!-- bench-table:begin -->"
TABLE_END = "<!-- bench-table:end -->"
STEP_NAMES = {"ExportStep": "export (step 2)", "ImportStep": "import (step 6)"}
HERE = os.path.dirname(os.path.abspath(__file__))


class ReportError(Exception):
    pass


# ---------------------------------------------------------------- reading

def read_rows(report):
    """One row per (step, elements) from Google Benchmark's JSON report: the
    mean of the repetitions where the run was repeated, else the one run."""
    rows = {}
    for entry in report.get("benchmarks", []):
        mean = entry.get("run_type") == "aggregate" and entry.get("aggregate_name") == "mean"
        if not mean and entry.get("run_type", "iteration") != "iteration" or "error_occurred" in entry:
            continue
        parts = entry.get("run_name", entry.get("name", "")).split("/")
        if len(parts) < 2 or parts[0] not in STEP_NAMES or not parts[1].isdigit():
            continue
        missing = [key for key in ("ns/elem", "base ns/elem", "ratio", "peak B") if key not in entry]
        if missing:
            raise ReportError("%s: no counter %s" % (entry.get("name"), ", ".join(missing)))
        key = (int(parts[1]), parts[0])
        if key in rows and rows[key]["mean"] and not mean:
            continue
        rows[key] = {
            "mean": mean,
            "step": parts[0],
            "elements": int(parts[1]),
            "iterations": int(entry.get("iterations", 0)),
            "us": entry["ns/elem"] / 1000.0,
            "base_us": entry["base ns/elem"] / 1000.0,
            "ratio": entry["ratio"],
            "peak": entry["peak B"],
            "peak_without_list": entry.get("peak-list B"),
        }
    rows = [rows[key] for key in sorted(rows)]
    if not rows:
        raise ReportError("no ExportStep or ImportStep results in the benchmark output")
    return rows


def merged_rows(reports):
    """The rows of several runs; for a step and size run twice, the later run's."""
    kept = {}
    for report in reports:
        for row in read_rows(report):
            kept[(row["elements"], row["step"])] = row
    return [kept[key] for key in sorted(kept)]


def read_json(path):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError) as error:
        raise ReportError("cannot read %s: %s" % (path, error))


def run_benchmarks(json_path, large):
    """Builds and runs the step benchmarks through bench/run.sh, JSON into json_path."""
    env = dict(os.environ, QUARNEL_BENCH_PROGRAMS="bench_stepsbench")
    command = [os.path.join(HERE, "run.sh"), "--benchmark_out=" + json_path, "--benchmark_out_format=json"]
    if large:
        command.append("--large")
    if subprocess.call(command, env=env) != 0:
        raise ReportError("the benchmarks failed: " + " ".join(command))


# ---------------------------------------------------------------- table

def format_bytes(count):
    for unit, size in (("MB", 1 << 20), ("kB", 1 << 10)):
        if count >= size:
            return "%.1f %s" % (count / size, unit)
    return "%d B" % count


def markdown_table(rows):
    lines = ["| elements | step | µs per element | baseline µs per element | ratio | peak bytes | peak bytes per element |",
             "|---:|---|---:|---:|---:|---:|---:|"]
    for row in rows:
        lines.append("| %s | %s | %.3f | %.3f | %.2f | %s | %.1f |" % (
            "{:,}".format(row["elements"]), STEP_NAMES[row["step"]], row["us"], row["base_us"],
            row["ratio"], format_bytes(row["peak"]), row["peak"] / row["elements"]))
    return "\n".join(lines) + "\n"


def put_table_in(doc_path, table):
    """Replaces what lies between the table marks of doc_path; the rest stays as written."""
    with open(doc_path, encoding="utf-8") as f:
        text = f.read()
    begin, end = text.find(TABLE_BEGIN), text.find(TABLE_END)
    if begin < 0 or end < begin:
        raise ReportError("%s has no %s ... %s block" % (doc_path, TABLE_BEGIN, TABLE_END))
    text = text[:begin + len(TABLE_BEGIN)] + "\n" + table + text[end:]
    with open(doc_path, "w", encoding="utf-8") as f:
        f.write(text)


# ---------------------------------------------------------------- plot

def series(rows, step, key):
    points = [(row["elements"], row[key]) for row in rows if row["step"] == step]
    return [x for x, _ in points], [y for _, y in points]


PANELS = (("µs per element", (("us", "%s", "-o"), ("base_us", "%s baseline", "--s")), False),
          ("peak bytes (plug-in)", (("peak", "%s", "-o"),), True))


def plot_with_matplotlib(rows, png_path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(1, 2, figsize=(11, 4.2))
    for ax, (title, lines, log_y) in zip(axes, PANELS):
        for index, (step, label) in enumerate(STEP_NAMES.items()):
            for key, pattern, style in lines:
                xs, ys = series(rows, step, key)
                if xs:  # a step and its baseline share a colour, the baseline dashed
                    ax.plot(xs, ys, style, color="C%d" % index, label=pattern % label)
        ax.set_xscale("log")
        if log_y:
            ax.set_yscale("log")
        else:
            ax.set_ylim(bottom=0)
        ax.set_xlabel("elements")
        ax.set_title(title)
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize="small")
    figure.tight_layout()
    figure.savefig(png_path, dpi=100)


# A plotter for machines without matplotlib: lines, points, axes, ticks and
# labels in a 3x5 pixel font, written as an RGB PNG with zlib.

FONT = {
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111", "3": "111001111001111",
    "4": "101101111001001", "5": "111100111001111", "6": "111100111101111", "7": "111001001001001",
    "8": "111101111101111", "9": "111101111001111", ".": "000000000000010", "e": "000111111100111",
    "k": "100101110101101", "M": "101111111101101", "B": "110101110101110", "u": "000101101101111",
    "s": "000111110011111", "l": "100100100100111", "m": "000111111101101", "n": "000110101101101",
    "t": "010111010010011", "p": "000111101111100", "a": "000011101101011", "r": "000111100100100",
    "x": "000101010101101", "b": "100110101101110", "o": "000111101101111", "i": "010000010010010",
    "y": "000101111001111", "c": "000111100100111", "d": "001011101101011", "g": "011101011001110",
    "h": "100110101101101", "E": "111100111100111", "I": "111010010010111", "f": "011010111010010",
    "/": "001001010100100", "-": "000000111000000", " ": "000000000000000", "(": "010100100100010",
    ")": "010001001001010", "w": "000101101111101", "v": "000101101101010", "P": "111101111100100",
}
COLOURS = [(31, 119, 180), (255, 127, 14), (44, 160, 44), (214, 39, 40)]


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(b"\xff" * (width * height * 3))

    def dot(self, x, y, colour):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.pixels[i:i + 3] = bytes(colour)

    def line(self, x0, y0, x1, y1, colour, dashed=False):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(steps + 1):
            if dashed and (i // 4) % 2 == 1:
                continue
            t = i / steps
            self.dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, colour)

    def square(self, x, y, colour, half=2):
        for dx in range(-half, half + 1):
            for dy in range(-half, half + 1):
                self.dot(x + dx, y + dy, colour)

    def text(self, x, y, text, colour=(0, 0, 0), scale=2):
        for character in text:
            glyph = FONT.get(character, FONT[" "])
            for i, bit in enumerate(glyph):
                if bit == "1":
                    for sx in range(scale):
                        for sy in range(scale):
                            self.dot(x + (i % 3) * scale + sx, y + (i // 3) * scale + sy, colour)
            x += 4 * scale

    def png(self):
        rows = b"".join(b"\x00" + bytes(self.pixels[y * self.width * 3:(y + 1) * self.width * 3])
                        for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def short_number(value):
    for suffix, size in (("M", 1e6), ("k", 1e3)):
        if value >= size:
            return ("%g" % (value / size)) + suffix
    return "%g" % value


def draw_panel(canvas, rows, left, top, width, height, title, lines, log_y):
    all_x = [row["elements"] for row in rows]
    all_y = [row[key] for row in rows for key, _, _ in lines]
    x_lo, x_hi = math.log10(min(all_x)), math.log10(max(all_x))
    if x_hi == x_lo:
        x_lo, x_hi = x_lo - 1, x_hi + 1
    if log_y:
        positive = [y for y in all_y if y > 0] or [1]
        y_lo, y_hi = math.floor(math.log10(min(positive))), math.ceil(math.log10(max(positive)))
        y_hi = max(y_hi, y_lo + 1)
        to_y = lambda v: math.log10(max(v, 10 ** y_lo))
        y_ticks = [(e, "1e%d" % e) for e in range(int(y_lo), int(y_hi) + 1)]
    else:
        y_lo, y_hi = 0.0, (max(all_y) * 1.1) or 1.0
        to_y = lambda v: v
        y_ticks = [(y_hi * i / 4, "%.2g" % (y_hi * i / 4)) for i in range(5)]
    px = lambda v: left + (math.log10(v) - x_lo) / (x_hi - x_lo) * width
    py = lambda v: top + height - (to_y(v) - y_lo) / (y_hi - y_lo) * height

    black, grey = (0, 0, 0), (220, 220, 220)
    for value, label in y_ticks:
        y = top + height - (value - y_lo) / (y_hi - y_lo) * height
        canvas.line(left, y, left + width, y, grey)
        canvas.text(left - 8 * len(label) - 6, y - 5, label)
    for exponent in range(int(math.ceil(x_lo)), int(math.floor(x_hi)) + 1):
        x = left + (exponent - x_lo) / (x_hi - x_lo) * width
        canvas.line(x, top, x, top + height, grey)
        label = short_number(10 ** exponent)
        canvas.text(x - 4 * len(label), top + height + 8, label)
    canvas.line(left, top + height, left + width, top + height, black)
    canvas.line(left, top, left, top + height, black)
    canvas.text(left, top - 20, title)
    canvas.text(left + width // 2 - 32, top + height + 26, "elements")

    legend_y = top + 6
    for index, (step, label) in enumerate(STEP_NAMES.items()):
        for key, pattern, style in lines:
            colour = COLOURS[(index * 2 + (0 if key != "base_us" else 1)) % len(COLOURS)]
            xs, ys = series(rows, step, key)
            points = [(px(x), py(y)) for x, y in zip(xs, ys)]
            for (x0, y0), (x1, y1) in zip(points, points[1:]):
                canvas.line(x0, y0, x1, y1, colour, dashed=style.startswith("--"))
            for x, y in points:
                canvas.square(x, y, colour)
            canvas.line(left + width - 190, legend_y + 4, left + width - 170, legend_y + 4, colour, style.startswith("--"))
            canvas.text(left + width - 164, legend_y, ascii_label(pattern % label), colour)
            legend_y += 14


def ascii_label(label):
    return label.replace("µ", "u").replace("step ", "")


def plot_with_zlib(rows, png_path):
    canvas = Canvas(1100, 420)
    for index, (title, lines, log_y) in enumerate(PANELS):
        draw_panel(canvas, rows, 90 + index * 550, 40, 420, 310, ascii_label(title), lines, log_y)
    with open(png_path, "wb") as f:
        f.write(canvas.png())


def write_plot(rows, png_path, own_plotter):
    if not own_plotter:
        try:
            plot_with_matplotlib(rows, png_path)
            return "matplotlib"
        except ImportError:
            pass
    plot_with_zlib(rows, png_path)
    return "the built-in plotter"


# ---------------------------------------------------------------- main

def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--json", nargs="+", help="benchmark JSON outputs to read (a later file's size replaces an earlier one's)")
    source.add_argument("--run", metavar="JSON", help="run bench/run.sh first, keeping its JSON output here")
    parser.add_argument("--large", action="store_true", help="with --run: add the 1,000,000-element project")
    parser.add_argument("--doc", help="Markdown document whose table block is replaced")
    parser.add_argument("--png", help="where the plot is written")
    parser.add_argument("--own-plotter", action="store_true", help="draw without matplotlib even if it is installed")
    args = parser.parse_args(argv)
    try:
        if args.run:
            run_benchmarks(args.run, args.large)
        rows = merged_rows([read_json(path) for path in ([args.run] if args.run else args.json)])
        table = markdown_table(rows)
        sys.stdout.write(table)
        if args.doc:
            put_table_in(args.doc, table)
        if args.png:
            print("plot written to %s by %s" % (args.png, write_plot(rows, args.png, args.own_plotter)))
    except (ReportError, OSError) as error:
        print("report.py: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
