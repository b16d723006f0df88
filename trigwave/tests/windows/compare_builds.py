"""Checks that other builds of trigwave behave exactly like the reference build.

Every case runs once through the reference (the native Linux build) and once through
each other build, each run in a fresh empty working folder. A build agrees when it
leaves the same files with the same bytes, exits with the same status and prints the
same standard output and standard error. Before comparing, the output text is
normalised for what legitimately differs between platforms: CRLF line ends, the
printed address of a sweep table, and the program's name in the usage line.

  compare_builds.py --reference build-wnat/bin/trigwave \
      --build i386 "qemu-i386 build-i386/bin/trigwave" \
      --build win32 "setup/wine/wine-prefix run STATE build-win/bin/trigwave.exe"
"""
import argparse
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ADDR_LINE = re.compile(r"^(parse_tokens_min2entries, token_ptr=)(?:0x)?[0-9A-Fa-f]+$")
USAGE_LINE = re.compile(r"^usage- .+?( <type> <RPM> <seconds> <sectrig_position> .*)$")

# Seconds; the slowest case takes a few under wine.
RUN_TIMEOUT = 90

RPM_40_POINTS = "-".join(str(500 + 137 * i) for i in range(40))

# Wheel files the cases place in their working folder; the wide name needs Windows' wide calls.
GAPS = "orix-wheel 1\nname gaps\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\ncam tooth 0 10\n"
UNEVEN = ("orix-wheel 1\r\nname uneven\r\ncycle 720\r\ncrank tooth 710 10 full\r\ncrank tooth 100.25 140\r\n"
          "crank tooth 400 401.5\r\ncam tooth 700 20\r\ncam tooth 300 300.125\r\n")
WIDE = "zahnrad-äöü-齿轮"
PLACED = {"gaps.wheel": GAPS, f"{WIDE}.wheel": UNEVEN, "bad.wheel": GAPS + "cam tooth 5 7\n"}

# (what the reference must do, label, arguments). "wav": one WAV file and status 0;
# "nofile": no file at all, whatever the status. The expectation only guards against
# two builds agreeing on nothing; the comparison itself is the test.
CASES = [
    # every wheel type in both polarities, with constant and swept values mixed in
    ("wav", "coil 4 cyl", ["c040", "1000", "1", "15", "1000", "1000"]),
    ("wav", "coil 4 cyl reversed", ["C040", "3000", "1", "15", "1000", "1000"]),
    ("wav", "coil 8 cyl, all swept", ["c080", "180-1740", "2", "15-30", "100-1000", "1000-900"]),
    ("wav", "coil 8 cyl reversed", ["C080", "180-1740", "1", "15-30", "100-1000", "1000-900"]),
    ("wav", "audi", ["c270", "800", "1", "90", "500", "1000"]),
    ("wav", "audi reversed, falling", ["C270", "6000-800", "1", "90-10", "1000-200", "1000"]),
    ("wav", "60-2 usage example", ["m582", "180-1740", "2", "15-30", "100-1000", "1000-900"]),
    ("wav", "60-2 reversed, segments", ["M582", "140-200-200-3000", "2", "15-25-20", "1000", "1000"]),
    ("wav", "36-1", ["m351", "2500", "1", "30", "750", "900"]),
    ("wav", "36-1 reversed", ["M351", "6000-500", "1", "5-40", "1000", "500-1000"]),
    ("wav", "fiat", ["f000", "1200", "1", "0", "1000", "1000"]),
    ("wav", "fiat reversed", ["F000", "300-9000", "1", "45", "800-200", "1000"]),
    ("wav", "lotus", ["e324", "4000", "1", "15", "1000", "850"]),
    ("wav", "lotus reversed", ["E324", "900-2000-1500", "1", "20-30", "600", "1000-700"]),
    ("wav", "subaru", ["s060", "1000", "1", "15", "1000", "1000"]),
    ("wav", "subaru reversed", ["S060", "700-7000", "1", "0", "333-1000", "900"]),
    ("wav", "other type letter", ["x000", "1000", "1", "15", "1000", "1000"]),
    ("wav", "other type letter reversed", ["X582", "1000", "1", "15", "700", "1000"]),
    # sweeps, cam position, amplitude and relative amplitude
    ("wav", "40 RPM points", ["m582", RPM_40_POINTS, "1", "15", "1000", "1000"]),
    ("wav", "RPM jump beyond 32767", ["m351", "100-60000", "1", "15", "1000", "1000"]),
    ("wav", "point reduced to 16 bits", ["c040", "70000", "1", "15", "1000", "1000"]),
    ("wav", "separators and trailing text", ["m582", "40--80", "1", "-15-30-", "1000", "40x-80"]),
    ("wav", "cam pulse cut at the cycle end", ["m582", "1000", "1", "718", "1000", "1000"]),
    ("wav", "cam beyond one cycle", ["e324", "1000", "1", "800-0-360", "1000", "1000"]),
    ("wav", "amplitude 0", ["c040", "1000", "1", "15", "0", "1000"]),
    ("wav", "levels above full scale", ["m582", "1000", "1", "15", "1500", "2000"]),
    ("wav", "fine relative sweep", ["m351", "3000", "1", "15", "1000", "999-1-998-2-997"]),
    ("wav", "length with trailing text", ["m582", "2000", "1s", "15", "1000", "1000"]),
    ("wav", "zero length", ["m582", "1000", "0", "15", "1000", "1000"]),
    ("wav", "argument after the sixth", ["m582", "1000", "1", "15", "1000", "1000", "extra"]),
    # wheel files and the options before the type
    ("wav", "wheel file, all swept", ["--wheel", "gaps.wheel", "180-1740", "1", "15-30", "100-1000", "1000-900"]),
    ("wav", "wheel file by a wide name, reversed, to a wide name",
     ["--reverse", "--output", f"{WIDE}.wav", "--wheel", f"{WIDE}.wheel", "6000-500", "1", "5-40", "1000", "500-1000"]),
    ("wav", "wheel file by a wide name, named after it", ["--wheel", f"{WIDE}.wheel", "2500", "1", "90", "750", "900"]),
    ("wav", "a type to a named file", ["--output", "out.wav", "M351", "6000-500", "1", "5-40", "1000", "500-1000"]),
    ("nofile", "bad wheel file", ["--wheel", "bad.wheel", "1000", "1", "15", "1000", "1000"]),
    ("nofile", "no wheel file", ["--wheel", "none.wheel", "1000", "1", "15", "1000", "1000"]),
    ("nofile", "an unknown option", ["--wheel", "gaps.wheel", "--bogus", "1", "15", "1000", "1000"]),
    # effects: the same seed gives the same bytes, and the same truth, on every build
    ("wav", "every effect, a VR crank, with its truth",
     ["--vr", "--runout", "10", "--cranking", "4,30", "--noise", "-40", "--jitter", "3", "--seed", "42",
      "--fault", "missing@3:5", "--fault", "extra@4:2", "--fault", "dropout@0.5:0.1:both", "--fault", "spike@0.7",
      "--fault", "flip@0.8", "--truth", "t.json", "m582", "800-3000", "1", "15-30", "300", "900"]),
    ("wav", "hall effects on a wheel file by a wide name, reversed",
     ["--reverse", "--cranking", "4,40", "--jitter", "5", "--noise", "-30", "--fault", "nocam@2",
      "--truth", f"{WIDE}.json", "--wheel", f"{WIDE}.wheel", "900-2500", "1", "20", "800", "1000"]),
    ("wav", "effects on the sawtooth", ["--jitter", "4", "--fault", "extra@2:3", "--truth", "t.json",
                                        "f000", "1500", "1", "30", "1000", "1000"]),
    ("wav", "a VR Subaru reversed", ["--vr", "--seed", "18446744073709551615", "--noise", "-60.5", "S060",
                                      "700-7000", "1", "0", "200", "900"]),
    ("nofile", "an effect out of range", ["--jitter", "11", "m582", "1000", "1", "15", "1000", "1000"]),
    ("nofile", "a fault past the file's revolutions", ["--fault", "missing@999:1", "m582", "1000", "1", "15",
                                                        "1000", "1000"]),
    # failure paths
    ("nofile", "no arguments", []),
    ("nofile", "five arguments", ["m582", "1000", "1", "15", "1000"]),
    ("nofile", "bad RPM", ["m582", "x-80", "1", "15", "1000", "1000"]),
    ("nofile", "empty RPM", ["m582", "", "1", "15", "1000", "1000"]),
    ("nofile", "cam only separators", ["m582", "1000", "1", "-", "1000", "1000"]),
    ("nofile", "bad amplitude", ["m582", "1000", "1", "15", "q", "1000"]),
    ("nofile", "bad relative amplitude", ["m582", "1000", "1", "15", "1000", "-"]),
    ("nofile", "negative length", ["m582", "1000", "-1", "15", "1000", "1000"]),
    ("nofile", "no slots", ["m000", "1000", "1", "15", "1000", "1000"]),
    ("nofile", "short type", ["m5", "1000", "1", "15", "1000", "1000"]),
    ("nofile", "folder that does not exist", ["m582", "1000", "1", "15", "1000", "1000/x"]),
]


class Outcome:
    """What one run left behind: status, normalised output and the files it wrote."""

    def __init__(self, proc, work):
        self.status = proc.returncode
        self.stdout = normalise(proc.stdout)
        self.stderr = normalise(proc.stderr)
        self.files = {str(p.relative_to(work)): p.read_bytes()
                      for p in sorted(work.rglob("*")) if p.is_file() and p.name not in PLACED}


def normalise(raw):
    lines = raw.replace(b"\r\n", b"\n").decode("utf-8", "replace").split("\n")
    out = []
    for line in lines:
        line = ADDR_LINE.sub(r"\1<addr>", line)
        line = USAGE_LINE.sub(r"usage- <prog>\1", line)
        out.append(line)
    return "\n".join(out)


def command_line(text):
    """A command line whose relative paths still hold inside the working folders."""
    return [str(Path(t).resolve()) if "/" in t and Path(t).exists() else t
            for t in shlex.split(text)]


def place(work):
    for name, text in PLACED.items():
        (work / name).write_bytes(text.encode())


def run(command, args, scratch):
    work = Path(tempfile.mkdtemp(prefix="run-", dir=scratch))
    place(work)
    # wine inside qemu can hang now and then while starting, before trigwave runs at all;
    # such a start is tried again in a fresh folder, up to three times in all.
    for attempt in range(3):
        try:
            proc = subprocess.run(command + args, cwd=work, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=RUN_TIMEOUT)
            break
        except subprocess.TimeoutExpired as e:
            # A status no program returns, so the comparison reports it.
            proc = subprocess.CompletedProcess(e.cmd, "timeout", e.stdout or b"",
                                               e.stderr or b"")
            shutil.rmtree(work)
            work = Path(tempfile.mkdtemp(prefix="run-", dir=scratch))
            place(work)
    outcome = Outcome(proc, work)
    shutil.rmtree(work)
    return outcome


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def differences(ref, got):
    """Readable differences between two outcomes; empty when they agree."""
    found = []
    if ref.status != got.status:
        found.append(f"exit status {got.status}, reference {ref.status}")
    for stream in ("stdout", "stderr"):
        r, g = getattr(ref, stream).split("\n"), getattr(got, stream).split("\n")
        if r != g:
            i = first_difference(r, g)
            found.append(f"{stream} line {i + 1}: {g[i] if i < len(g) else '<end>'!r}, "
                         f"reference {r[i] if i < len(r) else '<end>'!r}")
    if sorted(ref.files) != sorted(got.files):
        found.append(f"files {sorted(got.files)}, reference {sorted(ref.files)}")
    for name in sorted(set(ref.files) & set(got.files)):
        r, g = ref.files[name], got.files[name]
        if r != g:
            found.append(f"{name}: {len(g)} bytes, reference {len(r)}; "
                         f"first difference at byte {first_difference(r, g)}")
    return found


def reference_problem(expect, ref):
    """Why the reference run cannot serve for this case, or None."""
    wavs = [n for n in ref.files if n.endswith(".wav")]
    if expect == "wav" and (ref.status != 0 or len(wavs) != 1 or len(ref.files[wavs[0]]) < 44):
        return f"reference wrote {sorted(ref.files)} with status {ref.status}, expected one WAV file"
    if expect == "nofile" and ref.files:
        return f"reference wrote {sorted(ref.files)}, expected no file"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--reference", required=True, help="command line of the reference build")
    parser.add_argument("--build", nargs=2, action="append", metavar=("LABEL", "COMMAND"),
                        required=True, help="a build to compare, as a command line")
    opts = parser.parse_args()

    reference = command_line(opts.reference)
    builds = [(label, command_line(cmd)) for label, cmd in opts.build]
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="trigwave-compare-") as scratch:
        for expect, label, args in CASES:
            ref = run(reference, args, scratch)
            problem = reference_problem(expect, ref)
            for build, command in builds:
                found = [problem] if problem else differences(ref, run(command, args, scratch))
                if found:
                    failed += 1
                    print(f"FAIL {build}: {label}: " + "; ".join(found), flush=True)
                else:
                    passed += 1
                    print(f"ok   {build}: {label}", flush=True)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
