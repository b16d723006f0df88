"""Wheel files end to end: the option grammar and its refusals, and every sample of a wheel
file's WAV against the file's own angles, placed by trigwave's angle rules (trigwave_rules),
at sweeps of speed and cam, in both polarities."""
import sys
import unittest
from pathlib import Path

import numpy as np

import harness as h
from harness import USAGE
from wavfile import read_frames
from wheel_text import period, read_wheel, states

ROOT = Path(__file__).resolve().parents[3]
sys.path.insert(0, str(ROOT / "trigwave-scan" / "tests"))
import trigwave_rules as rules  # noqa: E402

LIKE_OPTION = "a type never begins with - (--help and --version go alone)"
SWEEPS = ["<RPM>", "<seconds>", "<sectrig_position>", "<amplitude>", "<normal_tooth_relative_amplitude>"]

# Gaps, uneven teeth, a tooth across angle 0, a 720-degree crank and cam teeth across 720.
OWN_WHEELS = {
    "gaps.wheel": "orix-wheel 1\nname gaps\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\n"
                  "cam tooth 0 10  # at the cycle's start\ncam tooth 200 215.5\n",
    "uneven.wheel": "orix-wheel 1\r\nname uneven\r\ncycle 720\r\ncrank tooth 710 10 full\r\n"
                    "crank tooth 100.25 140\r\ncrank tooth 400 401.5\r\ncam tooth 700 20\r\n",
}


class WheelFileGrammarTest(h.TrigwaveCase):
    def write(self, name, text):
        (self.tmp / name).write_text(text)
        return name

    def test_refusals(self):
        self.write("good.wheel", OWN_WHEELS["gaps.wheel"])
        self.write("bad.wheel", "orix-wheel 1\nname bad\ncycle 360\ncrank tooth 10 20\ncrank tooth 15 30\n")
        self.write("big.wheel", "#" * (1 << 20) + "\n")
        usage = USAGE
        cases = [
            # a bad wheel file: its name, the line, what is wrong; no usage text
            (["--wheel", "bad.wheel", "1000", "1", "0", "1000", "1000"],
             ["bad.wheel: line 5: the crank's teeth at 10 and 15 degrees overlap or touch"], False),
            (["--wheel", "none.wheel", "1000", "1", "0", "1000", "1000"],
             ["none.wheel: No such file or directory"], False),
            (["--wheel", "big.wheel", "1000", "1", "0", "1000", "1000"],
             ["big.wheel: it is over 1 MiB, far more than any wheel"], False),
            (["--wheel", "good.wheel", "1000", "1", "0", "1000"],
             ["NOT enough parameters after the wheel file: 4 (it takes 5: " + " ".join(SWEEPS) + ")"], True),
            (["--wheel", "good.wheel", "1000", "1", "0", "1000", "1000", "9"],
             ["too many parameters after the wheel file: 6 (it takes 5: " + " ".join(SWEEPS) + ")"], True),
            (["--wheel", "good.wheel", "--bogus", "1", "0", "1000", "1000"],
             [f"<type> --bogus is refused: {LIKE_OPTION}"], True),
            (["--wheel", "good.wheel", "--help"], [f"<type> --help is refused: {LIKE_OPTION}"], True),
            (["--wheel", "a", "--wheel", "b"], ["--wheel is given twice"], True),
            (["--output"], ["--output needs a file name after it"], True),
            (["--reverse", "m582", "1000", "1", "15", "1000", "1000"],
             ["--reverse goes with --wheel: a type is reversed by its capital letter"], True),
        ]
        for args, lines, with_usage in cases:
            with self.subTest(args=args):
                run = self.run_trigwave(*args)
                got = run.lines
                if with_usage:
                    self.assertEqual(got[-len(usage):], usage)
                    got = got[:-len(usage)]
                self.assertEqual(got[-len(lines):], lines)
                self.assertEqual(run.status, 2)
                self.assertEqual(sorted(p.name for p in self.tmp.glob("*.wav")), [])

    def test_names(self):
        """Named after the wheel file as a type names its file; --output names it outright and
        changes no byte of a type's file."""
        work = self.fresh_dir()
        (work / "gaps.wheel").write_text(OWN_WHEELS["gaps.wheel"])
        sweeps = ["1000-2000", "1", "15", "1000", "900"]
        for args, name in [(["--wheel", "gaps.wheel"], "gaps_1000-2000_1_15_1000_900.wav"),
                           (["--reverse", "--wheel", "gaps.wheel"], "gaps-reversed_1000-2000_1_15_1000_900.wav"),
                           (["--wheel", str(work / "gaps.wheel")], "gaps_1000-2000_1_15_1000_900.wav"),
                           (["m582"], "m582_1000-2000_1_15_1000_900.wav"),
                           (["--output", "out.wav", "m582"], "out.wav")]:
            with self.subTest(args=args):
                run = self.run_trigwave(*args, *sweeps, cwd=work)
                self.assertEqual(run.status, 0, run.stderr[-300:])
                self.assertTrue((work / name).is_file(), name)
        self.assertEqual((work / "out.wav").read_bytes(), (work / "m582_1000-2000_1_15_1000_900.wav").read_bytes())


class WheelFileSamplesTest(h.TrigwaveCase):
    """Every frame's crank and cam level as the file's angles give it, away from the edges
    themselves (one angle unit either side), where the angle rule's float sum may round
    across."""

    def check(self, name, text, rpm, cam, reverse):
        wheel = read_wheel(text)
        (self.tmp / name).write_text(text)
        args = (["--reverse"] if reverse else []) + ["--output", "w.wav", "--wheel", name, rpm, "2", cam, "1000", "500"]
        run = self.run_trigwave(*args)
        self.assertEqual(run.status, 0, run.stderr[-300:])
        frames = read_frames(self.tmp / "w.wav")
        left, right = frames[:, 0], frames[:, 1]
        angle = rules.angles(rpm, 2).astype(np.int64) % 65536
        cam_angle = (angle - rules.cam_units(cam, len(angle))) % 65536
        tooth, full = states(wheel["crank"], period(wheel)), states(wheel["crank"], period(wheel), True)
        cam_high = states(wheel["cam"], 65536)
        sign = -1 if reverse else 1
        want_crank = sign * np.where(tooth[angle], 1, -1) * np.where(full[angle], 32767, 16383)
        want_cam = np.where(cam_high[cam_angle], 32767, -32767)
        near = lambda table, a: (table[(a - 1) % 65536] != table[a]) | (table[(a + 1) % 65536] != table[a])
        for what, got, want, edge in [("crank", left, want_crank, near(tooth, angle) | near(full, angle)),
                                      ("cam", right, want_cam, near(cam_high, cam_angle))]:
            wrong = np.flatnonzero((got != want) & ~edge)
            self.assertEqual(len(wrong), 0, f"{name} {args}: {what} differs first at frame "
                             f"{wrong[:1]}: {got[wrong[:1]]} for {want[wrong[:1]]}")
            self.assertGreater(np.count_nonzero(~edge), len(got) * 0.9)

    def test_own_and_library_wheels(self):
        wheels = dict(OWN_WHEELS)
        # the library natively; under an emulator the builds' comparison covers wheel files
        if not h.launcher():
            wheels.update({p.name: p.read_text() for p in sorted((ROOT / "wheels").glob("*.wheel"))})
        for name, text in wheels.items():
            for rpm, cam, reverse in [("100-6000", "0-40", False), ("2500", "90", True)]:
                with self.subTest(wheel=name, rpm=rpm, reverse=reverse):
                    self.check(name, text, rpm, cam, reverse)


if __name__ == "__main__":
    unittest.main()
