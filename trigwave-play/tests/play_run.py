"""Runs the built trigwave-play into a private ALSA configuration, and what reads its output.

  TRIGWAVE_PLAY, TRIGWAVE, TRIGWAVE_SCAN  the programs (default: build/bin/ of this repository)

ALSA_CONFIG_PATH names a configuration of the test's own: the system's, then a "capture"
device, ALSA's file plugin writing every frame it is given to a raw file in front of the
null device (which takes frames as fast as they come) or of a PulseAudio sink (which takes
them at the real rate)."""
import csv
import os
import subprocess
import tempfile
import time
import unittest
import wave
from contextlib import contextmanager
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
RATE = 44100
FRAME = 4  # bytes: two 16-bit channels
PERIOD = 441  # frames of the player's period: at most this much silence closes a stream


def program(name):
    return os.environ.get(name.upper().replace("-", "_")) or str(REPO / "build" / "bin" / name)


def alsa_config(folder, slave='"null"', extra=""):
    """A configuration whose "capture" device writes to folder/capture.raw through slave."""
    conf = Path(folder) / "asound.conf"
    conf.write_text("</usr/share/alsa/alsa.conf>\n"
                    f'pcm.capture {{ type file; slave.pcm {slave}; file "{folder}/capture.raw"; format "raw" }}\n'
                    + extra)
    return conf


def play(folder, args, commands=None, conf=None, timeout=120, device="capture", **kw):
    """trigwave-play into the capture device, commands (a text) given as a file on standard input."""
    env = dict(os.environ, ALSA_CONFIG_PATH=str(conf or alsa_config(folder)))
    stdin = subprocess.DEVNULL
    if commands is not None:
        script = Path(folder) / "commands.txt"
        script.write_text(commands)
        stdin = script.open()
    try:
        return subprocess.run([program("trigwave-play"), "--device", device, *map(str, args)], stdin=stdin,
                              capture_output=True, text=True, env=env, timeout=timeout, **kw)
    finally:
        if commands is not None:
            stdin.close()


def captured(folder):
    path = Path(folder) / "capture.raw"
    return path.read_bytes() if path.exists() else b""


def trigwave_frames(folder, args):
    """The frames (the bytes after the 44-byte header) of trigwave's file for the arguments."""
    out = Path(folder) / "trigwave.wav"
    subprocess.run([program("trigwave"), "--output", str(out), *map(str, args)], check=True, capture_output=True)
    return out.read_bytes()[44:]


def as_wav(folder, raw, name="capture.wav"):
    """The raw frames as a WAV file, for trigwave-scan."""
    out = Path(folder) / name
    with wave.open(str(out), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(raw)
    return out


def scan(folder, wav):
    """trigwave-scan's status and its rows, a revolution each."""
    rows_path = Path(folder) / "rows.csv"
    proc = subprocess.run([program("trigwave-scan"), "--csv", str(rows_path), str(wav)], capture_output=True,
                          text=True, timeout=300)
    rows = list(csv.DictReader(rows_path.read_text().splitlines())) if rows_path.exists() else []
    return proc, rows


class ScratchCase(unittest.TestCase):
    """A test with a scratch folder of its own, self.dir."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="trigwave-play-")
        self.dir = Path(self.tmp.name)

    def tearDown(self):
        self.tmp.cleanup()


@contextmanager
def pulse_server(folder):
    """A private PulseAudio server with one null sink; yields the ALSA configuration that
    reaches it: "bench" the sink, "capture" the sink behind the file plugin."""
    runtime = Path(folder) / "pulse"
    runtime.mkdir()
    socket = runtime / "native"
    env = dict(os.environ, HOME=str(runtime), XDG_RUNTIME_DIR=str(runtime), XDG_CONFIG_HOME=str(runtime))
    log = (runtime / "log").open("w")
    server = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                               "--disallow-exit", "--disable-shm", "-L", "module-null-sink sink_name=bench",
                               "-L", f"module-native-protocol-unix socket={socket} auth-anonymous=1"],
                              env=env, stdout=subprocess.DEVNULL, stderr=log)
    try:
        for _ in range(100):
            if socket.exists() or server.poll() is not None:
                break
            time.sleep(0.1)
        if not socket.exists():
            server.kill()
            raise RuntimeError("pulseaudio did not start: " + (runtime / "log").read_text()[-2000:])
        yield alsa_config(folder, '"bench"', f'pcm.bench {{ type pulse; server "unix:{socket}"; device "bench" }}\n')
    finally:
        server.terminate()
        server.wait(timeout=10)
        log.close()
