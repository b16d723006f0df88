"""The tests' own reading of a wheel file and of where trigwave draws it: each tooth from the
file's lines, each angle as trigwave's drawing rounds it (65536 units per 720 degrees).
Knows nothing of the programs' code."""
import numpy as np


def millidegrees(text):
    whole, _, part = text.partition(".")
    return int(whole) * 1000 + int((part + "000")[:3])


def read_wheel(text):
    """{'name', 'cycle' (the crank's, degrees), 'crank', 'cam'}: teeth as (rise, fall, full) in
    thousandths of a degree."""
    wheel = {"name": "", "cycle": 360, "crank": [], "cam": []}
    slots = []
    for line in text.splitlines():
        w = line.split("#")[0].split()
        if w[:1] == ["name"]:
            wheel["name"] = line.split("#")[0].strip()[len("name"):].strip()
        elif w[:1] == ["cycle"]:
            wheel["cycle"] = int(w[1])
        elif w[:2] in (["crank", "tooth"], ["cam", "tooth"]):
            wheel[w[0]].append((millidegrees(w[2]), millidegrees(w[3]), "full" in w[4:]))
        elif w[:2] == ["crank", "slots"]:
            slots.append(w)
    for w in slots:  # once the cycle is known
        n, marks, key = int(w[2]), {"missing": set(), "full": set()}, None
        for word in w[3:]:
            key = word if word in marks else key
            if word not in marks:
                marks[key].add(int(word))
        c = wheel["cycle"] * 1000
        wheel["crank"] += [(((2 * k + 1) * c + n) // (2 * n), ((k + 1) * c * 2 + n) // (2 * n) % c, k in marks["full"])
                           for k in range(n) if k not in marks["missing"]]
    wheel["crank"].sort()
    wheel["cam"].sort()
    return wheel


def units(md):
    return (md * 65536 + 360000) // 720000 % 65536


def period(wheel):
    """The crank pattern's period in units."""
    return 32768 if wheel["cycle"] == 360 else 65536


def states(teeth, period, full=False):
    """Per cycle angle: on a tooth; with full=True, in a full tooth's level (the tooth and the
    low stretch before it)."""
    table = np.zeros(65536, bool)
    for i, (rise, fall, is_full) in enumerate(teeth):
        if full and not is_full:
            continue
        start = units(teeth[i - 1][1] if full else rise) % period
        length = (units(fall) % period - start) % period or period
        for base in range(0, 65536, period):
            table[base + (start + np.arange(length)) % period] = True
    return table


def shortest_stretch(wheel):
    """The crank's shortest high or low stretch, in degrees."""
    c = wheel["cycle"] * 1000
    teeth = wheel["crank"]
    highs = [(f - r) % c for r, f, _ in teeth]
    lows = [(teeth[(i + 1) % len(teeth)][0] - f) % c or c for i, (_, f, _) in enumerate(teeth)]
    return min(highs + lows) / 1000.0
