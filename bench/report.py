#!/usr/bin/env python3
"""Runs every benchmark of bench/ and writes docs/PERFORMANCE.md and its chart.

Called by bench/report.sh once the library, the C++ benchmarks, the floor library and the Java
classes are built. Every comparison is measured in one run, side by side: Google Benchmark
repetitions in random interleaving, the JNI harness round by round across its operations, and
the capture next to the diagnostic command's thread print in the same child JVM, round by round.

The application pause of an operation is read from the child JVM's safepoint log
(-Xlog:safepoint): the sum of the "Total" time of the safepoints the operation caused
(PrintThreads, PrintJNI and FindDeadlocks for a thread print, ThreadDump for dumpAllThreads).
The log is stamped with System.nanoTime (the timenanos decoration) and the child reports when
each call started and ended, so each safepoint goes to the call it fell in.
"""
import argparse
import datetime
import json
import os
import platform
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "linux")
LIBRARY = os.path.join(BUILD, "Corvane.so.0")
FLOOR = os.path.join(BUILD, "bench", "libcorvane_benchfloor.so")
GBENCH = os.path.join(BUILD, "bench", "corvane_bench")
CLASSES = os.path.join(BUILD, "bench-java", "report-classes")
JDKS = {
    "17": "/usr/lib/jvm/java-17-openjdk-amd64",
    "25": "/usr/lib/jvm/temurin-25-jdk-amd64",
}
DUMP_OPS = {"PrintThreads", "PrintJNI", "FindDeadlocks", "ThreadDump"}
GAP_NS = 150_000_000  # PauseBench.GAP_MS
SAFEPOINT = re.compile(r'\[(\d+)ns\].*Safepoint "(\w+)".*Total: (\d+) ns')
SLACK_NS = 20_000_000  # a safepoint's log line may follow the end of its call a little
THREADS = [10, 100, 1000, 3000]
DEPTHS = [10, 100]


def log(msg):
    print(f"[{time.strftime('%H:%M:%S')}] {msg}", flush=True)


def stats(values):
    v = sorted(values)
    return {"min": v[0], "median": statistics.median(v), "max": v[-1], "n": len(v)}


def java(jdk, *args, base_only=False, env=None, xlog=None, jvm_opts=()):
    cmd = [os.path.join(JDKS[jdk], "bin", "java")]
    if jdk != "17":
        cmd.append("--enable-native-access=ALL-UNNAMED")
    if base_only:
        cmd += ["--limit-modules", "java.base"]
    if xlog:
        cmd.append(f"-Xlog:safepoint=info:file={xlog}:timenanos")
    cmd += list(jvm_opts)
    cmd += [f"-Dcorvane.library={LIBRARY}", f"-Dcorvane.floor={FLOOR}", "-cp", CLASSES] + list(args)
    full_env = dict(os.environ)
    full_env.update(env or {})
    p = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                       text=True, env=full_env, timeout=900)
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(cmd)} failed ({p.returncode}):\n{p.stderr}")
    numbers = {}
    for line in p.stderr.splitlines():
        m = re.fullmatch(r"([A-Z]+(?: [a-z]+)?)((?: -?\d+)+)", line.strip())
        if m:
            numbers[m.group(1)] = [int(x) for x in m.group(2).split()]
    return numbers


# ------------------------------------------------------------------------------------ machine

def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    info = {
        "nproc": os.cpu_count(),
        "cpu": cpu,
        "kernel": platform.release(),
        "os": "",
        "load": os.getloadavg(),
        "jdks": {},
    }
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    info["os"] = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    for jdk, home in JDKS.items():
        exe = os.path.join(home, "bin", "java")
        if os.access(exe, os.X_OK):
            out = subprocess.run([exe, "-version"], capture_output=True, text=True).stderr.splitlines()
            info["jdks"][jdk] = out[1].strip() if len(out) > 1 else out[0].strip()
    return info


# ------------------------------------------------------------------------------ C++ (gbench)

def gbench(repetitions):
    out = tempfile.mktemp(prefix="corvane-gbench", suffix=".json")
    subprocess.run([GBENCH, f"--benchmark_repetitions={repetitions}", "--benchmark_min_time=0.05",
                    "--benchmark_enable_random_interleaving=true", f"--benchmark_out={out}",
                    "--benchmark_out_format=json", "--benchmark_format=console"],
                   check=True, stdout=subprocess.DEVNULL, timeout=900)
    with open(out) as f:
        data = json.load(f)
    os.unlink(out)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        factor = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        runs.setdefault(b["run_name"], []).append(b["real_time"] * factor)
    return {name: stats(v) for name, v in runs.items()}


# ---------------------------------------------------------------------------------- JNI level

def jni(jdk, rounds):
    out = tempfile.mktemp(prefix="corvane-jni", suffix=".tsv")
    java(jdk, f"-Dbench.out={out}", "JniBench", str(rounds))
    rows = {}
    with open(out) as f:
        for line in f:
            _, version, group, name, lo, med, hi, paired = line.rstrip("\n").split("\t")
            rows[name] = {"group": group, "min": float(lo), "median": float(med), "max": float(hi),
                          "paired": float(paired)}
    os.unlink(out)
    return rows


# ------------------------------------------------------------------------------------- pauses

def safepoints(path):
    """The dump safepoints of a log: (start ns, end ns, name, total ns), in System.nanoTime."""
    found = []
    with open(path) as f:
        for line in f:
            m = SAFEPOINT.search(line)
            if m and m.group(2) in DUMP_OPS:
                end, total = int(m.group(1)), int(m.group(3))
                found.append((end - total, end, m.group(2), total))
    return found


def rounds_for(threads):
    # 1,000 threads is where the capture's cost beyond the text is judged: more rounds there,
    # a whole number of turns of the operations' order.
    return (2, 12) if threads <= 100 else (2, 16) if threads <= 1000 else (1, 8)


def pause_run(jdk, base_only, threads, depth):
    ops = ["capture"] if base_only else ["capture", "threadprint", "copytext", "dumpall"]
    warmup, rounds = rounds_for(threads)
    xlog = tempfile.mktemp(prefix="corvane-safepoint", suffix=".log")
    try:
        numbers = java(jdk, "PauseBench", "pause", str(threads), str(depth), str(warmup), str(rounds),
                       ",".join(ops), base_only=base_only, xlog=xlog, jvm_opts=["-Xss512k", "-Xmx2g"])
        found = safepoints(xlog)
    finally:
        if os.path.exists(xlog):
            os.unlink(xlog)
    result = {}
    for op in ops:
        times, starts = numbers[f"TIMES {op}"], numbers[f"STARTS {op}"]
        pauses, names = [], set()
        for r in range(warmup, warmup + rounds):
            lo, hi = starts[r], starts[r] + times[r] + SLACK_NS
            mine = [s for s in found if lo <= s[0] and s[1] <= hi]
            if not mine:
                raise RuntimeError(f"JDK {jdk} {threads}x{depth}: no safepoint in round {r} of {op}")
            pauses.append(sum(s[3] for s in mine))
            names.update(s[2] for s in mine)
        result[op] = {"time": times[warmup:], "pause": pauses, "bytes": numbers[f"BYTES {op}"][0],
                      "safepoints": sorted(names)}
    return result


def base_variants(jdk):
    """A normal JVM, and on JDK 17 also a java.base-only one: JDK 17 still has JVM_DumpAllStacks,
    the only way a JVM without java.management prints its dump; later JDKs do not export it, so
    a java.base-only capture there has no dump to capture (the library answers its error text)."""
    return (False, True) if jdk == "17" else (False,)


def pauses(jdks):
    data = {}
    for jdk in jdks:
        for base_only in base_variants(jdk):
            for depth in DEPTHS:
                for threads in THREADS:
                    log(f"pause: JDK {jdk}{' java.base only' if base_only else ''}, {threads} threads, "
                        f"depth {depth}")
                    data[(jdk, base_only, threads, depth)] = pause_run(jdk, base_only, threads, depth)
    return data


# ------------------------------------------------------------------------- first use, memory

def first_use(jdk, base_only, jvms):
    firsts, later = [], []
    for _ in range(jvms):
        t = java(jdk, "PauseBench", "first", "10", "9", base_only=base_only)["TIMES capture"]
        firsts.append(t[0])
        later.append(statistics.median(t[1:]))
    return {"first": stats(firsts), "later": stats(later)}


def memory(jdk, threads, rounds):
    n = java(jdk, "CaptureBench", "--child", "memory", str(threads), str(rounds),
             env={"MALLOC_MMAP_THRESHOLD_": "65536"},
             jvm_opts=["-Xms1g", "-Xmx1g", "-XX:+AlwaysPreTouch", "-XX:+UseSerialGC"])
    return {"dump": n["DUMP"][0], "capture": stats(n["CAPTURE"]), "threadprint": stats(n["THREADPRINT"]),
            "dumpall": stats(n["DUMPALL"])}


# ---------------------------------------------------------------------------------- rendering

def us(ns):
    return f"{ns / 1e3:.2f}"


def ms(ns):
    return f"{ns / 1e6:.2f}" if ns < 1e8 else f"{ns / 1e6:.0f}"


def verdict(ok):
    return "**met**" if ok else "**missed**"


def fit(points):
    """Least squares y = a + b x over (x, y); answers a, b, R^2."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    sxy = sum((x - mx) * (y - my) for x, y in points)
    b = sxy / sxx if sxx else 0.0
    a = my - b * mx
    ss = sum((y - my) ** 2 for _, y in points)
    res = sum((y - a - b * x) ** 2 for x, y in points)
    return a, b, (1 - res / ss) if ss else 1.0


SERIES = [
    # (key, label, colour)
    (("17", False, "capture"), "JDK 17 capture (diagnostic command)", "#1f77b4"),
    (("17", False, "threadprint"), "JDK 17 threadPrint in Java", "#2ca02c"),
    (("17", True, "capture"), "JDK 17 capture, java.base only (JVM_DumpAllStacks)", "#d62728"),
    (("25", False, "capture"), "JDK 25 capture (diagnostic command)", "#9467bd"),
    (("25", False, "threadprint"), "JDK 25 threadPrint in Java", "#8c564b"),
]


def chart(pause_data, path):
    import math
    width, height, pad_l, pad_r, pad_t, pad_b = 460, 360, 62, 16, 36, 46
    panels = [("time", "capture / operation time (ms)"), ("pause", "application pause at safepoints (ms)")]
    legend_h = 20 * len(SERIES) + 40
    svg_w, svg_h = width * 2 + 20, height + legend_h
    values = [v / 1e6 for d in pause_data.values() for r in d.values() for v in (statistics.median(r["time"]),
                                                                                   statistics.median(r["pause"]))]
    lo = 10 ** math.floor(math.log10(max(min(values), 1e-3)))
    hi = 10 ** math.ceil(math.log10(max(values)))
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{svg_w}" height="{svg_h}" '
           f'font-family="sans-serif" font-size="12">', f'<rect width="{svg_w}" height="{svg_h}" fill="white"/>']
    xs = [math.log10(t) for t in THREADS]

    def px(t, x0):
        return x0 + pad_l + (math.log10(t) - xs[0]) / (xs[-1] - xs[0]) * (width - pad_l - pad_r)

    def py(v):
        v = max(v, lo)
        return pad_t + (math.log10(hi) - math.log10(v)) / (math.log10(hi) - math.log10(lo)) * (height - pad_t - pad_b)

    for p, (field, title) in enumerate(panels):
        x0 = p * (width + 20)
        out.append(f'<text x="{x0 + width / 2}" y="20" text-anchor="middle" font-weight="bold">{title}</text>')
        out.append(f'<rect x="{x0 + pad_l}" y="{pad_t}" width="{width - pad_l - pad_r}" '
                   f'height="{height - pad_t - pad_b}" fill="none" stroke="#999"/>')
        decade = lo
        while decade <= hi * 1.0001:
            y = py(decade)
            out.append(f'<line x1="{x0 + pad_l}" x2="{x0 + width - pad_r}" y1="{y:.1f}" y2="{y:.1f}" '
                       f'stroke="#ddd"/>')
            out.append(f'<text x="{x0 + pad_l - 6}" y="{y + 4:.1f}" text-anchor="end">{decade:g}</text>')
            decade *= 10
        for t in THREADS:
            x = px(t, x0)
            out.append(f'<line x1="{x:.1f}" x2="{x:.1f}" y1="{pad_t}" y2="{height - pad_b}" stroke="#eee"/>')
            out.append(f'<text x="{x:.1f}" y="{height - pad_b + 16}" text-anchor="middle">{t:,}</text>')
        out.append(f'<text x="{x0 + (width + pad_l) / 2}" y="{height - 8}" text-anchor="middle">'
                   f'parked threads (log scale; y log scale)</text>')
        for (jdk, base_only, op), _, colour in SERIES:
            for depth, dash in ((10, ""), (100, ' stroke-dasharray="6,4"')):
                pts = []
                for t in THREADS:
                    run = pause_data.get((jdk, base_only, t, depth), {}).get(op)
                    if run:
                        pts.append((px(t, x0), py(statistics.median(run[field]) / 1e6)))
                if len(pts) < 2:
                    continue
                d = " ".join(f"{x:.1f},{y:.1f}" for x, y in pts)
                out.append(f'<polyline points="{d}" fill="none" stroke="{colour}" stroke-width="2"{dash}/>')
                for x, y in pts:
                    out.append(f'<circle cx="{x:.1f}" cy="{y:.1f}" r="2.5" fill="{colour}"/>')
    y = height + 10
    out.append(f'<text x="{pad_l}" y="{y + 4}">medians; solid: stacks 10 frames deep, dashed: 100 frames deep</text>')
    for key, label, colour in SERIES:
        if not any(k[:2] == key[:2] for k in pause_data):
            continue
        y += 20
        out.append(f'<line x1="{pad_l}" x2="{pad_l + 30}" y1="{y}" y2="{y}" stroke="{colour}" stroke-width="2"/>')
        out.append(f'<text x="{pad_l + 38}" y="{y + 4}">{label}</text>')
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def render(ctx):
    m, gb, jnis, pd, first, mem = ctx["machine"], ctx["gbench"], ctx["jni"], ctx["pause"], ctx["first"], ctx["memory"]
    L = []
    w = L.append
    w("# Performance")
    w("")
    w("Written by `bash bench/report.sh` (do not edit by hand: run it again). Every ratio below compares")
    w("figures measured in the same run, side by side: Google Benchmark repetitions in random")
    w("interleaving; the JNI harness timing each operation once per round, in turn; the capture and the")
    w("diagnostic command's thread print alternating in the same child JVM. Figures are per call;")
    w("min / median / max are across rounds (or repetitions), ratios are of medians.")
    w("")
    w("## Machine")
    w("")
    w(f"- {m['nproc']} CPUs, {m['cpu']}, kernel {m['kernel']}, {m['os']}")
    for jdk, v in m["jdks"].items():
        w(f"- JDK {jdk}: {v}")
    if "25" not in m["jdks"]:
        w(f"- JDK 25 not installed at {JDKS['25']}: its rows are missing from this report")
    w(f"- load average at start {m['load'][0]:.2f}, at end {ctx['load_end'][0]:.2f}; run took "
      f"{ctx['seconds'] / 60:.1f} min on {ctx['date']}")
    w(f"- Noise: {ctx['noise']}")
    w("")

    # ---------------- targets summary
    w("## Targets")
    w("")
    w("| target | figure in this run | |")
    w("|---|---|---|")
    for row in ctx["targets"]:
        w(f"| {row[0]} | {row[1]} | {verdict(row[2])} |")
    w("")

    # ---------------- metrics
    w("## Metric natives next to their floor")
    w("")
    w("C++ level (Google Benchmark, the native's C++ function called directly, "
      f"{gb_reps(gb)} repetitions, ns per call):")
    w("")
    w("| benchmark | min | median | max | x floor |")
    w("|---|---:|---:|---:|---:|")
    floors = {"BM_ProcessCpuTime": "BM_Floor_TimesAndSysconf", "BM_SystemCpuTime": "BM_Floor_ProcStatOpenReadClose",
              "BM_Reference_ProcStatThroughStdio": "BM_Floor_ProcStatOpenReadClose"}
    for name in ["BM_ProcessCpuTime", "BM_Floor_TimesAndSysconf", "BM_SystemCpuTime", "BM_Floor_ProcStatOpenReadClose",
                 "BM_Reference_ProcStatThroughStdio", "BM_TimeAsPercent"]:
        s = gb.get(name)
        if not s:
            continue
        ratio = f"{s['median'] / gb[floors[name]]['median']:.2f}" if name in floors else ""
        w(f"| {name} | {s['min']:.1f} | {s['median']:.1f} | {s['max']:.1f} | {ratio} |")
    w("")
    w("JNI level (bench/java/JniBench.java, ns per call through JNI). The floor of a metric is measured two")
    w("ways in the same run: **in-JVM floor**, a native of a separate bench library "
      "(bench/FloorNatives.cpp) making the same")
    w("system calls inline, called through JNI in the same JVM; and **composed floor**, the JNI crossing")
    w("(nativeInit) plus the C++ floor above. Rounds are ~2 ms and interleaved, so a native and its")
    w("floor run a few ms apart; the **paired** ratio is the median over rounds of native / floor in the")
    w("same round, the figure the target is judged on (bursts of load from other work on the machine")
    w("hit both sides of a pair alike). Target: each native at most 1.10x its floor.")
    w("")
    for jdk, rows in jnis.items():
        w(f"JDK {jdk}:")
        w("")
        w("| figure | operation | min | median | max | x floor, paired rounds | x floor, medians "
          "| x floor, mins | x composed floor |")
        w("|---|---|---:|---:|---:|---:|---:|---:|---:|")
        for name, r in rows.items():
            fl = ctx["jni_floor"][jdk].get(name)
            p = f"{r['paired']:.2f}" if fl else ""
            a = f"{r['median'] / fl[0]:.2f}" if fl else ""
            mn = f"{r['min'] / fl[2]:.2f}" if fl else ""
            b = f"{r['median'] / fl[1]:.2f}" if fl and fl[1] else ""
            w(f"| {r['group']} | {name} | {r['min']:.1f} | {r['median']:.1f} | {r['max']:.1f} | {p} | {a} | {mn} "
              f"| {b} |")
        w("")
    w("`nativeGetCurrentThreadCPUTime` answers 0 at once on these JVMs (they offer no JVMPI interface), so its")
    w("floor is the JNI crossing alone; `nativeGetProcessID` answers the id taken at load and")
    w("`nativeGetSystemCPUTimeAsPercentage` is arithmetic only, likewise. The crossing's cost depends on the")
    w("signature (what is passed and answered), so each of the three is set against an empty floor native of")
    w("its own signature; the composed floor of these is nativeInit(true), a crossing with no answer.")
    w("")

    # ---------------- pause
    w("## Application pause and time of a capture")
    w("")
    w("Each child JVM parks the threads (each N recursive frames below `LockSupport.park`, a few more")
    w("frames for the thread's own entry), then runs rounds of: the library's capture")
    w("(`nativeRequestStackDumpPath` into a directory on the local disk), the diagnostic command's")
    w("`threadPrint` called from Java (formats into memory, answers a String) and")
    w("`ThreadMXBean.dumpAllThreads(false, false)`, each after a quiet gap; each round starts one")
    w("operation later than the one before, so every operation follows each of the others equally")
    w("often. A JVM started with")
    w("`--limit-modules java.base` has no management modules: its capture takes the `JVM_DumpAllStacks`")
    w("path (one write per line into the capture file, inside the safepoint). Pause = sum of the `Total`")
    w("of the operation's safepoints in `-Xlog:safepoint` (reaching + at safepoint); time = the call's")
    w("wall time. Warm-up rounds dropped; medians (min-max) in ms; the capture / threadPrint ratio is")
    w("the median over rounds of the ratio within a round (the two run a few hundred ms apart). JDK 25 no longer exports")
    w("`JVM_DumpAllStacks`, so a java.base-only JVM there has no dump to capture: that path is JDK 17's.")
    w("")
    for jdk in ctx["jdks"]:
        for depth in DEPTHS:
            w(f"JDK {jdk}, stacks {depth} frames deep:")
            w("")
            w("| threads | dump KiB | capture time | capture pause | threadPrint time | threadPrint pause "
              "| pause capture / threadPrint (paired) | java.base capture time | java.base capture pause "
              "| java.base / threadPrint pause | dumpAllThreads time | dumpAllThreads pause |")
            w("|---:|---:|---|---|---|---|---:|---|---|---:|---|---|")
            for t in THREADS:
                n = pd.get((jdk, False, t, depth))
                b = pd.get((jdk, True, t, depth))
                if not n:
                    continue

                def cell(run, field):
                    s = stats(run[field])
                    return f"{ms(s['median'])} ({ms(s['min'])}-{ms(s['max'])})"
                c, tp, da = n["capture"], n["threadprint"], n["dumpall"]
                ratio = statistics.median(a / b for a, b in zip(c["pause"], tp["pause"]))
                bratio = statistics.median(b["capture"]["pause"]) / statistics.median(tp["pause"]) if b else 0
                w(f"| {t:,} | {c['bytes'] / 1024:,.0f} | {cell(c, 'time')} | {cell(c, 'pause')} | {cell(tp, 'time')} "
                  f"| {cell(tp, 'pause')} | {ratio:.2f} | {cell(b['capture'], 'time') if b else ''} "
                  f"| {cell(b['capture'], 'pause') if b else ''} | {bratio:.1f} | {cell(da, 'time')} "
                  f"| {cell(da, 'pause')} |")
            w("")
    w("![capture time and application pause against thread count](performance-capture.svg)")
    w("")
    w("### How the cost grows")
    w("")
    w("Least-squares line through the medians of all eight sizes (10 to 3,000 threads, both depths), against")
    w("the dump's size; ms per MiB of text, the intercept, R^2 of the fit, and the cost per MiB at the")
    w("smallest and the largest dump:")
    w("")
    w("| series | figure | ms per MiB | intercept ms | R^2 | ms/MiB smallest dump | ms/MiB largest dump |")
    w("|---|---|---:|---:|---:|---:|---:|")
    for row in ctx["growth"]:
        w("| " + " | ".join(row) + " |")
    w("")
    w(ctx["growth_text"])
    w("")

    # ---------------- beyond the text
    w("## The capture's cost beyond producing the text")
    w("")
    w("At 1,000 threads the capture and the Java `threadPrint` alternate in one JVM and produce the same")
    w("text through the same diagnostic command, so their difference is what the capture adds: the")
    w("capture file, the switch of descriptor 1 and back, the text converted by GetStringUTFRegion into")
    w("a 64 KiB buffer and written to the file a buffer at a time, and the file's status, wait and")
    w("removal. When the file holds exactly the")
    w("text written, the capture answers the command's own String: no read-back, no second String.")
    w("Share = (capture - threadPrint) / capture, of medians; the paired column (judged) takes the median")
    w("of the per-round shares. Target: at most 10%. For comparison, a fourth operation in the same")
    w("rounds runs threadPrint and then a whole-text copy out of the String and back into a new one")
    w("(GetStringUTFChars, NewStringUTF; bench/FloorNatives.cpp `copyText`), the way captures worked")
    w("before they wrote in slices and kept the command's String.")
    w("")
    w("| JDK | depth | dump KiB | capture ms | threadPrint ms | share (medians) | share (paired rounds) "
      "| threadPrint + whole-text copies ms | copies' share | capture minus copies |")
    w("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for row in ctx["beyond"]:
        w("| " + " | ".join(row) + " |")
    w("")
    w("The same cost with a stand-in print (C++, Google Benchmark, `BM_Capture` = capture whose print")
    w("writes a prepared text, `BM_DumpWrittenToAFile` = that text written alone):")
    w("")
    w("| text | capture median us | write alone median us | difference us |")
    w("|---:|---:|---:|---:|")
    for size in (4 << 10, 256 << 10, 1 << 20, 4 << 20):
        c, f = gb.get(f"BM_Capture/{size}"), gb.get(f"BM_DumpWrittenToAFile/{size}")
        if c and f:
            w(f"| {size // 1024:,} KiB | {us(c['median'])} | {us(f['median'])} | {us(c['median'] - f['median'])} |")
    w("")

    # ---------------- memory
    w("## Peak native memory")
    w("")
    w("bench/java/CaptureBench.java's memory child: heap fixed and touched up front, malloc serving blocks")
    w("of 64 KiB and more by fresh mappings, VmHWM reset before each operation (clear_refs) and read after")
    w("it; parked threads 20 frames deep. Growth in KiB (min / median / max) against the dump's size.")
    w("Target: capture at most 2 x dump + 64 KiB.")
    w("")
    w("| JDK | threads | dump KiB | capture KiB | limit 2 x dump + 64 | capture / dump | threadPrint KiB "
      "| dumpAllThreads KiB |")
    w("|---|---:|---:|---|---:|---:|---|---|")
    for (jdk, t), r in mem.items():
        d = r["dump"] / 1024
        c = r["capture"]
        w(f"| {jdk} | {t:,} | {d:,.0f} | {c['min']:,} / {c['median']:,.0f} / {c['max']:,} | {2 * d + 64:,.0f} "
          f"| {c['median'] / d:.2f} | {r['threadprint']['min']:,} / {r['threadprint']['median']:,.0f} / "
          f"{r['threadprint']['max']:,} | {r['dumpall']['min']:,} / {r['dumpall']['median']:,.0f} / "
          f"{r['dumpall']['max']:,} |")
    w("")

    # ---------------- first use
    w("## First use of the platform MBean server")
    w("")
    w("The capture reaches the diagnostic command through the platform MBean server, which the JVM")
    w("creates at its first use. Each row: fresh JVMs with 10 parked threads, the first capture next to")
    w("the median of the nine that follow in the same JVM (ms, min / median / max across JVMs). A")
    w("java.base-only JVM has no MBean server; its capture prints through `JVM_DumpAllStacks`.")
    w("")
    w("| JDK | JVMs | first capture | later captures | first - later |")
    w("|---|---:|---|---|---:|")
    for (jdk, base_only), r in first.items():
        f, l = r["first"], r["later"]
        w(f"| {jdk}{' java.base only' if base_only else ''} | {f['n']} | {ms(f['min'])} / {ms(f['median'])} / "
          f"{ms(f['max'])} | {ms(l['min'])} / {ms(l['median'])} / {ms(l['max'])} | {ms(f['median'] - l['median'])} |")
    w("")
    w("An agent takes this cost at start-up rather than at its first real capture by making one capture")
    w("into its temporary directory while it starts (see the README).")
    w("")
    return "\n".join(L)


def gb_reps(gb):
    return next(iter(gb.values()))["n"] if gb else 0


def analyse(ctx):
    gb, jnis, pd, mem = ctx["gbench"], ctx["jni"], ctx["pause"], ctx["memory"]
    targets = []
    # JNI floors.
    ctx["jni_floor"] = {}
    pairs = {
        "nativeGetProcessCPUTime": ("floor: native times()+sysconf inline", "BM_Floor_TimesAndSysconf"),
        "nativeGetSystemCPUTime": ("floor: native open/read/close /proc/stat", "BM_Floor_ProcStatOpenReadClose"),
        "nativeGetProcessID": ("floor: empty native answering an int", None),
        "nativeGetCurrentThreadCPUTime": ("floor: empty native answering a long", None),
        "nativeGetSystemCPUTimeAsPercentage": ("floor: empty native of (long, long) answering a short", None),
    }
    for jdk, rows in jnis.items():
        fl = {}
        crossing = rows["nativeInit(true)"]["median"]
        for native, (floor_op, cpp) in pairs.items():
            composed = crossing + (gb[cpp]["median"] if cpp else 0)
            fl[native] = (rows[floor_op]["median"], composed, rows[floor_op]["min"])
        ctx["jni_floor"][jdk] = fl
        parts = ", ".join(f"{k.replace('native', '')} {rows[k]['paired']:.2f}x" for k in fl)
        targets.append((f"JDK {jdk}: each metric native <= 1.10x its floor (paired rounds, in-JVM floor)",
                        parts, all(rows[k]["paired"] <= 1.10 for k in fl)))
        r = rows["nativeGetSystemCPUTime"]
        f = rows["floor: native open/read/close /proc/stat"]
        targets.append((f"JDK {jdk}: nativeGetSystemCPUTime no slower than JNI call + one open/read/close of /proc/stat",
                        f"paired {r['paired']:.2f}x; medians {r['median']:.0f} vs {f['median']:.0f} ns; mins "
                        f"{r['min']:.0f} vs {f['min']:.0f} ns; composed floor {fl['nativeGetSystemCPUTime'][1]:.0f} ns",
                        r["paired"] <= 1.10))
    # Pause ratios.
    for jdk in ctx["jdks"]:
        for t in (1000, 3000):
            cells, ok = [], True
            for depth in DEPTHS:
                n = pd.get((jdk, False, t, depth))
                if not n:
                    continue
                r = statistics.median(n["capture"]["pause"]) / statistics.median(n["threadprint"]["pause"])
                pr = statistics.median(a / b for a, b in zip(n["capture"]["pause"], n["threadprint"]["pause"]))
                ok = ok and pr <= 1.25
                cells.append(f"depth {depth}: paired {pr:.2f}x, medians {r:.2f}x "
                             f"({ms(statistics.median(n['capture']['pause']))} vs "
                             f"{ms(statistics.median(n['threadprint']['pause']))} ms)")
            if cells:
                targets.append((f"JDK {jdk}: pause of a capture at {t:,} threads <= 1.25x threadPrint's",
                                "; ".join(cells), ok))
    # Beyond the text.
    beyond = []
    for jdk in ctx["jdks"]:
        cells, ok = [], True
        for depth in DEPTHS:
            n = pd.get((jdk, False, 1000, depth))
            if not n:
                continue
            c, tp = statistics.median(n["capture"]["time"]), statistics.median(n["threadprint"]["time"])
            paired = statistics.median((a - b) / a for a, b in zip(n["capture"]["time"], n["threadprint"]["time"]))
            share = (c - tp) / c
            ok = ok and paired <= 0.10
            cp = statistics.median(n["copytext"]["time"])
            beyond.append((jdk, str(depth), f"{n['capture']['bytes'] / 1024:,.0f}", ms(c), ms(tp), f"{share:.1%}",
                           f"{paired:.1%}", ms(cp), f"{(cp - tp) / c:.1%}", f"{(c - cp) / c:.1%}"))
            cells.append(f"depth {depth}: paired {paired:.1%}, medians {share:.1%}")
        targets.append((f"JDK {jdk}: capture's cost beyond the text <= 10% at 1,000 threads", "; ".join(cells), ok))
    ctx["beyond"] = beyond
    for (jdk, t), r in mem.items():
        limit = 2 * r["dump"] / 1024 + 64
        targets.append((f"JDK {jdk}: peak native memory <= 2 x dump + 64 KiB at {t:,} threads",
                        f"{r['capture']['median']:,.0f} KiB (max {r['capture']['max']:,}) vs limit {limit:,.0f} KiB "
                        f"(dump {r['dump'] / 1024:,.0f} KiB)", r["capture"]["max"] <= limit))
    ctx["targets"] = targets
    # Growth.
    growth, notes = [], []
    for (jdk, base_only, op), label, _ in SERIES:
        for field in ("time", "pause"):
            pts = []
            for depth in DEPTHS:
                for t in THREADS:
                    run = pd.get((jdk, base_only, t, depth), {}).get(op)
                    if run:
                        pts.append((run["bytes"] / 2 ** 20, statistics.median(run[field]) / 1e6))
            if len(pts) < 3:
                continue
            a, b, r2 = fit(pts)
            pts.sort()
            growth.append((label, field, f"{b:.1f}", f"{a:.2f}", f"{r2:.3f}", f"{pts[0][1] / pts[0][0]:.1f}",
                           f"{pts[-1][1] / pts[-1][0]:.1f}"))
    ctx["growth"] = growth
    straight = [g for g in growth if float(g[4]) >= 0.95]
    bent = [f"{g[0]} {g[1]} (R^2 {g[4]})" for g in growth if float(g[4]) < 0.95]
    ctx["growth_text"] = (
        f"{len(straight)} of {len(growth)} series lie close to a straight line in the text's size (R^2 at least "
        "0.95): past the smallest dumps the cost per MiB is roughly constant, and the small dumps carry a fixed "
        "part (the MBean call, the file, the walk to the safepoint), which is why their cost per MiB is higher. "
        "The java.base-only capture's cost per MiB (one write per line inside the safepoint) is the highest. "
        + (f"Off the line in this run: {'; '.join(bent)} (see the min-max spread of its rows)." if bent else ""))
    # Noise: spread of the JNI floor across rounds and of the threadPrint pause.
    spreads = []
    for jdk, rows in jnis.items():
        r = rows["nativeInit(true)"]
        spreads.append(f"JNI crossing on JDK {jdk} {r['min']:.1f}-{r['max']:.1f} ns (median {r['median']:.1f})")
    n = pd.get((ctx["jdks"][0], False, 1000, 10))
    if n:
        s = stats(n["threadprint"]["pause"])
        spreads.append(f"threadPrint pause at 1,000 threads on JDK {ctx['jdks'][0]} {ms(s['min'])}-{ms(s['max'])} ms "
                       f"(median {ms(s['median'])})")
    ctx["noise"] = ("the machine is shared; the spread across rounds: " + "; ".join(spreads) +
                    ". Read single figures as +-20%; the ratios compare figures taken side by side.")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(ROOT, "docs", "PERFORMANCE.md"))
    ap.add_argument("--quick", action="store_true", help="fewer rounds (a smoke run of the report)")
    args = ap.parse_args()
    start = time.time()
    ctx = {"machine": machine(), "date": datetime.date.today().isoformat()}
    ctx["jdks"] = [j for j in JDKS if j in ctx["machine"]["jdks"]]
    if "25" not in ctx["jdks"]:
        log(f"JDK 25 not installed at {JDKS['25']}: skipped")
    os.makedirs(os.path.dirname(args.out), exist_ok=True)
    log("C++ benchmarks")
    ctx["gbench"] = gbench(5 if args.quick else 15)
    ctx["jni"] = {}
    for jdk in ctx["jdks"]:
        log(f"JNI benchmark, JDK {jdk}")
        ctx["jni"][jdk] = jni(jdk, 41 if args.quick else 201)
    ctx["first"] = {}
    for jdk in ctx["jdks"]:
        for base_only in base_variants(jdk):
            log(f"first use, JDK {jdk}{' java.base only' if base_only else ''}")
            ctx["first"][(jdk, base_only)] = first_use(jdk, base_only, 3 if args.quick else 7)
    ctx["memory"] = {}
    for jdk in ctx["jdks"]:
        for t in (1000, 3000):
            log(f"memory, JDK {jdk}, {t} threads")
            ctx["memory"][(jdk, t)] = memory(jdk, t, 3 if args.quick else 7)
    if args.quick:
        global THREADS, rounds_for
        THREADS = [10, 1000]
        rounds_for = lambda threads: (1, 3)  # noqa: E731
    ctx["pause"] = pauses(ctx["jdks"])
    ctx["load_end"] = os.getloadavg()
    ctx["seconds"] = time.time() - start
    analyse(ctx)
    chart(ctx["pause"], os.path.join(os.path.dirname(args.out), "performance-capture.svg"))
    with open(args.out, "w") as f:
        f.write(render(ctx))
    log(f"wrote {args.out} in {ctx['seconds'] / 60:.1f} min")
    for row in ctx["targets"]:
        print(f"  {'met   ' if row[2] else 'MISSED'} {row[0]}: {row[1]}")


if __name__ == "__main__":
    sys.exit(main())
