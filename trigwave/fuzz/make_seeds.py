#!/usr/bin/env python3
"""Writes the seed corpus both trigwave harnesses start from: one file per command line,
its arguments joined by NUL bytes (the harnesses split there). Re-run after editing SEEDS."""
from pathlib import Path

POINTS_999 = "-".join(str(i % 10) for i in range(999))
POINTS_1000 = "-".join(str(i % 10) for i in range(1000))

SEEDS = {
    # the usage text's examples
    "usage_ramp": ["m582", "180-1740", "60", "15-30", "100-1000", "1000-900"],
    "usage_steps": ["m582", "140-200-200-3000", "60", "15-25-20", "1000", "1000"],
    # every wheel type, both polarities
    **{f"type_{t}": [t, "1000", "1", "15", "1000", "900"]
       for t in ["c040", "c080", "c270", "m582", "m351", "f000", "e324", "s060",
                 "C040", "M582", "E324", "F010", "S060", "x123"]},
    # sweep spelling
    "double_separator": ["m582", "40--80", "1", "40--80", "1000", "1000"],
    "outer_separators": ["m582", "-40-80-", "1", "-40-80-", "-1000-", "-1000-"],
    "trailing_text": ["m582", "40x-80", "1", "15", "1000", "1000"],
    "no_number": ["m582", "x-80", "1", "15", "1000", "1000"],
    "empty_sweep": ["m582", "", "1", "15", "1000", "1000"],
    "only_separators": ["m582", "1000", "1", "---", "1000", "1000"],
    "spaces_and_plus": ["m582", " 12- +40", "1", "\t7", "+1000", " 900"],
    "wrapping_point": ["m582", "70000", "1", "70000", "70000", "70000"],
    "points_999": ["m582", POINTS_999, "1", POINTS_999, "1000", "1000"],
    "points_1000": ["m582", POINTS_1000, "1", "15", POINTS_1000, "1000"],
    "huge_digits": ["m582", "9" * 300, "1", "15", "1000", "1000"],
    "int_limits": ["m582", "2147483647-0", "1", "2147483647", "2147483648", "1000"],
    "big_rpm_jump": ["m582", "0-65535-0", "1", "15", "1000", "1000"],
    # wheel files, the text in the type's place (the render harness plays them)
    "wheel_gaps": ["orix-wheel 1\nname gaps\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\n"
                   "cam tooth 0 10\n", "180-1740", "1", "15-30", "100-1000", "1000-900"],
    "wheel_uneven": ["orix-wheel 1\r\nname uneven\r\ncycle 720\r\ncrank tooth 710 10 full\r\n"
                     "crank tooth 100.25 140\r\ncam tooth 700 20 # across 720\r\n", "6000", "1", "0-720", "1000", "500"],
    "wheel_refused": ["orix-wheel 1\nname bad\ncycle 360\ncrank tooth 10 20\ncrank tooth 15 30\n",
                      "1000", "1", "15", "1000", "1000"],
    # length
    "length_text": ["m582", "1000", "abc", "15", "1000", "1000"],
    "length_suffix": ["m582", "1000", "60s", "15", "1000", "1000"],
    "length_zero": ["m582", "1000-2000-3000", "0", "15", "1000", "1000"],
    "length_negative": ["m582", "1000", "-1", "15", "1000", "1000"],
    "length_max": ["m582", "1000", "24347", "15", "1000", "1000"],
    "length_over": ["m582", "1000", "24348", "15", "1000", "1000"],
    "length_huge": ["m582", "1000", "99999999999", "15", "1000", "1000"],
    # type string
    "type_short": ["m5", "1000", "1", "15", "1000", "1000"],
    "type_no_slots": ["m000", "1000", "1", "15", "1000", "1000"],
    "type_high_byte": ["\xe9582", "1000", "1", "15", "1000", "1000"],
    "type_last_capital": ["Z582", "1000", "1", "15", "1000", "1000"],
    "type_after_capitals": ["[582", "1000", "1", "15", "1000", "1000"],
    "type_like_option": ["--help", "1000", "1", "20", "1000", "1000"],
    # argument count
    "five_args": ["m582", "1000", "1", "15", "1000"],
    "eight_args": ["m582", "1000", "1", "15", "1000", "1000", "extra", "more"],
    "empty_args": ["", "", "", "", "", ""],
    "long_name": ["m582", "1-" * 1500 + "1", "1", "15", "1000", "1000"],
}


def main():
    out = Path(__file__).resolve().parent / "corpus"
    out.mkdir(exist_ok=True)
    for name, args in SEEDS.items():
        (out / name).write_bytes(b"\0".join(a.encode("latin-1") for a in args))


if __name__ == "__main__":
    main()
