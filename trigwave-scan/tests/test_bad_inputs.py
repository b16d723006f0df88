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
    ("text", [], 2, r"neither a sound file libsndfile reads nor a VCD capture"),
    ("folder", [], 2, r"is a folder, not a recording"),
    ("stereo", ["--cam", "3"], 2, r"has 2 channels, no channel 3 for the cam"),
    ("stereo", ["--crank", "0"], 2, r"--crank 0: an audio file's channels are numbered from 1"),
    ("mono", [], 2, r"has 1 channel, no channel 2 for the cam \(--cam none"),
    ("vcd", ["--crank", "tach"], 2, r"no one-bit signal named 'tach' for the crank \(signals: crank, cam\)"),
    ("silence", [], 1, r"^no trigger wheel found"),
    ("coil", ["--cam", "none"], 1, r"^ambiguous wheel"),
]


class BadInputTest(own.OwnFilesCase):
    def make_input(self, kind):
        path = self.tmp / f"{kind}.in"
        if kind == "empty":
            path.write_bytes(b"")
        elif kind == "text":
            path.write_text("crank,cam\n1,0\n")
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

    def test_an_output_it_cannot_write(self):
        path = self.make("m582", 1000, 2, 40)
        run = s.run(path, "--csv", self.tmp / "no" / "such" / "folder.csv")
        self.assertEqual(run.returncode, 2)
        self.assertRegex(run.stderr, r"folder\.csv: cannot write: ")


if __name__ == "__main__":
    unittest.main()
