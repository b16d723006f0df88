"""trigwave-play.exe through WinMM's waveOut under wine, its sound taken where it leaves wine.

wine's ALSA driver plays to ALSA's default device; ALSA_CONFIG_PATH makes that a file
plugin in front of the null device, so every frame wine hands ALSA lands in a raw file.
The native trigwave-scan then reads it: a 60-2 wheel at 3000 RPM. Also the statuses of
--help, an argument error and a device that is not there.

  wine_audio.py --scan build-wnat/bin/trigwave-scan -- \
      setup/wine/wine-prefix run STATE build-win/bin/trigwave-play.exe
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

ARGS = ["m582", "3000", "2", "30", "1000", "1000"]
RATE, FRAME = 44100, 4
# Seconds; wine starts in a few, the stream takes two.
TIMEOUT = 120


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--scan", required=True, help="the native trigwave-scan")
    parser.add_argument("play", nargs="+", help="the command that runs trigwave-play.exe")
    options = parser.parse_args()
    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory(prefix="orix-wine-audio.") as tmp:
        raw = Path(tmp) / "played.raw"
        # Not the system's alsa.conf: its PulseAudio hook fails in wine's 32-bit side unless
        # libasound2-plugins:i386 is there, and leaves no default device at all.
        conf = Path(tmp) / "asound.conf"
        conf.write_text(f'pcm.!default {{ type file; slave.pcm {{ type null }}; file "{raw}"; '
                        'format "raw" }\n')
        env = {**os.environ, "ALSA_CONFIG_PATH": str(conf)}

        def play(*args):
            return subprocess.run(options.play + list(args), cwd=tmp, env=env,
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=TIMEOUT)

        run = play("--help")
        check(run.returncode == 0 and run.stdout.startswith("Usage:"), f"--help: status {run.returncode}")
        run = play("m582", "3000")
        check(run.returncode == 2, f"too few arguments: status {run.returncode}")
        run = play("--device", "no such card", *ARGS)
        check(run.returncode == 1 and 'cannot open the sound device "no such card"' in run.stderr,
              f"a device not there: status {run.returncode}, {run.stderr.strip().splitlines()[-1:]}")
        check(not raw.exists(), "no sound before the device opens")

        run = play(*ARGS)
        # 3: played, with underruns; the scan below tells whether they were heard.
        check(run.returncode in (0, 3),
              f"{' '.join(ARGS)}: status {run.returncode}, {run.stderr.strip().splitlines()[-1:]}")
        played = raw.read_bytes() if raw.exists() else b""
        seconds = len(played) / (RATE * FRAME)
        check(len(played) % FRAME == 0 and 2 <= seconds < 3, f"{seconds:.3f} s of frames reached ALSA")
        recording = Path(tmp) / "played.wav"
        with wave.open(str(recording), "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(played)
        scan = subprocess.run([options.scan, str(recording)], capture_output=True, text=True, timeout=TIMEOUT)
        wheel = re.search(r"^wheel: (.*)$", scan.stdout, re.M)
        check(wheel is not None and wheel.group(1).startswith("m582 (60-2)"),
              f"trigwave-scan's wheel: {wheel.group(1) if wheel else scan.stdout.strip()[:200]}")
        rpm = re.search(r"^rpm: .*\(lowest ([\d.]+), highest ([\d.]+)\)", scan.stdout, re.M)
        check(rpm is not None and 2970 <= float(rpm.group(1)) and float(rpm.group(2)) <= 3030,
              f"trigwave-scan's RPM: {rpm.group(0) if rpm else 'none'}")
        # A dropout costs one revolution's sync; an emulated machine under load may drop one or
        # two, a buffer that runs dry every cycle loses it every revolution.
        anomalies = re.search(r"^anomalies: (\d+)", scan.stdout, re.M)
        check(anomalies is not None and int(anomalies.group(1)) <= 2,
              f"trigwave-scan's {anomalies.group(0) if anomalies else 'anomalies: none counted'}")
    print(f"FAILED: {len(failures)} checks" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
