"""Wheel files on trigwave-scan's command line and in its library: --wheel follows the file given
(and refuses a bad one before scanning anything), the library is found from the program's own
place (<program folder>/wheels first, else <program folder>/../share/orix/wheels), its wheels
name the recordings trigwave makes of them, and a library file that does not parse is named once
and left out. The program is copied into made-up layouts; the wheels are made here."""
import json
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import scan_run as s
from test_saved_wheels import trigwave_command

SLOTS_30_2 = "orix-wheel 1\nname test 30-2\ncycle 360\ncrank slots 30 missing 28 29 full 0\ncam tooth 100 130\n"
SLOTS_30_2_OTHER = "orix-wheel 1\nname other 30-2\ncycle 360\ncrank slots 30 missing 28 29 full 0\n"
SLOTS_20_1 = "orix-wheel 1\nname test 20-1\ncycle 360\ncrank slots 20 missing 19 full 0\ncam tooth 0 30\n"
BROKEN = "orix-wheel 1\nname broken\ncycle 360\ncrank slots 30 missing 40\n"


def play(folder, text, name="w"):
    """A WAV trigwave makes of a wheel file, at 1200 RPM for 3 seconds."""
    wheel, wav = Path(folder) / f"{name}.wheel", Path(folder) / f"{name}.wav"
    wheel.write_text(text)
    run = subprocess.run(trigwave_command("--output", wav, "--wheel", wheel, 1200, 3, 0, 1000, 1000),
                         capture_output=True, text=True, timeout=60)
    assert run.returncode == 0, run.stderr
    return wav


class WheelOptionsTest(unittest.TestCase):
    def test_a_given_wheel(self):
        with tempfile.TemporaryDirectory() as folder:
            wav = play(folder, SLOTS_30_2)
            given = Path(folder) / "given.wheel"
            # name, the file's text (None: no such file), status, what standard error says,
            # the wheel named
            rows = [
                ("its own wheel", SLOTS_30_2, 0, None, "test 30-2"),
                ("another wheel", SLOTS_20_1, 1, None, None),
                ("a line it does not know", SLOTS_30_2 + "spokes 4\n", 2,
                 rf"^trigwave-scan: {given}: line 6: 'spokes' is not a line of a wheel file", None),
                ("a slot outside the wheel", BROKEN, 2, rf"^trigwave-scan: {given}: line 4: crank slots", None),
                ("no such file", None, 2, rf"^trigwave-scan: {given}: cannot read it", None),
                ("a file of over 1 MiB", "#" * (1 << 20) + "\n", 2,
                 rf"^trigwave-scan: {given}: it is over 1 MiB, far more than any wheel", None),
            ]
            for name, text, status, error, named in rows:
                with self.subTest(name):
                    if given.exists():
                        given.unlink()
                    if text is not None:
                        given.write_text(text)
                    run = s.run(wav, "--json", "--wheel", given)
                    self.assertEqual(run.returncode, status, run.stdout + run.stderr)
                    if error:
                        self.assertRegex(run.stderr, error)
                        self.assertEqual(run.stdout, "", "nothing scanned")
                        continue
                    doc = json.loads(run.stdout)
                    wheel = doc.get("wheel") or {}
                    if named:
                        self.assertEqual((wheel.get("name"), wheel.get("name_from")), (named, "given"), wheel)
                        self.assertEqual(doc["summary"]["missing"] + doc["summary"]["nosync"], 0)
                    else:
                        # a 20-1 followed as a 30-2: never clean
                        self.assertTrue("problem" in doc or doc["summary"]["nosync"] or doc["summary"]["missing"]
                                        or doc["summary"]["extra"], doc.get("summary"))

    def test_every_wheel_of_the_repository_loads(self):
        library = sorted((s.REPO / "wheels").glob("*.wheel"))
        self.assertTrue(library, "no wheel in the repository's wheels/")
        with tempfile.TemporaryDirectory() as folder:
            wav = play(folder, SLOTS_30_2)
            for wheel in library:
                with self.subTest(wheel=wheel.name):
                    run = s.run(wav, "--wheel", wheel)
                    # followed (a 30-2 through another wheel may fault), never refused
                    self.assertIn(run.returncode, (0, 1), run.stderr)
                    self.assertNotIn(str(wheel), run.stderr)
            # the build's own library: nothing left out
            run = s.run(wav)
            self.assertNotIn("left out of the wheel library", run.stderr)

    def test_the_library_beside_the_program(self):
        program = Path(s.program())
        with tempfile.TemporaryDirectory() as folder:
            root = Path(folder)
            recordings = {"30-2": play(folder, SLOTS_30_2, "a"), "20-1": play(folder, SLOTS_20_1, "b")}
            # layout, the library's files, the recording, what the wheel line says, the names of
            # the files standard error must name once
            rows = [
                ("share beside bin", "bin", "share/orix/wheels",
                 {"a.wheel": SLOTS_30_2, "b.wheel": SLOTS_30_2_OTHER, "c.wheel": BROKEN}, "30-2",
                 "test 30-2 (also: other 30-2), library wheel 30-2", ["c.wheel"]),
                ("wheels beside the program first", "app", "app/wheels",
                 {"z.wheel": SLOTS_20_1}, "20-1", "test 20-1, library wheel 20-1", []),
                ("no library", "lone", None, {}, "30-2", "30-2 (not a trigwave type)", []),
            ]
            for n, (name, bin_dir, lib_dir, files, recording, line, broken) in enumerate(rows):
                with self.subTest(name):
                    base = root / f"layout{n}"
                    (base / bin_dir).mkdir(parents=True)
                    copy = base / bin_dir / program.name
                    shutil.copy2(program, copy)
                    if lib_dir:
                        (base / lib_dir).mkdir(parents=True)
                        for file, text in files.items():
                            (base / lib_dir / file).write_text(text)
                    if bin_dir == "app":
                        # a library in share too, naming the wheel otherwise: the one beside the
                        # program wins
                        (base / "share/orix/wheels").mkdir(parents=True)
                        (base / "share/orix/wheels/z.wheel").write_text(SLOTS_20_1.replace("test 20-1", "shared 20-1"))
                    run = subprocess.run([str(copy), str(recordings[recording])], capture_output=True, text=True,
                                         timeout=60)
                    self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
                    self.assertIn(f"wheel: {line}", run.stdout)
                    for file in broken:
                        self.assertEqual(run.stderr.count(f"{file}: line "), 1, run.stderr)
                    if not broken:
                        self.assertEqual(run.stderr, "")


if __name__ == "__main__":
    unittest.main()
