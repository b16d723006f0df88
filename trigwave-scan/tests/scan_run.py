"""Runs the built trigwave-scan and reads what it wrote; compares rows with trigwave's rules.

  TRIGWAVE_SCAN  path of the program (default: build/bin/trigwave-scan of this repository)
  TRIGWAVE_LAUNCHER  optional command put in front of it and of trigwave, e.g. wine's
"""
import csv
import os
import shlex
import subprocess
from pathlib import Path


REPO = Path(__file__).resolve().parents[2]
HEADER = "revolution,time_s,rpm,teeth,gap_after_tooth,cam_deg,anomaly"


def program():
    return os.environ.get("TRIGWAVE_SCAN") or str(REPO / "build" / "bin" / "trigwave-scan")


def command(*args):
    """The program and its arguments, behind the launcher of a cross build's programs."""
    return shlex.split(os.environ.get("TRIGWAVE_LAUNCHER", "")) + [program(), *map(str, args)]


class Scan:
    def __init__(self, proc, csv_path):
        self.status = proc.returncode
        self.stdout = proc.stdout
        self.stderr = proc.stderr
        self.rows = []
        self.header = None
        if csv_path and csv_path.exists():
            lines = csv_path.read_text().splitlines()
            self.header = lines[0] if lines else None
            self.rows = list(csv.DictReader(lines))

    def summary(self, key):
        """The value after 'key: ' in the summary, or None."""
        for line in self.stdout.splitlines():
            if line.startswith(key + ": "):
                return line[len(key) + 2:]
        return None

    def anomalies(self):
        return [r for r in self.rows if r["anomaly"]]


def scan(path, *args, folder=None, timeout=300):
    """Scans path with a CSV beside it; returns a Scan."""
    folder = Path(folder or Path(path).parent)
    csv_path = folder / (Path(path).name + ".csv")
    if csv_path.exists():
        csv_path.unlink()
    proc = subprocess.run(command(path, "--csv", csv_path, *args),
                          capture_output=True, text=True, timeout=timeout)
    return Scan(proc, csv_path)


def run(*args, timeout=60):
    return subprocess.run(command(*args), capture_output=True, text=True, timeout=timeout)


def check_periods(case, rows, expected, rate, scale=1.0, rpm_share=0.001, cam=True, per_cycle=False):
    """Every row against the period of trigwave's rules that starts where it starts.

    scale turns trigwave's frames into the recording's samples (48000 / 44100 after
    resampling). Lengths within rpm_share or one sample, whichever is larger; the cam
    angle (the fourth element of expected's periods, by crank angle) within 0.5 degrees or
    one sample's angle. Returns how many rows matched.
    """
    deg = 720.0 if per_cycle else 360.0
    starts = [a * scale for a, _, _, _ in expected]
    matched = 0
    for row in rows:
        t = float(row["time_s"]) * rate
        k = min(range(len(starts)), key=lambda i: abs(starts[i] - t))
        # the edge lies between the frame before and the frame that shows it
        case.assertLessEqual(abs(starts[k] - 0.5 * scale - t), 1.0 + scale, (row, expected[k]))
        a, b, c, want = expected[k]
        length = (b - a) * scale
        measured = deg / 360.0 * 60.0 * rate / float(row["rpm"])
        case.assertLessEqual(abs(measured - length), max(rpm_share * length, 1.0), (row, expected[k]))
        if cam and c is not None:
            got = float(row["cam_deg"])
            off = min(abs(got - want), deg - abs(got - want))
            case.assertLessEqual(off, max(0.5, deg / length), (row, expected[k]))
        elif cam:
            case.assertEqual(row["cam_deg"], "", (row, expected[k]))
        matched += 1
    return matched
