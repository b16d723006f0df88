"""score-scan's rules on small reports made here, its statuses, and a real trigwave recording read
by trigwave-scan against a truth worked out by hand."""
import copy
import json
import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
SCRIPTS = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(SCRIPTS))
import score_scan  # noqa: E402

RPM, ROWS = 2000.0, 8
REV_S, FIRST_S = 60.0 / RPM, 3.0 / (RPM * 6)  # m582's tooth 1 rises 3 degrees after t=0


def start(k):
    return (k - 1) * REV_S + FIRST_S


def fault(kind, k, tooth, optional=False, at=0.4):
    return {"tooth": tooth, "time_s": start(k) + at * REV_S, "kind": kind, "fault": f"{kind}@{k}:{tooth}",
            "optional": optional}


def truth():
    rows = [{"revolution": k, "time_s": start(k), "rpm": RPM, "cam_deg": None, "anomalies": []}
            for k in range(1, ROWS + 1)]
    rows[2]["anomalies"].append(fault("missing", 3, 5))
    return {"revolutions": rows, "wheel": {"per_cycle": False}, "faults": ["missing@3:5"], "seed": 1}


def scan_of(doc):
    """A faultless scanner's report: 12 us late, its faults without the truth's keys."""
    out = copy.deepcopy(doc)
    for row in out["revolutions"]:
        row["time_s"] += 12e-6
        row["anomalies"] = [{k: a[k] for k in ("tooth", "time_s", "kind")} for a in row["anomalies"]]
    return out


def row(doc, k):
    return next(r for r in doc["revolutions"] if r["revolution"] == k)


def put(doc, k, key, value):
    row(doc, k)[key] = value if key != "anomalies" else row(doc, k)[key] + [value]


def nosync(k, at):
    """A dropout in revolution 4 that the scan notices in its row k, at a share of a revolution on;
    no row again until revolution 7."""
    def edit(s, t):
        put(t, 4, "anomalies", fault("nosync", 4, 0))
        put(s, k, "anomalies", fault("nosync", k, 0, at=at))
        s["revolutions"] = [r for r in s["revolutions"] if not k < r["revolution"] < 7]
    return edit


def cams(truth_deg, scan_deg, per_cycle=False):
    return lambda s, t: (put(t, 4, "cam_deg", truth_deg), put(s, 4, "cam_deg", scan_deg),
                         t["wheel"].update(per_cycle=per_cycle))


CASES = [  # name, edit(scan, truth), figures, how reasons begin
    ("perfect", None, {"passed": True, "matched": ROWS, "found": 1, "faults": 1, "false_anomalies": 0}, ()),
    ("tooth shifted", lambda s, t: row(s, 3)["anomalies"][0].update(tooth=6),
     {"passed": False, "found": 0, "false_anomalies": 1},
     ("fault not found: missing@3:5 (revolution 3, tooth 5)",
      f"false anomaly: missing at revolution 3 tooth 6, {start(3) + 0.4 * REV_S:.6f} s")),
    ("synced on the third row", lambda s, t: s.update(revolutions=s["revolutions"][2:]),
     {"passed": True, "before_sync": 2, "matched": ROWS - 2}, ()),
    ("rpm 1 % off", lambda s, t: put(s, 5, "rpm", RPM * 1.01),
     {"passed": False, "worst_rpm_error_pct": 1.0, "worst_rpm_revolution": 5}, ("rpm error 1.000 % at revolution 5",)),
    ("cam across 0", cams(359.8, 0.1), {"passed": True, "worst_cam_error_deg": 0.3, "worst_cam_revolution": 4}, ()),
    ("cam across 0 of a cycle", cams(719.8, 0.1, True), {"worst_cam_error_deg": 0.3}, ()),
    ("cam a revolution off in a cycle", cams(540.0, 180.0, True), {"worst_cam_error_deg": 360.0, "passed": False},
     ("cam error 360.000 deg at revolution 4",)),
    ("cam not seen", cams(357.0, None), {"passed": False, "cam_missed": 1}, ("cam missed at revolution 4",)),
    ("optional extra absent", lambda s, t: put(t, 6, "anomalies", fault("extra", 6, 20, True)),
     {"passed": True, "optional": 1, "optional_reported": 0}, ()),
    ("optional extra present", lambda s, t: (put(t, 6, "anomalies", fault("extra", 6, 20, True)),
                                             put(s, 6, "anomalies", fault("extra", 6, 20))),
     {"passed": True, "optional_reported": 1, "false_anomalies": 0}, ()),
    ("nosync a row late", nosync(5, 0.2), {"passed": True, "found": 2, "after_nosync": 1, "missed": 0}, ()),
    ("nosync after the next row began", nosync(4, 1.1), {"passed": True, "after_nosync": 2}, ()),
    ("nosync two rows late", nosync(6, 0.2), {"passed": False, "found": 1, "false_anomalies": 1},
     ("fault not found: nosync@4:0 (revolution 4, tooth 0)",)),
    ("row dropped", lambda s, t: s["revolutions"].pop(4), {"passed": False, "missed": 1},
     (f"missed revolution 5 at {start(5):.6f} s",)),
    ("row a fifth late", lambda s, t: put(s, 5, "time_s", start(5) + 0.2 * REV_S), {"passed": True}, ()),
    ("row 0.3 late", lambda s, t: put(s, 5, "time_s", start(5) + 0.3 * REV_S),
     {"passed": False, "invented": 1, "missed": 1}, ("invented revolution",)),
]


class ScoreRules(unittest.TestCase):
    def test_cases(self):
        for name, edit, figures, reasons in CASES:
            with self.subTest(name):
                t = truth()
                s = scan_of(t)
                if edit:
                    edit(s, t)
                result = score_scan.score(s, t, 0.5, 1.0)
                got = {k: round(result[k], 9) if isinstance(result[k], float) else result[k] for k in figures}
                self.assertEqual(got, figures, result["reasons"])
                for reason in reasons:
                    self.assertTrue(any(r.startswith(reason) for r in result["reasons"]), result["reasons"])


class Command(unittest.TestCase):
    def test_statuses(self):
        t = truth()
        bad = scan_of(t)
        put(bad, 5, "rpm", RPM * 1.01)
        for scan, options, status, last in ((scan_of(t), [], 0, "pass"), (bad, [], 1, "fail"),
                                            (bad, ["--json"], 1, None), ("{rows", [], 2, None),
                                            ({"file": "x"}, [], 2, None)):
            with self.subTest(status=status, options=options), tempfile.TemporaryDirectory() as folder:
                paths = [os.path.join(folder, "scan.json"), os.path.join(folder, "truth.json")]
                for path, doc in zip(paths, (scan, t)):
                    Path(path).write_text(doc if isinstance(doc, str) else json.dumps(doc))
                run = subprocess.run([str(SCRIPTS / "score-scan"), *options, *paths], capture_output=True, text=True)
                self.assertEqual(run.returncode, status, run.stderr)
                if status == 2:
                    self.assertEqual(run.stderr.count("\n"), 1)
                    self.assertIn(paths[0], run.stderr)
                elif options:
                    self.assertEqual(json.loads(run.stdout), score_scan.score(scan, t))
                else:
                    self.assertEqual(run.stdout.splitlines()[-1], last)


ROOT = SCRIPTS.parent
TRIGWAVE = os.environ.get("TRIGWAVE", str(ROOT / "build/bin/trigwave"))
TRIGWAVE_SCAN = os.environ.get("TRIGWAVE_SCAN", str(ROOT / "build/bin/trigwave-scan"))


@unittest.skipUnless(os.path.exists(TRIGWAVE) and os.path.exists(TRIGWAVE_SCAN), "trigwave-scan is not built")
class RealRecording(unittest.TestCase):
    def test_m582_at_2000_rpm(self):
        args = ["m582", "2000", "2", "0", "800", "500"]
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([TRIGWAVE, *args], cwd=folder, check=True, capture_output=True)
            run = subprocess.run([TRIGWAVE_SCAN, "--json", "_".join(args) + ".wav"], cwd=folder,
                                 capture_output=True, text=True)
        # The cam falls at cycle angle 0 (every 0.06 s), 357 degrees after tooth 1 of each even
        # revolution. The last revolution to begin does not end in the file.
        count = int((2.0 - FIRST_S) // REV_S) + 1
        rows = [{"revolution": k, "time_s": start(k), "rpm": RPM if k < count else None,
                 "cam_deg": 357.0 if k % 2 == 0 else None, "anomalies": []} for k in range(1, count + 1)]
        result = score_scan.score(json.loads(run.stdout), {"revolutions": rows})
        self.assertTrue(result["passed"], result)
        self.assertLess(result["worst_rpm_error_pct"], 0.1)


if __name__ == "__main__":
    unittest.main()
