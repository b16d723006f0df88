"""Every wheel type decoded from its file: speed, teeth per cycle, gaps, cam pulses, levels."""
import unittest

import numpy as np

import decoder as d
import harness as h

DEG = 720 / 65536  # crank degrees per angle unit


def coil(periods):
    """Square periods, each low for its first half: rising edges at mid-period."""
    return [(m + 0.5) * 720 / periods for m in range(periods)]


def toothed(width, rise, teeth):
    """Teeth rising half-way into their slots, for both revolutions of a cycle."""
    return [(rev * 32768 + k * width + rise) * DEG for rev in (0, 1) for k in teeth]


E324_TEETH = [k for k in range(36) if k not in (0, 14, 17, 32)]
SUBARU_WINDOWS = [7555, 10467, 15474, 23938, 26851, 31857, 40322, 43235, 48241, 56706, 59619, 64625]
SUBARU_CAM = [455, 1365, 2276, 10012, 18204, 19114, 27396]  # in half-angle units

# per wheel type: crank edges per cycle and where they lie (degrees), slots and missing slots per revolution
WHEELS = {
    "c040": dict(per_cycle=40, crank=coil(40)),
    "c080": dict(per_cycle=80, crank=coil(80)),
    "c270": dict(per_cycle=270, crank=coil(270)),
    "m582": dict(per_cycle=116, crank=toothed(546, 274, range(58)), slots=60, missing={58, 59}),
    "m351": dict(per_cycle=70, crank=toothed(910, 456, range(35)), slots=36, missing={35}),
    "e324": dict(per_cycle=64, crank=toothed(910, 456, E324_TEETH), slots=36, missing={0, 14, 17, 32}),
    # three resets per sawtooth period of 16380 units, four periods per cycle
    "f000": dict(per_cycle=12, crank=[(p * 16380 + c) * DEG for p in range(4) for c in (5460, 13650, 16380)]),
    "s060": dict(per_cycle=12, crank=[u * DEG for u in SUBARU_WINDOWS]),
}

# crank levels with amplitude 1000 and relative amplitude 900 (32767 x 0.9 truncates to 29490)
LEVELS = {
    "c": {-32767, 32767},
    "m": {-32767, 32767, -29490, 29490},
    "e": {-32767, -29490, 29490},
    "s": {-29490, 29490},
}

TOLERANCE_DEG = 0.3  # an edge is up to a frame late, the cycle start as well: 2 x 0.136 degrees at 1000 RPM


def rpm_tolerance(rpm):
    return max(0.001 * rpm, 1.0)


class WheelCase(h.TrigwaveCase):
    def decode_cycle(self, typ, frames):
        """Crank events, cam marks and edges per cycle, checked to be the same in every cycle."""
        letter = typ[0].lower()
        crank, cam = frames[:, 0], frames[:, 1]
        if typ[0].isupper():
            crank = -crank.astype(np.int32)
        events = d.crank_events(crank, sawtooth=letter == "f")
        marks = d.cam_marks(cam, grouped=letter == "s")
        self.assertGreaterEqual(len(marks), 3)
        counts = d.counts_between(events, marks)
        # an edge lying within one frame of the cam edge may fall on either side of it
        per_cycle = round(sum(counts) / len(counts))
        self.assertLessEqual(abs(sum(counts) - per_cycle * len(counts)), 1, counts)
        self.assertLessEqual(max(abs(c - per_cycle) for c in counts), 1, counts)
        self.counts = counts
        return events, per_cycle


class WheelPatternTest(WheelCase):
    def test_every_wheel_type(self):
        rpm = 1000
        for typ, wheel in WHEELS.items():
            with self.subTest(type=typ):
                frames = self.render(typ, rpm, 3, 15, 1000, 900)
                crank, cam = frames[:, 0], frames[:, 1]
                events, per_cycle = self.decode_cycle(typ, frames)
                self.assertEqual(per_cycle, wheel["per_cycle"])
                self.assertEqual(set(self.counts), {per_cycle})  # no edge close to the cam edge here

                cycle = d.frames_per_cycle(events, per_cycle)
                self.assertAlmostEqual(d.rpm_of(cycle), rpm, delta=rpm_tolerance(rpm))

                expected = np.sort(d.canonical_deg(wheel["crank"]))
                cycles = d.positions_by_cycle(events, cycle, len(frames))
                self.assertGreaterEqual(len(cycles), 20)
                for got in cycles:
                    self.assertEqual(len(got), len(expected))
                    self.assertLess(np.max(np.abs(got - expected)), TOLERANCE_DEG)

                if "slots" in wheel:
                    # from the tooth spacing alone: the slot count, then which slots carry no tooth
                    self.assertEqual(d.slots_per_revolution(events, per_cycle // 2), [wheel["slots"]] * 4)
                    for got in cycles:
                        teeth = d.occupied_slots(got, wheel["slots"])
                        self.assertEqual(set(range(wheel["slots"])) - set(teeth), wheel["missing"])

                self.check_cam(typ, cam, cycle, len(frames), cam_deg=15, amplitude=1000)
                if typ[0] == "f":
                    self.assertEqual(crank.min(), 0)
                    self.assertEqual(crank.max(), 32762)
                else:
                    self.assertEqual(set(np.unique(crank).tolist()), LEVELS[typ[0]])

    def check_cam(self, typ, cam, cycle, total, cam_deg, amplitude):
        subaru = typ[0].lower() == "s"
        starts = d.rises(cam) if subaru else d.falls(cam)
        per_cycle = d.counts_between(starts, d.cam_marks(cam, grouped=subaru))
        self.assertEqual(set(per_cycle), {7 if subaru else 1})
        if subaru:
            expected = np.array([2 * s * DEG for s in SUBARU_CAM])
            width, level = 910 * DEG, int(32767 * amplitude / 1000 * 0.5)
        else:
            expected, width, level = np.array([cam_deg]), 5.0, int(32767 * amplitude / 1000)
        cycles = d.positions_by_cycle(starts, cycle, total)
        self.assertGreaterEqual(len(cycles), 10)
        for got in cycles:
            self.assertEqual(len(got), len(expected))
            self.assertLess(np.max(np.abs(got - expected)), 0.4, got)
        widths = d.pulse_widths_deg(cam, cycle, high=subaru)
        self.assertLess(np.max(np.abs(widths - width)), TOLERANCE_DEG)
        self.assertEqual(set(np.unique(cam).tolist()), {-level, level})

    def test_cam_position(self):
        for typ, cam_deg in [("m582", 400), ("c080", 700), ("e324", 90), ("f000", 300), ("m351", 359)]:
            with self.subTest(type=typ, cam=cam_deg):
                frames = self.render(typ, 1000, 2, cam_deg, 1000, 1000)
                events, per_cycle = self.decode_cycle(typ, frames)
                cycle = d.frames_per_cycle(events, per_cycle)
                self.check_cam(typ, frames[:, 1], cycle, len(frames), cam_deg, 1000)

    def test_constant_speeds(self):
        cases = [("m582", 180, 5), ("m582", 1740, 3), ("m351", 7000, 2), ("e324", 9000, 2),
                 ("c270", 6000, 2), ("s060", 6000, 2), ("f000", 4500, 2), ("c040", 30000, 1),
                 ("C080", 2500, 2), ("M582", 800, 3)]
        for typ, rpm, seconds in cases:
            with self.subTest(type=typ, rpm=rpm):
                frames = self.render(typ, rpm, seconds, 15, 1000, 1000)
                events, per_cycle = self.decode_cycle(typ, frames)
                self.assertEqual(per_cycle, WHEELS[typ.lower()]["per_cycle"])
                measured = d.rpm_of(d.frames_per_cycle(events, per_cycle))
                self.assertAlmostEqual(measured, rpm, delta=rpm_tolerance(rpm))


class RotationTest(h.TrigwaveCase):
    def test_sawtooth_reads_back_the_cycle_angle(self):
        """The first ramp rises by 32767 over 5460 angle units, so it shows the rotation frame by
        frame: the first frame is already one step on (angle 12 at 1000 RPM), then even steps."""
        crank = self.render("f000", 1000, 1, 15, 1000, 1000)[:, 0].astype(np.int64)
        self.assertEqual(crank[0], 12 * 32767 // 5460)
        ramp = crank[:400]
        self.assertTrue(np.all(np.diff(ramp) > 0))
        angle = ramp * 5460 / 32767  # within one unit below the true angle
        step = 1000 * 65536 / 720 * 6 / 44100  # 1000 RPM is 6000 crank degrees per second
        frames = np.arange(1, 401)
        self.assertLess(np.max(np.abs(angle - frames * step)), 1.5)


class PolarityTest(h.TrigwaveCase):
    def test_capital_reverses_crank_only(self):
        for typ in WHEELS:
            with self.subTest(type=typ):
                normal = self.render(typ, 1000, 1, 15, 1000, 900)
                reversed_ = self.render(typ.upper(), 1000, 1, 15, 1000, 900)
                np.testing.assert_array_equal(reversed_[:, 0], -normal[:, 0].astype(np.int32))
                np.testing.assert_array_equal(reversed_[:, 1], normal[:, 1])

    def test_sawtooth_with_odd_tooth_count_is_negated(self):
        base = self.render("f000", 1000, 1, 15, 1000, 1000)
        odd = self.render("f010", 1000, 1, 15, 1000, 1000)
        odd_reversed = self.render("F010", 1000, 1, 15, 1000, 1000)
        np.testing.assert_array_equal(odd[:, 0], -base[:, 0].astype(np.int32))
        np.testing.assert_array_equal(odd_reversed[:, 0], base[:, 0])

    def test_unknown_type_letter_gives_constant_level(self):
        for typ, amplitude, level in [("x582", 1000, -8531), ("X582", 1000, 8531), ("x582", 500, -4265)]:
            with self.subTest(type=typ, amplitude=amplitude):
                frames = self.render(typ, 1000, 1, 15, amplitude, 1000)
                self.assertEqual(set(frames[:, 0].tolist()), {level})


if __name__ == "__main__":
    unittest.main()
