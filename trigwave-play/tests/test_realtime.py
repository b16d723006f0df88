"""trigwave-play against a device that takes frames at the real rate: a PulseAudio server
started for the test with a null sink, reached through ALSA's pulse plugin, the file plugin
in front of it keeping what was played. A stall of the program is an underrun, counted and
reported in its status; the keys of a terminal (a pseudo-terminal here) change the signal."""
import os
import re
import pty
import signal
import subprocess
import time
import unittest

import play_run as p


class RealTimeTest(p.ScratchCase):
    def test_a_stall_is_an_underrun(self):
        with p.pulse_server(self.dir) as conf:
            started = time.monotonic()
            proc = subprocess.Popen([p.program("trigwave-play"), "--device", "bench", "m582", "3000", "20", "30", "1000",
                                     "1000"],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                    env=dict(os.environ, ALSA_CONFIG_PATH=str(conf)))
            time.sleep(5)
            proc.send_signal(signal.SIGSTOP)
            time.sleep(0.2)
            proc.send_signal(signal.SIGCONT)
            _, err = proc.communicate(timeout=120)
            took = time.monotonic() - started
        self.assertEqual(proc.returncode, 3, err)
        self.assertRegex(err, r"played 20\.000 s, [1-9]\d* underruns")
        self.assertGreater(took, 20)  # the sink takes the frames at the real rate

    def test_keys_of_a_terminal(self):
        with p.pulse_server(self.dir) as conf:
            pid, fd = pty.fork()
            if pid == 0:
                os.environ["ALSA_CONFIG_PATH"] = str(conf)
                os.execv(p.program("trigwave-play"), ["trigwave-play", "--device", "capture", "--hold",
                                                      "m582", "1000", "0", "20", "1000", "1000"])
            screen = b""

            def keys(text, wait):
                nonlocal screen
                os.write(fd, text)
                end = time.monotonic() + wait
                while time.monotonic() < end:
                    try:
                        screen += os.read(fd, 4096)
                    except OSError:
                        break

            def played():
                times = re.findall(rb"(\d+\.\d\d) s ", screen)
                return float(times[-1]) if times else 0.0

            # the stream under way (the server may take a moment to start it) before the keys
            deadline = time.monotonic() + 20
            while played() < 0.5 and time.monotonic() < deadline:
                keys(b"", 0.1)
            keys(b"\x1b[5~\x1b[5~\x1b[A\x1b[A\x1b[A\x1b[C\x1b[C\x1b[C\x1b[C\x1b[C", 1.0)
            keys(b" ", 0.5)  # paused: silence
            keys(b" ", 1.0)
            keys(b"q", 1.0)
            _, status = os.waitpid(pid, 0)
        text = screen.decode(errors="replace")
        # 3 where the machine held the player up past the buffer: the keys are the point here
        self.assertIn(os.waitstatus_to_exitcode(status), (0, 3), text)
        self.assertIn("1230 RPM  cam  25.0 deg", text)
        self.assertIn("paused", text)
        raw = p.captured(self.dir)
        frames = [raw[i:i + p.FRAME] for i in range(0, len(raw), p.FRAME)]
        silent = max(len(run) for run in "".join("0" if f == bytes(4) else "1" for f in frames).split("1"))
        self.assertGreater(silent, 0.4 * p.RATE)  # the pause, a frame of the signal is never 0
        scanned, rows = p.scan(self.dir, p.as_wav(self.dir, raw))
        first, last = rows[1], rows[-2]
        self.assertAlmostEqual(float(first["rpm"]), 1000, delta=1)
        self.assertAlmostEqual(float(last["rpm"]), 1230, delta=1)
        cams = [float(r["cam_deg"]) for r in rows if r["cam_deg"]]
        self.assertAlmostEqual(cams[-1] - cams[0], 5, delta=0.6)


if __name__ == "__main__":
    unittest.main()
