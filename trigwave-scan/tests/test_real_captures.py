"""Real engines' captures, read where they lie (../shared/real-captures beside the repository:
another project's data, never copied here): the wheel, the cam and the revolutions the scanner
finds, held to the captures' README and to an independent count of each capture's edges. Then
the source CSV of each, and composite logs made from some, read as their captures are."""
import json
import tempfile
import unittest
import wave
from collections import namedtuple
from pathlib import Path

import numpy as np

import capture_decode as cd
import scan_run as s

CAPTURES = s.REPO.parent / "shared" / "real-captures"
VR_WAV = "vr-60-2-scope-steady.wav"
NO_CAM = ("--cam", "none")

# types: the wheel types a right report may give (None: not one of trigwave's, such as the
# library's Subaru EJ 6/7, whose crank is s060's and whose cam is the engine's); teeth per
# cycle; gaps as "slots-missing-..." (None: a wheel without gaps); cam pulses per cycle (None:
# no cam); quiet: the README says no anomaly (or the source's controller warned of none);
# decode: the crank edge counted ("either" where the README names none: the one the scanner
# times), where revolutions start (after "gaps", at "every" tooth, after the "cam"'s sync),
# teeth per revolution and starts per revolution; truth: "revs" when the README gives the
# revolutions (each row against the decode's), "range" when it gives a range; expected_miss:
# why the scanner may fail to read it (it must then make no claim).
Capture = namedtuple("Capture", "file args types teeth gaps cam quiet decode truth expected_miss",
                     defaults=(None, None, None))
TABLE = [
    Capture("vw-aba-60-2.vcd", (), {"M582"}, 116, "60-2", 1, True, ("fall", "gaps", 58, 1), "revs"),
    Capture(VR_WAV, NO_CAM, {"m582", "M582"}, 116, "60-2", None, True, ("vr", "gaps", 58, 1), "revs"),
    Capture("toyota-36-2-3tooth-cam.vcd", (), {None}, 68, "36-2", 3, True, ("fall", "gaps", 34, 1), "revs"),
    Capture("noisy-36-2-a.vcd", NO_CAM, {None}, 68, "36-2", None, False, ("either", "gaps", 34, 1), "revs"),
    Capture("mitsubishi-4b11-36-2-1.vcd", (), {None}, 66, "36-2-1", 1, True, ("fall", "gaps", 33, 2), "revs"),
    Capture("subaru-ej20g-6-7-running.vcd", (), {"s060", "S060", None}, 12, None, 7, False, ("rise", "gaps", 6, 2),
            "range"),
    Capture("subaru-ej20g-6-7-cranking.vcd", (), {"s060", "S060", None}, 12, None, 7, False,
            expected_miss="the crank sticks high over some teeth, each edge alone misses some: a sound "
                          "report is the right wheel, or no wheel or sync lost with status 1"),
    Capture("kawasaki-8-1-noplugs.vcd", NO_CAM, {None}, 14, "8-1", None, False, ("either", "gaps", 7, 1), "revs"),
    Capture("miata-nb2-cranking.vcd", (), {None}, 8, None, 3, True, ("either", "every", 4, 4), "range",
            expected_miss="cranking with +-40 % ripple across teeth 70 and 110 degrees apart: their spacings "
                          "alone do not tell the teeth apart until the engine runs (a controller syncs this "
                          "wheel on the cam), and the crank sticks low over a tooth at 6.79 s"),
    Capture("nissan-vq40-cranking.vcd", (), {None}, 60, "36-2-2-2", 6, True, ("either", "gaps", 30, 3), "range"),
    Capture("gm-24x-cranking.vcd", NO_CAM, {None}, 48, None, None, False, ("either", "every", 24, 24), "range"),
    Capture("nissan-cas-24-plus-1.vcd", (), {None}, 24, None, 1, False, ("either", "cam", 12, 1), "range"),
]

# Each source CSV (its header as taken: "Time[s], Channel 0", "timestamp,pri,sec", none, ...)
# and the capture made from it.
SOURCES = [
    ("nick_1.csv", "vw-aba-60-2.vcd"), ("trigger_adc_real1.csv", VR_WAV), ("toyota_3_tooth_cam.csv", None),
    ("noisy-trigger-1.csv", None), ("4b11-running.csv", None), ("subaru_6_7_rev_head.csv", "subaru-ej20g-6-7-running.vcd"),
    ("subaru_6_7.csv", "subaru-ej20g-6-7-cranking.vcd"), ("kawasaki_re_20_primary.csv", None),
    ("nb2-cranking-good.csv", None), ("nissan_vq40_cranking-1.csv", None), ("gm_24x_cranking.csv", None),
    ("cas_nissan_24_plus_1.csv", None),
]
# A tooth logger's two composite forms: header, units, a row's fields from (crank, cam, time in ms).
COMPOSITE_FORMS = {
    "speeduino": ("PriLevel,SecLevel,ThirdLevel,Trigger,Sync,Cycle,RefTime,ToothTime,Time",
                  "Flag,Flag,Flag,Flag,Flag,Flag,ms,ms,ms", "{0},{1},0,{0},1,0,0.000,0.000,{2}"),
    "rusefi": ("PriLevel,SecLevel,Trigger,Sync,Time,ToothTime,coil,inj", "Flag,Flag,Flag,Flag,ms,ms,Flag,Flag",
               "{0},{1},{0},1,{2},0.000,0,0"),
}
COMPOSITES = [("vw-aba-60-2.vcd", "rusefi"), ("mitsubishi-4b11-36-2-1.vcd", "speeduino"),
              ("nissan-vq40-cranking.vcd", "speeduino"), ("kawasaki-8-1-noplugs.vcd", "rusefi")]


def source_capture(source, made):
    """The capture made from a source CSV, and the arguments for both."""
    if made is None:
        made = next(c.file for c in TABLE if (CAPTURES / c.file).is_file() and
                    f"from {source} " in (CAPTURES / c.file).read_text(errors="replace")[:300])
    return next(c for c in TABLE if c.file == made)


def write_composite(capture, path, form):
    """A tooth log of the capture: a row per change with both levels after it, the time in
    milliseconds to the microsecond from an uptime, MARK lines between rows, CRLF."""
    header, units, row = COMPOSITE_FORMS[form]
    channels = cd.read_vcd(CAPTURES / capture)
    events = sorted((t, k, level) for k, name in enumerate(("crank", "cam")) for t, level in channels.get(name, []))
    # the first row holds the levels the capture starts with, at its time 0
    levels = [channels[name][0][1] if channels.get(name) else 0 for name in ("crank", "cam")]
    lines = [f"#Firmware: {form} test log", header, units]
    for n, (t, k, level) in enumerate([(0.0, 0, levels[0])] + [e for e in events if e[0] > 0]):
        levels[k] = level
        lines.append(row.format(levels[0], levels[1], f"{81234.5 + t * 1000:.3f}"))
        if n % 200 == 199:
            lines.append(f"MARK {n // 200:03d}")
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode())


def scope_volts():
    """The oscilloscope's VR voltage and its sample rate."""
    data = np.loadtxt(CAPTURES / "src" / "trigger_adc_real1.csv", delimiter=",", skiprows=1)
    return data[:, 1], round(1.0 / np.median(np.diff(data[:, 0])))


def write_vr_wav(path):
    """The scope's voltage as a 16-bit mono WAV, offset and shape kept, its peak near full scale."""
    volts, rate = scope_volts()
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(np.round(volts * 32000 / np.abs(volts).max()).astype("<i2").tobytes())


def decoded(capture, cycles, near=None):
    """The decode's periods (revolutions, or cycles when the scanner reports cycles), on the
    edge whose periods start nearest the time near (the first edge without it)."""
    edge, starts, teeth, per_rev = capture.decode
    if edge == "vr":
        trains = [cd.vr_edges(*scope_volts())]
    else:
        channels = cd.read_vcd(CAPTURES / capture.file)
        rising = {"rise": (True,), "fall": (False,), "either": (True, False)}[edge]
        trains = [cd.edges(channels["crank"], r) for r in rising]
    found = []
    for e in trains:
        bounds = {"gaps": lambda: cd.gap_starts(e), "every": lambda: range(len(e)),
                  "cam": lambda: cd.sync_starts(e, cd.edges(channels["cam"], True), teeth)}[starts]()
        found.append(cd.periods(e, bounds, teeth, per_rev, cycles, near))
    return min(found, key=lambda p: 0 if near is None else min((abs(a - near) for a, _ in p), default=np.inf))


def gaps(description):
    """(slots, sorted missing counts) of a description like 36-2-1."""
    parts = (description or "").split("-")
    return (parts[0], sorted(parts[1:])) if len(parts) > 1 and all(p.isdigit() for p in parts) else description


class RealCapturesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not CAPTURES.is_dir():
            print(f"{CAPTURES} is not there: the real captures are passed over")
            raise unittest.SkipTest(f"no {CAPTURES}")

    def check_wheel(self, c, wheel):
        self.assertIn(wheel.get("type"), c.types, wheel)
        per_cycle = (wheel.get("teeth_per_period") or 0) * (1 if wheel.get("per_cycle") else 2)
        self.assertEqual(per_cycle, c.teeth, wheel)
        if c.gaps:
            self.assertEqual(gaps(wheel.get("description")), gaps(c.gaps), wheel)
        if c.cam:
            self.assertEqual(wheel.get("cam_pulses_per_cycle"), c.cam, wheel)
        else:
            self.assertFalse(wheel.get("cam_pulses_per_cycle"), wheel)

    def check_rows(self, c, rows, cycles):
        timed = [r for r in rows if r["rpm"] is not None]
        self.assertTrue(timed, "no revolution")
        periods = decoded(c, cycles, near=timed[0]["time_s"])
        if c.truth == "revs":
            self.assertLessEqual(abs(len(rows) - len(periods)), 2, (len(rows), len(periods)))
            teeth = c.decode[2] * (2 if cycles else 1)
            for row in timed:
                # starting within a tooth of it (the scanner may time the other edge)
                a, b = min(periods, key=lambda p: abs(p[0] - row["time_s"]))
                self.assertLess(abs(a - row["time_s"]), (b - a) / teeth, (row, a, b))
                self.assertLess(abs(row["rpm"] / cd.rpm((a, b), cycles) - 1), 0.01, (row, a, b))
        else:
            # the scanner may take the first period to sync, no more
            start = timed[0]["time_s"]
            if periods and periods[0][0] < start - (periods[0][1] - periods[0][0]) / 4:
                periods = periods[1:]
            self.assertTrue(periods, "no whole period after the first row")
            self.assertLess(abs(periods[0][0] - start), (periods[0][1] - periods[0][0]) / 4, (timed[0], periods[0]))
            want = [cd.rpm(p, cycles) for p in periods]
            got = [r["rpm"] for r in timed]
            for lo_hi, (w, g) in (("lowest", (min(want), min(got))), ("highest", (max(want), max(got)))):
                self.assertLess(abs(g / w - 1), 0.02, f"{lo_hi} RPM {g} against the decode's {w:.1f}")

    def scan(self, c, folder):
        run = s.run(self.path(c, folder), "--json", *c.args)
        self.assertIn(run.returncode, (0, 1), run.stderr)
        return run.returncode, json.loads(run.stdout)

    def test_each_source_csv_and_composite_log_reads_as_its_capture(self):
        said = []
        with tempfile.TemporaryDirectory() as folder:
            for source, made in SOURCES:
                with self.subTest(source=source):
                    c = source_capture(source, made)
                    capture = self.path(c, folder)
                    a, b = (s.scan(p, *c.args, folder=folder) for p in (CAPTURES / "src" / source, capture))
                    self.assertIn(a.status, (0, 1), a.stderr)
                    self.assertEqual((a.status, a.stdout, a.rows), (b.status, b.stdout, b.rows))
                    said.append(f"{source} as {c.file}: status {a.status}, " + "; ".join(a.stdout.splitlines()))
            for capture, form in COMPOSITES:
                with self.subTest(capture=capture, form=form):
                    c = next(c for c in TABLE if c.file == capture)
                    log = Path(folder) / f"{form}.csv"
                    write_composite(capture, log, form)
                    a, b = (s.scan(p, *c.args, folder=folder) for p in (log, CAPTURES / capture))
                    self.assertEqual((a.status, a.summary("wheel"), a.summary("cam")),
                                     (b.status, b.summary("wheel"), b.summary("cam")), a.stderr)
                    self.assertEqual([r["revolution"] for r in a.rows], [r["revolution"] for r in b.rows])
                    for x, y in zip(a.rows, b.rows):
                        # the log keeps the microsecond, the capture the nanosecond
                        self.assertLess(abs(float(x["time_s"]) - float(y["time_s"])), 2e-6, (x, y))
                        self.assertLess(abs(float(x["rpm"]) / float(y["rpm"]) - 1), 1e-3, (x, y))
                    said.append(f"{form} log of {capture}: status {a.status}, {len(a.rows)} rows as the capture's")
        print("\n" + "\n".join(said))

    def path(self, c, folder):
        """Where the capture lies, or the scope's WAV made in folder."""
        if c.file != VR_WAV:
            return CAPTURES / c.file
        path = Path(folder) / VR_WAV
        if not path.exists():
            write_vr_wav(path)
        return path

    def test_each_capture_against_its_decode(self):
        said = []
        with tempfile.TemporaryDirectory() as folder:
            for c in TABLE:
                with self.subTest(capture=c.file):
                    status, doc = self.scan(c, folder)
                    said.append(report(c, status, doc))
                    wheel, summary = doc.get("wheel") or {}, doc.get("summary") or {}
                    if c.expected_miss and status == 1 and not summary.get("sync_held"):
                        continue  # no claim made: sound for a capture it is known to miss
                    self.assertTrue(wheel, doc.get("problem"))
                    self.check_wheel(c, wheel)
                    # no capture leaves a cam pulse out: each cam's pulses keep their crank teeth
                    # cycle after cycle (a glitch pulse is one too many, never one too few)
                    self.assertEqual(summary.get("nocam"), 0, summary)
                    if c.file == VR_WAV:
                        self.assertIn("crank vr", doc.get("input") or "", doc.get("input"))
                    if c.quiet:
                        self.assertEqual((status, summary.get("missing"), summary.get("extra"),
                                          summary.get("nosync")), (0, 0, 0, 0), summary)
                    if c.decode:
                        self.check_rows(c, doc["revolutions"], bool(wheel.get("per_cycle")))
        print("\n" + "\n".join(said))


def report(c, status, doc):
    """One line of what the scanner said about a capture."""
    wheel, summary, rows = doc.get("wheel") or {}, doc.get("summary") or {}, doc.get("revolutions") or []
    rpms = [r["rpm"] for r in rows if r["rpm"] is not None]
    return (f"{c.file}: status {status}, " + (doc["problem"] if "problem" in doc else
            f"wheel {wheel.get('type')} {wheel.get('description')} {wheel.get('teeth_per_period')} teeth per "
            f"{'cycle' if wheel.get('per_cycle') else 'revolution'}, {len(rows)} rows, RPM "
            + (f"{min(rpms):.1f}-{max(rpms):.1f}" if rpms else "none")
            + f", cam {wheel.get('cam_pulses_per_cycle')} per cycle, anomalies {summary.get('missing')} missing "
            f"{summary.get('extra')} extra {summary.get('nosync')} sync lost "
            f"{summary.get('nocam')} no cam pulse")) + decode_line(c)


def decode_line(c):
    if not c.decode:
        return ""
    revs = [cd.rpm(p) for p in decoded(c, False)]
    return f"; decode: {len(revs)} revolutions of {c.decode[2]} teeth, RPM {min(revs):.1f}-{max(revs):.1f}"


if __name__ == "__main__":
    unittest.main()
