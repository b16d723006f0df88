"""Runs the built trigwave from outside, each run in a fresh working folder.

The program comes from the environment so the same tests can run another build:
  TRIGWAVE           path of the program (default: build/bin/trigwave of this repository)
  TRIGWAVE_LAUNCHER  optional command put in front of it, e.g. "wine"
"""
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from wavfile import read_frames

REPO = Path(__file__).resolve().parents[3]

USAGE_TAIL = [
    "\tmost parameters allow constant like 40 or continuous changes with 40-80-85-70 syntax",
    "\tspecify ALL parameters (amplitude=1000 is normal 100%)",
    "\t60-2 (58+2) at 180-1740 RPM, 60 sec length, sectrig rising edge=15..30crankdeg, "
    "amplitude=10%..100%, normaltooth=100% .. 90%-",
    "\ttrigwave m582 180-1740 60 15-30 100-1000 1000-900",
    "\tRev up from 140 to 3000 RPM in 4 steps, holding 200 RPM for a while, sweeping sectrig 20+-5 degree-",
    "\ttrigwave m582 140-200-200-3000 60 15-25-20 1000 1000",
    "\ttype-",
    "\tc040: coiltype with 4 cyl",
    "\tc080: coiltype with 8 cyl",
    "\tc270: auditrigger (1 sectrig pulse for every 270 primtrig pulse)",
    "\tm582: multitooth 60-2",
    "\tm351: multitooth 36-1",
    "\tf000: fiatstilo",
    "\te324: Lotus Elise",
    "\ts060: Subaru EJ series",
    "\tcapitals for reverse polarity; might be necessary depending on soundcard",
]
USAGE_FIRST = ("usage- <prog> <type> <RPM> <seconds> <sectrig_position> <amplitude> "
               "<normal_tooth_relative_amplitude>")
USAGE = [USAGE_FIRST] + USAGE_TAIL

ADDR_LINE = re.compile(r"^parse_tokens_min2entries, token_ptr=(?:0x)?[0-9A-Fa-f]+$")
USAGE_LINE = re.compile(
    r"^usage- (.+) <type> <RPM> <seconds> <sectrig_position> <amplitude> <normal_tooth_relative_amplitude>$")
ADDR_PLACEHOLDER = "parse_tokens_min2entries, token_ptr=<addr>"

FRAME_RATE = 44100
HEADER_BYTES = 44


def program():
    path = os.environ.get("TRIGWAVE") or str(REPO / "build" / "bin" / "trigwave")
    if not os.path.isfile(path):
        raise RuntimeError(f"trigwave not found at {path}; set TRIGWAVE to the built program")
    return os.path.abspath(path)


def project_version():
    """The version the build takes from project() in the top CMakeLists.txt."""
    text = (REPO / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"^project\(\S+ VERSION (\S+)", text, re.M).group(1)


def launcher():
    return shlex.split(os.environ.get("TRIGWAVE_LAUNCHER", ""))


def program_stem():
    name = os.path.basename(program())
    return name[:-4] if name.lower().endswith(".exe") else name


class Run:
    """One finished run: exit status, raw output and the normalised standard error lines."""

    def __init__(self, cwd, proc):
        self.cwd = Path(cwd)
        self.status = proc.returncode
        self.stdout = proc.stdout
        self.stderr = proc.stderr.replace(b"\r\n", b"\n").decode("utf-8", "replace")
        self.invocation_names = []
        self.lines = [self._normalise(line) for line in self.stderr.split("\n")]
        if self.lines and self.lines[-1] == "":
            self.lines.pop()

    def _normalise(self, line):
        if ADDR_LINE.match(line):
            return ADDR_PLACEHOLDER
        m = USAGE_LINE.match(line)
        if m:
            self.invocation_names.append(m.group(1))
            return USAGE_FIRST
        return line

    def files(self):
        return sorted(p.name for p in self.cwd.iterdir())


class TrigwaveCase(unittest.TestCase):
    """Gives every test its own temporary working folder."""

    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix="trigwave-e2e-"))
        self.addCleanup(shutil.rmtree, self.tmp, True)

    def run_trigwave(self, *args, cwd=None, preexec_fn=None, timeout=300):
        cwd = self.tmp if cwd is None else cwd
        env = dict(os.environ)
        env.setdefault("WINEDEBUG", "-all")
        command = launcher() + [program()] + [str(a) for a in args]
        # Under an emulating launcher (wine inside qemu) a start can hang now and then
        # before the program runs at all; such a run is tried again, up to three times.
        # The program itself never waits on anything, so a native run gets one try.
        attempts = 3 if launcher() else 1
        for attempt in range(attempts):
            try:
                proc = subprocess.run(command, cwd=cwd, stdin=subprocess.DEVNULL,
                                      capture_output=True, env=env, preexec_fn=preexec_fn,
                                      timeout=timeout if attempts == 1 else 120)
                break
            except subprocess.TimeoutExpired:
                if attempt + 1 == attempts:
                    raise
        return Run(cwd, proc)

    def fresh_dir(self):
        """A new empty folder inside this test's folder, for one run of several."""
        work = self.tmp / f"run{len(list(self.tmp.iterdir()))}"
        work.mkdir()
        return work

    def render(self, *args):
        """Runs a complete generation in a fresh folder and returns its frames (crank, cam)."""
        work = self.fresh_dir()
        run = self.run_trigwave(*args, cwd=work)
        self.assertEqual(run.status, 0, run.stderr[-500:])
        return read_frames(work / file_name(args))

    def assertUsageNames(self, run, count=1):
        """The usage text's first line names the program as it was invoked."""
        self.assertEqual(len(run.invocation_names), count, run.stderr)
        for name in run.invocation_names:
            self.assertIn(program_stem(), name)


def sweep_lines(text):
    """Diagnostics of one sweep argument that parses, as the program prints them."""
    tokens = [t for t in text.split("-") if t][:999]
    lines = [f"parse_tokens_min2entries, str={text}"]
    lines += [f"i: {i} => value: {tok}" for i, tok in enumerate(tokens)]
    if len(tokens) == 999:
        lines.append("WARNING: ARRAY LENGTH MAXIMUM is 999")
    lines.append(f"array length (check your compiler or try -O2 if bad): {len(tokens)}")
    lines.append(ADDR_PLACEHOLDER)
    if len(tokens) == 1:
        lines.append("NO SWEEP (1 parameter)")
    lines.append("end of: parse_tokens_min2entries")
    return lines


def type_line(type_str):
    """The type string's diagnostic, for a type letter followed by three digits."""
    tooth = 10 * int(type_str[1]) + int(type_str[2])
    return f"primstr={type_str}, toothcnt={tooth}, missing={int(type_str[3])}"


def param_lines(args, length_lines=None):
    """Every diagnostic of a successful argument read, in order."""
    typ, rpm, length, cam, amp, rel = args[:6]
    if length_lines is None:
        length_lines = [f"The length of the wav file will be {int(length)} seconds"]
    return ([type_line(typ), f"rpm_str is: {rpm}"] + sweep_lines(rpm) + length_lines
            + [f"cam_pos_str is: {cam}"] + sweep_lines(cam)
            + [f"amplitude_str is: {amp}"] + sweep_lines(amp)
            + [f"fading_str is: {rel}"] + sweep_lines(rel))


def file_name(args):
    return "_".join(str(a) for a in args[:6]) + ".wav"


def leading_int(text):
    """The number at the start of a token, read as "%d" reads it (the rest is ignored)."""
    return int(re.match(r"\s*[+-]?\d+", text).group(0))


def rpm_points(rpm):
    """The RPM points as the program stores them (16-bit), a single point doubled."""
    pts = [leading_int(t) % 65536 for t in rpm.split("-") if t][:999]
    return pts * 2 if len(pts) == 1 else pts


def run_lines(args, length_lines=None):
    """Standard error of a complete run."""
    name = file_name(args)
    pts = rpm_points(args[1])
    return (param_lines(args, length_lines)
            + [f"Filename: {name}", f"writing to file: {name}", "wavheader length=44 (ideally 44 ?)"]
            + [f"start_rpm: {a} end_rpm: end_rpm: {b} " for a, b in zip(pts, pts[1:])])


def expected_frames(length_sec, rpm):
    """Frame count: whole seconds at 44100 frames, equal whole shares per RPM segment."""
    segments = max(len(rpm_points(rpm)) - 1, 1)
    return (length_sec * FRAME_RATE // segments) * segments
