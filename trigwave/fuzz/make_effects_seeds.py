#!/usr/bin/env python3
"""Writes the seeds of the effects harness into corpus-effects/: one file per command line,
its arguments joined by NUL bytes, the effect options before the type. Re-run after editing
SEEDS."""
from pathlib import Path

SWEEPS = ["1000", "1", "15", "1000", "900"]
RAMP = ["600-3000", "1", "20", "800", "500"]
WHEEL = ("orix-wheel 1\nname gaps\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\n"
         "cam tooth 0 10\n")

SEEDS = {
    # one option at a time, each with a type of its own
    "vr_m582": ["--vr", "m582", *SWEEPS],
    "vr_runout_m351": ["--vr", "--runout", "2.5", "m351", *RAMP],
    "cranking_e324": ["--cranking", "4,30", "e324", *SWEEPS],
    "noise_c040": ["--noise", "-40", "c040", *SWEEPS],
    "jitter_s060": ["--jitter", "1.5", "--seed", "7", "s060", *SWEEPS],
    "noise_seed_f000": ["--seed", "18446744073709551615", "--noise", "-0.5", "f000", *RAMP],
    **{f"truth_{t}": ["--truth", "t.json", t, *SWEEPS] for t in ["m582", "m351", "e324", "c040", "s060", "f000", "M582"]},
    "truth_ramp": ["--truth", "t.json", "m582", *RAMP],
    # every fault kind and channel
    "missing_m582": ["--fault", "missing@2:10", "--truth", "t.json", "m582", *RAMP],
    "extra_m351": ["--fault", "extra@1:3", "m351", *SWEEPS],
    "extra_vr_m582": ["--vr", "--fault", "extra@3:57", "m582", *SWEEPS],
    "dropout_e324": ["--fault", "dropout@0.2:0.05", "e324", *SWEEPS],
    "dropout_cam_m582": ["--fault", "dropout@0.1:0.3:cam", "m582", *RAMP],
    "dropout_both_M582": ["--fault", "dropout@0:0.000023:both", "M582", *SWEEPS],
    "spike_c040": ["--fault", "spike@0.5", "--fault", "spike@0.25:cam", "c040", *SWEEPS],
    "flip_s060": ["--fault", "flip@0.3", "--fault", "flip@0.6", "s060", *SWEEPS],
    "nocam_m582": ["--fault", "nocam@2", "--truth", "t.json", "m582", *RAMP],
    "everything_m582": ["--vr", "--runout", "50", "--cranking", "16,60", "--noise", "-120", "--jitter", "10",
                        "--fault", "missing@1:1", "--fault", "nocam@1", "--truth", "t.json", "M582", *RAMP],
    "many_faults": [a for r in range(1, 13) for a in ("--fault", f"missing@{r}:{r}")] + ["m582", *RAMP],
    # a wheel file with effects (reversed: the text's length is odd)
    "wheel_jitter": [WHEEL + "#", "--jitter", "3", "--fault", "extra@2:4", *RAMP],
    "wheel_vr": [WHEEL, "--vr", "--noise", "-60", "--fault", "dropout@0.5:0.01:both", "1000", "1", "0-720", "1000", "500"],
    # refusals and limits
    "runout_without_vr": ["--runout", "1", "m582", *SWEEPS],
    "fault_past_end": ["--fault", "spike@1", "m582", *SWEEPS],
    "fault_missing_tooth_past_wheel": ["--fault", "missing@1:59", "m582", *SWEEPS],
    "fault_101": [a for _ in range(101) for a in ("--fault", "flip@0")] + ["m582", *SWEEPS],
    "given_twice": ["--noise", "-40", "--noise", "-40", "m582", *SWEEPS],
    "value_missing": ["--cranking"],
    "bad_values": ["--fault", "dropout@1.0000001:0", "--jitter", "10.001", "m582", *SWEEPS],
    "length_zero": ["--vr", "--truth", "t.json", "m582", "1000", "0", "15", "1000", "900"],
    "output_reverse": ["--output", "x.wav", "--reverse", "m582", *SWEEPS],
}


def main():
    out = Path(__file__).resolve().parent / "corpus-effects"
    out.mkdir(exist_ok=True)
    for name, args in SEEDS.items():
        (out / name).write_bytes(b"\0".join(a.encode("latin-1") for a in args))


if __name__ == "__main__":
    main()
