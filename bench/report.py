#!/usr/bin/env python3
"""Prints scripts/bench's table from the figures its programs wrote (build/bench-out/)."""
import os
import re
import statistics
import sys


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def rounds(values):
    """Median of the round medians and their range: three rounds when there are runs enough."""
    if not values:
        return None
    n = 3 if len(values) >= 3 else 1
    size = len(values) // n
    groups = [values[i * size:(i + 1) * size] for i in range(n)]
    groups[-1] += values[n * size:]
    medians = [statistics.median(g) for g in groups]
    return statistics.median(medians), min(medians), max(medians), len(values)


def show(figure, unit, digits=0):
    if figure is None:
        return "n/a"
    median, low, high, _ = figure
    text = f"{median:.{digits}f} {unit}"
    if high > low:
        text += f" ({low:.{digits}f}-{high:.{digits}f})"
    return text


def main():
    out, exe = sys.argv[1], sys.argv[2]
    runs = {}    # program -> [(startup, visible, working set)]
    guide = []   # (before, shown, 1 s after closing, 3 s after closing)
    failures = []
    for line in read(os.path.join(out, "startup.txt")).splitlines():
        parts = line.split()
        if len(parts) == 7 and parts[0] == "run" and int(parts[2]) >= 0:
            runs.setdefault(parts[1], []).append(tuple(float(v) for v in parts[3:]))
        elif len(parts) == 7 and parts[0] == "guide":
            guide.append(tuple(float(v) for v in parts[3:]))
        elif parts and parts[0] in ("run", "guide") and ("failed" in line or "no visible" in line):
            failures.append(line)

    def figure(program, column):
        return rounds([r[column] for r in runs.get(program, [])])

    rows = []

    def row(name, value, reference, target, met):
        rows.append((name, value, reference, target, met))

    def earlier(column, unit, digits=0):
        """The earlier build's figure, when scripts/bench --before measured one in the same turns."""
        before = figure("before", column)
        return f"; before {show(before, unit, digits)}" if before else ""

    for column, name in ((0, "start-up (visible, idle, answering)"), (1, "main window visible")):
        zel, flo, bare = figure("zelvora", column), figure("floor", column), figure("bare", column)
        reference = f"floor {show(flo, 'ms')}; bare {show(bare, 'ms')}" + earlier(column, "ms")
        if zel and flo:
            limit = 1.3 * flo[0]
            met = "yes" if zel[0] <= limit else f"no, {zel[0] - limit:+.0f} ms ({zel[0] / flo[0]:.2f} x)"
            row(name, show(zel, "ms"), reference, f"<= 1.3 x floor = {limit:.0f} ms", met)
        else:
            row(name, show(zel, "ms"), reference, "<= 1.3 x floor", "n/a")

    zel, flo, bare = figure("zelvora", 2), figure("floor", 2), figure("bare", 2)
    reference = f"floor {show(flo, 'MB', 1)}; bare {show(bare, 'MB', 1)}" + earlier(2, "MB", 1)
    if zel and flo:
        limit = flo[0] + 4
        met = "yes" if zel[0] <= limit else f"no, {zel[0] - limit:+.1f} MB"
        row("working set 3 s after start", show(zel, "MB", 1), reference, f"<= floor + 4 MB = {limit:.1f} MB", met)
    else:
        row("working set 3 s after start", show(zel, "MB", 1), reference, "<= floor + 4 MB", "n/a")

    # The simulated device's first demonstration call comes about 2 s after monitoring starts;
    # whether it came before the reading decides what the working set holds.
    for calls, name in ((False, "  of those, before the first call"), (True, "  of those, after a call (tone, balloon)")):
        values = [r[2] for r in runs.get("zelvora", []) if (r[3] > 0) == calls]
        if values:
            row(f"{name}: {len(values)} runs", f"{statistics.median(values):.1f} MB ({min(values):.1f}-{max(values):.1f})",
                "", "", "yes" if flo and statistics.median(values) <= flo[0] + 4 else "no")

    if guide:
        shown = rounds([g[1] - g[0] for g in guide])
        kept1 = rounds([g[2] - g[0] for g in guide])
        kept3 = rounds([g[3] - g[0] for g in guide])
        row("guide shown: working set above before", show(shown, "MB", 1), "", "", "")
        row("guide closed 1 s / 3 s: still above before", f"{show(kept1, 'MB', 1)} / {show(kept3, 'MB', 1)}",
            "", "given back within seconds", "yes" if kept3[0] <= 1.0 else "no")

    row("Zelvora.exe size", f"{os.path.getsize(exe) / 1024:.0f} KB", "", "", "")

    # The benchmark build's last start: what the window system was asked for until idle.
    trace = read(os.path.join(out, "trace.txt")).split("entry\n")[-1].splitlines()
    idle = [line for line in trace if "idle" in line]
    if idle and len(idle[-1].split()) >= 5:
        windows, moves, fonts = idle[-1].split()[2:5]
        row("until idle: windows made, placed, given a font", f"{windows}, {moves}, {fonts}", "trace.txt", "", "")

    idle = re.search(r"with tray icon: ([\d.]+) s idle, (-?[\d.]+) s CPU, (-?[\d.]+) %", read(os.path.join(out, "idle.txt")))
    if idle:
        value = float(idle.group(3))
        row(f"idle CPU over {float(idle.group(1)):.0f} s (tray icon)", f"{value:.2f} % of a core", "",
            "< 0.5 %", "yes" if value < 0.5 else "no")
    else:
        row("idle CPU (tray icon)", "n/a", "", "< 0.5 %", "n/a")

    for m in re.finditer(r"(quiet|with tones): (\d+) calls;.*?all handled after ([\d.]+) ms \((.*?)\), ([\d.]+) ms a call;"
                         r" then the window answered WM_NULL in ([\d.]+) ms", read(os.path.join(out, "calls.txt"))):
        row(f"burst of {m.group(2)} calls, {m.group(1)}", f"{m.group(5)} ms a call, answers in {m.group(6)} ms",
            m.group(4), "as before", "")

    grid = read(os.path.join(out, "grid.txt"))
    for pattern, name in ((r"paint, 11 rows:\s+([\d.]+) us", "grid paint, 11 rows"),
                          (r"paint, 100,000 rows:\s+([\d.]+) us", "grid paint, 100,000 rows"),
                          (r"paste into 11 rows, [\d.]+ MB of \d+ lines:\s+([\d.]+) ms", "grid paste of 50 MB"),
                          (r"bare scan of the [\d.]+ MB for line feeds:\s+([\d.]+) ms", "bare scan of the 50 MB")):
        m = re.search(pattern, grid)
        row(name, (m.group(1) + (" us" if "paint" in name else " ms")) if m else "n/a", "", "", "")
    ratio = re.search(r"ratio 100,000 / 11:\s+([\d.]+)", grid)
    if ratio:
        row("grid paint ratio 100,000 / 11 rows", ratio.group(1), "", "<= 2", "yes" if float(ratio.group(1)) <= 2 else "no")
    one = re.search(r"ratio one cell / all:\s+([\d.]+)", grid)
    if one:
        row("grid repaint of one cell / whole", one.group(1), "", "well under 1", "yes" if float(one.group(1)) < 0.5 else "no")

    count = len(runs.get("zelvora", []))
    print(f"Figures: median of three rounds' medians (range of the round medians), {count} start(s) of each program")
    print("(the references come from the same run; " + " ".join(read(os.path.join(out, "load.txt")).split("\n")) + ")")
    widths = [max(len(str(r[i])) for r in rows + [("figure", "Zelvora.exe", "reference", "target", "met")]) for i in range(5)]
    header = ("figure", "Zelvora.exe", "reference", "target", "met")
    print("| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |")
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print("| " + " | ".join(str(v).ljust(w) for v, w in zip(r, widths)) + " |")
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures or not runs else 0


if __name__ == "__main__":
    sys.exit(main())
