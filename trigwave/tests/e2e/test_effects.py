"""The effects before the type, checked from the samples: each against the same file without
it, decoded here from the WAV, and the truth file against edges found in the WAV."""
import json
import unittest

import numpy as np

import harness as h
from decoder import falls, rises
from wavfile import read_frames

RATE = 44100
# 60-2 at a steady 1000 RPM: a revolution is 2646 frames, a slot 44.1
PLAIN = ["m582", "1000", "3", "20", "800", "1000"]


class EffectsCase(h.TrigwaveCase):
    def make(self, *options, args=PLAIN, truth=False):
        work = self.fresh_dir()
        extra = ["--truth", "t.json"] if truth else []
        run = self.run_trigwave("--output", "o.wav", *extra, *options, *args, cwd=work)
        self.assertEqual(run.status, 0, run.stderr[-800:])
        frames = read_frames(work / "o.wav").astype(np.int64)
        return (frames, json.loads((work / "t.json").read_text())) if truth else frames


class RefusalTest(EffectsCase):
    """Every malformed or out-of-range effect: status 2, a line saying so, no file."""

    def test_refusals(self):
        cases = [
            (["--noise", "3"], "--noise 3 is refused"),
            (["--noise", "-120.0001"], "--noise -120.0001 is refused"),
            (["--jitter", "0"], "--jitter 0 is refused"),
            (["--jitter", "10.5"], "--jitter 10.5 is refused"),
            (["--cranking", "4"], "--cranking 4 is refused"),
            (["--cranking", "17,10"], "--cranking 17,10 is refused"),
            (["--runout", "10"], "--runout goes with --vr"),
            (["--seed", "-1"], "--seed -1 is refused"),
            (["--vr", "--vr"], "--vr is given twice"),
            (["--noise", "-40", "--noise", "-30"], "--noise is given twice"),
            (["--fault", "missing@0:1"], "--fault missing@0:1 is refused"),
            (["--fault", "missing@1:59"], "this wheel has 58 teeth a revolution"),
            (["--fault", "dropout@1:0"], "--fault dropout@1:0 is refused"),
            (["--fault", "spike@1:left"], "--fault spike@1:left is refused"),
            (["--fault", "flip@3"], "the file is 3 seconds long"),
            (["--fault", "missing@999:1"], "revolution 999 never begins in this file"),
            (["--fault", "nocam@2", "--fault", "nocam@99"], "cycle 99 never begins in this file"),
            (["--vr"], "--vr is refused", ["c000", "1000", "3", "20", "800", "1000"]),
        ]
        for options, line, *args in cases:
            with self.subTest(options=options):
                work = self.fresh_dir()
                run = self.run_trigwave(*options, *(args[0] if args else PLAIN), cwd=work)
                self.assertEqual(run.status, 2, run.stderr)
                self.assertIn(line, run.stderr)
                self.assertEqual(run.files(), [])


class NameAndSeedTest(EffectsCase):
    def test_names_and_seeds(self):
        for options, name in [
            (["--vr", "--runout", "12.5"], "m582_1000_3_20_800_1000_vr_runout12.5.wav"),
            (["--noise", "-40"], "m582_1000_3_20_800_1000_noise-40_seed1.wav"),
            (["--jitter", "2", "--seed", "7", "--fault", "dropout@1.25:0.5:cam", "--fault", "nocam@3"],
             "m582_1000_3_20_800_1000_jitter2_seed7_dropout1.25-0.5-cam_nocam3.wav"),
            (["--truth", "t.json"], "m582_1000_3_20_800_1000.wav"),
        ]:
            with self.subTest(options=options):
                work = self.fresh_dir()
                run = self.run_trigwave(*options, *PLAIN, cwd=work)
                self.assertEqual(run.status, 0, run.stderr)
                self.assertIn(name, run.files())
        # the same seed gives the same bytes; another seed other bytes
        a, b, c = (self.make("--noise", "-40", "--jitter", "3", "--seed", s) for s in ("5", "5", "6"))
        self.assertTrue(np.array_equal(a, b))
        self.assertFalse(np.array_equal(a, c))
        # a truth file alone changes no sample
        self.assertTrue(np.array_equal(self.make("--truth", "t.json"), read_frames(self.plain_file())))

    def plain_file(self):
        work = self.fresh_dir()
        self.run_trigwave(*PLAIN, cwd=work)
        return work / h.file_name(PLAIN)


class SignalTest(EffectsCase):
    def setUp(self):
        super().setUp()
        self.plain = self.make()

    def test_noise(self):
        noise = (self.make("--noise", "-40")[:, 0] - self.plain[:, 0]) / 32767.0
        self.assertAlmostEqual(np.sqrt(np.mean(noise ** 2)), 0.01, delta=0.0003)
        self.assertAlmostEqual(np.mean(noise ** 4) / np.mean(noise ** 2) ** 2, 3.0, delta=0.1)  # Gaussian

    def test_jitter(self):
        plain, moved = rises(self.plain[:, 0]), rises(self.make("--jitter", "5")[:, 0])
        self.assertEqual(len(plain), len(moved))
        shift = (moved - plain) / 44.1  # in slots, which are the teeth's spacing
        self.assertAlmostEqual(np.std(shift), 0.05, delta=0.006)
        self.assertLessEqual(np.max(np.abs(shift)), 0.15 + 1 / 44.1)

    def test_cranking(self):
        frames = self.make("--cranking", "4,30")
        edges = rises(frames[:, 0])
        starts = edges[np.flatnonzero(np.diff(edges) > 80) + 1]  # the tooth after each gap
        revolutions = np.diff(starts) / RATE
        # two strokes a revolution: each revolution takes the plain time, 60 ms
        self.assertTrue(np.allclose(revolutions, 0.06, atol=2 / RATE), revolutions)
        tooth = np.diff(edges) / RATE
        tooth = tooth[tooth < 0.0015]
        self.assertAlmostEqual(tooth.max() / tooth.min(), 1.3 / 0.7, delta=0.1)

    def test_vr(self):
        frames, truth = self.make("--vr", args=["m582", "1000", "3", "20", "500", "1000"], truth=True)
        crank = frames[:, 0]
        up, down = rises(self.plain[:, 0]), falls(self.plain[:, 0])
        down = down[down > up[0]]
        n = min(len(up), len(down))
        centres = (up[:n] + down[:n]) / 2  # each tooth's middle, from the plain file
        crossings = falls(crank)
        near = np.array([crossings[np.argmin(np.abs(crossings - c))] for c in centres])
        self.assertLessEqual(np.max(np.abs(near - centres)), 1.5)
        # at 1000 RPM an ordinary tooth peaks at the amplitude, the teeth around the gap twice it
        peaks = np.array([crank[int(c) - 22:int(c)].max() for c in centres[2:-2]])
        self.assertAlmostEqual(np.median(peaks) / 32767, 0.5, delta=0.02)
        self.assertAlmostEqual(peaks.max() / np.median(peaks), 2.0, delta=0.1)
        # the truth's revolutions begin at the crossing of tooth 1
        first = [r["time_s"] * RATE for r in truth["revolutions"]]
        self.assertLessEqual(max(np.min(np.abs(crossings - f)) for f in first), 1.0)


class FaultTest(EffectsCase):
    def test_faults(self):
        plain = self.make()
        args = ["--fault", "missing@3:10", "--fault", "extra@5:20", "--fault", "spike@2.5",
                "--fault", "dropout@1.5:0.1:crank", "--fault", "nocam@6", "--fault", "flip@2.75"]
        frames, truth = self.make(*args, truth=True)
        rows = truth["revolutions"]
        # revolution N begins at the Nth rise after a gap in the file
        edges = rises(plain[:, 0])
        # the file begins in the gap before tooth 1 of revolution 1
        starts = np.r_[edges[0], edges[np.flatnonzero(np.diff(edges) > 80) + 1]]
        # after the flip a decoder takes each tooth's other edge: its fall
        down = falls(plain[:, 0])
        expected = [s if s < 2.75 * RATE else down[np.searchsorted(down, s)] for s in starts]
        self.assertLessEqual(max(abs(r["time_s"] * RATE - e) for r, e in zip(rows, expected)), 1.0)
        self.assertEqual(rows[0]["revolution"], 1)
        changed = np.flatnonzero(frames[:, 0] != plain[:, 0])
        # the missing tooth: its high half gone, tooth 10 of revolution 3
        tooth10 = edges[np.searchsorted(edges, starts[2]) + 9]
        self.assertTrue(np.all(frames[tooth10:tooth10 + 20, 0] < 0))
        extra = edges[np.searchsorted(edges, starts[4]) + 19]
        self.assertGreater(frames[extra + 22 + 7 + 3, 0], 0)  # a tooth in the middle third of the space
        spike = int(np.ceil(2.5 * RATE))
        self.assertEqual(frames[spike, 0], 32767)
        self.assertTrue(np.all(frames[int(1.5 * RATE):int(1.6 * RATE), 0] == 0))
        flip = int(2.75 * RATE)
        self.assertTrue(np.array_equal(frames[flip:, 0], -plain[flip:, 0]))
        self.assertLess(changed.min(), flip)
        # the cam: one pulse a cycle, none in cycle 6 (revolutions 11 and 12)
        cam_starts = falls(frames[:, 1])
        self.assertEqual(len(falls(plain[:, 1])) - len(cam_starts), 1)
        self.assertFalse(any(starts[10] <= c < starts[12] for c in cam_starts))
        kinds = {(r["revolution"], a["kind"], a["tooth"]) for r in rows for a in r["anomalies"] if not a["optional"]}
        self.assertLessEqual({(3, "missing", 10), (5, "extra", 20), (11, "nocam", 0)}, kinds)
        # the dropout's nosync; the teeth's falls make the pattern of their rises, so a decoder
        # may follow the flip without losing its place: that nosync is optional
        self.assertEqual(sum(1 for k in kinds if k[1] == "nosync"), 1)
        flips = [a for r in rows for a in r["anomalies"] if a["kind"] == "nosync" and a["fault"].startswith("flip")]
        self.assertEqual([a["optional"] for a in flips], [True])


if __name__ == "__main__":
    unittest.main()
