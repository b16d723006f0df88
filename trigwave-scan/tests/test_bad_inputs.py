"""Inputs and command lines it cannot use: status 2 and one clear message naming the file and
what is wrong; a recording with no wheel in it, or one it cannot tell without a cam: status 1."""
import subprocess
import unittest

import scan_run as s
import trigwave_rules as rules
import test_own_files as own

MESSAGES = [  # (how the file is made, extra arguments, status, what the message says)
    ("missing", [], 2, r"cannot open"),
    ("empty", [], 2, r": is empty"),
    ("text", [], 2, r"neither a sound file libsndfile reads nor a VCD, a CSV export or a composite log"),
    ("folder", [], 2, r"is a folder, not a recording"),
    ("stereo", ["--cam", "3"], 2, r"has 2 channels, no channel 3 for the cam"),
    ("stereo", ["--crank", "0"], 2, r"--crank 0: an audio file's channels are numbered from 1"),
    ("mono", [], 2, r"has 1 channel, no channel 2 for the cam \(--cam none"),
    ("vcd", ["--crank", "tach"], 2, r"no one-bit signal named 'tach' for the crank \(signals: crank, cam\)"),
    ("csv", ["--crank", "tach"], 2, r"no column named 'tach' for the crank \(channels: crank, cam\)"),
    ("csv_short_row", [], 2, r": line 4: a row of 2 columns, the header has 3$"),
    ("csv_backwards", [], 2, r": line 4: the time goes backwards: 0.001 after 0.002$"),
    ("csv_one_channel", [], 2, r"has 1 channel after the time, none for the cam \(--cam none"),
    ("composite", ["--cam", "ThirdLevel"], 2, r"no column named 'ThirdLevel' for the cam \(columns: PriLevel, "),
    ("composite_level", [], 2, r": line 5: column 'PriLevel': '2' is not a level, 0 or 1$"),
    ("composite_unit", [], 2, r"the time's unit 'min' is not s, ms, us or ns"),
    ("silence", [], 1, r"^no trigger wheel found"),
    ("coil", ["--cam", "none"], 1, r"^ambiguous wheel"),
]


COMPOSITE = "#Firmware: test\nPriLevel,SecLevel,Trigger,Sync,Time,ToothTime,coil,inj\nFlag,Flag,Flag,Flag,{},ms,Flag,Flag\n"
TEXTS = {
    "csv": "Time [s],crank,cam\n0,0,0\n0.001,1,0\n",
    "csv_short_row": "Time [s],crank,cam\n0,0,0\n0.001,1,0\n0.002,0\n",
    "csv_backwards": "; written by hand\n0,0,0\n0.002,1,0\n0.001,0,0\n",
    "csv_one_channel": "time, crank\n0, 0\n0.001, 1\n",
    "composite": COMPOSITE.format("ms") + "0,0,0,0,1.0,0,0,0\n",
    "composite_level": COMPOSITE.format("ms") + "0,0,0,0,1.0,0,0,0\n2,0,0,0,1.5,0,0,0\n",
    "composite_unit": COMPOSITE.format("min") + "0,0,0,0,1.0,0,0,0\n",
}


class BadInputTest(own.OwnFilesCase):
    def make_input(self, kind):
        path = self.tmp / f"{kind}.in"
        if kind == "empty":
            path.write_bytes(b"")
        elif kind == "text":
            path.write_text("crank and cam\n")
        elif kind in TEXTS:
            path.write_text(TEXTS[kind])
        elif kind == "folder":
            path.mkdir()
        elif kind in ("stereo", "mono", "silence"):
            channels = "1" if kind == "mono" else "2"
            synth = ["sine", "0"] if kind == "silence" else ["square", "100"]
            path = path.with_suffix(".wav")
            subprocess.run(["sox", "-n", "-r", "44100", "-c", channels, "-b", "16", str(path), "synth", "2", *synth],
                           check=True, capture_output=True)
        elif kind == "vcd":
            path.write_text("$timescale 1 us $end\n$var wire 1 ! crank $end\n$var wire 1 \" cam $end\n"
                            "$enddefinitions $end\n#0\n0!\n0\"\n#10\n1!\n")
        elif kind == "coil":
            path = self.make("c040", 1000, 3, 22)
        return path

    def test_each_refusal_says_what_is_wrong(self):
        for kind, args, status, message in MESSAGES:
            with self.subTest(kind=kind, args=args):
                path = self.make_input(kind)
                run = s.run(path, *args)
                self.assertEqual(run.returncode, status, run.stdout + run.stderr)
                said = run.stderr if status == 2 else run.stdout
                lines = said.strip().splitlines()
                self.assertEqual(len(lines), 1, said)
                self.assertRegex(lines[0], message)
                if status == 2:
                    self.assertIn(str(path), lines[0])

    def test_usage_errors_and_the_two_options(self):
        for args in ([], ["--bogus", "x.wav"], ["a.wav", "b.wav"], ["--csv"], ["--plot=", "x.wav"],
                     ["--help", "x.wav"]):
            with self.subTest(args=args):
                run = s.run(*args)
                self.assertEqual(run.returncode, 2)
                self.assertRegex(run.stderr, r"^trigwave-scan: .+\nusage: ")
                self.assertEqual(run.stdout, "")
        run = s.run("--help")
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertIn("--cam N|NAME", run.stdout)
        run = s.run("--version")
        self.assertEqual((run.returncode, run.stdout), (0, f"trigwave-scan {rules.tw.project_version()}\n"))

    def test_a_bad_row_after_the_wheel_is_told(self):
        # the report of what came before it, then what is wrong, and status 2
        wav = self.make("m582", 1000, 2, 40)
        path = wav.parent / "export.csv"
        own.write_csv(rules.tw.read_frames(wav), path)
        lines = path.read_text().splitlines()
        path.write_text("\n".join(lines + ["1.5,1,1"]) + "\n")
        run = s.run(path)
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertRegex(run.stdout, r"wheel: m582 .*\n(.*\n)*revolutions: \d+, ")
        self.assertEqual(run.stderr, f"trigwave-scan: {path}: line {len(lines) + 1}: the time goes backwards: 1.5 after "
                                     f"{float(lines[-1].split(',')[0]):.9g}; scanned up to there\n")

    def test_an_output_it_cannot_write(self):
        path = self.make("m582", 1000, 2, 40)
        run = s.run(path, "--csv", self.tmp / "no" / "such" / "folder.csv")
        self.assertEqual(run.returncode, 2)
        self.assertRegex(run.stderr, r"folder\.csv: cannot write: ")


if __name__ == "__main__":
    unittest.main()
