"""Sweeps decoded from the files: the engine speed cycle by cycle, the cam position, the levels,
and the decided behaviour beyond the usual ranges (saturation, wide RPM steps)."""
import unittest

import numpy as np

import decoder as d
import harness as h


def requested_rpm(points, seconds):
    """The RPM asked for at every frame: equal shares of the file per pair of neighbouring points,
    a straight line within each share."""
    segments = len(points) - 1
    share = seconds * d.RATE // segments
    n = np.arange(share * segments)
    i, j = n // share, n % share
    p = np.asarray(points, dtype=float)
    return p[i] + (p[i + 1] - p[i]) * j / share


def interpolate(points, position):
    """A sweep's value at a position from 0 to 1 of the file."""
    p = np.asarray(points, dtype=float)
    return np.interp(position, np.linspace(0.0, 1.0, len(p)), p)


class RpmSweepTest(h.TrigwaveCase):
    def test_each_cycle_follows_the_sweep(self):
        cases = [  # type, points, seconds, crank edges per cycle
            ("m582", [1000, 3000], 3, 116),
            ("c040", [3000, 1000], 3, 40),
            ("m351", [140, 200, 200, 3000], 6, 70),
            ("e324", [2500, 500, 2000], 4, 64),
            ("S060", [600, 2400], 3, 12),
        ]
        for typ, points, seconds, per_cycle in cases:
            with self.subTest(type=typ, rpm=points):
                frames = self.render(typ, "-".join(map(str, points)), seconds, 15, 1000, 1000)
                crank = frames[:, 0].astype(np.int32) * (-1 if typ[0].isupper() else 1)
                wanted = requested_rpm(points, seconds)
                self.assertEqual(len(frames), len(wanted))
                cycles = d.per_cycle_rpm(d.crank_events(crank), per_cycle)
                self.assertGreater(len(cycles), 5)
                for first, last, measured in cycles:
                    # the rotation of one cycle is made by the frames after its first edge
                    expected = wanted[first + 1:last + 1].mean()
                    self.assertAlmostEqual(measured, expected, delta=max(0.001 * expected, 1.0),
                                           msg=f"cycle at frames {first}..{last}")

    def test_steps_wider_than_32767_are_followed(self):
        # 40 square periods per cycle keep every half period longer than a frame up to 65535 RPM
        for points in ([1000, 41000], [60000, 2000], [0, 65535]):
            with self.subTest(rpm=points):
                frames = self.render("c040", "-".join(map(str, points)), 2, 15, 1000, 1000)
                wanted = requested_rpm(points, 2)
                rises = d.rises(frames[:, 0])
                window = 4410
                for start in range(window, len(frames) - window, window):
                    count = np.count_nonzero((rises > start) & (rises <= start + window))
                    measured = count / 40 * 120 * d.RATE / window
                    expected = wanted[start + 1:start + window + 1].mean()
                    self.assertAlmostEqual(measured, expected, delta=0.01 * expected + 30,
                                           msg=f"window at frame {start}")


class CamSweepTest(h.TrigwaveCase):
    def test_cam_position_follows_the_sweep(self):
        for points in ([15, 30], [15, 25, 20], [700, 10]):
            with self.subTest(cam=points):
                frames = self.render("m582", 1000, 4, "-".join(map(str, points)), 1000, 1000)
                events = d.crank_events(frames[:, 0])
                cycle = d.frames_per_cycle(events, 116)
                starts = d.falls(frames[:, 1])
                self.assertGreater(len(starts), 25)
                for n in starts:
                    phase = (n + 1) / cycle * d.CYCLE_DEG
                    measured = phase - d.CYCLE_DEG * np.floor((phase + 2) / d.CYCLE_DEG)
                    expected = interpolate(points, n / len(frames))
                    self.assertAlmostEqual(measured, expected, delta=0.4, msg=f"cam pulse at frame {n}")


class LevelSweepTest(h.TrigwaveCase):
    def test_amplitude_and_relative_amplitude_follow_their_sweeps(self):
        cases = [  # type, amplitude points, relative points
            ("c040", [100, 1000], [1000]),
            ("m582", [1000], [1000, 500]),
            ("s060", [300, 900, 600], [800]),
            ("E324", [1000, 200], [200, 1000]),
        ]
        for typ, amp, rel in cases:
            with self.subTest(type=typ, amplitude=amp, relative=rel):
                frames = self.render(typ, 1000, 2, 15, "-".join(map(str, amp)), "-".join(map(str, rel)))
                n = len(frames)
                position = np.arange(n) / n
                a = interpolate(amp, position) / 1000
                r = interpolate(rel, position) / 1000
                crank = np.abs(frames[:, 0].astype(np.int64))
                cam = np.abs(frames[:, 1].astype(np.int64))
                half = 0.5 if typ[0].lower() == "s" else 1.0
                self.assertLessEqual(np.max(np.abs(cam - np.trunc(32767 * a * half))), 1)
                full = np.trunc(32767 * a)
                scaled = np.trunc(np.trunc(32767 * r) * a)
                # every crank sample is either a full-level one or a relative-amplitude one
                ok = (np.abs(crank - full) <= 1) | (np.abs(crank - scaled) <= 1)
                self.assertTrue(ok.all(), f"first bad frame {np.flatnonzero(~ok)[:1]}")
                if typ[0].lower() in "se" and min(rel) < 1000:
                    self.assertGreater(np.count_nonzero(np.abs(crank - scaled) <= 1), n // 2)


class SaturationTest(h.TrigwaveCase):
    """Levels beyond full scale stop at +-32767 with the sign of the pattern."""

    def test_amplitude_above_1000_saturates(self):
        cases = [  # type, amplitude, relative amplitude, position from which every level is beyond full scale
            ("c040", "2000", "1000", 0.0),
            ("m582", "1000", "2000", 0.0),
            ("s060", "3000", "1500", 0.0),  # the cam's half level is beyond full scale too
            ("e324", "1000", "1001", 0.0),
            ("M351", "500-3000", "1000-65535", 0.25),
        ]
        for typ, amp, rel, beyond in cases:
            with self.subTest(type=typ, amplitude=amp, relative=rel):
                loud = self.render(typ, 1000, 1, 15, amp, rel).astype(np.int32)
                plain = self.render(typ, 1000, 1, 15, 1000, 1000).astype(np.int32)
                # the same pattern with the same signs: nothing wraps to the other sign
                np.testing.assert_array_equal(np.sign(loud), np.sign(plain))
                self.assertLessEqual(int(np.abs(loud).max()), 32767)
                tail = np.abs(loud[int(beyond * len(loud)):])
                self.assertEqual(set(tail.ravel().tolist()), {32767})


if __name__ == "__main__":
    unittest.main()
