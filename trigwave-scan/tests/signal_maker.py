"""Bench signals for trigwave-scan's tests, drawn from a crank angle that is the integral of a
speed: channel 1 a 60-2 crank as trigwave's m582 draws it (each tooth low for the first half of
its slot and high for the second, the gap low; slot 0's tooth at full level, the others at a
relative level), channel 2 a cam low for 5 degrees once per 720 and high otherwise. Faults are
laid on top. When each revolution starts and each cam pulse is due come from the same angle,
never from the scanner.
"""
import wave

import numpy as np

RATE = 44100
SLOTS, TEETH = 60, 58
SLOT = 360.0 / SLOTS
FIRST_EDGE = SLOT / 2  # tooth 1's rising edge: where a revolution starts
CAM_AT, CAM_WIDTH = 90.0, 5.0  # crank degrees into the 720-degree cycle
LEVEL = 0.9  # of full scale: room above it for a spike that stands out
STEP = 0.05  # degrees of the integration grid
CRANKING, RUNNING, FIRST_FIRING = 250.0, 1500.0, 1440.0


def speed(theta, rpm=1000.0, ripple=0.0, cylinders=4, firings=False):
    """RPM at each crank angle (degrees)."""
    if firings:
        # cranking; then each firing (every 720 / cylinders degrees, on a slot's start) makes
        # the teeth after it 10-16 % shorter than the ones before, up to running speed
        k = np.clip(np.floor((theta - FIRST_FIRING) / (720.0 / cylinders)) + 1, 0, None).astype(int)
        shorter = 0.10 + 0.06 * ((np.arange(1, k.max() + 1) * 0.618) % 1)
        gain = np.r_[1.0, np.cumprod(1 / (1 - shorter))]
        return np.minimum(CRANKING * gain[k], RUNNING)
    return rpm * (1 + ripple * np.sin(cylinders / 2 * np.radians(theta)))


class Bench:
    """One recording: its frames (crank, cam) and the angle that made them.

    seconds, rpm, ripple (share), cylinders, firings: the motion. rel: normal teeth per mille of
    slot 0's. jitter: each edge's sigma in % of its tooth's spacing. vr: a variable-reluctance
    crank. Faults: stop (second; hiss or flat), flip (second), drop ((second, dB)), spike
    ((channel 0|1, crank angle)), drop_tooth (revolution from 0 whose tooth 1 is left out), nocam
    (cycles from 0 whose cam pulse is left out)."""

    def __init__(self, seconds=4.0, rel=1000, jitter=0.0, vr=False, stop=None, hiss=False, flip=None,
                 drop=None, spike=None, drop_tooth=None, nocam=(), **motion):
        self.seconds, self.jitter, self.nocam = seconds, jitter, list(nocam)
        top = max(motion.get("rpm", 1000.0) * (1 + motion.get("ripple", 0.0)),
                  RUNNING if motion.get("firings") else 0.0)
        self.grid = np.arange(0.0, 6 * top * seconds + 1080, STEP)
        # midpoint rule: exact for a speed that steps on a grid point
        dt = STEP / (6 * speed(self.grid[:-1] + STEP / 2, **motion))
        self.time = np.r_[0.0, np.cumsum(dt)]
        t = np.arange(int(seconds * RATE)) / RATE
        theta = np.interp(t, self.time, self.grid)

        k = np.arange(int(self.grid[-1] // SLOT) - 1)
        pos = k % SLOTS
        falls = (pos > 0) & (pos <= TEETH)  # into a tooth's low half, or into the gap
        angle = np.r_[k[falls] * SLOT, k[pos < TEETH] * SLOT + FIRST_EDGE]
        level = np.r_[np.where(pos[falls] == TEETH, -1.0, -rel / 1000),
                      np.where(pos[pos < TEETH] == 0, 1.0, rel / 1000)]
        if drop_tooth is not None:  # held low up to tooth 2
            keep = ~np.isin(angle, [360.0 * drop_tooth + FIRST_EDGE, 360.0 * drop_tooth + SLOT])
            angle, level = angle[keep], level[keep]
        order = np.argsort(angle)
        angle, level = angle[order], level[order]
        self.edges = self.at(angle)
        if jitter:
            spacing = self.at(angle + SLOT) - self.edges
            shift = np.clip(np.random.default_rng(7).normal(size=len(angle)), -3, 3)
            self.edges = self.edges + shift * jitter / 100 * spacing
        i = np.searchsorted(self.edges, t, "right") - 1
        crank = np.where(i >= 0, level[np.maximum(i, 0)], -1.0) * LEVEL

        if vr:
            # a positive then a negative lobe, crossing zero at the tooth's centre; twice the
            # swing at the teeth either side of the gap; in proportion to speed
            centre = SLOT * np.round((theta - 0.75 * SLOT) / SLOT) + 0.75 * SLOT
            at = (centre // SLOT).astype(int) % SLOTS
            x = (theta - centre) / (SLOT / 8)
            size = np.where((at == 0) | (at == TEETH - 1), 1.0, 0.5) * speed(theta, **motion) / top
            crank = np.where(at < TEETH, -x * np.exp(0.5 - x * x / 2) * size * LEVEL, 0.0)
        cam = np.where(((theta - CAM_AT) % 720 < CAM_WIDTH) & ~np.isin((theta - CAM_AT) // 720, self.nocam),
                       -LEVEL, LEVEL)

        if stop is not None:
            quiet = t >= stop
            hiss_rms = 10 ** (-60 / 20)
            crank[quiet] = np.random.default_rng(3).normal(0, hiss_rms, quiet.sum()) if hiss else 0.0
        if flip is not None:
            crank[t >= flip] *= -1
        frames = np.stack([crank, cam], axis=1)
        if drop is not None:
            frames[t >= drop[0]] *= 10 ** (-drop[1] / 20)
        if spike is not None:
            frames[int(np.ceil(self.at(spike[1]) * RATE)), spike[0]] = 1.0
        self.frames = np.round(np.clip(frames, -1, 1) * 32767).astype("<i2")

    def at(self, angle):
        """The time (s) the crank reaches each angle (degrees)."""
        return np.interp(angle, self.grid, self.time)

    def starts(self):
        """Every revolution's start in the recording: tooth 1's rising edge."""
        t = self.at(np.arange(FIRST_EDGE, self.grid[-1], 360.0))
        return t[t < self.seconds]

    def cams(self, due=False):
        """The start of every cam pulse, or (due) of those left out."""
        angles = np.arange(CAM_AT, self.grid[-1], 720.0)
        return self.at(angles[np.isin(np.arange(len(angles)), self.nocam) == due])

    def write(self, path):
        with wave.open(str(path), "wb") as w:
            w.setnchannels(2)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(self.frames.tobytes())
