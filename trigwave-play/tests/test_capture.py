"""What trigwave-play hands the sound card, captured by ALSA's file plugin: byte for byte
trigwave's file with no command, commands followed as the scanner reads them, its answers,
statuses and stop."""
import os
import pty
import re
import signal
import subprocess
import time
import unittest

import play_run as p

SWEEP = ["m582", "500-6000-800", 7, "10-40", "300-1000", "1000-600"]


def types():
    """Every type trigwave lists in its usage, and each reversed."""
    usage = subprocess.run([p.program("trigwave"), "--help"], capture_output=True, text=True).stdout
    names = re.findall(r"^\t([a-z]\d{3}): ", usage, re.M)
    assert len(names) >= 8, usage
    return names + [n.upper() for n in names]


class CaptureTest(p.ScratchCase):
    def assert_plays_file(self, args, commands=None):
        """The capture is trigwave's frames, then at most silence to the end of a period."""
        (self.dir / "capture.raw").unlink(missing_ok=True)
        run = p.play(self.dir, args, commands)
        self.assertEqual(run.returncode, 0, run.stderr)
        want, got = p.trigwave_frames(self.dir, args), p.captured(self.dir)
        self.assertEqual(got[:len(want)], want, f"{args}: the frames differ")
        tail = got[len(want):]
        self.assertLess(len(tail), p.PERIOD * p.FRAME, args)
        self.assertEqual(tail, bytes(len(tail)), args)

    def test_frames_are_trigwave_s(self):
        wheel = p.REPO / "wheels" / "36-2-2-2.wheel"
        cases = [[t, 2500, 1, 30, 900, 800] for t in types()]
        cases += [SWEEP, ["--wheel", wheel, "--reverse", "300-4000", 3, "0-90", 1000, 500],
                  ["--vr", "--cranking", "4,30", "--noise", "-30", "--jitter", "1", "--fault", "missing@3:5",
                   "--fault", "dropout@1.5:0.2", "m582", "300-900", 4, 20, 1000, 1000]]
        for args in cases:
            with self.subTest(args=" ".join(map(str, args))):
                self.assert_plays_file(args)

    def test_hold_keeps_the_values(self):
        # 0 seconds: the first values, here a second of them, as a file of constant values
        run = p.play(self.dir, ["--hold", "m351", 1200, 0, 25, 1000, 1000], "at 1 quit\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(p.captured(self.dir)[:p.RATE * p.FRAME],
                         p.trigwave_frames(self.dir, ["m351", 1200, 1, 25, 1000, 1000]))
        # past the end: the file, then its last speed for the second held
        (self.dir / "capture.raw").unlink()
        run = p.play(self.dir, ["--hold", "m582", "1000-2000", 2, 30, 1000, 1000], "at 3 quit\n")
        raw = p.captured(self.dir)
        self.assertEqual(len(raw), 3 * p.RATE * p.FRAME)
        self.assertEqual(raw[:2 * p.RATE * p.FRAME], p.trigwave_frames(self.dir, ["m582", "1000-2000", 2, 30, 1000, 1000]))
        scanned, rows = p.scan(self.dir, p.as_wav(self.dir, raw))
        self.assertEqual(scanned.returncode, 0, scanned.stdout)
        held = [float(r["rpm"]) for r in rows if float(r["time_s"]) > 2.1]
        self.assertTrue(held and all(abs(r - 1999) < 3 for r in held), held)

    def test_timed_commands_as_the_scanner_reads_them(self):
        run = p.play(self.dir, ["m582", 1000, 10, 20, 1000, 1000], "at 1 rpm 3000 over 2\nat 2 cam 40\nat 5 quit\n")
        self.assertEqual((run.returncode, run.stdout), (0, "ok\nok\nok\n"), run.stderr)
        raw = p.captured(self.dir)
        self.assertEqual(len(raw) // p.FRAME, 5 * p.RATE)
        scanned, rows = p.scan(self.dir, p.as_wav(self.dir, raw))
        self.assertEqual(scanned.returncode, 0, scanned.stdout)  # in sync throughout, no anomaly
        self.assertGreater(len(rows), 150)
        self.assertTrue(all(r["teeth"] == "58" and not r["anomaly"] for r in rows))

        def rpm_at(t):
            return 1000 + 1000 * min(max(t - 1, 0), 2)

        cams = [(float(r["time_s"]), float(r["cam_deg"])) for r in rows if r["cam_deg"]]
        before = [c for t, c in cams if t < 1.9]
        for r in rows:
            t, rpm = float(r["time_s"]), float(r["rpm"])
            turn = 60 / rpm  # within one revolution of the command's time
            low, high = rpm_at(t - turn), rpm_at(t + turn)
            slack = 2 * rpm / (p.RATE * turn) + 0.5  # two samples of the revolution's length
            self.assertTrue(low - slack <= rpm <= high + slack, f"{rpm} RPM at {t} s")
        for t, c in cams:
            turn = 120 / rpm_at(t)
            if t < 2 - turn:
                self.assertAlmostEqual(c, sum(before) / len(before), delta=0.6)
            elif t > 2 + turn:
                self.assertAlmostEqual(c, sum(before) / len(before) + 20, delta=0.6)

    def test_answers_and_statuses(self):
        lines = ("rpm 3000\n\n# a note\nbogus 1\nrpm 70000\ncam 40 over 2\nat x quit\nat 0.5 relative 500\n"
                 "rpm 2000 over 0.25\nhold now\nat 1 quit\n")
        run = p.play(self.dir, ["m582", 1000, 2, 20, 1000, 1000], lines)
        self.assertEqual(run.returncode, 0, run.stderr)
        answers = run.stdout.splitlines()
        self.assertEqual([a.split(":")[0] for a in answers],
                         ["ok", "error", "error", "error", "error", "ok", "ok", "error", "ok"], run.stdout)
        self.assertIn('"bogus"', answers[1])
        self.assertIn('"70000"', answers[2])
        self.assertEqual(len(p.captured(self.dir)), p.RATE * p.FRAME)

        # a device that cannot be opened: its name, before any sound; a bad argument: the usage
        run = p.play(self.dir, ["m582", 1000, 2, 20, 1000, 1000], device="no-such-device")
        self.assertEqual(run.returncode, 1)
        self.assertIn('"no-such-device"', run.stderr)
        for args in (["m5", 1000, 2, 20, 1000, 1000], ["m582", 1000, 2, 20, 1000],
                     ["--output", "x.wav", "m582", 1000, 2, 20, 1000, 1000], ["--hold", "--hold", "m582", 1, 1, 1, 1, 1]):
            run = p.play(self.dir, args)
            self.assertEqual(run.returncode, 2, args)
            self.assertIn("Usage:", run.stderr)

    def test_ctrl_c_stops_a_held_stream(self):
        env_conf = p.alsa_config(self.dir)
        proc = subprocess.Popen([p.program("trigwave-play"), "--device", "capture", "--hold", "m582", "3000", "0", "20",
                                 "1000", "1000"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                env=dict(p.os.environ, ALSA_CONFIG_PATH=str(env_conf)))
        time.sleep(0.5)
        self.assertIsNone(proc.poll())
        stopped = time.monotonic()
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=10)
        self.assertLess(time.monotonic() - stopped, 1.0)
        self.assertEqual(proc.returncode, 0, err)
        self.assertRegex(err.decode(), r"played \d+\.\d{3} s, 0 underruns")

    def test_a_terminal_in_the_background(self):
        # started with & from a shell: in a process group of its own, not the terminal's
        # foreground one; it must leave the terminal's modes and input alone (or it is stopped)
        conf = p.alsa_config(self.dir)
        pid, fd = pty.fork()
        if pid == 0:
            player = os.fork()
            if player == 0:
                os.setpgid(0, 0)
                os.environ["ALSA_CONFIG_PATH"] = str(conf)
                os.execv(p.program("trigwave-play"), ["trigwave-play", "--device", "capture", "m582", "3000", "1",
                                                      "20", "1000", "1000"])
            _, status = os.waitpid(player, os.WUNTRACED)
            if os.WIFSTOPPED(status):
                os.kill(player, signal.SIGKILL)
                os._exit(99)
            os._exit(os.waitstatus_to_exitcode(status) & 0xFF)
        try:
            while os.read(fd, 4096):
                pass
        except OSError:
            pass
        _, status = os.waitpid(pid, 0)
        os.close(fd)
        self.assertNotEqual(os.waitstatus_to_exitcode(status), 99, "stopped by the terminal")
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)
        self.assertEqual(len(p.captured(self.dir)), p.RATE * p.FRAME)

if __name__ == "__main__":
    unittest.main()
