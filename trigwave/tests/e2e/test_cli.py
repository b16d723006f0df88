"""Command line end to end: standard error in order, exit statuses, refusals, output failures."""
import os
import re
import resource
import signal
import unittest

import harness as h
from harness import ADDR_PLACEHOLDER as ADDR, USAGE, sweep_lines, type_line
from wavfile import read_header

UNOPENABLE = "1000/x"  # as the last argument: the name then lies in a folder that does not exist

INT_LIMIT = "it does not fit a 32-bit int (at most 2147483647)"
LENGTH_LIMIT = "the length must be 0 to 24347 seconds"
SLOT_LIMIT = "types m and e need a slot count (toothcnt + missing) that is not 0 modulo 256"
LIKE_OPTION = "a type never begins with - (--help and --version go alone)"


def failed_sweep(text, good_tokens, failure_lines):
    """A sweep whose parse stops at a token: the tokens before it, the failure, then the closing lines."""
    return ([f"parse_tokens_min2entries, str={text}"]
            + [f"i: {i} => value: {t}" for i, t in enumerate(good_tokens)]
            + failure_lines + [ADDR, "end of: parse_tokens_min2entries"])


RPM_OK = ["primstr=m582, toothcnt=58, missing=2", "rpm_str is: 1000"] + sweep_lines("1000")
LEN_OK = ["The length of the wav file will be 1 seconds"]
CAM_OK = ["cam_pos_str is: 15"] + sweep_lines("15")
AMP_OK = ["amplitude_str is: 1000"] + sweep_lines("1000")


class NormalRunTest(h.TrigwaveCase):
    def test_usage_example_diagnostics_in_order(self):
        name = "m582_180-1740_60_15-30_100-1000_1000-900.wav"
        run = self.run_trigwave("m582", "180-1740", "60", "15-30", "100-1000", "1000-900")
        expected = [
            "primstr=m582, toothcnt=58, missing=2",
            "rpm_str is: 180-1740",
            "parse_tokens_min2entries, str=180-1740",
            "i: 0 => value: 180",
            "i: 1 => value: 1740",
            "array length (check your compiler or try -O2 if bad): 2",
            ADDR,
            "end of: parse_tokens_min2entries",
            "The length of the wav file will be 60 seconds",
            "cam_pos_str is: 15-30",
            "parse_tokens_min2entries, str=15-30",
            "i: 0 => value: 15",
            "i: 1 => value: 30",
            "array length (check your compiler or try -O2 if bad): 2",
            ADDR,
            "end of: parse_tokens_min2entries",
            "amplitude_str is: 100-1000",
            "parse_tokens_min2entries, str=100-1000",
            "i: 0 => value: 100",
            "i: 1 => value: 1000",
            "array length (check your compiler or try -O2 if bad): 2",
            ADDR,
            "end of: parse_tokens_min2entries",
            "fading_str is: 1000-900",
            "parse_tokens_min2entries, str=1000-900",
            "i: 0 => value: 1000",
            "i: 1 => value: 900",
            "array length (check your compiler or try -O2 if bad): 2",
            ADDR,
            "end of: parse_tokens_min2entries",
            f"Filename: {name}",
            f"writing to file: {name}",
            "wavheader length=44 (ideally 44 ?)",
            "start_rpm: 180 end_rpm: end_rpm: 1740 ",
        ]
        self.assertEqual(run.lines, expected)
        self.assertEqual(run.status, 0)
        self.assertEqual(run.stdout, b"")
        self.assertEqual(run.files(), [name])
        self.assertEqual((self.tmp / name).stat().st_size, 10584044)

    def test_diagnostics_of_varied_arguments(self):
        cases = [
            # (arguments, lines printed for the length)
            (["m582", "140-200-200-3000", "1", "15-25-20", "1000", "1000"], None),
            (["c040", "40--80", "0", "-40-80-", "40x-80", "1000"], None),
            (["M582", "70000", "0", "15", "1000", "900"], None),
            (["m582", "1000", "0", "15", "1000", "1000", "ignored"], None),
            (["s060", "1000", "60s", "15", "1000", UNOPENABLE],
             ["The length of the wav file will be 60 seconds"]),
        ]
        for args, length_lines in cases:
            with self.subTest(args=args):
                run = self.run_trigwave(*args, cwd=self.fresh_dir())
                expected = h.param_lines(args, length_lines)
                name = h.file_name(args)
                if args[5] == UNOPENABLE:
                    expected += [f"Filename: {name}",
                                 f"cannot open file {name} for writing, reverting to stdout"]
                else:
                    expected = h.run_lines(args, length_lines)
                self.assertEqual(run.lines, expected)
                self.assertEqual(run.status, 1 if args[5] == UNOPENABLE else 0)
                self.assertEqual(run.stdout, b"")

    def test_point_above_16_bits_is_kept_modulo_65536(self):
        run = self.run_trigwave("M582", "70000", "0", "15", "1000", "900")
        self.assertEqual(run.lines[-1], "start_rpm: 4464 end_rpm: end_rpm: 4464 ")

    def test_999_and_1000_points_use_999_and_warn(self):
        for n in (999, 1000):
            with self.subTest(points=n):
                # One-digit points; every 50th carries a "/" (ignored after the number) so the long
                # name becomes nested folders, each short enough for the file system.
                tokens = [str(i % 9 + 1) + ("/" if i % 50 == 49 else "") for i in range(n)]
                args = ["c040", "-".join(tokens), "1", "15", "1000", "1000"]
                work = self.fresh_dir()
                (work / h.file_name(args)).parent.mkdir(parents=True)
                run = self.run_trigwave(*args, cwd=work)
                self.assertEqual(run.status, 0, run.stderr[-300:])
                self.assertIn("WARNING: ARRAY LENGTH MAXIMUM is 999", run.lines)
                self.assertIn("array length (check your compiler or try -O2 if bad): 999", run.lines)
                self.assertFalse(any(l.startswith("i: 999 ") for l in run.lines))
                starts = [l for l in run.lines if l.startswith("start_rpm:")]
                self.assertEqual(len(starts), 998)
                # points 997 and 998 (counted from 0) are 8 and 9
                self.assertEqual(starts[-1], "start_rpm: 8 end_rpm: end_rpm: 9 ")
                self.assertEqual(run.lines, h.run_lines(args))
                header = read_header(work / h.file_name(args))
                self.assertEqual(header["data_size"], 4 * 998 * 44)


class OptionTest(h.TrigwaveCase):
    """--help and --version alone: the text on standard output, nothing on standard error,
    status 0, no file."""

    def test_options_alone(self):
        cases = [
            ("--help", h.USAGE + ["usage- <prog> [--output FILE] [--reverse] --wheel FILE <RPM> <seconds> "
                                  "<sectrig_position> <amplitude> <normal_tooth_relative_amplitude>",
                                  "\ta wheel file's crank and cam in the type's place, its cam teeth moved on by "
                                  "sectrig_position;",
                                  "\t--reverse turns its crank upside down",
                                  "\t--output FILE names the WAV file (with a type too)",
                                  "usage- <prog> [effects] [--truth FILE.json] <type>|--wheel FILE <RPM> <seconds> ...",
                                  "\t--vr                 the crank as a VR sensor gives it, <amplitude> at 1000 RPM",
                                  "\t--runout PERCENT     with --vr: its swing moved once a revolution",
                                  "\t--cranking CYL,DEPTH CYL compression strokes a cycle, the speed +-DEPTH % around the RPM",
                                  "\t--noise DBFS         white noise of that RMS on both channels (-40)",
                                  "\t--jitter PERCENT     each crank edge moved by a normal spread of PERCENT % of its spacing",
                                  "\t--seed N             the noise's and the jitter's random numbers (default 1)",
                                  "\t--fault KIND@WHERE   missing@REV:TOOTH extra@REV:TOOTH dropout@S:DURATION[:crank|cam|both]",
                                  "\t                     spike@S[:crank|cam] flip@S nocam@CYCLE (repeatable)",
                                  "\t--truth FILE.json    every revolution and fault of the file, as trigwave-scan --json",
                                  "usage- <prog> --help | --version",
                                  "\tthis text, or the version, on standard output"]),
            ("--version", [f"trigwave {h.project_version()}"]),
        ]
        for option, lines in cases:
            with self.subTest(option=option):
                run = self.run_trigwave(option, cwd=self.fresh_dir())
                out = run.stdout.replace(b"\r\n", b"\n").decode("utf-8")
                self.assertTrue(out.endswith("\n"), out)
                # The usage lines name the program as it was invoked.
                names = re.findall(r"^usage- (\S+) ", out, re.M)
                self.assertTrue(all(h.program_stem() in name for name in names), names)
                self.assertEqual(re.sub(r"^usage- \S+ ", "usage- <prog> ", out, flags=re.M).splitlines(),
                                 lines)
                self.assertEqual(run.stderr, "")
                self.assertEqual(run.status, 0)
                self.assertEqual(run.files(), [])


class ArgumentErrorTest(h.TrigwaveCase):
    """Every argument error prints its diagnostics, then the usage text; status 2; no file."""

    def test_argument_errors(self):
        cases = [
            ([], ["NOT enough parameters: 1 (min:7)"]),
            (["m582", "1000", "1", "15", "1000"], ["NOT enough parameters: 6 (min:7)"]),
            (["m582", "x-80", "1", "15", "1000", "1000"],
             ["primstr=m582, toothcnt=58, missing=2", "rpm_str is: x-80"]
             + failed_sweep("x-80", [], ["bad RPM: x"])),
            (["m582", "40-x", "1", "15", "1000", "1000"],
             ["primstr=m582, toothcnt=58, missing=2", "rpm_str is: 40-x"]
             + failed_sweep("40-x", ["40"], ["bad RPM: x"])),
            (["m582", "", "1", "15", "1000", "1000"],
             ["primstr=m582, toothcnt=58, missing=2", "rpm_str is: "]
             + failed_sweep("", [], ["array length (check your compiler or try -O2 if bad): 0",
                                     "parse_tokens: could NOT parse tokens"])),
            (["m582", "1000", "1", "---", "1000", "1000"],
             RPM_OK + LEN_OK + ["cam_pos_str is: ---"]
             + failed_sweep("---", [], ["array length (check your compiler or try -O2 if bad): 0",
                                        "parse_tokens: could NOT parse tokens"])),
            (["m582", "1000", "1", "15", "a", "1000"],
             RPM_OK + LEN_OK + CAM_OK + ["amplitude_str is: a"] + failed_sweep("a", [], ["bad RPM: a"])),
            (["m582", "1000", "1", "15", "1000", "900-y"],
             RPM_OK + LEN_OK + CAM_OK + AMP_OK + ["fading_str is: 900-y"]
             + failed_sweep("900-y", ["900"], ["bad RPM: y"])),
        ]
        self.check_cases(cases)

    def test_refusals(self):
        cases = [
            (["ab", "1000", "1", "15", "1000", "1000"],
             ["<type> ab is refused: it needs at least 4 characters"]),
            (["m58", "1000", "1", "15", "1000", "1000"],
             ["<type> m58 is refused: it needs at least 4 characters"]),
            (["", "1000", "1", "15", "1000", "1000"],
             ["<type>  is refused: it needs at least 4 characters"]),
            # A first argument like an option is never a type, whatever follows it.
            (["--help", "1000", "1", "20", "1000", "1000"], [f"<type> --help is refused: {LIKE_OPTION}"]),
            (["--version", "x"], [f"<type> --version is refused: {LIKE_OPTION}"]),
            (["-m582", "1000", "1", "15", "1000", "1000"], [f"<type> -m582 is refused: {LIKE_OPTION}"]),
            (["-"], [f"<type> - is refused: {LIKE_OPTION}"]),
        ]
        for typ in ("m000", "e000", "M000", "E000"):
            cases.append(([typ, "1000", "1", "15", "1000", "1000"],
                          [type_line(typ), f"<type> {typ} is refused: {SLOT_LIMIT}"]))
        for length in ("-1", "24348", "2147483647", "2147483648", "99999999999", "-2147483649"):
            cases.append((["m582", "1000", length, "15", "1000", "1000"],
                          RPM_OK + [f"<seconds> {length} is refused: {LENGTH_LIMIT}"]))
        cases += [
            (["m582", "1000-2147483648", "1", "15", "1000", "1000"],
             ["primstr=m582, toothcnt=58, missing=2", "rpm_str is: 1000-2147483648"]
             + failed_sweep("1000-2147483648", ["1000"],
                            [f"<RPM> point 2147483648 is refused: {INT_LIMIT}"])),
            (["m582", "1000", "1", "99999999999", "1000", "1000"],
             RPM_OK + LEN_OK + ["cam_pos_str is: 99999999999"]
             + failed_sweep("99999999999", [],
                            [f"<sectrig_position> point 99999999999 is refused: {INT_LIMIT}"])),
            (["m582", "1000", "1", "15", "500-4294967296", "1000"],
             RPM_OK + LEN_OK + CAM_OK + ["amplitude_str is: 500-4294967296"]
             + failed_sweep("500-4294967296", ["500"],
                            [f"<amplitude> point 4294967296 is refused: {INT_LIMIT}"])),
            (["m582", "1000", "1", "15", "1000", "2147483648"],
             RPM_OK + LEN_OK + CAM_OK + AMP_OK + ["fading_str is: 2147483648"]
             + failed_sweep("2147483648", [],
                            [f"<normal_tooth_relative_amplitude> point 2147483648 is refused: {INT_LIMIT}"])),
        ]
        self.check_cases(cases)

    def check_cases(self, cases):
        for args, lines in cases:
            with self.subTest(args=args):
                work = self.fresh_dir()
                run = self.run_trigwave(*args, cwd=work)
                self.assertEqual(run.lines, lines + USAGE)
                self.assertUsageNames(run)
                self.assertEqual(run.status, 2)
                self.assertEqual(run.stdout, b"")
                self.assertEqual(run.files(), [])


class LimitsAcceptedTest(h.TrigwaveCase):
    """The largest values are read, not refused (the name points nowhere, so nothing is rendered)."""

    def test_limits_are_accepted(self):
        cases = [
            (["m582", "1000", "24347", "15", "1000", UNOPENABLE],
             ["The length of the wav file will be 24347 seconds"]),
            (["m582", "1000", "abc", "15", "1000", UNOPENABLE],
             ["bad length: abc", "The length of the wav file will be 120 seconds"]),
            (["m582", "2147483647-0", "1", "15", "1000", UNOPENABLE], None),
            (["m582", "1000", "1", "2147483647", "1000", UNOPENABLE], None),
            (["m255", "1000", "1", "15", "1000", UNOPENABLE], None),
        ]
        for args, length_lines in cases:
            with self.subTest(args=args):
                run = self.run_trigwave(*args)
                name = h.file_name(args)
                self.assertEqual(run.lines, h.param_lines(args, length_lines) + [
                    f"Filename: {name}", f"cannot open file {name} for writing, reverting to stdout"])
                self.assertEqual(run.status, 1)


class OutputFailureTest(h.TrigwaveCase):
    def test_output_that_cannot_be_opened(self):
        blocked = ["m582", "1000", "1", "15", "1000", "1000"]
        (self.tmp / h.file_name(blocked)).mkdir()  # a folder where the file should go
        cases = [["m582", "1000", "1", "15", "1000", UNOPENABLE], blocked]
        for args in cases:
            with self.subTest(args=args):
                before = sorted(self.tmp.iterdir())
                run = self.run_trigwave(*args)
                name = h.file_name(args)
                self.assertEqual(run.lines, h.param_lines(args) + [
                    f"Filename: {name}", f"cannot open file {name} for writing, reverting to stdout"])
                self.assertEqual(run.status, 1)
                self.assertEqual(run.stdout, b"")
                self.assertEqual(sorted(self.tmp.iterdir()), before)

    def test_full_device_never_exits_0(self):
        for length in ("0", "1", "3"):
            with self.subTest(length=length):
                args = ["m582", "1000-2000-3000", length, "15", "1000", "1000"]
                work = self.fresh_dir()
                os.symlink("/dev/full", work / h.file_name(args))
                run = self.run_trigwave(*args, cwd=work)
                complete = h.run_lines(args)
                header_at = complete.index("wavheader length=44 (ideally 44 ?)")
                self.assertIn(run.status, (5, 7), run.stderr)
                if run.status == 7:
                    self.assertEqual(run.lines, complete[:header_at] + ["wavheader length=0 (ideally 44 ?)"])
                else:
                    self.assertEqual(run.lines[-1], "fwrite error")
                    printed = run.lines[:-1]
                    self.assertGreater(len(printed), header_at)
                    self.assertEqual(printed, complete[:len(printed)])
                    if length == "0":
                        self.assertEqual(printed, complete)  # nothing fails before the close
                self.assertEqual(run.stdout, b"")

    def test_file_size_limit_keeps_written_frames(self):
        """A write that fails half-way: status 5, the frames before it stay, the header keeps full sizes."""
        args = ["c040", "1000", "5", "15", "1000", "1000"]
        full_dir = self.tmp / "full"
        cut_dir = self.tmp / "cut"
        full_dir.mkdir()
        cut_dir.mkdir()
        self.assertEqual(self.run_trigwave(*args, cwd=full_dir).status, 0)
        limit = 100000

        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

        run = self.run_trigwave(*args, cwd=cut_dir, preexec_fn=limit_file_size)
        self.assertEqual(run.status, 5, run.stderr)
        self.assertEqual(run.lines, h.run_lines(args) + ["fwrite error"])
        cut = (cut_dir / h.file_name(args)).read_bytes()
        full = (full_dir / h.file_name(args)).read_bytes()
        self.assertEqual(len(full), 44 + 4 * 5 * 44100)
        self.assertGreater(len(cut), 44)
        self.assertLessEqual(len(cut), limit)
        self.assertEqual(cut, full[:len(cut)])
        self.assertEqual(read_header(cut_dir / h.file_name(args))["data_size"], 4 * 5 * 44100)


if __name__ == "__main__":
    unittest.main()
