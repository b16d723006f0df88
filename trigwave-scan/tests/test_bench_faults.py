"""What goes wrong on a bench, on signals made from a known crank angle (signal_maker): a sensor
unplugged, a spike, a quieter sound card, weak normal teeth, a VR sensor, an uneven or starting
engine, jitter, wires swapped mid-run, a broken tooth, a cam pulse left out. Rows are checked
against that angle; a wheel counted from the cam, against trigwave's own rules."""
import re
import unittest
import wave

import numpy as np

import scan_run as s
import signal_maker as sm
import trigwave_rules as rules

LINE = re.compile(r"^revolution (\d+), (?:tooth (\d+), )?([-\d.]+) s: "
                  r"(missing tooth|extra tooth|sync lost|no cam pulse)$")
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
    ("cam pulse left out", dict(nocam=[4]), [], "nocam"),
    ("cam pulse left out, ripple 30 %", dict(nocam=[4], ripple=0.3), [], "nocam"),
    ("two cam pulses in a row left out", dict(nocam=[4, 5]), [], "nocam"),
    ("a cam in every other cycle only", dict(nocam=range(1, 99, 2)), [], "clean"),
]
# trigwave's wheels counted from the cam at 1500 RPM, and the cycles (from 0, as trigwave's rules
# count them: from the first tooth after a reference) whose cam pulses are cut
CUT = [("c040", [5]), ("f000", [5, 6]), ("s060", [5])]


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

    def expect_nocam(self, bench, result, lines, said, index, settings):
        # each in the row where its pulse was due, within a tooth of when
        due, starts = bench.cams(due=True), bench.starts()
        self.assertEqual((result.status, said), (1, ["no cam pulse"] * len(due)), result.stdout)
        rows = []
        for m, t in zip(lines, due):
            k = np.searchsorted(starts, t) - 1
            self.assertIn(k, index, result.stdout)
            rows.append(result.rows[index.index(k)])
            self.assertEqual((rows[-1]["revolution"], rows[-1]["anomaly"]), (m.group(1), "nocam"), rows[-1])
            self.assertLessEqual(abs(float(m.group(3)) - t), (starts[k + 1] - starts[k]) / sm.SLOTS, m.group(0))
        self.assertEqual([r for r in result.rows if r["anomaly"]], rows)
        self.whole_run(bench, result, index)

    def test_a_wheel_counted_from_the_cam_keeps_its_place_without_its_pulse(self):
        for typ, cut in CUT:
            with self.subTest(typ):
                cam = rules.quiet_cam(typ)
                args = [typ, 1500, 3, cam, 1000, 1000]
                work = self.fresh_dir()
                self.assertEqual(self.run_trigwave(*args, cwd=work).status, 0)
                path = work / rules.tw.file_name(args)
                with wave.open(str(path)) as w:
                    params = w.getparams()
                    frames = np.frombuffer(w.readframes(params.nframes), "<i2").reshape(-1, 2).copy()
                # every pulse that begins in those cycles, as trigwave's rules place them, held at rest
                expected = rules.periods(typ, "1500", 3, str(cam), crank_angles=True)
                rest = np.median(frames[:, 1])
                away = frames[:, 1] != rest
                for p in np.flatnonzero(away[1:] & ~away[:-1]) + 1:
                    if any(expected[i][0] <= p < expected[i][1] for i in cut):
                        frames[p:p + np.argmax(~away[p:]), 1] = rest
                with wave.open(str(path), "wb") as w:
                    w.setparams(params)
                    w.writeframes(frames.tobytes())
                result = s.scan(path)
                lines = [LINE.match(x) for x in result.stdout.splitlines() if x.startswith("revolution ")]
                self.assertEqual((result.status, [m and m.group(4) for m in lines]), (1, ["no cam pulse"] * len(cut)),
                                 result.stdout)
                # each at its cycle's reference, within a tooth; the cycles stay as the teeth place them
                tooth = (expected[cut[0]][1] - expected[cut[0]][0]) / len(rules.tooth_angles(typ)[0])
                for m, i in zip(lines, cut):
                    self.assertLessEqual(abs(float(m.group(3)) * rules.RATE - expected[i][2]), tooth, m.group(0))
                    expected[i] = expected[i][:2] + (None, None)
                self.assertEqual(s.check_periods(self, result.rows, expected, rules.RATE, per_cycle=True),
                                 len(result.rows))
                starts = [round(float(r["time_s"]) * rules.RATE) for r in result.rows]
                rows = [min(range(len(expected)), key=lambda i: abs(expected[i][0] - t)) for t in starts]
                self.assertEqual(rows, list(range(rows[0], rows[0] + len(rows))), "one row per cycle, none lost")
                self.assertEqual([rows[k] for k, r in enumerate(result.rows) if r["anomaly"]], cut, result.stdout)

if __name__ == "__main__":
    unittest.main()
