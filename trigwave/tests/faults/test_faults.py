"""Output faults on the real program: permissions (as an unprivileged user), a full device,
a full or too small file system, a name longer than the file system allows.

Every run ends with its decided status (1 cannot open, 5 a write, flush or close failed,
7 the header failed) and a status of 0 only ever comes with a complete file.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness as h  # noqa: E402  (shared with the end-to-end tests)

NOBODY = 65534
HEADER = struct.Struct("<4sI4s4sIHHIIHH4sI")


def header_sizes(data):
    """(riff_size, data_size) of a file's first 44 bytes."""
    fields = HEADER.unpack(data[:HEADER.size])
    return fields[1], fields[12]


def cannot_open_line(name):
    return f"cannot open file {name} for writing, reverting to stdout"


class FaultCase(h.TrigwaveCase):
    def setUp(self):
        super().setUp()
        os.chmod(self.tmp, 0o755)  # reachable by the unprivileged user

    def assertOutcome(self, run, path, frames, allowed):
        """The status is one of the decided ones for this fault, and 0 means a complete file."""
        self.assertIn(run.status, allowed, run.stderr[-800:])
        self.assertEqual(run.stdout, b"")
        if run.status == 0:
            data = Path(path).read_bytes()
            self.assertEqual(len(data), 44 + 4 * frames)
            self.assertEqual(header_sizes(data), (36 + 4 * frames, 4 * frames))
        elif run.status == 1:
            self.assertEqual(run.lines[-1], cannot_open_line(Path(path).name))
        else:
            self.assertEqual(run.lines[-1], "fwrite error" if run.status == 5 else
                             "wavheader length=0 (ideally 44 ?)")


class PermissionTest(FaultCase):
    """Root ignores permissions, so these run as nobody (setpriv) when the tests run as root."""

    def setUp(self):
        super().setUp()
        if os.geteuid() == 0:
            if shutil.which("setpriv") is None:
                self.skipTest("running as root without setpriv: permissions would not apply")
            for folder in self.tmp.parents:
                if not os.stat(folder).st_mode & 0o001:
                    self.skipTest(f"{folder} is closed to other users; set TMPDIR to a reachable folder")
            self.prefix = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"]
        else:
            self.prefix = []
        # A copy of the program that the unprivileged user can surely reach and run.
        self.program = self.tmp / "bin" / Path(h.program()).name
        self.program.parent.mkdir()
        shutil.copy2(h.program(), self.program)
        os.chmod(self.program.parent, 0o755)
        os.chmod(self.program, 0o755)

    def give_away(self, path):
        if os.geteuid() == 0:
            os.chown(path, NOBODY, NOBODY)

    def run_as_user(self, args, cwd):
        proc = subprocess.run(self.prefix + h.launcher() + [str(self.program)] + args, cwd=cwd,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        return h.Run(cwd, proc)

    def test_cannot_write(self):
        args = ["m582", "1000", "1", "15", "1000", "1000"]
        name = h.file_name(args)
        old = b"the previous content, which must survive"
        locked = self.tmp / "locked"  # a folder the user may enter but not write
        locked.mkdir()
        readonly = self.tmp / "readonly"  # the user's own folder holding a read-only file
        readonly.mkdir()
        (readonly / name).write_bytes(old)
        self.give_away(readonly)
        self.give_away(readonly / name)
        os.chmod(readonly / name, 0o444)
        os.chmod(locked, 0o555)

        for folder, before in [(locked, None), (readonly, old)]:
            with self.subTest(folder=folder.name):
                run = self.run_as_user(args, folder)
                self.assertEqual(run.lines, h.param_lines(args) + [
                    f"Filename: {name}", cannot_open_line(name)])
                self.assertOutcome(run, folder / name, 0, (1,))
                if before is None:
                    self.assertFalse((folder / name).exists())
                else:
                    self.assertEqual((folder / name).read_bytes(), before)


class FullDeviceTest(FaultCase):
    def test_dev_full(self):
        """/dev/full behind a link named as the output file: every write fails."""
        for length in ("0", "1"):
            with self.subTest(length=length):
                args = ["c040", "1000", length, "15", "1000", "1000"]
                work = self.tmp / f"len{length}"
                work.mkdir()
                os.symlink("/dev/full", work / h.file_name(args))
                run = self.run_trigwave(*args, cwd=work)
                self.assertOutcome(run, work / h.file_name(args), 0, (5,))
                # Everything up to the first failure was said, and nothing after it.
                complete = h.run_lines(args)
                self.assertEqual(run.lines[:-1], complete[:len(run.lines) - 1])


class SmallFileSystemTest(FaultCase):
    """A tmpfs of 64 KiB, mounted in a mount namespace of its own."""

    SIZE = 64 * 1024

    def setUp(self):
        super().setUp()
        probe = self.tmp / "probe"
        probe.mkdir()
        if shutil.which("unshare") is None:
            self.skip_with_reason("unshare is not installed")
        proc = subprocess.run(["unshare", "--mount", "--propagation", "private",
                               "mount", "-t", "tmpfs", "-o", "size=64k", "trigwave-faults", str(probe)],
                              capture_output=True, text=True)
        if proc.returncode != 0:
            self.skip_with_reason(f"mounting a tmpfs is not allowed here: {proc.stderr.strip()}")

    def skip_with_reason(self, reason):
        print(f"\nskipped: {reason}", file=sys.stderr)
        self.skipTest(reason)

    def run_on_tmpfs(self, args, fill):
        """Runs trigwave with its working folder on a fresh tmpfs, first filled when asked;
        the output file is copied out before the file system goes away."""
        mnt = self.tmp / "mnt"
        out = self.tmp / "out"
        mnt.mkdir(exist_ok=True)
        out.mkdir(exist_ok=True)
        script = ('mount -t tmpfs -o size=$1 trigwave-faults "$2" && cd "$2" || exit 99\n'
                  'if [ "$3" = fill ]; then cat /dev/zero > filler 2>/dev/null; fi\n'
                  'shift 4\n'
                  '"$@"; status=$?\n'
                  'for f in *.wav; do [ -e "$f" ] && cp "$f" "$OUT/"; done\n'
                  'exit $status\n')
        cmd = ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, "sh",
               str(self.SIZE), str(mnt), "fill" if fill else "empty", "-"]
        env = dict(os.environ, OUT=str(out))
        proc = subprocess.run(cmd + h.launcher() + [h.program()] + args, stdin=subprocess.DEVNULL,
                              capture_output=True, env=env, timeout=300)
        self.assertNotEqual(proc.returncode, 99, proc.stderr)
        return h.Run(out, proc), out / h.file_name(args)

    def test_full_file_system(self):
        args = ["m582", "1000", "1", "15", "1000", "1000"]
        run, path = self.run_on_tmpfs(args, fill=True)
        self.assertOutcome(run, path, 44100, (5,))
        self.assertEqual(run.lines, h.run_lines(args) + ["fwrite error"])

    def test_file_larger_than_the_file_system(self):
        """A file of 176444 bytes on 64 KiB: the frames that fit stay, the header keeps full sizes."""
        args = ["m582", "1000", "1", "15", "1000", "1000"]
        reference = self.tmp / "reference"
        reference.mkdir()
        self.assertEqual(self.run_trigwave(*args, cwd=reference).status, 0)
        complete = (reference / h.file_name(args)).read_bytes()

        run, path = self.run_on_tmpfs(args, fill=False)
        self.assertOutcome(run, path, 44100, (5,))
        self.assertEqual(run.lines, h.run_lines(args) + ["fwrite error"])
        cut = path.read_bytes()
        self.assertGreater(len(cut), 44)
        self.assertLessEqual(len(cut), self.SIZE)
        self.assertEqual(cut, complete[:len(cut)])
        self.assertEqual(header_sizes(cut), (36 + 4 * 44100, 4 * 44100))


class LongNameTest(FaultCase):
    def test_name_length_limit(self):
        name_max = os.pathconf(self.tmp, "PC_NAME_MAX")

        def args_for(name_length):
            """A command line whose file name has exactly this many characters (RPM points of 1)."""
            base = ["m582", "1", "0", "15", "1000", "1000"]
            pad = name_length - len(h.file_name(base))
            self.assertGreaterEqual(pad, 0)
            rpm = "1" + "-1" * (pad // 2) + ("0" if pad % 2 else "")
            args = ["m582", rpm, "0", "15", "1000", "1000"]
            self.assertEqual(len(h.file_name(args)), name_length)
            return args

        cases = [  # name length, decided status
            (name_max, 0),       # the longest name that fits
            (name_max + 1, 1),
            (5000, 1),           # cut to 4089 characters, still far too long
        ]
        for length, status in cases:
            with self.subTest(length=length):
                args = args_for(length)
                work = self.tmp / f"n{length}"
                work.mkdir()
                run = self.run_trigwave(*args, cwd=work)
                name = h.file_name(args)[:4089]
                self.assertEqual(run.status, status, run.stderr[-400:])
                self.assertOutcome(run, work / name, 0, (status,))
                self.assertEqual(sorted(p.name for p in work.iterdir()),
                                 [name] if status == 0 else [])


if __name__ == "__main__":
    unittest.main()
