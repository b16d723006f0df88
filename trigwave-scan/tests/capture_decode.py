"""An independent count of a real capture's edges, as the captures' README does it: a gap is a
spacing longer than 1.6 times the median of the six before it, teeth are counted between gaps,
a revolution's RPM comes from its length. Knows nothing of the scanner."""
import numpy as np


def read_vcd(path):
    """{signal name: [(time in s, level)]} of a VCD of one-bit signals."""
    codes, changes, scale, now = {}, {}, 1e-9, 0
    with open(path) as f:
        lines = [line.strip() for line in f]
    for line in lines:
        if line.startswith("$timescale"):
            number, unit = line.split()[1:3]
            scale = float(number) * {"s": 1, "ms": 1e-3, "us": 1e-6, "ns": 1e-9, "ps": 1e-12}[unit]
        elif line.startswith("$var"):
            parts = line.split()
            codes[parts[3]] = parts[4]
            changes[parts[4]] = []
        elif line.startswith("#"):
            now = int(line[1:])
        elif line[:1] in ("0", "1") and line[1:] in codes:
            changes[codes[line[1:]]].append((now * scale, int(line[0])))
    return changes


def edges(changes, rising):
    """Times of the changes to high (rising) or to low."""
    return np.array([t for (_, a), (t, b) in zip(changes, changes[1:]) if a != b and b == int(rising)])


def vr_edges(volts, rate, arm=0.15):
    """A VR sensor's tooth centres: where the signal falls through its middle (the median) after
    rising arm volts above it; interpolated between samples."""
    v = np.asarray(volts) - np.median(volts)
    out, armed = [], False
    for i in range(1, len(v)):
        armed = armed or v[i] > arm
        if armed and v[i - 1] >= 0 > v[i]:
            out.append((i - 1 + v[i - 1] / (v[i - 1] - v[i])) / rate)
            armed = False
    return np.array(out)


def gap_starts(e):
    """Indices of the teeth that follow a gap."""
    d = np.diff(e)
    return [i + 1 for i in range(6, len(d)) if d[i] > 1.6 * np.median(d[i - 6:i])]


def sync_starts(e, sync, teeth):
    """Indices of the first tooth after each sync edge and of the tooth teeth later (half a cycle)."""
    firsts = np.searchsorted(e, sync)
    return sorted({int(i + k * teeth) for i in firsts for k in (0, 1) if i + k * teeth < len(e)})


def periods(e, bounds, teeth, per_rev, cycles=False, near=None):
    """(start, end) of each whole revolution (or cycle): per_rev bounds after its start, teeth
    teeth between. The phase (which bound starts one) is the one with a start nearest the time
    near, or the first bound's."""
    bounds = list(bounds)
    start = int(np.argmin([abs(e[b] - near) for b in bounds])) if near is not None and bounds else 0
    revs = [(bounds[j], bounds[j + per_rev]) for j in range(start % per_rev, len(bounds) - per_rev, per_rev)
            if bounds[j + per_rev] - bounds[j] == teeth]
    if cycles:
        ends = {a: b for a, b in revs}
        first = int(np.argmin([abs(e[a] - near) for a, _ in revs])) % 2 if near is not None and revs else 0
        revs = [(a, ends[b]) for a, b in revs[first::2] if b in ends]
    return [(e[a], e[b]) for a, b in revs]


def rpm(period, cycles=False):
    return (120.0 if cycles else 60.0) / (period[1] - period[0])
