"""What goes wrong on a bench, on signals made from a known crank angle (signal_maker): a sensor
unplugged, a spike, a quieter sound card, weak normal teeth, a VR sensor, an uneven or starting
engine, jitter, wires swapped mid-run, a broken tooth. Rows are checked against that angle."""
import re
import unittest

import numpy as np

import scan_run as s
import signal_maker as sm
import trigwave_rules as rules

LINE = re.compile(r"^revolution (\d+), (?:tooth (\d+), )?([-\d.]+) s: (missing tooth|extra tooth|sync lost)$")
REV, GAP_SLOT = 360.0, sm.TEETH * sm.SLOT

# (name, generator settings, scanner arguments, what it must report)
CASES = [
    ("volume drop 8 dB", dict(drop=(2, 8)), [], "clean"),
    ("volume drop 20 dB", dict(drop=(2, 20)), [], "clean"),
    ("normal teeth at 100 per mille", dict(rel=100), [], "clean"),
    ("normal teeth at 250 per mille", dict(rel=250), [], "clean"),
    ("normal teeth at 450 per mille", dict(rel=450), [], "clean"),
    ("vr", dict(vr=True), ["--input", "vr"], "clean"),
    ("ripple 20 %", dict(ripple=0.2), [], "clean"),
    ("ripple 40 %", dict(ripple=0.4), [], "clean"),
    ("first firings", dict(firings=True), [], "clean"),
    ("jitter 5 %", dict(jitter=5), [], "clean"),
    ("spike on the cam", dict(spike=(1, 4 * 720 + sm.CAM_AT + sm.CAM_WIDTH / 2)), [], "clean"),
    ("spike in a tooth's low half", dict(spike=(0, 5 * REV + 20 * sm.SLOT + sm.SLOT / 4)), [], "spike"),
    ("spike in the gap", dict(spike=(0, 5 * REV + GAP_SLOT + sm.SLOT)), [], "spike"),
    ("crank stops", dict(seconds=10, stop=5), [], "stop"),
    ("crank stops, hiss", dict(seconds=10, stop=5, hiss=True), [], "stop"),
    ("crank polarity flips", dict(flip=2), [], "flip"),
    ("tooth 1 missing", dict(drop_tooth=5), [], "missing"),
]


class BenchFaultTest(rules.tw.TrigwaveCase):
    def test_each_fault_is_reported_as_a_controller_would_see_it(self):
        for name, settings, args, expect in CASES:
            with self.subTest(name):
                bench = sm.Bench(**settings)
                path = self.tmp / (re.sub(r"\W+", "_", name) + ".wav")
                bench.write(path)
                result = s.scan(path, *args)
                lines = [LINE.match(x) for x in result.stdout.splitlines() if x.startswith("revolution ")]
                self.assertNotIn(None, lines, result.stdout)
                said = [m.group(4) for m in lines]
                index = self.check_rows(bench, result, 0.02 if settings.get("firings") else 0.01,
                                        steady=not (settings.get("ripple") or settings.get("firings")))
                getattr(self, "expect_" + expect)(bench, result, lines, said, index, settings)
                if settings.get("vr"):  # and told from the signal itself
                    self.assertRegex(s.scan(path).summary("input") or "", r"crank vr")

    def check_rows(self, bench, result, share, steady):
        """Every row at a revolution's start; rows without a break, its RPM and cam angle too."""
        starts, cams = bench.starts(), bench.cams()
        periods = np.diff(starts)
        index = []
        for row, after in zip(result.rows, result.rows[1:] + [{"anomaly": ""}]):
            t = float(row["time_s"])
            k = int(np.argmin(abs(starts[:-1] - t)))
            index.append(k)
            if row["anomaly"] in ("missing", "nosync"):
                continue
            self.assertLessEqual(abs(t - starts[k]), share * periods[k], (row, starts[k]))
            if after["anomaly"] != "missing":  # else it ends where that row's first edge is
                self.assertLessEqual(abs(float(row["rpm"]) * periods[k] / 60 - 1), share, (row, 60 / periods[k]))
            cam = cams[(cams >= starts[k]) & (cams < starts[k + 1])]
            if not len(cam):
                self.assertEqual(row["cam_deg"], "", row)
            elif steady:  # from this row's edge and the cam's tooth, each moved up to 3 sigma
                self.assertAlmostEqual(float(row["cam_deg"] or "nan"), 360 * (cam[0] - t) / periods[k],
                                       delta=0.5 + 6 * bench.jitter / 100 * sm.SLOT, msg=row)
            else:
                self.assertNotEqual(row["cam_deg"], "", row)
        self.assertTrue(index, result.stdout + result.stderr)
        self.assertEqual(index, sorted(set(index)), "one row per revolution, in order")
        return index

    def whole_run(self, bench, result, index):
        # synced by the end of the second revolution, every revolution to the last whole one
        self.assertLessEqual(index[0], 2, result.rows[:2])
        self.assertEqual(index, list(range(index[0], index[-1] + 1)))
        self.assertGreaterEqual(index[-1], len(bench.starts()) - 3, result.rows[-1])

    def expect_clean(self, bench, result, lines, said, index, settings):
        self.assertEqual((result.status, said), (0, []), result.stdout)
        self.assertEqual(result.summary("cam"), "1 low pulse per cycle")
        self.whole_run(bench, result, index)

    def expect_spike(self, bench, result, lines, said, index, settings):
        self.assertIn(said, ([], ["extra tooth"]), result.stdout)
        self.assertEqual(result.status, len(said), result.stdout)
        self.whole_run(bench, result, index)

    # the stop and the flip run at a steady speed: bench.at(angle) is also how long that angle takes
    def expect_stop(self, bench, result, lines, said, index, settings):
        self.assertEqual((result.status, said), (1, ["sync lost"]), result.stdout)
        self.assertTrue((result.summary("sync") or "").startswith("lost"), result.stdout)
        last = bench.edges[bench.edges < settings["stop"]][-1]
        self.assertLessEqual(abs(float(lines[0].group(3)) - last), bench.at(sm.SLOT), result.stdout)
        self.assertEqual(index, list(range(index[0], index[-1] + 1)))
        self.assertGreater(bench.starts()[index[-1] + 1], last - bench.at(2 * REV), result.rows[-1])

    def expect_flip(self, bench, result, lines, said, index, settings):
        # an odd tooth as it flips may come with the loss; nothing before it, nothing after
        self.assertEqual((result.status, said.count("sync lost")), (1, 1), result.stdout)
        for m in lines:
            self.assertLessEqual(abs(float(m.group(3)) - settings["flip"]), bench.at(REV), result.stdout)
        self.assertGreaterEqual(index[-1], len(bench.starts()) - 3, result.rows[-1])

    def expect_missing(self, bench, result, lines, said, index, settings):
        self.assertEqual((result.status, said), (1, ["missing tooth"]), result.stdout)
        self.assertEqual(lines[0].group(2), "1", result.stdout)
        row = next(r for r in result.rows if r["revolution"] == lines[0].group(1))
        self.assertEqual(row["anomaly"], "missing")
        # from the gap's start to tooth 2, the first edge after it
        gap = REV * settings["drop_tooth"] - 2 * sm.SLOT
        self.assertTrue(bench.at(gap) <= float(row["time_s"]) <= bench.at(gap + 3.5 * sm.SLOT), row)
        self.assertEqual([r for r in result.rows if r["anomaly"]], [row])
        self.whole_run(bench, result, index)


if __name__ == "__main__":
    unittest.main()
