"""Where trigwave puts each revolution's reference edge and cam pulse, from its own rules:
the per-frame RPM (a whole number per frame), the angle accumulator, the wheel patterns'
angles and the cam position from the arguments. Nothing here reads trigwave-scan.
"""
import math
import sys
from pathlib import Path

import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "trigwave" / "tests" / "e2e"))
import harness as tw  # noqa: E402  (trigwave's own e2e harness: running it, its file names)

RATE = 44100
CYCLE = 65536
REV = 32768

GAP_REFERENCE = {"m582": 274, "m351": 456, "e324": 910 + 456}  # first tooth after the gap
F000_DROPS = [p * 16380 + c for p in range(4) for c in (5460, 13650, 16380)]
S060_WINDOWS = [7555, 10467, 15474, 23938, 26851, 31857, 40322, 43235, 48241, 56706, 59619, 64625]
COIL = {"c040": 40, "c080": 80, "c270": 270}


def frame_rpms(rpm_arg, seconds):
    """Whole RPM per frame: segment by segment, start + trunc(j * delta / frames)."""
    pts = tw.rpm_points(rpm_arg)
    segments = max(len(pts) - 1, 1)
    per = seconds * RATE // segments
    out = []
    for a, b in zip(pts, pts[1:]):
        delta = (b - a + 32768) % 65536 - 32768
        j = np.arange(per, dtype=np.int64)
        out.append((a + np.trunc(j * delta / per)).astype(np.int64) % 65536)
    return np.concatenate(out)


def angles(rpm_arg, seconds):
    """The unwrapped cycle angle of every frame (advanced before the frame is made)."""
    return np.floor(np.cumsum(frame_rpms(rpm_arg, seconds) * 546.13 / RATE))


def cam_units(cam_arg, frames):
    """The cam position per frame: the sweep interpolated over the file, x 91, truncated."""
    pts = [tw.leading_int(t) % 65536 for t in cam_arg.split("-") if t][:999]
    pts = pts * 2 if len(pts) == 1 else pts
    pos = np.arange(frames) / frames
    x = (len(pts) - 1) * pos
    i = np.minimum(np.floor(x).astype(int), len(pts) - 2)
    frac = x - i
    value = np.asarray(pts)[i] * (1 - frac) + np.asarray(pts)[i + 1] * frac
    return np.trunc(value * 91).astype(np.int64) % 65536


def tooth_angles(typ):
    """The scanner's tooth edges within one period (revolution or cycle), and that period."""
    t = typ.lower()
    if t in GAP_REFERENCE:
        return [GAP_REFERENCE[t]], REV
    if t in COIL:
        n = COIL[t]
        # rising edges: mid-period in normal polarity, at the period's start reversed
        half = 32768 if typ[0].islower() else 0
        return [math.ceil((k * CYCLE + half) / n) for k in range(n)], CYCLE
    if t == "f000":
        return F000_DROPS, CYCLE
    return S060_WINDOWS, CYCLE


def cam_frames(typ, ang, cam_arg):
    """Frames where the cam pulse that marks a cycle begins."""
    a = ang.astype(np.int64) % CYCLE
    if typ.lower() == "s060":
        pulse = (a // 2 >= 455) & (a // 2 < 910)  # the first pulse of the group of three
    else:
        p = cam_units(cam_arg, len(a))
        pulse = (a >= p) & (a < p + 455)
    return np.flatnonzero(pulse[1:] & ~pulse[:-1]) + 1


def periods(typ, rpm_arg, seconds, cam_arg, crank_angles=False):
    """(start frame, end frame, cam frame or None) of every whole revolution (gap wheels) or
    cycle (the others: from the first tooth after a cam pulse to the next such tooth).
    With crank_angles, a fourth element: the cam pulse's crank angle in the period, in
    degrees, from the angle accumulator (a decoder measures it by the teeth, not by time)."""
    ang = angles(rpm_arg, seconds)
    teeth, period = tooth_angles(typ)
    top = int(ang[-1]) + period
    marks = np.array([t + k * period for k in range(top // period + 1) for t in teeth])
    tooth_frames = np.searchsorted(ang, marks[marks <= ang[-1]], "left")
    cams = cam_frames(typ, ang, cam_arg)
    if typ.lower() in GAP_REFERENCE:
        starts = tooth_frames
    else:
        # strictly after: a tooth in the cam's own frame comes first
        after = np.searchsorted(tooth_frames, cams, "right")
        starts = np.unique(tooth_frames[after[after < len(tooth_frames)]])
    out = []
    for a, b in zip(starts, starts[1:]):
        inside = cams[(cams >= a) & (cams < b)]
        c = int(inside[0]) if len(inside) else None
        if crank_angles:
            deg = 720.0 if period == CYCLE else 360.0
            out.append((int(a), int(b), c, None if c is None else (ang[c] - ang[a]) / period * deg))
        else:
            out.append((int(a), int(b), c))
    return out


def quiet_cam(typ, low=10, high=80):
    """A cam position in whole degrees whose pulse lies as far as can be from every tooth
    edge of either polarity, so neither edge can come first by chance."""
    edges = sorted(set(tooth_angles(typ.lower())[0] + tooth_angles(typ.upper())[0]))
    if typ.lower() in GAP_REFERENCE:
        edges = [0]  # one reference per revolution: anywhere clear of it
    best, deg = -1, low
    for d in range(low, high + 1):
        p = int(d * 91)
        gap = min(min(abs(p - e), CYCLE - abs(p - e)) for e in edges)
        if gap > best:
            best, deg = gap, d
    return deg
