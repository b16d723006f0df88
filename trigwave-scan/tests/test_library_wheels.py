"""Every wheel of the library, played by trigwave in both polarities, at constant speeds from
100 RPM to where its shortest tooth or space lasts 4 samples and under speed and cam sweeps:
trigwave-scan names the wheel, is in sync by the end of the second revolution (or cycle), and
gives every revolution the length and the cam angle that the wheel file and trigwave's rules
put there, with no anomaly. The scan only says which tooth starts its revolutions; that tooth
must be an edge of the tooth after the wheel's widest gap, and the same all through."""
import os
import tempfile
import unittest
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np

import scan_run as s
import trigwave_rules as rules
from wheel_text import period, read_wheel, shortest_stretch, states, units

LIBRARY = sorted((s.REPO / "wheels").glob("*.wheel"))


def rising(table, ang):
    """Frames where the angle enters the table's true stretches."""
    on = table[ang % 65536]
    return np.flatnonzero(on[1:] & ~on[:-1]) + 1


def changing(table, ang):
    """Frames where the angle enters or leaves the table's high stretches."""
    on = table[ang % 65536]
    return np.flatnonzero(on[1:] != on[:-1]) + 1


def reference_edges(wheel):
    """The crank edges (in units within the period) a revolution may start at: the rise or the
    fall of the tooth after the widest gap, or any edge where no one gap is the widest."""
    p = period(wheel)
    teeth = sorted((units(r) % p, units(f) % p) for r, f, _ in wheel["crank"])
    gaps = [(teeth[i][0] - teeth[i - 1][0]) % p or p for i in range(len(teeth))]
    widest = [i for i, g in enumerate(gaps) if g > 1.5 * min(gaps)]
    if len(widest) != 1 or len({g for g in gaps if g > 1.5 * min(gaps)}) != 1:
        return {u for t in teeth for u in t}
    return set(teeth[widest[0]])


def slot_stray(wheel):
    """How far (degrees) the crank's rises stray from even slots of their usual spacing, where
    they lie within a quarter slot of them: a decoder reads angles off the slots."""
    rises = sorted(r / 1000.0 for r, _, _ in wheel["crank"])
    spacings = [b - a for a, b in zip(rises, rises[1:] + [rises[0] + wheel["cycle"]])]
    step = float(np.median(spacings))
    slots = [round(d / step) for d in spacings]
    if min(slots) < 1 or max(slots) < 2 or any(abs(d / step - k) >= 0.25 for d, k in zip(spacings, slots)):
        return 0.0  # not teeth on slots with a gap
    off = np.array([(r - rises[0] + step / 2) % step - step / 2 for r in rises])
    off -= np.median(off)
    stray = float(np.max(np.abs(off)))
    return stray


def quiet_cams(wheel):
    """Cam positions in whole degrees (0 to 90): the one that keeps the cam's rises farthest
    from every crank edge, so that no sample holds both, and the widest sweep around it that
    moves no rise across an edge (a cam that places the cycle would move its start)."""
    p = period(wheel)
    crank = np.array([units(a) % p + k for r, f, _ in wheel["crank"] for a in (r, f) for k in range(0, 65536, p)])
    cam = np.array([units(r) for r, _, _ in wheel["cam"]])
    if not len(cam):
        return 0, 0, 20
    far = lambda c: np.min(np.abs((cam[:, None] + c * 91 - crank[None, :] + 32768) % 65536 - 32768))
    q = max(range(91), key=far)
    lo = hi = q
    while lo > 0 and far(lo - 1) > 91:
        lo -= 1
    while hi < 110 and far(hi + 1) > 91:
        hi += 1
    return q, lo, hi


class LibraryWheelTest(rules.tw.TrigwaveCase):
    def render_and_scan(self, path, reverse, rpm, seconds, cam):
        """trigwave's file and the scan of it, in a folder of its own (run on a pool)."""
        work = Path(tempfile.mkdtemp(dir=self.tmp))
        args = (["--reverse"] if reverse else []) + ["--output", "w.wav", "--wheel", path, rpm, seconds, cam, 1000, 900]
        run = self.run_trigwave(*args, cwd=work)
        result = s.scan(work / "w.wav") if run.status == 0 else None
        (work / "w.wav").unlink(missing_ok=True)  # the checks need the scan alone
        return run, result

    def check(self, path, reverse, rpm, seconds, cam, run, result):
        wheel = read_wheel(path.read_text())
        self.assertEqual(run.status, 0, run.stderr[-300:])
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertIn(wheel["name"], result.summary("wheel"))
        if not reverse or "polarity normal" not in result.summary("wheel"):
            self.assertNotIn("polarity reversed" if not reverse else "polarity normal", result.summary("wheel"))
        self.assertEqual(result.anomalies(), [])
        self.assertTrue(result.rows)

        ang = rules.angles(str(rpm), seconds).astype(np.int64)
        p = period(wheel)
        per_cycle = result.summary("cycles") is not None
        whole = 65536 if per_cycle else 32768
        deg = 720.0 if per_cycle else 360.0
        crank_edges = changing(states(wheel["crank"], p), ang)
        # the cam's pulses: its teeth (high), or the spaces between them where those are the
        # shorter, as the scan says; as many a cycle as the file's teeth
        cam_at = rules.cam_units(str(cam), len(ang))
        said = result.summary("cam")
        if wheel["cam"]:
            self.assertRegex(said, f"^{len(wheel['cam'])} (high|low) pulses? per cycle")
        high = bool(wheel["cam"]) and " high " in said
        cam_rises = rising(states(wheel["cam"], 65536) == high if wheel["cam"] else states([], 65536), ang - cam_at)
        cam_marks = [units(r if high else f) for r, f, _ in wheel["cam"]]
        stray = slot_stray(wheel)

        def cam_crossing(frames):
            """The unwrapped angle each cam rise was crossed at."""
            return np.array([ang[f] - min((ang[f] - cam_at[f] - u) % 65536 for u in cam_marks) for f in frames])
        marks = sorted({units(a) % p for r, f, _ in wheel["crank"] for a in (r, f)})

        def edge_of(f):
            """The crank edge whose angle was crossed into frame f, and that angle unwrapped."""
            back = min((ang[f] - u) % p for u in marks)
            return (ang[f] - back) % p, ang[f] - back

        allowed = reference_edges(wheel)
        started_at = set()
        for row in result.rows:
            t = float(row["time_s"]) * rules.RATE
            e = int(crank_edges[np.argmin(np.abs(crank_edges - 0.5 - t))])
            # the edge lies between the frame before and the frame that shows it
            self.assertLessEqual(abs(e - 0.5 - t), 1.5, row)
            edge, r = edge_of(e)
            started_at.add(edge)
            self.assertIn(edge, allowed, row)
            end = int(np.searchsorted(ang, r + whole, "left"))
            if end >= len(ang):
                continue  # the last, cut short by the file's end
            length = end - e
            measured = deg / 360.0 * 60.0 * rules.RATE / float(row["rpm"])
            self.assertLessEqual(abs(measured - length), max(0.001 * length, 1.0), (row, length))
            inside = cam_rises[(cam_rises >= e) & (cam_rises < end)]
            if not len(inside):
                self.assertEqual(row["cam_deg"], "", row)
            else:
                # some cam tooth of the period, where it crosses (not the frame after): within
                # half a degree or one sample's angle, and the decoder's own view of a wheel
                # whose measured teeth stray from its slots
                want = (cam_crossing(inside) - r) * deg / whole
                off = np.abs(want - float(row["cam_deg"]))
                self.assertLessEqual(np.min(np.minimum(off, deg - off)), max(0.5, deg / length) + stray,
                                     (row, want))
        self.assertEqual(len(started_at), 1, started_at)
        # in sync by the end of the second period: the first row starts at the first start
        # after it, or before
        second_end = int(np.searchsorted(ang, 2 * whole))
        first_after = next(f for f in crank_edges if f > second_end and edge_of(f)[0] in started_at)
        first = float(result.rows[0]["time_s"]) * rules.RATE
        self.assertLessEqual(first, first_after + 1, result.rows[:2])
        # no period left out from there on
        self.assertGreaterEqual(len(result.rows), (ang[-1] - ang[int(first)]) // whole - 1)

    def test_every_wheel_from_100_rpm_to_4_samples_a_tooth_and_swept(self):
        self.assertGreaterEqual(len(LIBRARY), 20)
        cases = []
        # Under the sanitizers (ten times slower) each wheel in one polarity, the two taking
        # turns: the same code paths, which the plain build runs in both polarities.
        sanitized = os.environ.get("ORIX_SANITIZED") == "1"
        for i, path in enumerate(LIBRARY):
            wheel = read_wheel(path.read_text())
            # 4 samples on the shortest tooth or space, or 20000 RPM, above any engine
            top = min(int(shortest_stretch(wheel) * rules.RATE / 24), 20000)
            q, lo, hi = quiet_cams(wheel)
            # a wheel with one widest gap starts its revolutions there, wherever the cam is
            gap_placed = len(reference_edges(wheel)) == 2
            sweep = (f"600-{min(2400, top)}-900", 12, f"{q}-{q + 20}-{q + 5}" if gap_placed else f"{lo}-{hi}-{q}")
            for reverse in ((i % 2 == 1,) if sanitized else (False, True)):
                for rpm, seconds, cam in ((100, 8, q), (top, 2, q), sweep):
                    cases.append((path, reverse, rpm, seconds, cam))
        # the runs on every core (the slowest group of tests by far), the checks in order
        with ThreadPoolExecutor(os.cpu_count() or 2) as pool:
            done = pool.map(lambda c: self.render_and_scan(*c), cases)
            for (path, reverse, rpm, seconds, cam), (run, result) in zip(cases, done):
                with self.subTest(wheel=path.name, reverse=reverse, rpm=rpm, cam=cam):
                    self.check(path, reverse, rpm, seconds, cam, run, result)


if __name__ == "__main__":
    unittest.main()
