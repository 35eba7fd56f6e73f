#!/usr/bin/env python3
"""Checks kv4420ctl's equaliser response against a computation of its own.

Serves a simulated box, sets a few bands of one equaliser, reads the bands back from the
filter export (full precision), designs the same sections here from the textbook formulas,
evaluates them by direct polynomial evaluation, differentiates the unwrapped phase numerically
for the group delay, and compares with `eq response --json` and `--csv`.
"""
import cmath
import json
import math
import os
import re
import subprocess
import sys
import tempfile
import time

FS = 48000.0
MAG_TOL_DB = 0.01
PHASE_TOL_DEG = 0.1
PHASE_FLOOR_DB = -80.0
GD_TOL_REL = 0.01
GD_TOL_MS = 0.01


def design(kind, fc, gain, q):
    w0 = 2 * math.pi * fc / FS
    c, s = math.cos(w0), math.sin(w0)
    alpha = s / (2 * q)
    a = 10 ** (gain / 40)
    if kind == "PK":
        b = [1 + alpha * a, -2 * c, 1 - alpha * a]
        d = [1 + alpha / a, -2 * c, 1 - alpha / a]
    elif kind == "LP":
        b = [(1 - c) / 2, 1 - c, (1 - c) / 2]
        d = [1 + alpha, -2 * c, 1 - alpha]
    elif kind == "HP":
        b = [(1 + c) / 2, -(1 + c), (1 + c) / 2]
        d = [1 + alpha, -2 * c, 1 - alpha]
    elif kind in ("LS", "HS"):
        sign = 1 if kind == "LS" else -1
        sh = 2 * math.sqrt(a) * alpha
        b = [a * ((a + 1) - sign * (a - 1) * c + sh), sign * 2 * a * ((a - 1) - sign * (a + 1) * c),
             a * ((a + 1) - sign * (a - 1) * c - sh)]
        d = [(a + 1) + sign * (a - 1) * c + sh, -sign * 2 * ((a - 1) + sign * (a + 1) * c),
             (a + 1) + sign * (a - 1) * c - sh]
    else:
        raise ValueError(kind)
    return b, d


def response(sections, f):
    z1 = cmath.exp(-2j * math.pi * f / FS)
    h = 1 + 0j
    for b, d in sections:
        h *= (b[0] + b[1] * z1 + b[2] * z1 * z1) / (d[0] + d[1] * z1 + d[2] * z1 * z1)
    return h


def group_delay_ms(sections, f):
    df = f * 1e-5
    lo, hi = response(sections, f - df), response(sections, f + df)
    dphi = cmath.phase(hi / lo)  # the phase step, free of wrapping
    return -dphi / (2 * math.pi * 2 * df) * 1000


def read_filters(path):
    sections = []
    pattern = re.compile(r"Filter \d+: ON (\w+) Fc ([\d.eE+-]+) Hz(?: Gain ([\d.eE+-]+) dB)?(?: Q ([\d.eE+-]+))?")
    with open(path) as f:
        for line in f:
            m = pattern.match(line.strip())
            if m:
                kind, fc, gain, q = m.group(1), float(m.group(2)), float(m.group(3) or 0), float(m.group(4) or 0.707)
                sections.append(design(kind, fc, gain, q))
    return sections


def main():
    ctl, sim = sys.argv[1], sys.argv[2]
    env = dict(os.environ, KV4420_SYNC_WAIT_MS="0")
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        sock = os.path.join(folder, "box")
        server = subprocess.Popen([sim, "--listen", sock], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(100):
                if os.path.exists(sock):
                    break
                time.sleep(0.05)

            def run(*args):
                r = subprocess.run([ctl, "--device", "unix:" + sock, *args], env=env, capture_output=True,
                                   text=True, timeout=60)
                if r.returncode != 0:
                    raise SystemExit("kv4420ctl %s failed (%d): %s" % (" ".join(args), r.returncode, r.stderr))
                return r.stdout

            run("set", "eq.main.1.kind=LP", "eq.main.1.freq=2000", "eq.main.1.q=0.9",
                "eq.main.2.gain=6", "eq.main.2.freq=100", "eq.main.2.q=2.5",
                "eq.main.3.kind=HS", "eq.main.3.gain=-4.5", "eq.main.3.freq=5000", "eq.main.3.q=0.8",
                "eq.main.4.kind=HP", "eq.main.4.freq=40", "eq.main.4.q=1.2",
                "eq.main.5.kind=LS", "eq.main.5.gain=3", "eq.main.5.freq=300", "eq.main.5.q=0.6",
                "eq.main.6.gain=-12", "eq.main.6.freq=1000", "eq.main.6.q=8")
            filters = os.path.join(folder, "main.txt")
            run("eq", "export", "main", filters)
            sections = read_filters(filters)
            if len(sections) != 24:
                failures.append("expected 24 bands in the export, got %d" % len(sections))

            rows = json.loads(run("eq", "response", "main", "--json"))["points"]
            if len(rows) != 512:
                failures.append("default grid has %d points, not 512" % len(rows))
            if abs(rows[0]["frequency_hz"] - 20) > 1e-3 or abs(rows[-1]["frequency_hz"] - 20000) > 1e-3:
                failures.append("default grid is not 20Hz..20000Hz")
            csv = run("eq", "response", "main", "--csv", "--points", "64", "--from", "30", "--to", "18000")
            lines = csv.strip().split("\n")
            if lines[0] != "frequency_hz,magnitude_db,phase_deg,group_delay_ms" or len(lines) != 65:
                failures.append("csv header or length wrong")
            ratio = math.log(18000 / 30)
            for i, line in enumerate(lines[1:]):
                f = float(line.split(",")[0])
                if abs(f - 30 * math.exp(ratio * i / 63)) > 1e-3:
                    failures.append("csv grid point %d is %g Hz" % (i, f))
                    break

            for r in rows:
                f = r["frequency_hz"]
                h = response(sections, f)
                mag = 20 * math.log10(max(abs(h), 1e-15))
                if abs(mag - r["magnitude_db"]) > MAG_TOL_DB:
                    failures.append("%.1f Hz: magnitude %.4f dB, expected %.4f" % (f, r["magnitude_db"], mag))
                if mag > PHASE_FLOOR_DB:
                    phase = math.degrees(cmath.phase(h))
                    diff = (r["phase_deg"] - phase + 180) % 360 - 180
                    if abs(diff) > PHASE_TOL_DEG:
                        failures.append("%.1f Hz: phase %.3f, expected %.3f" % (f, r["phase_deg"], phase))
                    gd = group_delay_ms(sections, f)
                    if abs(gd - r["group_delay_ms"]) > max(GD_TOL_MS, GD_TOL_REL * abs(gd)):
                        failures.append("%.1f Hz: group delay %.5f ms, expected %.5f" % (f, r["group_delay_ms"], gd))
        finally:
            server.terminate()
            server.wait(timeout=10)
    for line in failures[:20]:
        print(line)
    print("%d disagreements" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
