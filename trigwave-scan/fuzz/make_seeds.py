#!/usr/bin/python3
"""Writes the harnesses' seed inputs into corpus/: short stretches of trigwave's files as
raw samples (edges), in the formats libsndfile reads (sound), as VCD text (vcd), as a logic
analyzer's CSV export, digital and sampled (csv), and as composite logs (composite).

    trigwave-scan/fuzz/make_seeds.py [TRIGWAVE]   (default build/bin/trigwave)
"""
import os
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
TRIGWAVE = sys.argv[1] if len(sys.argv) > 1 else str(HERE.parents[1] / "build" / "bin" / "trigwave")
# type, RPM: fast enough that 60 ms hold a revolution or more
WHEELS = [("m582", "3000"), ("E324", "3000"), ("c040", "6000"), ("f000", "6000"), ("S060", "6000"), ("M351", "4000")]
SOUND_FORMATS = {  # name: sox output options
    "pcm16.wav": ["-b", "16"], "pcm24.wav": ["-b", "24"], "pcm8.wav": ["-b", "8"],
    "float32.wav": ["-b", "32", "-e", "float"], "float64.wav": ["-b", "64", "-e", "float"],
    "pcm24.flac": ["-b", "24"], "mono.wav": ["-c", "1"], "four.wav": ["-c", "4"], "aiff.aiff": [],
}


def main():
    for name in ("edges", "sound", "vcd", "csv", "composite"):
        (HERE / "corpus" / name).mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for typ, rpm in WHEELS:
            args = [typ, rpm, "1", "20", "1000", "900"]
            subprocess.run([TRIGWAVE] + args, cwd=tmp, check=True, capture_output=True)
            wav = os.path.join(tmp, "_".join(args) + ".wav")
            short = os.path.join(tmp, "short.wav")
            subprocess.run(["sox", wav, short, "trim", "0", "0.06"], check=True)
            data = Path(short).read_bytes()[44:]
            (HERE / "corpus" / "edges" / typ).write_bytes(b"\x00\x01" + data)
            write_vcd(data, HERE / "corpus" / "vcd" / (typ + ".vcd"))
            write_csvs(data, typ)
        for name, opts in SOUND_FORMATS.items():
            out = HERE / "corpus" / "sound" / name
            subprocess.run(["sox", short, *opts, str(out), "trim", "0", "0.03"], check=True)
    (HERE / "corpus" / "vcd" / "sigrok_meta_line").write_text(
        "META samplerate: 1000000\n$date today $end\n$timescale 1 us $end\n$scope module s $end\n"
        "$var wire 1 ! crank $end\n$var wire 1 \" cam $end\n$upscope $end\n$enddefinitions $end\n"
        "#0 0! 1\"\n#10 1!\n#25 0! 0\"\n#40 1!\n#50\n")


def changes(data):
    """(frame, crank level, cam level) where either changes, from the samples' signs."""
    import array
    s = array.array("h")
    s.frombytes(data)
    rows, last = [], None
    for n in range(len(s) // 2):
        levels = (int(s[2 * n] > 0), int(s[2 * n + 1] > 0))
        if levels != last:
            rows.append((n, *levels))
            last = levels
    return rows, s


def write_csvs(data, typ):
    """A row per change and a row per sample (as volts) of a logic analyzer's export, and the
    two composite log forms; each seed's first byte is the harness's choice of piece size."""
    rows, s = changes(data)
    folder = HERE / "corpus"
    lines = ["Time [s],crank,cam"] + [f"{n / 44100:.9f},{a},{b}" for n, a, b in rows]
    (folder / "csv" / typ).write_bytes(b"\x07" + "\n".join(lines).encode() + b"\n")
    volts = ["Time [s],crank,cam"] + [f"{n / 44100:.7f},{2.5 + s[2 * n] / 13107:.3f},{2.5 + s[2 * n + 1] / 13107:.3f}"
                                      for n in range(0, min(len(s) // 2, 1500))]
    (folder / "csv" / (typ + "_volts")).write_bytes(b"\x45" + "\n".join(volts).encode() + b"\n")
    speeduino = ["#Firmware: speeduino", "PriLevel,SecLevel,ThirdLevel,Trigger,Sync,Cycle,RefTime,ToothTime,Time",
                 "Flag,Flag,Flag,Flag,Flag,Flag,ms,ms,ms"]
    rusefi = ["#Firmware: rusEFI", "PriLevel,SecLevel,Trigger,Sync,Time,ToothTime,coil,inj",
              "Flag,Flag,Flag,Flag,ms,ms,Flag,Flag"]
    for k, (n, a, b) in enumerate(rows):
        ms = f"{1000 * n / 44100:.3f}"
        speeduino.append(f"{a},{b},0,{a},1,0,0.000,0.000,{ms}")
        rusefi.append(f"{a},{b},{a},1,{ms},0.000,0,0")
        if k % 50 == 49:
            speeduino.append(f"MARK {k // 50:03d}")
    (folder / "composite" / typ).write_bytes(b"\x07" + "\r\n".join(speeduino).encode() + b"\r\n")
    (folder / "composite" / (typ + "_rusefi")).write_bytes(b"\x21" + "\n".join(rusefi).encode())


def write_vcd(data, path):
    """The samples' signs as two one-bit signals, a change at frame n at n * 22676 ps."""
    import array
    s = array.array("h")
    s.frombytes(data)
    lines = ["$timescale 1 ps $end", "$var wire 1 ! crank $end", "$var wire 1 \" cam $end",
             "$enddefinitions $end", "$dumpvars", f"{int(s[0] > 0)}!", f"{int(s[1] > 0)}\"", "$end"]
    for n in range(1, len(s) // 2):
        changes = [f"{int(s[2 * n + c] > 0)}{code}" for c, code in ((0, "!"), (1, "\""))
                   if (s[2 * n + c] > 0) != (s[2 * n - 2 + c] > 0)]
        if changes:
            lines.append(f"#{n * 22676}")
            lines += changes
    path.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
