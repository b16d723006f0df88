"""Decodes trigger signals the way an engine controller's input stage would see them.

Everything is measured from the samples: edges, the engine cycle (from the cam, or from the
crank's missing-tooth gap), the engine speed over whole cycles, and positions in crank degrees.
The file starts at the beginning of an engine cycle, so cycle k starts k cycles after frame -1
(the first frame already carries one step of rotation).
"""
import numpy as np

RATE = 44100
CYCLE_DEG = 720.0


def rises(x):
    """Frames whose sample is above 0 while the one before is not."""
    up = x > 0
    return np.flatnonzero(~up[:-1] & up[1:]) + 1


def falls(x):
    return rises(-x.astype(np.int32))


def drops(x, min_drop=16000):
    """Frames where the level falls by more than min_drop from the frame before (sawtooth resets)."""
    return np.flatnonzero(np.diff(x.astype(np.int32)) < -min_drop) + 1


def crank_events(crank, sawtooth=False):
    return drops(crank) if sawtooth else rises(crank)


def cam_marks(cam, grouped=False):
    """One frame per engine cycle from the cam channel.

    A single low pulse per cycle marks the cycle at its falling edge. Grouped high pulses (three
    close together, then single and paired ones) mark it at the first pulse of the group of three.
    """
    if not grouped:
        return falls(cam)
    starts = rises(cam)
    gaps = np.diff(starts)
    short = gaps < np.median(gaps) / 2
    first = [i for i in range(len(short) - 1) if short[i] and short[i + 1]
             and (i == 0 or not short[i - 1])]
    return starts[first]


def counts_between(events, marks):
    """How many events fall in each stretch between consecutive marks."""
    return [int(np.count_nonzero((events >= a) & (events < b))) for a, b in zip(marks, marks[1:])]


def frames_per_cycle(events, per_cycle):
    """Mean cycle length in frames over as many whole cycles as the events cover: the slope of
    a straight line through the same edge of every cycle (each edge is late by up to a frame)."""
    cycles = (len(events) - 1) // per_cycle
    if cycles < 1:
        raise ValueError("fewer events than one engine cycle")
    same_edge = np.asarray(events[: cycles * per_cycle + 1: per_cycle], dtype=float)
    return float(np.polyfit(np.arange(cycles + 1), same_edge, 1)[0])


def rpm_of(cycle_frames):
    """Two crank revolutions per engine cycle."""
    return 2 * 60 * RATE / cycle_frames


def per_cycle_rpm(events, per_cycle):
    """(first frame, last frame, RPM) for each whole cycle, measured from one event to the same event
    one cycle later."""
    out = []
    for k in range(0, len(events) - per_cycle, per_cycle):
        a, b = int(events[k]), int(events[k + per_cycle])
        out.append((a, b, rpm_of(b - a)))
    return out


def canonical_deg(deg):
    """Degrees in a cycle, as [-2, 718): a position just before the cycle start counts as negative."""
    return np.mod(np.asarray(deg, dtype=float) + 2.0, CYCLE_DEG) - 2.0


def positions_by_cycle(events, cycle_frames, total_frames):
    """Each whole cycle's event positions in crank degrees after its start."""
    phase = (np.asarray(events, dtype=float) + 1) / cycle_frames * CYCLE_DEG
    index = np.floor((phase + 2.0) / CYCLE_DEG).astype(int)
    whole = int((total_frames - 2) // cycle_frames)
    return [np.sort(canonical_deg(phase[index == k])) for k in range(1, whole)]


def slots_per_revolution(events, events_per_rev, revolutions=4):
    """Slots in each of the first revolutions, from the spacing of the teeth alone: the usual
    spacing is one slot, a longer one spans the missing slots as well."""
    gaps = np.diff(events[: revolutions * events_per_rev + 1]).astype(float)
    slots_per_gap = np.rint(gaps / np.median(gaps)).astype(int)
    return [int(slots_per_gap[r * events_per_rev:(r + 1) * events_per_rev].sum())
            for r in range(len(slots_per_gap) // events_per_rev)]


def occupied_slots(positions_deg, slots):
    """Slot numbers (counted from the revolution's start) in which a tooth rises."""
    width = 360.0 / slots
    return sorted({int(np.floor(np.mod(p, 360.0) / width)) for p in positions_deg})


def pulse_widths_deg(x, cycle_frames, high=False):
    """Widths of the pulses (low pulses by default) in crank degrees."""
    start, end = (rises(x), falls(x)) if high else (falls(x), rises(x))
    widths = []
    for s in start:
        later = end[end > s]
        if len(later):
            widths.append((later[0] - s) / cycle_frames * CYCLE_DEG)
    return np.array(widths)
