"""trigwave's own files, every wheel type in both polarities: the type found, sync by the end
of the second revolution, every revolution's RPM and cam angle as trigwave's rules put them,
no anomaly. Then the same through a logic analyzer's VCD, read and written by sigrok-cli, and
through a logic analyzer's or a scope's CSV export."""
import shutil
import subprocess
import json
import unittest
import xml.etree.ElementTree as ET

import numpy as np

import scan_run as s
import trigwave_rules as rules

TYPES = ["m582", "m351", "e324", "c040", "c080", "c270", "f000", "s060"]
# The speed where the shortest tooth (or window) lasts 4 samples. The sawtooth's shortest
# ramp would last 4 samples at 55000 RPM, where the 5-degree cam pulse lasts less than one:
# it is taken where the cam pulse lasts 2, as for c040.
TOP_RPM = {"m582": 5511, "m351": 9185, "e324": 9185, "c040": 16537, "c080": 8268, "c270": 2450,
           "f000": 16537, "s060": 12112}
PER_CYCLE = {"c040", "c080", "c270", "f000", "s060"}


def both(typ):
    return [typ, typ[0].upper() + typ[1:]]


class OwnFilesCase(rules.tw.TrigwaveCase):
    def make(self, typ, rpm, seconds, cam):
        args = [typ, rpm, seconds, cam, 1000, 900]
        work = self.fresh_dir()
        run = self.run_trigwave(*args, cwd=work)
        self.assertEqual(run.status, 0, run.stderr[-300:])
        return work / rules.tw.file_name(args)

    def check(self, path, typ, rpm, seconds, cam):
        result = s.scan(path)
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertEqual(result.header, s.HEADER)
        wheel = result.summary("wheel")
        self.assertTrue(wheel.startswith(typ + " ") if typ[0] not in "cC" else wheel.startswith(typ.lower() + " "),
                        wheel)
        polarity = "cannot be told" if typ[0] in "cC" else "normal" if typ[0].islower() else "reversed"
        self.assertTrue(wheel.endswith("polarity " + polarity), wheel)
        expected = rules.periods(typ, str(rpm), seconds, str(cam), crank_angles=True)
        per_cycle = typ.lower() in PER_CYCLE
        # synced by the end of the second revolution: the first row is the first period
        # that starts after it, or an earlier one
        second_end = np.searchsorted(rules.angles(str(rpm), seconds), 2 * rules.REV)
        first = next(i for i, (a, _, _, _) in enumerate(expected) if a > second_end)
        self.assertLessEqual(float(result.rows[0]["time_s"]) * rules.RATE, expected[first][0], result.rows[:2])
        matched = s.check_periods(self, result.rows, expected, rules.RATE, per_cycle=per_cycle)
        # every period from the first row on, up to the last whole one
        self.assertGreaterEqual(matched, len(expected) - first - 1)
        self.assertEqual(result.anomalies(), [])
        return result


class ConstantSpeedTest(OwnFilesCase):
    def test_every_type_and_polarity_from_100_rpm_to_4_samples_a_tooth(self):
        for base in TYPES:
            cam = rules.quiet_cam(base)
            for typ in both(base):
                for rpm, seconds in ((100, 8), (1000, 3), (TOP_RPM[base], 2)):
                    with self.subTest(type=typ, rpm=rpm):
                        self.check(self.make(typ, rpm, seconds, cam), typ, rpm, seconds, cam)


class SweepTest(OwnFilesCase):
    def test_rpm_and_cam_sweeps(self):
        for base in TYPES:
            cam = rules.quiet_cam(base)
            sweep = f"{cam}-{cam + 20}-{cam + 5}"
            for typ in both(base):
                with self.subTest(type=typ):
                    self.check(self.make(typ, "300-2400-900", 12, sweep), typ, "300-2400-900", 12, sweep)


class ReportsTest(OwnFilesCase):
    def test_json_and_plot_carry_what_the_csv_does(self):
        path = self.make("M582", "600-3000", 4, 40)
        csv_rows = s.scan(path).rows
        plot = path.parent / "scan.svg"
        run = s.run(path, "--json", "--plot", plot)
        self.assertEqual(run.returncode, 0, run.stderr)
        doc = json.loads(run.stdout)
        self.assertEqual(doc["wheel"]["type"], "M582")
        self.assertEqual(len(doc["revolutions"]), len(csv_rows))
        for got, row in zip(doc["revolutions"], csv_rows):
            self.assertEqual(got["revolution"], int(row["revolution"]))
            self.assertAlmostEqual(got["rpm"], float(row["rpm"]), places=3)
            self.assertEqual(got["cam_deg"], float(row["cam_deg"]) if row["cam_deg"] else None)
        svg = ET.parse(plot).getroot()
        self.assertTrue(svg.tag.endswith("svg"))
        self.assertEqual(len([p for p in svg.iter() if p.tag.endswith("path")]), 2)  # RPM and cam angle


def write_vcd(frames, path):
    """The two channels as a logic analyzer sees them (high above zero), timed in
    microseconds; a change at frame n is at round(n * 1e6 / 44100) us."""
    with open(path, "w") as f:
        f.write("$timescale 1 us $end\n$scope module bench $end\n"
                "$var wire 1 ! crank $end\n$var wire 1 \" cam $end\n$upscope $end\n$enddefinitions $end\n")
        levels = frames > 0
        f.write("#0\n" + "".join(f"{int(v)}{c}\n" for v, c in zip(levels[0], "!\"")))
        changed = np.flatnonzero((levels[1:] != levels[:-1]).any(axis=1)) + 1
        for n in changed:
            f.write(f"#{round(n * 1e6 / rules.RATE)}\n")
            for ch, code in ((0, "!"), (1, "\"")):
                if levels[n, ch] != levels[n - 1, ch]:
                    f.write(f"{int(levels[n, ch])}{code}\n")


def write_csv(frames, path, volts=False):
    """A logic analyzer's export, a row where either channel changes (high above zero), or a
    scope's, a row a sample in volts about 2.5 V; the time in seconds, 9 decimals."""
    time = np.arange(len(frames)) / rules.RATE
    if volts:
        rows = np.column_stack([time, 2.5 + frames / 13653])
        fmt = "%.9f,%.4f,%.4f"
    else:
        levels = (frames > 0).astype(int)
        kept = np.r_[0, np.flatnonzero((levels[1:] != levels[:-1]).any(axis=1)) + 1]
        rows = np.column_stack([time[kept], levels[kept]])
        fmt = "%.9f,%d,%d"
    np.savetxt(path, rows, fmt=fmt, header="Time [s],crank,cam", comments="")


@unittest.skipIf(shutil.which("sigrok-cli") is None, "sigrok-cli is missing: setup/install-deps")
class VcdTest(OwnFilesCase):
    def test_vcd_through_sigrok_reads_as_the_wav(self):
        # sigrok-cli reads a WAV file only as analog data and writes no VCD from it, so the
        # capture is made here from the samples and then read and written again by sigrok-cli.
        for typ in ("m582", "E324", "s060"):
            with self.subTest(type=typ):
                cam = rules.quiet_cam(typ)
                wav = self.make(typ, "600-3000", 4, cam)
                ours = wav.parent / "ours.vcd"
                write_vcd(rules.tw.read_frames(wav), ours)
                theirs = wav.parent / "sigrok.vcd"
                subprocess.run(["sigrok-cli", "-I", "vcd", "-i", str(ours), "-O", "vcd", "-o", str(theirs)],
                               check=True, capture_output=True, timeout=300)
                from_wav, from_vcd = s.scan(wav), s.scan(theirs)
                self.assertEqual(from_vcd.status, 0, from_vcd.stdout + from_vcd.stderr)
                self.assertEqual(from_vcd.summary("wheel"), from_wav.summary("wheel"))
                self.assertEqual([r["revolution"] for r in from_vcd.rows], [r["revolution"] for r in from_wav.rows])
                self.assertEqual([r["anomaly"] for r in from_vcd.rows], [r["anomaly"] for r in from_wav.rows])
                # the capture's unit is 1 us: its figures against trigwave's frames
                expected = rules.periods(typ, "600-3000", 4, str(cam), crank_angles=True)
                s.check_periods(self, from_vcd.rows, expected, 1e6, scale=1e6 / rules.RATE,
                                per_cycle=typ.lower() in PER_CYCLE)


class CsvTest(OwnFilesCase):
    def test_csv_exports_read_as_trigwave_drew_them(self):
        # digital: each edge at the row that shows it; sampled: each between two rows, as
        # the WAV's own are
        for typ, volts in (("m582", False), ("E324", False), ("s060", False), ("M582", True), ("e324", True)):
            with self.subTest(type=typ, volts=volts):
                cam = rules.quiet_cam(typ)
                wav = self.make(typ, "600-3000", 4, cam)
                path = wav.parent / "export.csv"
                write_csv(rules.tw.read_frames(wav), path, volts)
                from_wav, from_csv = s.scan(wav), s.scan(path)
                self.assertEqual(from_csv.status, 0, from_csv.stdout + from_csv.stderr)
                self.assertEqual(from_csv.summary("wheel"), from_wav.summary("wheel"))
                self.assertEqual(from_csv.summary("input"), "crank hall, cam hall (decided from the signal)"
                                 if volts else None)
                self.assertEqual([r["revolution"] for r in from_csv.rows], [r["revolution"] for r in from_wav.rows])
                expected = rules.periods(typ, "600-3000", 4, str(cam), crank_angles=True)
                s.check_periods(self, from_csv.rows, expected, rules.RATE, per_cycle=typ.lower() in PER_CYCLE)


if __name__ == "__main__":
    unittest.main()
